#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <QVector>

// One column of a row list. Types: 0 text, 1 text at 18 points, 2 text at
// 14 points, 3 image named by the text, 4 check box, 5 hosted widgets.
class TListColumnDesc : public QObject
{
    Q_OBJECT
public:
    TListColumnDesc(int type, int minWidth, int maxWidth, int leftMargin, QObject *parent = nullptr);

    int type() const { return m_type; }
    int minWidth() const { return m_minWidth; }
    int maxWidth() const { return m_maxWidth; }
    int leftMargin() const { return m_leftMargin; }
    int alignment() const { return m_alignment; }
    // 2 every row view, 1 only without the alternate flag, 0 only with it.
    int visibility() const { return m_visibility; }
    bool extraText() const { return m_extraText; }
    QString title() const { return m_title; }

    // Text alignment (Qt::Alignment flags); left and vertically centred at first.
    void setAlignment(int alignment) { m_alignment = alignment; }

    // Whether the column shows in a row view with the given flag and hosted widgets.
    bool isShown(bool alternate, bool hostsWidgets) const;

    // The rectangles of the columns in a row: minimum widths first, then the
    // spare width to the columns from left to right, each up to its maximum.
    static QVector<QRect> layout(const QList<TListColumnDesc *> &columns, const QRect &rowRect, bool alternate,
                                 bool hostsWidgets);

private:
    int m_type;
    int m_minWidth;
    int m_maxWidth;
    int m_leftMargin;
    int m_alignment = 129;
    int m_visibility = 2;
    bool m_extraText = false;
    QString m_title;
};
