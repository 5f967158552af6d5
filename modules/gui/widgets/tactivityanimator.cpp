#include "tactivityanimator.h"

#include "tactivitywidget.h"

#include <QDebug>
#include <QPropertyAnimation>

TActivityAnimator::TActivityAnimator()
{
    m_animation = new QPropertyAnimation(this, "angle", this);
    m_animation->setDuration(1500);
    m_animation->setStartValue(360.0);
    m_animation->setEndValue(0.0);
    m_animation->setLoopCount(-1);
}

TActivityAnimator *TActivityAnimator::instance()
{
    static TActivityAnimator *animator = new TActivityAnimator;
    return animator;
}

void TActivityAnimator::setBusy(TActivityWidget *widget)
{
    m_widgets.append(widget);
    if (m_animation->state() == QAbstractAnimation::Paused) {
        qDebug() << "TActivityAnimator::setBusy: Resume";
        m_animation->resume();
    } else if (m_animation->state() == QAbstractAnimation::Stopped) {
        qDebug() << "TActivityAnimator::setBusy: Start";
        m_animation->start();
    }
}

void TActivityAnimator::clearBusy(TActivityWidget *widget)
{
    m_widgets.removeAll(widget);
    if (m_widgets.isEmpty() && m_animation->state() == QAbstractAnimation::Running) {
        qDebug() << "TActivityAnimator::clearBusy: Pause";
        m_animation->pause();
    }
}

void TActivityAnimator::setAngle(qreal angle)
{
    m_angle = angle;
    for (TActivityWidget *widget : qAsConst(m_widgets))
        widget->update();
}
