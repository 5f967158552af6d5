#include "twebview.h"

#include "tmainwindow.h"
#include "twebviewscroll.h"

#include <QDateTime>
#include <QDebug>
#include <QGestureEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QSequentialAnimationGroup>
#include <QWebFrame>

TWebView::TWebView(TWebViewScroll *parent)
    : QWebView(parent)
    , m_scrollBar(parent->verticalScrollBar())
{
    setFocusPolicy(Qt::NoFocus);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform
                   | QPainter::HighQualityAntialiasing);
    m_eased = new QPropertyAnimation(m_scrollBar, "value", this);
    m_eased->setEasingCurve(QEasingCurve::OutQuad);
    m_linear = new QPropertyAnimation(m_scrollBar, "value", this);
    m_linear->setEasingCurve(QEasingCurve::Linear);
    m_group = new QSequentialAnimationGroup(this);
    m_group->addAnimation(m_linear);
    m_group->addAnimation(m_eased);
    connect(m_group, &QAbstractAnimation::finished, this, &TWebView::handleScrollAnimationFinished);
}

void TWebView::stopScrollAnimation()
{
    m_group->stop();
    if (TMainWindow *main = TMainWindow::instance())
        main->removeAnimatingWidget(this, SLOT(instantScrollAnimationEnd()));
}

void TWebView::instantScrollAnimationEnd()
{
    if (m_group->state() == QAbstractAnimation::Running)
        stopScrollAnimation();
}

void TWebView::handleScrollAnimationFinished()
{
    if (TMainWindow *main = TMainWindow::instance())
        main->removeAnimatingWidget(this, SLOT(instantScrollAnimationEnd()));
}

bool TWebView::event(QEvent *event)
{
    if (event->type() == QEvent::Gesture)
        return gestureEvent(static_cast<QGestureEvent *>(event));
    return QWebView::event(event);
}

bool TWebView::gestureEvent(QGestureEvent *event)
{
    if (QGesture *swipe = event->gesture(Qt::SwipeGesture))
        swipeTriggered(static_cast<QSwipeGesture *>(swipe));
    else if (!event->gestures().isEmpty())
        dragTriggered(event->gestures().first());
    return true;
}

void TWebView::swipeTriggered(QSwipeGesture *gesture)
{
    static bool firstSwipe = true;
    static qint64 lastTime = 0;
    static int lastDirection = QSwipeGesture::NoDirection;
    qDebug() << "TWebView::swipeTriggered" << gesture->verticalDirection() << gesture->state();
    if (gesture->state() != Qt::GestureFinished)
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const int direction = gesture->verticalDirection();
    const bool fast = !firstSwipe && now - lastTime < 750 && direction == lastDirection;
    firstSwipe = false;
    lastTime = now;
    lastDirection = direction;
    const int p = m_scrollBar->sliderPosition();
    int target;
    if (direction == QSwipeGesture::Down)
        target = fast ? m_scrollBar->maximum() : qMin(m_scrollBar->maximum(), p + (height() - 50));
    else if (direction == QSwipeGesture::Up)
        target = fast ? m_scrollBar->minimum() : qMax(m_scrollBar->minimum(), p - (height() - 50));
    else
        return;
    m_group->stop();
    if (target == p)
        return;
    const int d = qAbs(target - p);
    const int sign = target > p ? 1 : -1;
    if (d > 500) {
        m_linear->setDuration(d - 500);
        m_linear->setStartValue(p);
        m_linear->setEndValue(target - sign * 500);
        m_eased->setDuration(1200);
        m_eased->setStartValue(target - sign * 500);
        m_eased->setEndValue(target);
    } else {
        m_linear->setDuration(0);
        m_linear->setStartValue(p);
        m_linear->setEndValue(p);
        m_eased->setDuration(2 * d + 200);
        m_eased->setStartValue(p);
        m_eased->setEndValue(target);
    }
    if (TMainWindow *main = TMainWindow::instance())
        main->addAnimatingWidget(this, SLOT(instantScrollAnimationEnd()));
    m_group->start();
}

void TWebView::dragTriggered(QGesture *gesture)
{
    const int offset = gesture->property("offset").toPoint().y();
    qDebug() << "TWebView::dragTriggered" << gesture->state() << offset;
    if (gesture->state() != Qt::GestureStarted && gesture->state() != Qt::GestureUpdated)
        return;
    page()->mainFrame()->scroll(0, offset);
    m_dragged = true;
    QMouseEvent move(QEvent::MouseMove, QPoint(-1, -1), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QWebView::mouseMoveEvent(&move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPoint(m_pressX, m_pressY), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QWebView::mouseMoveEvent(&release);
}

void TWebView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragged = false;
        m_pressX = event->pos().x();
        m_pressY = event->pos().y();
    }
    if (m_group->state() == QAbstractAnimation::Running) {
        stopScrollAnimation();
        event->accept();
        return;
    }
    QWebView::mousePressEvent(event);
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

void TWebView::hideEvent(QHideEvent *event)
{
    if (m_group->state() == QAbstractAnimation::Running)
        stopScrollAnimation();
    QWebView::hideEvent(event);
}
