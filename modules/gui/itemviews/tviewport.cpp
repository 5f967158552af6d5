#include "tviewport.h"

#include "guiapp.h"
#include "tflickgesturerecognizer.h"
#include "tmainwindow.h"
#include "tmousedraggesture.h"
#include "tmousedraggesturerecognizer.h"
#include "tscrollanimation.h"

#include <QAbstractScrollArea>
#include <QDebug>
#include <QGestureEvent>
#include <QScrollBar>
#include <QSequentialAnimationGroup>

namespace {
const char instantEndSlot[] = "1instantScrollAnimationEnd()";

// Swipes handled by any viewport, apart from those of the touch lists.
TScrollAnimation::SwipeClock &viewportSwipeClock()
{
    static TScrollAnimation::SwipeClock clock;
    return clock;
}
} // namespace

Qt::GestureType TViewPort::dragGestureType()
{
    static const Qt::GestureType type = QGestureRecognizer::registerRecognizer(new TMouseDragGestureRecognizer);
    return type;
}

Qt::GestureType TViewPort::flickGestureType()
{
    static const Qt::GestureType type = QGestureRecognizer::registerRecognizer(new TFlickGestureRecognizer);
    return type;
}

void TViewPort::grabFingerGestures(QWidget *widget)
{
    widget->grabGesture(dragGestureType());
    widget->grabGesture(flickGestureType());
}

QSwipeGesture *TViewPort::swipeOf(QGestureEvent *event)
{
    if (auto *swipe = static_cast<QSwipeGesture *>(event->gesture(Qt::SwipeGesture)))
        return swipe;
    return static_cast<QSwipeGesture *>(event->gesture(flickGestureType()));
}

bool TViewPort::dispatchFingerGestures(QGestureEvent *event, const std::function<void(TMouseDragGesture *)> &onDrag,
                                       const std::function<void(QSwipeGesture *)> &onSwipe)
{
    if (auto *drag = static_cast<TMouseDragGesture *>(event->gesture(dragGestureType()))) {
        event->accept(drag);
        onDrag(drag);
    }
    if (QSwipeGesture *swipe = swipeOf(event)) {
        event->accept(swipe);
        onSwipe(swipe);
    }
    event->accept();
    return true;
}

TViewPort::TViewPort(QAbstractScrollArea *owner)
    : QWidget(owner)
    , m_owner(owner)
    , m_scrollBar(owner->verticalScrollBar())
{
    m_scroll = new TScrollAnimation(m_scrollBar, this);
    connect(m_scroll->scrollGroup(), &QAbstractAnimation::finished, this, &TViewPort::handleScrollAnimationFinished);
    grabFingerGestures(this);
}

QPropertyAnimation *TViewPort::easeAnimation() const
{
    return m_scroll->easeAnimation();
}

QPropertyAnimation *TViewPort::linearAnimation() const
{
    return m_scroll->linearAnimation();
}

QSequentialAnimationGroup *TViewPort::scrollGroup() const
{
    return m_scroll->scrollGroup();
}

bool TViewPort::event(QEvent *event)
{
    if (event->type() == QEvent::Gesture)
        return gestureEvent(static_cast<QGestureEvent *>(event));
    return QWidget::event(event);
}

bool TViewPort::gestureEvent(QGestureEvent *event)
{
    return dispatchFingerGestures(
        event, [this](TMouseDragGesture *drag) { dragTriggered(drag); },
        [this](QSwipeGesture *swipe) { swipeTriggered(swipe); });
}

void TViewPort::swipeTriggered(QSwipeGesture *gesture)
{
    qDebug() << "TViewPort::swipeTriggered" << gesture->verticalDirection() << gesture->state();
    if (gesture->state() != Qt::GestureFinished)
        return;
    const bool repeated = viewportSwipeClock().swipe(gesture->verticalDirection());
    instantScrollAnimationEnd();
    if (!m_scroll->prepareSwipe(gesture->verticalDirection(), repeated, height()))
        return;
    if (TMainWindow *main = TMainWindow::instance())
        main->addAnimatingWidget(this, instantEndSlot);
    // A press anywhere on the content stops the scroll and does nothing else.
    qApp->installEventFilter(this);
    m_scroll->scrollGroup()->start();
}

void TViewPort::dragTriggered(TMouseDragGesture *gesture)
{
    qDebug() << "TViewPort::dragTriggered" << gesture->state() << gesture->verticalOffset();
    switch (gesture->state()) {
    case Qt::GestureStarted:
        // The finger now scrolls: whatever it pressed lets go without a click,
        // and the rest of the stroke comes here.
        grabMouse();
        m_mouseGrabbed = true;
        if (GuiApp *app = GuiApp::instance())
            app->cancelMousePress();
        m_scroll->dragBy(gesture->verticalOffset());
        break;
    case Qt::GestureUpdated:
        m_scroll->dragBy(gesture->verticalOffset());
        break;
    case Qt::GestureFinished:
    case Qt::GestureCanceled:
        if (m_mouseGrabbed) {
            m_mouseGrabbed = false;
            releaseMouse();
        }
        break;
    default:
        break;
    }
}

void TViewPort::handleScrollAnimationFinished()
{
    qApp->removeEventFilter(this);
    if (TMainWindow *main = TMainWindow::instance())
        main->removeAnimatingWidget(this, instantEndSlot);
}

void TViewPort::instantScrollAnimationEnd()
{
    if (!m_scroll->isRunning())
        return;
    m_scroll->stop();
    handleScrollAnimationFinished();
}

bool TViewPort::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && m_scroll->isRunning() && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget == this || isAncestorOf(widget)) {
            instantScrollAnimationEnd();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TViewPort::hideEvent(QHideEvent *event)
{
    instantScrollAnimationEnd();
    if (m_mouseGrabbed) {
        m_mouseGrabbed = false;
        releaseMouse();
    }
    QWidget::hideEvent(event);
}
