#include "tpropertiestouchlist.h"

#include <QApplication>
#include <QWidget>

namespace {
QFont namedFont(const char *family, int pointSize, bool bold = false, bool italic = false)
{
    QFont font = QApplication::font(family);
    font.setPointSize(pointSize);
    if (bold)
        font.setWeight(75);
    font.setItalic(italic);
    return font;
}
} // namespace

TPropertiesTouchList::TPropertiesTouchList(QWidget *parent)
    : TAbstractTouchList(parent, 1)
    , m_groupHeadingFont(namedFont("default normal", 16, true))
    , m_propertyNameFont(namedFont("default normal", 12))
    , m_propertyValueFont(namedFont("default mono", 12))
    , m_pendingFont(namedFont("default normal", 10, false, true))
    , m_groupHeadingMetrics(m_groupHeadingFont)
    , m_propertyNameMetrics(m_propertyNameFont)
    , m_propertyValueMetrics(m_propertyValueFont)
    , m_pendingMetrics(m_pendingFont)
    , m_ownsProbes(parent == nullptr)
{
    m_groupHeadingProbe = makeProbe(parent, "propertyGroupHeading");
    m_headingProbe = makeProbe(parent, "propertyHeading");
    m_valueProbe = makeProbe(parent, "propertyValue");
}

TPropertiesTouchList::~TPropertiesTouchList()
{
    if (m_ownsProbes) {
        delete m_groupHeadingProbe;
        delete m_headingProbe;
        delete m_valueProbe;
    }
}

QWidget *TPropertiesTouchList::makeProbe(QWidget *parent, const char *name)
{
    auto *probe = new QWidget(parent);
    probe->setObjectName(QLatin1String(name));
    probe->hide();
    return probe;
}

QPalette TPropertiesTouchList::groupHeadingPalette() const
{
    return m_groupHeadingProbe ? m_groupHeadingProbe->palette() : QPalette();
}

QPalette TPropertiesTouchList::headingPalette() const
{
    return m_headingProbe ? m_headingProbe->palette() : QPalette();
}

QPalette TPropertiesTouchList::valuePalette() const
{
    return m_valueProbe ? m_valueProbe->palette() : QPalette();
}

void TPropertiesTouchList::setWidth(int width)
{
    width = qMax(210, width);
    if (width != m_listWidth) {
        m_listWidth = width;
        if (m_nameColumnFactor > 0)
            m_nameColumnWidth = qMax(100, qRound((width - m_columnGap) * m_nameColumnFactor));
        m_valueColumnWidth = width < m_nameColumnWidth + m_columnGap + 100
                                 ? 100
                                 : width - m_nameColumnWidth - m_columnGap;
    }
    TAbstractTouchList::setWidth(m_listWidth);
}

void TPropertiesTouchList::setNameColumnWidth(int width)
{
    m_nameColumnFactor = 0;
    width = qMax(100, width);
    if (width != m_nameColumnWidth) {
        m_nameColumnWidth = width;
        m_valueColumnWidth = m_listWidth < m_columnGap + m_nameColumnWidth + 100
                                 ? 100
                                 : m_listWidth - m_columnGap - m_nameColumnWidth;
    }
    TAbstractTouchList::setWidth(m_listWidth);
}
