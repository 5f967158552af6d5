#include "ttouchlistview.h"

#include "tabstracttouchlist.h"
#include "tabstracttouchlistitem.h"
#include "tmainwindow.h"
#include "tmousedraggesture.h"
#include "tscrollanimation.h"
#include "tstylesheet.h"
#include "ttouchlistwidget.h"
#include "tviewport.h"

#include <QGestureEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSequentialAnimationGroup>
#include <QToolTip>

namespace {
QPoint toMainWindow(QWidget *widget, const QPoint &pos)
{
    if (TMainWindow *main = TMainWindow::instance())
        return main->mapToMainWindow(widget, pos);
    return QPoint(-1, -1);
}

const char instantEndSlot[] = "1instantScrollAnimationEnd()";

// Swipes handled by any touch list view.
TScrollAnimation::SwipeClock &listSwipeClock()
{
    static TScrollAnimation::SwipeClock clock;
    return clock;
}
} // namespace

TTouchListView::TTouchListView(TTouchListWidget *owner)
    : QWidget(owner->viewport())
    , m_owner(owner)
    , m_scrollBar(owner->verticalScrollBar())
{
    setFocusPolicy(Qt::TabFocus);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &TTouchListView::slicderValueChanged);
    m_scroll = new TScrollAnimation(m_scrollBar, this);
    connect(m_scroll->scrollGroup(), &QAbstractAnimation::finished, this,
            &TTouchListView::handleScrollAnimationFinished);
    m_scrollBar->setRange(0, 0);
    m_owner->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TViewPort::grabFingerGestures(this);
}

QPropertyAnimation *TTouchListView::easeAnimation() const
{
    return m_scroll->easeAnimation();
}

QPropertyAnimation *TTouchListView::linearAnimation() const
{
    return m_scroll->linearAnimation();
}

QSequentialAnimationGroup *TTouchListView::scrollGroup() const
{
    return m_scroll->scrollGroup();
}

void TTouchListView::setList(TAbstractTouchList *list)
{
    if (m_list && m_list != list)
        delete m_list;
    m_list = list;
    m_pressedRow = nullptr;
    m_selectedRow = nullptr;
    if (m_list) {
        setFocusPolicy(m_list->focusMode() != 0 ? Qt::TabFocus : Qt::NoFocus);
        m_list->setParent(this);
        setObjectName(m_list->name());
        connect(m_list, &TAbstractTouchList::updated, this, &TTouchListView::handleTouchListUpdated,
                Qt::UniqueConnection);
        m_list->setWidth(width());
    }
    handleTouchListUpdated();
}

int TTouchListView::indexOf(TAbstractTouchListItem *item) const
{
    return m_list ? m_list->items().indexOf(item) : -1;
}

void TTouchListView::clearTrackedItem()
{
    if (m_list && m_list->trackedItem())
        m_list->setTrackedItem(nullptr);
}

void TTouchListView::handleTouchListUpdated()
{
    m_totalHeight = m_list ? m_list->totalHeight() : 0;
    if (m_pressedRow && indexOf(m_pressedRow) < 0)
        m_pressedRow = nullptr;
    if (m_selectedRow && indexOf(m_selectedRow) < 0)
        m_selectedRow = nullptr;
    // The range is brought up to date before the tracked row is scrolled into
    // sight, so that a growing row at the end of the list can be followed.
    const int maximum = qMax(0, m_totalHeight - height());
    m_owner->setVerticalScrollBarPolicy(maximum < 1 ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    m_scrollBar->setRange(0, maximum);
    if (m_list && m_list->trackedItem())
        ensureVisible(m_list->trackedItem());
    update();
}

TAbstractTouchListItem *TTouchListView::itemAt(const QPoint &point, QRect *rect) const
{
    if (!m_list)
        return nullptr;
    int y = -m_scrollBar->value();
    for (TAbstractTouchListItem *item : m_list->items()) {
        const int h = item->height();
        const QRect r(0, y, width(), h);
        if (h > 0 && r.contains(point)) {
            if (rect)
                *rect = r;
            return item;
        }
        y += h;
    }
    return nullptr;
}

QRect TTouchListView::itemRect(TAbstractTouchListItem *item) const
{
    if (m_list) {
        int y = -m_scrollBar->value();
        for (TAbstractTouchListItem *row : m_list->items()) {
            if (row == item)
                return QRect(0, y, width(), row->height());
            y += row->height();
        }
    }
    return QRect(0, 0, -1, -1);
}

QList<TAbstractTouchListItem *> TTouchListView::fullyVisibleItems() const
{
    QList<TAbstractTouchListItem *> result;
    if (!m_list)
        return result;
    int y = -m_scrollBar->value();
    for (TAbstractTouchListItem *item : m_list->items()) {
        const int h = item->height();
        if (y >= 0) {
            if (y + h - 1 >= height())
                break;
            result << item;
        }
        y += h;
    }
    return result;
}

void TTouchListView::visibleRange(int &first, int &last) const
{
    first = last = -1;
    if (!m_list)
        return;
    int y = -m_scrollBar->value();
    const auto &items = m_list->items();
    for (int i = 0; i < items.count(); ++i) {
        const int h = items[i]->height();
        if (first < 0 && y >= 0) {
            first = last = i;
        } else if (first >= 0) {
            if (y + h - 1 < height())
                last = i;
            else
                break;
        }
        y += h;
    }
}

void TTouchListView::ensureVisible(TAbstractTouchListItem *item)
{
    m_inEnsureVisible = true;
    const QRect r = itemRect(item);
    if (r.isValid()) {
        int delta = 0;
        if (r.top() < visibilityMargin)
            delta = r.top() - visibilityMargin;
        if (r.top() > visibilityMargin && r.bottom() >= height() - visibilityMargin)
            delta = qMin(r.top(), r.bottom() - height() + visibilityMargin + 1);
        if (delta != 0)
            m_scrollBar->setValue(m_scrollBar->value() + delta);
    }
    if (m_list && item != m_list->trackedItem())
        clearTrackedItem();
    m_inEnsureVisible = false;
}

void TTouchListView::slicderValueChanged(int)
{
    if (!m_inEnsureVisible)
        clearTrackedItem();
    update();
}

bool TTouchListView::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        toolTipEvent(static_cast<QHelpEvent *>(event));
        return true;
    }
    if (event->type() == QEvent::Gesture)
        return gestureEvent(static_cast<QGestureEvent *>(event));
    return QWidget::event(event);
}

bool TTouchListView::gestureEvent(QGestureEvent *event)
{
    return TViewPort::dispatchFingerGestures(
        event, [this](TMouseDragGesture *drag) { dragTriggered(drag); },
        [this](QSwipeGesture *swipe) { swipeTriggered(swipe); });
}

void TTouchListView::swipeTriggered(QSwipeGesture *gesture)
{
    clearTrackedItem();
    if (gesture->state() != Qt::GestureFinished)
        return;
    const bool repeated = listSwipeClock().swipe(gesture->verticalDirection());
    m_scroll->stop();
    if (!m_scroll->prepareSwipe(gesture->verticalDirection(), repeated, height()))
        return;
    if (TMainWindow *main = TMainWindow::instance())
        main->addAnimatingWidget(this, instantEndSlot);
    m_scroll->scrollGroup()->start();
}

void TTouchListView::dragTriggered(TMouseDragGesture *gesture)
{
    clearTrackedItem();
    if (gesture->state() != Qt::GestureStarted && gesture->state() != Qt::GestureUpdated)
        return;
    m_scroll->dragBy(gesture->verticalOffset());
    if (m_pressedRow) {
        TAbstractTouchListItem *row = m_pressedRow;
        m_pressedRow = nullptr;
        row->release(false, QPoint(0, 0));
    }
}

void TTouchListView::handleScrollAnimationFinished()
{
    if (TMainWindow *main = TMainWindow::instance())
        main->removeAnimatingWidget(this, instantEndSlot);
}

void TTouchListView::instantScrollAnimationEnd()
{
    if (!m_scroll->isRunning())
        return;
    m_scroll->stop();
    handleScrollAnimationFinished();
}

void TTouchListView::hideEvent(QHideEvent *event)
{
    instantScrollAnimationEnd();
    QWidget::hideEvent(event);
}

void TTouchListView::toolTipEvent(QHelpEvent *event)
{
    QRect rect;
    TAbstractTouchListItem *item = itemAt(event->pos(), &rect);
    const QString text = item ? item->toolTipText(event->pos(), rect) : QString();
    if (!text.isEmpty())
        QToolTip::showText(event->globalPos(), text, this);
    else
        QToolTip::hideText();
}

void TTouchListView::mousePressEvent(QMouseEvent *event)
{
    clearTrackedItem();
    if (event->button() == Qt::LeftButton) {
        if (m_pressedRow)
            m_pressedRow->release(false, QPoint(0, 0));
        m_pressedRow = nullptr;
        if (m_selectedRow && m_selectedRow->isSelected()) {
            m_selectedRow->deselect();
            m_selectedRow = nullptr;
        }
        if (m_scroll->isRunning()) {
            // A touch on a scrolling list only stops it.
            instantScrollAnimationEnd();
        } else {
            m_pressPos = event->pos();
            QRect rect;
            m_pressedRow = itemAt(m_pressPos, &rect);
            if (m_pressedRow && !m_pressedRow->press(m_pressPos, rect))
                m_pressedRow = nullptr;
        }
    } else if (event->button() == Qt::RightButton) {
        m_pressPos = event->pos();
        QRect rect;
        m_pressedRow = itemAt(m_pressPos, &rect);
        if (m_pressedRow)
            m_pressedRow->rightPress(m_pressPos, rect);
    }
    QWidget::mousePressEvent(event);
}

void TTouchListView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressedRow) {
        const QPoint d = event->pos() - m_pressPos;
        if (qAbs(d.x()) >= tapSlop || qAbs(d.y()) >= tapSlop) {
            m_pressedRow->release(false, QPoint(0, 0));
            m_pressedRow = nullptr;
        }
    }
}

void TTouchListView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_pressedRow) {
        TAbstractTouchListItem *row = m_pressedRow;
        m_pressedRow = nullptr;
        row->release(true, toMainWindow(this, event->pos()));
    }
}

void TTouchListView::wheelEvent(QWheelEvent *event)
{
    clearTrackedItem();
    event->ignore();
}

bool TTouchListView::trySelect(TAbstractTouchListItem *item)
{
    if (!item->select())
        return false;
    if (m_selectedRow && m_selectedRow != item)
        m_selectedRow->deselect();
    m_selectedRow = item;
    return true;
}

void TTouchListView::moveSelection(int step)
{
    if (!m_selectedRow)
        return;
    const auto items = m_list->items();
    for (int i = indexOf(m_selectedRow) + step; i >= 0 && i < items.count(); i += step) {
        if (trySelect(items[i])) {
            ensureVisible(items[i]);
            return;
        }
    }
}

void TTouchListView::pageUp()
{
    int first, last;
    visibleRange(first, last);
    if (first < 0)
        return;
    const auto items = m_list->items();
    for (int i = first; i <= last; ++i) {
        if (items[i] == m_selectedRow)
            break;
        if (trySelect(items[i]))
            return;
    }
    int sum = 0;
    int target = first;
    for (int j = first - 1; j >= 0; --j) {
        sum += items[j]->height();
        if (sum > height())
            break;
        target = j;
    }
    if (target >= first)
        return;
    for (int i = target; i < first; ++i)
        if (trySelect(items[i]))
            break;
    ensureVisible(items[target]);
}

void TTouchListView::pageDown()
{
    int first, last;
    visibleRange(first, last);
    if (first < 0)
        return;
    const auto items = m_list->items();
    for (int i = last; i >= first; --i) {
        if (items[i] == m_selectedRow)
            break;
        if (trySelect(items[i]))
            return;
    }
    int sum = 0;
    int target = last;
    for (int j = last + 1; j < items.count(); ++j) {
        sum += items[j]->height();
        if (sum > height())
            break;
        target = j;
    }
    if (target <= last)
        return;
    for (int i = target; i > last; --i)
        if (trySelect(items[i]))
            break;
    ensureVisible(items[target]);
}

void TTouchListView::keyPressEvent(QKeyEvent *event)
{
    if (!m_list) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (m_selectedRow && m_selectedRow->isSelected() && m_selectedRow->keyPress(event)) {
        ensureVisible(m_selectedRow);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up:
        moveSelection(-1);
        break;
    case Qt::Key_Down:
        moveSelection(1);
        break;
    case Qt::Key_PageUp:
        pageUp();
        break;
    case Qt::Key_PageDown:
        pageDown();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TTouchListView::keyReleaseEvent(QKeyEvent *event)
{
    if (m_selectedRow && m_selectedRow->isSelected()) {
        QPoint point(0, 0);
        if (event->key() == Qt::Key_Space)
            point = toMainWindow(this, itemRect(m_selectedRow).center());
        if (m_selectedRow->keyRelease(event, point))
            return;
    }
    QWidget::keyReleaseEvent(event);
}

void TTouchListView::handleFocusIn(Qt::FocusReason reason)
{
    if (m_selectedRow && m_selectedRow->select())
        return;
    m_selectedRow = nullptr;
    if (!m_list)
        return;
    const auto items = m_list->items();
    const auto visible = fullyVisibleItems();
    if (reason == Qt::TabFocusReason) {
        int start = visible.isEmpty() ? 0 : qMax(0, items.indexOf(visible.first()));
        for (int i = start; i < items.count(); ++i)
            if (trySelect(items[i])) {
                ensureVisible(items[i]);
                return;
            }
    } else if (reason == Qt::BacktabFocusReason) {
        int start = visible.isEmpty() ? items.count() - 1 : items.indexOf(visible.last());
        if (start < 0)
            start = items.count() - 1;
        for (int i = start; i >= 0; --i)
            if (trySelect(items[i])) {
                ensureVisible(items[i]);
                return;
            }
    }
}

void TTouchListView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    handleFocusIn(event->reason());
}

void TTouchListView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    if (m_selectedRow && m_selectedRow->isSelected())
        m_selectedRow->deselect();
    m_selectedRow = nullptr;
}

bool TTouchListView::focusNextPrevChild(bool next)
{
    if (!m_selectedRow) {
        handleFocusIn(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return false;
    }
    const int mode = m_list ? m_list->focusMode() : 1;
    if (mode != 2 && mode != 3)
        return m_selectedRow->isSelected() ? false : m_selectedRow->select();
    const auto items = m_list->items();
    const int current = indexOf(m_selectedRow);
    const int step = next ? 1 : -1;
    for (int i = current + step; i >= 0 && i < items.count(); i += step)
        if (trySelect(items[i])) {
            ensureVisible(items[i]);
            return true;
        }
    if (mode == 2)
        return false;
    if (items.isEmpty())
        return false;
    ensureVisible(next ? items.first() : items.last());
    if (next) {
        for (int i = 0; i <= current; ++i)
            if (trySelect(items[i]))
                break;
    } else {
        for (int i = items.count() - 1; i >= current; --i)
            if (trySelect(items[i]))
                break;
    }
    return true;
}

void TTouchListView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_owner->palette().brush(QPalette::Window));
    if (!m_list)
        return;
    TTouchListPaintContext context{&painter, this, style()};
    const QPalette pal = palette();
    int y = -m_scrollBar->value();
    for (TAbstractTouchListItem *item : m_list->items()) {
        if (y >= height())
            break;
        const int h = item->height();
        const QRect rowRect(0, y, width(), h);
        if (rowRect.bottom() >= -1) {
            painter.save();
            item->paint(&context, rowRect, pal);
            painter.restore();
        }
        y += h;
    }
    if (m_scrollBar->value() > 0) {
        const QPixmap top = TStyleSheet::instance()->getPixmap(QStringLiteral("zkgui_fade_border_top_20"), true);
        painter.drawPixmap(QRect(0, 0, width(), top.height()), top);
    }
    if (m_scrollBar->value() < m_scrollBar->maximum()) {
        const QPixmap bottom = TStyleSheet::instance()->getPixmap(QStringLiteral("zkgui_fade_border_bottom_20"), true);
        painter.drawPixmap(QRect(0, height() - bottom.height(), width(), bottom.height()), bottom);
    }
}

void TTouchListView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_list)
        m_list->setWidth(width());
    handleTouchListUpdated();
    m_scrollBar->setPageStep(qMax(0, height() - 50));
    m_scrollBar->setSingleStep(50);
}
