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
        m_font = namedFont("default normal", 18);
    connect(TStyleSheet::instance(), &TStyleSheet::styleSheetChanged, this, &TTouchListColumnDesc::refreshFonts);
}

void TTouchListColumnDesc::setFontType(int fontType)
{
    static const int sizes[] = {10, 12, 18, 24};
    if (fontType < 0 || fontType > 7)
        m_font = namedFont("default normal", 18);
    else
        m_font = namedFont(fontType < 4 ? "default normal" : "default mono", sizes[fontType % 4]);
}

void TTouchListColumnDesc::refreshFonts(const QString &)
{
    if (m_type == 0)
        m_font = namedFont("default normal", 18);
}
