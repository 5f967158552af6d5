#pragma once

#include "tabstracttouchlist.h"

#include <QFont>
#include <QFontMetrics>
#include <QPointer>

class QWidget;

// Touch list of named values in groups: each row is one group with an
// optional heading, its property names right-aligned in a name column and
// the values word-wrapped in a value column.
class TPropertiesTouchList : public TAbstractTouchList
{
    Q_OBJECT
public:
    explicit TPropertiesTouchList(QWidget *parent = nullptr);
    ~TPropertiesTouchList() override;

    void setWidth(int width) override;
    void setNameColumnWidth(int width);

    int listWidth() const { return m_listWidth; }
    int nameColumnWidth() const { return m_nameColumnWidth; }
    int valueColumnWidth() const { return m_valueColumnWidth; }
    int columnGap() const { return m_columnGap; }
    int verticalPadding() const { return m_verticalPadding; }

    const QFont &groupHeadingFont() const { return m_groupHeadingFont; }
    const QFont &propertyNameFont() const { return m_propertyNameFont; }
    const QFont &propertyValueFont() const { return m_propertyValueFont; }
    const QFont &pendingFont() const { return m_pendingFont; }
    const QFontMetrics &groupHeadingMetrics() const { return m_groupHeadingMetrics; }
    const QFontMetrics &propertyNameMetrics() const { return m_propertyNameMetrics; }
    const QFontMetrics &propertyValueMetrics() const { return m_propertyValueMetrics; }
    const QFontMetrics &pendingMetrics() const { return m_pendingMetrics; }

    // Palettes of the hidden style probes ("propertyGroupHeading", "propertyHeading", "propertyValue").
    QPalette groupHeadingPalette() const;
    QPalette headingPalette() const;
    QPalette valuePalette() const;

private:
    QWidget *makeProbe(QWidget *parent, const char *name);

    QFont m_groupHeadingFont;
    QFont m_propertyNameFont;
    QFont m_propertyValueFont;
    QFont m_pendingFont;
    QFontMetrics m_groupHeadingMetrics;
    QFontMetrics m_propertyNameMetrics;
    QFontMetrics m_propertyValueMetrics;
    QFontMetrics m_pendingMetrics;
    QPointer<QWidget> m_groupHeadingProbe;
    QPointer<QWidget> m_headingProbe;
    QPointer<QWidget> m_valueProbe;
    bool m_ownsProbes;
    int m_listWidth = 210;
    int m_nameColumnWidth = 100;
    int m_valueColumnWidth = 100;
    int m_columnGap = 10;
    int m_verticalPadding = 20;
    qreal m_nameColumnFactor = 0.5;
};
