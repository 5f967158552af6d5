#include "ttouchlistcolumndesc.h"

#include "tstylesheet.h"

#include <QApplication>

namespace {
QFont namedFont(const char *family, int pointSize)
{
    QFont font = QApplication::font(family);
    font.setPointSize(pointSize);
    return font;
}
} // namespace

TTouchListColumnDesc::TTouchListColumnDesc(int type, int width, int maxWidth, int spacing, QObject *parent)
    : QObject(parent)
    , m_type(type)
    , m_width(width)
    , m_maxWidth(qMax(width, maxWidth))
    , m_spacing(spacing)
{
    if (m_type == 0)
        applyFontType();
    connect(TStyleSheet::instance(), &TStyleSheet::styleSheetChanged, this, &TTouchListColumnDesc::refreshFonts);
}

void TTouchListColumnDesc::setFontType(int fontType)
{
    m_fontType = fontType;
    applyFontType();
}

void TTouchListColumnDesc::applyFontType()
{
    static const int sizes[] = {10, 12, 18, 24};
    if (m_fontType < 0 || m_fontType > 7)
        m_font = namedFont("default normal", 18);
    else
        m_font = namedFont(m_fontType < 4 ? "default normal" : "default mono", sizes[m_fontType % 4]);
}

void TTouchListColumnDesc::refreshFonts(const QString &)
{
    // A new sheet may bring new named fonts; the column keeps the kind it was given.
    if (m_type == 0)
        applyFontType();
}
