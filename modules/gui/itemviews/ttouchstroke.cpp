#include "ttouchstroke.h"

#include <QMouseEvent>

TTouchStroke::Step TTouchStroke::follow(const QEvent *event)
{
    if (!event->spontaneous() && event->type() != QEvent::MouseButtonPress)
        return NoStep;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // Screen positions: the events come in the coordinates of whichever
        // child is under the finger, and those children move as a view scrolls.
        const auto *mouse = static_cast<const QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return NoStep;
        begin(mouse->screenPos(), mouse->timestamp());
        return Pressed;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<const QMouseEvent *>(event);
        if (!m_active)
            return NoStep;
        if (!(mouse->buttons() & Qt::LeftButton)) {
            // The release went elsewhere; this stroke is over.
            reset();
            return Cancelled;
        }
        add(mouse->screenPos(), mouse->timestamp());
        return Moved;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<const QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !m_active)
            return NoStep;
        add(mouse->screenPos(), mouse->timestamp());
        return Released;
    }
    default:
        return NoStep;
    }
}

void TTouchStroke::begin(const QPointF &pos, ulong timestamp)
{
    m_active = true;
    m_start = pos;
    m_samples.clear();
    m_samples.append({pos, timestamp});
}

void TTouchStroke::add(const QPointF &pos, ulong timestamp)
{
    if (!m_active)
        return;
    // Event times never run backwards within a stroke; a clock that does is
    // treated as standing still.
    if (!m_samples.isEmpty() && timestamp < m_samples.last().time)
        timestamp = m_samples.last().time;
    m_samples.append({pos, timestamp});
    // Keep one point older than the window so the window's start is known.
    while (m_samples.size() > 2 && m_samples.at(1).time + speedWindow < timestamp)
        m_samples.removeFirst();
}

void TTouchStroke::reset()
{
    m_active = false;
    m_samples.clear();
}

QPointF TTouchStroke::velocity() const
{
    if (m_samples.size() < 2)
        return QPointF();
    const Sample &end = m_samples.last();
    int first = m_samples.size() - 1;
    while (first > 0 && m_samples.at(first - 1).time + speedWindow >= end.time)
        --first;
    const Sample &from = m_samples.at(first);
    if (end.time == from.time)
        return QPointF();
    return (end.pos - from.pos) / qreal(end.time - from.time);
}
