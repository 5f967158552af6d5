#include "tscrollanimation.h"

#include <QEasingCurve>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QSequentialAnimationGroup>

bool TScrollAnimation::SwipeClock::swipe(QSwipeGesture::SwipeDirection direction)
{
    const bool repeated = m_last.isValid() && m_last.elapsed() < repeatInterval && direction == m_direction;
    m_last.start();
    m_direction = direction;
    return repeated;
}

TScrollAnimation::TScrollAnimation(QScrollBar *scrollBar, QObject *parent)
    : QObject(parent)
    , m_scrollBar(scrollBar)
{
    m_ease = new QPropertyAnimation(scrollBar, "value", this);
    m_ease->setEasingCurve(QEasingCurve::OutQuad);
    m_linear = new QPropertyAnimation(scrollBar, "value", this);
    m_linear->setEasingCurve(QEasingCurve::Linear);
    m_group = new QSequentialAnimationGroup(this);
    m_group->addAnimation(m_linear);
    m_group->addAnimation(m_ease);
}

bool TScrollAnimation::isRunning() const
{
    return m_group->state() == QAbstractAnimation::Running;
}

void TScrollAnimation::stop()
{
    m_group->stop();
}

bool TScrollAnimation::prepareSwipe(QSwipeGesture::SwipeDirection direction, bool repeated, int viewHeight)
{
    const int pos = m_scrollBar->sliderPosition();
    // A view no higher than the margin has no page to turn.
    const int page = qMax(0, viewHeight - 50);
    int target;
    if (direction == QSwipeGesture::Down)
        target = repeated ? m_scrollBar->maximum() : qMin(pos + page, m_scrollBar->maximum());
    else if (direction == QSwipeGesture::Up)
        target = repeated ? m_scrollBar->minimum() : qMax(pos - page, m_scrollBar->minimum());
    else
        return false;
    if (target == pos)
        return false;
    const int distance = qAbs(target - pos);
    if (distance <= 500) {
        m_linear->setDuration(0);
        m_linear->setStartValue(pos);
        m_linear->setEndValue(pos);
        m_ease->setDuration(2 * distance + 200);
        m_ease->setStartValue(pos);
        m_ease->setEndValue(target);
    } else {
        const int handover = target > pos ? target - 500 : target + 500;
        m_linear->setDuration(distance - 500);
        m_linear->setStartValue(pos);
        m_linear->setEndValue(handover);
        m_ease->setDuration(1200);
        m_ease->setStartValue(handover);
        m_ease->setEndValue(target);
    }
    return true;
}

void TScrollAnimation::dragBy(int offset)
{
    const int value = m_scrollBar->sliderPosition() + offset;
    m_scrollBar->setValue(qBound(m_scrollBar->minimum(), value, m_scrollBar->maximum()));
}
