#include "tflashanimator.h"

#include <QPropertyAnimation>
#include <QSequentialAnimationGroup>
#include <QWidget>

TFlashAnimator::TFlashAnimator(QObject *parent)
    : QObject(parent)
    , m_fadeIn(new QPropertyAnimation(this, "opacity", this))
    , m_fadeOut(new QPropertyAnimation(this, "opacity", this))
    , m_group(new QSequentialAnimationGroup(this))
{
    m_fadeIn->setStartValue(0.0);
    m_fadeIn->setEndValue(1.0);
    m_fadeOut->setStartValue(1.0);
    m_fadeOut->setEndValue(0.0);
    m_group->addAnimation(m_fadeIn);
    m_group->addAnimation(m_fadeOut);
    m_group->setLoopCount(-1);
    connect(m_group, &QAbstractAnimation::currentLoopChanged, this, &TFlashAnimator::handleLoopChanged);
}

void TFlashAnimator::setOpacity(qreal value)
{
    m_opacity = value;
    for (const QPointer<QWidget> &w : qAsConst(m_running))
        if (w)
            w->update();
}

int TFlashAnimator::fadeDuration() const
{
    return m_fadeIn->duration();
}

void TFlashAnimator::addWidget(QWidget *widget)
{
    m_parked.removeAll(widget);
    if (!m_running.contains(widget))
        m_running.append(widget);
    switch (m_group->state()) {
    case QAbstractAnimation::Paused:
        m_group->resume();
        break;
    case QAbstractAnimation::Stopped:
        m_fadeIn->setDuration(120);
        m_fadeOut->setDuration(120);
        m_group->start();
        break;
    case QAbstractAnimation::Running:
        break;
    }
}

void TFlashAnimator::parkWidget(QWidget *widget)
{
    if (m_running.removeAll(widget) > 0)
        m_parked.append(widget);
    if (m_running.isEmpty()) {
        if (m_group->state() == QAbstractAnimation::Running)
            m_group->pause();
        setOpacity(0.0);
    }
}

void TFlashAnimator::removeWidget(QWidget *widget)
{
    m_running.removeAll(widget);
    m_parked.removeAll(widget);
    m_parked.removeAll(nullptr);
    if (m_running.isEmpty()) {
        if (!m_parked.isEmpty()) {
            if (m_group->state() == QAbstractAnimation::Running)
                m_group->pause();
        } else {
            m_group->stop();
        }
        setOpacity(0.0);
    }
}

void TFlashAnimator::handleLoopChanged(int loop)
{
    if (loop <= 0)
        return;
    m_group->stop();
    const int d = qMin(1000, m_fadeIn->duration() + m_fadeIn->duration() / 3);
    m_fadeIn->setDuration(d);
    m_fadeOut->setDuration(d);
    m_group->start();
}
