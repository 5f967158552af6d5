#include "tviewport.h"

#include "guiapp.h"
#include "tkineticscroller.h"
#include "tmainwindow.h"
#include "tmousedraggesture.h"

#include <QAbstractScrollArea>
#include <QDebug>
#include <QGestureEvent>
#include <QScrollBar>
#include <QSwipeGesture>

namespace {
TKineticScroller::SwipeClock &viewportSwipeClock()
{
    static TKineticScroller::SwipeClock clock;
    return clock;
}
} // namespace

TViewPort::TViewPort(QAbstractScrollArea *owner)
    : QWidget(owner)
    , m_owner(owner)
    , m_scrollBar(owner->verticalScrollBar())
    , m_scroller(new TKineticScroller(owner->verticalScrollBar(), this))
{
    connect(m_scroller, &TKineticScroller::finished, this, &TViewPort::handleScrollAnimationFinished);
}

Qt::GestureType TViewPort::dragGestureType()
{
    return Qt::GestureType(0);
}

bool TViewPort::isScrollAnimationRunning() const
{
    return m_scroller->isRunning();
}

bool TViewPort::event(QEvent *event)
{
    if (event->type() == QEvent::Gesture)
        return gestureEvent(static_cast<QGestureEvent *>(event));
    return QWidget::event(event);
}

bool TViewPort::gestureEvent(QGestureEvent *event)
{
    if (QGesture *swipe = event->gesture(Qt::SwipeGesture))
        swipeTriggered(static_cast<QSwipeGesture *>(swipe));
    else if (dragGestureType() != Qt::GestureType(0))
        if (QGesture *drag = event->gesture(dragGestureType()))
            dragTriggered(static_cast<TMouseDragGesture *>(drag));
    return true;
}

void TViewPort::swipeTriggered(QSwipeGesture *gesture)
{
    qDebug() << "TViewPort::swipeTriggered:" << gesture->verticalDirection() << gesture->state();
    if (gesture->state() != Qt::GestureFinished)
        return;
    if (gesture->verticalDirection() == QSwipeGesture::Down)
        swipeScroll(1);
    else if (gesture->verticalDirection() == QSwipeGesture::Up)
        swipeScroll(-1);
}

void TViewPort::swipeScroll(int direction)
{
    if (m_scroller->swipe(direction, height(), viewportSwipeClock()))
        if (TMainWindow *main = TMainWindow::instance())
            main->addAnimatingWidget(this, SLOT(instantScrollAnimationEnd()));
}

void TViewPort::dragTriggered(TMouseDragGesture *gesture)
{
    qDebug() << "TViewPort::dragTriggered:" << gesture->state() << gesture->verticalOffset();
    switch (gesture->state()) {
    case Qt::GestureStarted:
        grabMouse();
        if (auto *app = qobject_cast<GuiApp *>(QCoreApplication::instance()))
            app->cancelMousePress();
        Q_FALLTHROUGH();
    case Qt::GestureUpdated:
        m_scrollBar->setValue(qBound(m_scrollBar->minimum(), m_scrollBar->value() + gesture->verticalOffset(),
                                     m_scrollBar->maximum()));
        break;
    case Qt::GestureFinished:
    case Qt::GestureCanceled:
        releaseMouse();
        break;
    default:
        break;
    }
}

void TViewPort::handleScrollAnimationFinished()
{
    if (TMainWindow *main = TMainWindow::instance())
        main->removeAnimatingWidget(this, SLOT(instantScrollAnimationEnd()));
}

void TViewPort::instantScrollAnimationEnd()
{
    if (!m_scroller->isRunning())
        return;
    m_scroller->stop();
    handleScrollAnimationFinished();
}

void TViewPort::hideEvent(QHideEvent *event)
{
    instantScrollAnimationEnd();
    QWidget::hideEvent(event);
}
