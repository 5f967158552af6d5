#include "tkineticscroller.h"

#include <QPropertyAnimation>
#include <QScrollBar>
#include <QSequentialAnimationGroup>

TKineticScroller::TKineticScroller(QScrollBar *scrollBar, QObject *parent)
    : QObject(parent)
    , m_scrollBar(scrollBar)
    , m_ease(new QPropertyAnimation(scrollBar, "value", this))
    , m_linear(new QPropertyAnimation(scrollBar, "value", this))
    , m_group(new QSequentialAnimationGroup(this))
{
    m_ease->setEasingCurve(QEasingCurve::OutQuad);
    m_linear->setEasingCurve(QEasingCurve::Linear);
    m_group->addAnimation(m_linear);
    m_group->addAnimation(m_ease);
    connect(m_group, &QAbstractAnimation::finished, this, &TKineticScroller::finished);
}

bool TKineticScroller::swipe(int direction, int viewHeight, SwipeClock &clock)
{
    if (direction == 0)
        return false;
    const bool repeated = clock.lastSwipe.isValid() && clock.lastSwipe.elapsed() < 750
                          && clock.lastDirection == direction;
    clock.lastSwipe.start();
    clock.lastDirection = direction;

    m_group->stop();
    const int pos = m_scrollBar->value();
    int target;
    if (direction > 0)
        target = repeated ? m_scrollBar->maximum() : qMin(pos + (viewHeight - 50), m_scrollBar->maximum());
    else
        target = repeated ? m_scrollBar->minimum() : qMax(pos - (viewHeight - 50), m_scrollBar->minimum());
    if (target == pos)
        return false;
    const int d = qAbs(target - pos);
    if (d <= 500) {
        m_linear->setDuration(0);
        m_linear->setStartValue(pos);
        m_linear->setEndValue(pos);
        m_ease->setDuration(2 * d + 200);
        m_ease->setStartValue(pos);
        m_ease->setEndValue(target);
    } else {
        const int via = direction > 0 ? target - 500 : target + 500;
        m_linear->setDuration(d - 500);
        m_linear->setStartValue(pos);
        m_linear->setEndValue(via);
        m_ease->setDuration(1200);
        m_ease->setStartValue(via);
        m_ease->setEndValue(target);
    }
    m_group->start();
    return true;
}

bool TKineticScroller::isRunning() const
{
    return m_group->state() == QAbstractAnimation::Running;
}

void TKineticScroller::stop()
{
    m_group->stop();
}
