#include "twebview.h"

#include "guiapp.h"
#include "tmainwindow.h"
#include "tmousedraggesture.h"
#include "tscrollanimation.h"
#include "tviewport.h"
#include "twebviewscroll.h"

#include <QDebug>
#include <QGestureEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSequentialAnimationGroup>

namespace {
const char instantEndSlot[] = "1instantScrollAnimationEnd()";

// Swipes handled by any web view.
TScrollAnimation::SwipeClock &webSwipeClock()
{
    static TScrollAnimation::SwipeClock clock;
    return clock;
}
} // namespace

TWebView::TWebView(TWebViewScroll *parent)
    : QWebView(parent)
    , m_scrollBar(parent->verticalScrollBar())
{
    setFocusPolicy(Qt::NoFocus);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    m_scroll = new TScrollAnimation(m_scrollBar, this);
    connect(m_scroll->scrollGroup(), &QAbstractAnimation::finished, this, &TWebView::handleScrollAnimationFinished);
    TViewPort::grabFingerGestures(this);
}

QPropertyAnimation *TWebView::easeAnimation() const
{
    return m_scroll->easeAnimation();
}

QPropertyAnimation *TWebView::linearAnimation() const
{
    return m_scroll->linearAnimation();
}

QSequentialAnimationGroup *TWebView::scrollGroup() const
{
    return m_scroll->scrollGroup();
}

bool TWebView::event(QEvent *event)
{
    if (event->type() == QEvent::Gesture)
        return gestureEvent(static_cast<QGestureEvent *>(event));
    return QWebView::event(event);
}

bool TWebView::gestureEvent(QGestureEvent *event)
{
    return TViewPort::dispatchFingerGestures(
        event, [this](TMouseDragGesture *drag) { dragTriggered(drag); },
        [this](QSwipeGesture *swipe) { swipeTriggered(swipe); });
}

void TWebView::swipeTriggered(QSwipeGesture *gesture)
{
    qDebug() << "TWebView::swipeTriggered" << gesture->verticalDirection() << gesture->state();
    if (gesture->state() != Qt::GestureFinished)
        return;
    const bool repeated = webSwipeClock().swipe(gesture->verticalDirection());
    m_scroll->stop();
    if (!m_scroll->prepareSwipe(gesture->verticalDirection(), repeated, height()))
        return;
    if (TMainWindow *main = TMainWindow::instance())
        main->addAnimatingWidget(this, instantEndSlot);
    m_scroll->scrollGroup()->start();
}

void TWebView::dragTriggered(TMouseDragGesture *gesture)
{
    qDebug() << "TWebView::dragTriggered" << gesture->state() << gesture->verticalOffset();
    if (gesture->state() != Qt::GestureStarted && gesture->state() != Qt::GestureUpdated)
        return;
    // The page follows the scroll bar, which keeps the range and the fades right.
    m_scroll->dragBy(gesture->verticalOffset());
    if (!m_dragged) {
        m_dragged = true;
        // The page drops the press it received, so no link is followed.
        QMouseEvent away(QEvent::MouseMove, QPointF(-1, -1), QPointF(-1, -1), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QWebView::mouseMoveEvent(&away);
        if (GuiApp *app = GuiApp::instance())
            app->cancelMousePress();
    }
}

void TWebView::handleScrollAnimationFinished()
{
    if (TMainWindow *main = TMainWindow::instance())
        main->removeAnimatingWidget(this, instantEndSlot);
}

void TWebView::instantScrollAnimationEnd()
{
    if (!m_scroll->isRunning())
        return;
    m_scroll->stop();
    handleScrollAnimationFinished();
}

void TWebView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragged = false;
        m_pressPos = event->pos();
        if (m_scroll->isRunning()) {
            // A touch on a scrolling page only stops it.
            instantScrollAnimationEnd();
            return;
        }
    }
    QWebView::mousePressEvent(event);
}

void TWebView::hideEvent(QHideEvent *event)
{
    instantScrollAnimationEnd();
    QWebView::hideEvent(event);
}

void TWebView::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

static bool isScrollKey(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
}

void TWebView::keyPressEvent(QKeyEvent *event)
{
    if (isScrollKey(event->key())) {
        event->ignore();
        return;
    }
    QWebView::keyPressEvent(event);
}

void TWebView::keyReleaseEvent(QKeyEvent *event)
{
    if (isScrollKey(event->key())) {
        event->ignore();
        return;
    }
    QWebView::keyReleaseEvent(event);
}
