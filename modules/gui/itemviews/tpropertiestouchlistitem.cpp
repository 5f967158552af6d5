#include "tpropertiestouchlistitem.h"

#include "tpropertiestouchlist.h"
#include "tstylesheet.h"

#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QPropertyAnimation>
#include <QStyle>

QString TPropertiesTouchListItem::PropertyRow::displayText() const
{
    if (!hasValue)
        return QCoreApplication::translate("TPropertiesTouchListItem", "Update pending");
    if (value.isEmpty())
        return QStringLiteral("-");
    return value;
}

TPropertiesTouchListItem::TPropertiesTouchListItem(TPropertiesTouchList *list, int id, const QString &heading,
                                                   bool expandable)
    : TAbstractTouchListItem(list, id, false, false)
    , m_propertiesList(list)
    , m_heading(heading)
    , m_expandable(expandable)
    , m_collapsed(expandable)
    , m_visableFactor(expandable ? 0.0 : 1.0)
{
    if (m_expandable) {
        m_animation = new QPropertyAnimation(this, "visableFactor", this);
        m_animation->setEasingCurve(QEasingCurve::InOutQuad);
    }
}

int TPropertiesTouchListItem::lineHeight() const
{
    return m_propertiesList->propertyValueMetrics().lineSpacing() + 2;
}

int TPropertiesTouchListItem::wrappedHeight(const PropertyRow &row) const
{
    // The drawn text is measured, so that an empty value ("-") and a pending
    // row keep their line.
    const QRect bounds = m_propertiesList->propertyValueMetrics().boundingRect(
        QRect(0, 0, m_propertiesList->valueColumnWidth(), 10000), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
        row.displayText());
    return bounds.height() + 2;
}

void TPropertiesTouchListItem::recomputeHeights()
{
    m_fullRowsHeight = 0;
    for (PropertyRow &row : m_rows) {
        row.height = wrappedHeight(row);
        m_fullRowsHeight += row.height;
    }
}

void TPropertiesTouchListItem::setProperty(int row, const QString &name, const QString &value)
{
    if (row < 0)
        return;
    while (m_rows.size() <= row)
        m_rows.append(PropertyRow());
    PropertyRow &target = m_rows[row];
    const int oldHeight = target.height;
    target.name = name;
    target.value = value;
    target.hasValue = true;
    target.height = m_visableFactor != 0.0 ? wrappedHeight(target) : lineHeight();
    m_fullRowsHeight += target.height - oldHeight;
}

void TPropertiesTouchListItem::setPropertyName(int row, const QString &name)
{
    if (row < 0)
        return;
    while (m_rows.size() <= row)
        m_rows.append(PropertyRow());
    PropertyRow &target = m_rows[row];
    const int oldHeight = target.height;
    target.name = name;
    target.value.clear();
    target.hasValue = false;
    target.height = lineHeight();
    m_fullRowsHeight += target.height - oldHeight;
}

bool TPropertiesTouchListItem::isAnimating() const
{
    return m_animation && m_animation->state() == QAbstractAnimation::Running;
}

void TPropertiesTouchListItem::setCollapsed(bool collapsed, bool animated)
{
    if (!m_expandable || collapsed == m_collapsed)
        return;
    m_collapsed = collapsed;
    m_animation->stop();
    if (animated) {
        const int h = rowsHeight();
        m_animation->setStartValue(m_visableFactor);
        if (collapsed) {
            m_animation->setEndValue(0.0);
            m_animation->setDuration(qMax(0, (h - 10) + 200));
        } else {
            m_animation->setEndValue(1.0);
            m_animation->setDuration(qMax(0, (m_fullRowsHeight - h) + 200));
            m_propertiesList->setTrackedItem(this);
        }
        m_animation->start();
    } else {
        // At once and without a signal; heights follow the open state.
        if (!collapsed && m_visableFactor == 0.0)
            recomputeHeights();
        m_visableFactor = collapsed ? 0.0 : 1.0;
    }
}

void TPropertiesTouchListItem::setVisableFactor(qreal factor)
{
    if (factor == m_visableFactor)
        return;
    if (m_visableFactor == 0.0 && factor > 0.0)
        recomputeHeights();
    m_visableFactor = qBound(0.0, factor, 1.0);
    emitUpdated();
}

int TPropertiesTouchListItem::rowsHeight() const
{
    if (m_expandable && m_visableFactor < 1.0)
        return qMax(10, qRound((m_fullRowsHeight - 10) * m_visableFactor) + 10);
    return qMax(10, m_fullRowsHeight);
}

int TPropertiesTouchListItem::headingHeight() const
{
    return m_heading.isEmpty() ? 0 : m_propertiesList->groupHeadingMetrics().lineSpacing();
}

int TPropertiesTouchListItem::height()
{
    return m_propertiesList->verticalPadding() + headingHeight() + rowsHeight();
}

void TPropertiesTouchListItem::setWidth(int)
{
    if (m_visableFactor != 0.0)
        recomputeHeights();
}

QRect TPropertiesTouchListItem::headingArea(const QRect &rowRect) const
{
    const QPixmap expand = TStyleSheet::instance()->getButtonPixmap(QStringLiteral("zkgui_expand"), 0, true);
    const int headingWidth = m_propertiesList->groupHeadingMetrics().horizontalAdvance(m_heading);
    const int left = rowRect.left() + qMax(0, m_propertiesList->nameColumnWidth() - headingWidth);
    return QRect(left, rowRect.top(), headingWidth + expand.width(), expand.height());
}

bool TPropertiesTouchListItem::press(const QPoint &pos, const QRect &rowRect)
{
    if (m_enabled && m_expandable && headingArea(rowRect).contains(pos)) {
        m_headingPressed = true;
        emitUpdated();
    }
    return m_headingPressed;
}

void TPropertiesTouchListItem::release(bool click, QPoint)
{
    if (!m_headingPressed)
        return;
    m_headingPressed = false;
    if (click)
        setCollapsed(!m_collapsed, true);
    emitUpdated();
}

int TPropertiesTouchListItem::valueRowAt(const QPoint &pos, const QRect &rowRect) const
{
    const int x = m_propertiesList->nameColumnWidth() + m_propertiesList->columnGap();
    int y = rowRect.top() + m_propertiesList->verticalPadding() / 2 + headingHeight();
    for (int i = 0; i < m_rows.size(); ++i) {
        const PropertyRow &row = m_rows[i];
        const int w = m_propertiesList->propertyValueMetrics().horizontalAdvance(row.displayText());
        if (QRect(x, y, w, row.height).contains(pos))
            return i;
        y += row.height;
    }
    return -1;
}

QString TPropertiesTouchListItem::toolTipText(const QPoint &pos, const QRect &rowRect)
{
    if (!m_enabled || !m_expandable)
        return QString();
    if (headingArea(rowRect).contains(pos))
        return m_collapsed ? tr("Show properties") : tr("hide properties");
    if (!m_collapsed && valueRowAt(pos, rowRect) >= 0)
        return tr("Right-click to copy\nvalue to clipboard");
    return QString();
}

void TPropertiesTouchListItem::rightPress(const QPoint &pos, const QRect &rowRect)
{
    if (m_collapsed)
        return;
    const int row = valueRowAt(pos, rowRect);
    if (row >= 0)
        QApplication::clipboard()->setText(m_rows[row].displayText());
}

void TPropertiesTouchListItem::paint(TTouchListPaintContext *context, const QRect &rowRect, const QPalette &)
{
    QPainter *painter = context->painter;
    QStyle *style = context->style;
    TPropertiesTouchList *list = m_propertiesList;
    const QPalette groupPalette = list->groupHeadingPalette();
    const QPalette namePalette = list->headingPalette();
    const QPalette valuePalette = list->valuePalette();
    const QFont savedFont = painter->font();

    const int y0 = rowRect.top() + list->verticalPadding() / 2 + headingHeight();
    const int nameWidth = list->nameColumnWidth();

    // Names, on the baseline of their values.
    painter->setFont(list->propertyNameFont());
    int y = y0 + (list->propertyValueMetrics().ascent() - list->propertyNameMetrics().ascent());
    const int nameLine = list->propertyNameMetrics().lineSpacing();
    for (const PropertyRow &row : m_rows) {
        QRect r(rowRect.left(), y, nameWidth, nameLine);
        const bool last = r.bottom() >= rowRect.bottom();
        if (last)
            r.setBottom(rowRect.bottom());
        style->drawItemText(painter, r, Qt::AlignRight | Qt::AlignTop, namePalette, true,
                            list->propertyNameMetrics().elidedText(row.name, Qt::ElideRight, nameWidth),
                            QPalette::Text);
        if (last)
            break;
        y += row.height;
    }

    // Values.
    const int x = rowRect.left() + nameWidth + list->columnGap();
    const int valueWidth = list->valueColumnWidth();
    y = y0;
    for (const PropertyRow &row : m_rows) {
        QRect r(x, y, valueWidth, row.height);
        const bool last = r.bottom() >= rowRect.bottom();
        if (last)
            r.setBottom(rowRect.bottom());
        if (row.hasValue) {
            painter->setFont(list->propertyValueFont());
            style->drawItemText(painter, r, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, valuePalette, true,
                                row.displayText(), QPalette::Text);
        } else {
            painter->setFont(list->pendingFont());
            r.translate(0, list->propertyValueMetrics().ascent() - list->pendingMetrics().ascent());
            style->drawItemText(painter, r, Qt::AlignLeft | Qt::AlignTop, valuePalette, true,
                                list->pendingMetrics().elidedText(row.displayText(), Qt::ElideRight, valueWidth),
                                QPalette::Text);
        }
        if (last)
            break;
        y += row.height;
    }

    // The group fades out downwards while it is not fully open.
    if (m_visableFactor < 1.0) {
        const int offset = qRound((1.0 - m_visableFactor) * 30);
        const QPixmap fade = TStyleSheet::instance()->getPixmap(QStringLiteral("zkgui_fade_border_bottom_20"), true);
        const int top = rowRect.bottom() + 5 - offset - 19;
        painter->drawPixmap(QRect(QPoint(rowRect.left(), top), QPoint(rowRect.right(), rowRect.bottom() + 5)), fade);
    }

    const int state = (m_collapsed ? 0 : 2) + (m_headingPressed ? 1 : 0);
    const QPixmap expand = TStyleSheet::instance()->getButtonPixmap(QStringLiteral("zkgui_expand"), state, true);
    const bool showExpand = m_enabled && m_expandable;
    if (!m_heading.isEmpty()) {
        painter->setFont(list->groupHeadingFont());
        const int headingWidth = list->groupHeadingMetrics().horizontalAdvance(m_heading);
        const QRect r(rowRect.left(), rowRect.top() + list->verticalPadding() / 2, qMax(nameWidth, headingWidth),
                      list->groupHeadingMetrics().lineSpacing());
        style->drawItemText(painter, r, Qt::AlignRight | Qt::AlignTop, groupPalette, true, m_heading,
                            QPalette::Text);
        if (showExpand)
            painter->drawPixmap(r.right() + 1, rowRect.top(), expand);
    } else if (showExpand) {
        painter->drawPixmap(rowRect.left() + nameWidth, rowRect.top(), expand);
    }
    painter->setFont(savedFont);
}
