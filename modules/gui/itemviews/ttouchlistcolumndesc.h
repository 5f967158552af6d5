#pragma once

#include <QFont>
#include <QObject>

// One column of a column touch list: type 0 text, 1 image at its own size,
// 2 image scaled into the column; other types draw nothing and take no text.
class TTouchListColumnDesc : public QObject
{
    Q_OBJECT
public:
    TTouchListColumnDesc(int type, int width, int maxWidth, int spacing, QObject *parent = nullptr);

    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }
    void setFontType(int fontType);

    int type() const { return m_type; }
    int width() const { return m_width; }
    int maxWidth() const { return m_maxWidth; }
    int spacing() const { return m_spacing; }
    Qt::Alignment alignment() const { return m_alignment; }
    QFont font() const { return m_font; }

public slots:
    void refreshFonts(const QString &styleSheet);

private:
    void applyFontType();

    int m_type;
    int m_width;
    int m_maxWidth;
    int m_spacing;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    int m_fontType = 2; // "default normal" at 18 points
    QFont m_font;
};
