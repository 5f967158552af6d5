#pragma once

#include "tabstracttouchlistitem.h"

#include <QList>
#include <QString>

class QPropertyAnimation;
class TPropertiesTouchList;

// One group of a properties touch list. An expandable group starts
// collapsed; a tap on its heading opens or closes it with an animation of
// its height. A right click on a value copies it to the clipboard.
class TPropertiesTouchListItem : public TAbstractTouchListItem
{
    Q_OBJECT
    Q_PROPERTY(qreal visableFactor READ visableFactor WRITE setVisableFactor)
public:
    struct PropertyRow
    {
        QString name;
        QString value;
        int height = 0;
        bool hasValue = false;
        QString displayText() const;
    };

    TPropertiesTouchListItem(TPropertiesTouchList *list, int id, const QString &heading, bool expandable);

    void setProperty(int row, const QString &name, const QString &value);
    void setPropertyName(int row, const QString &name);
    void setCollapsed(bool collapsed, bool animated);
    bool isCollapsed() const { return m_collapsed; }
    bool isExpandable() const { return m_expandable; }
    bool isAnimating() const;
    qreal visableFactor() const { return m_visableFactor; }
    void setVisableFactor(qreal factor);
    int rowsHeight() const;
    int fullRowsHeight() const { return m_fullRowsHeight; }
    const QList<PropertyRow> &rows() const { return m_rows; }
    QString heading() const { return m_heading; }

    int height() override;
    void paint(TTouchListPaintContext *context, const QRect &rowRect, const QPalette &palette) override;
    bool press(const QPoint &pos, const QRect &rowRect) override;
    void release(bool click, QPoint point) override;
    void setWidth(int width) override;
    QString toolTipText(const QPoint &pos, const QRect &rowRect) override;
    void rightPress(const QPoint &pos, const QRect &rowRect) override;

private:
    int wrappedHeight(const PropertyRow &row) const;
    int lineHeight() const;
    void recomputeHeights();
    QRect headingArea(const QRect &rowRect) const;
    int headingHeight() const;
    int valueRowAt(const QPoint &pos, const QRect &rowRect) const;

    TPropertiesTouchList *m_propertiesList;
    QList<PropertyRow> m_rows;
    QString m_heading;
    bool m_expandable;
    bool m_collapsed;
    bool m_headingPressed = false;
    int m_fullRowsHeight = 0;
    QPropertyAnimation *m_animation = nullptr;
    qreal m_visableFactor;
};
