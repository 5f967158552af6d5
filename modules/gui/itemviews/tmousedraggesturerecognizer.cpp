#include "tmousedraggesturerecognizer.h"

#include "tmousedraggesture.h"

#include <QMouseEvent>

QGesture *TMouseDragGestureRecognizer::create(QObject *)
{
    return new TMouseDragGesture;
}

QGestureRecognizer::Result TMouseDragGestureRecognizer::recognize(QGesture *state, QObject *, QEvent *event)
{
    auto *gesture = static_cast<TMouseDragGesture *>(state);
    TTouchStroke &stroke = gesture->stroke();
    // Moves and releases that the program sends itself, such as the release
    // that cancels a press when a drag starts, are no part of the stroke.
    if (!event->spontaneous() && event->type() != QEvent::MouseButtonPress)
        return Ignore;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return Ignore;
        // Screen positions: the events come in the coordinates of whichever
        // child is under the finger, and those children move as the view scrolls.
        stroke.begin(mouse->screenPos(), mouse->timestamp());
        gesture->setDragging(false);
        gesture->setLastY(qRound(mouse->screenPos().y()));
        gesture->setVerticalOffset(0);
        return MayBeGesture;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!stroke.isActive())
            return Ignore;
        if (!(mouse->buttons() & Qt::LeftButton)) {
            // The release went elsewhere; this stroke is over.
            stroke.reset();
            return CancelGesture;
        }
        stroke.add(mouse->screenPos(), mouse->timestamp());
        const int y = qRound(mouse->screenPos().y());
        if (!gesture->isDragging()) {
            const QPointF travel = stroke.travel();
            if (qAbs(travel.x()) < tapSlop && qAbs(travel.y()) < tapSlop)
                return MayBeGesture;
            gesture->setDragging(true);
        }
        gesture->setVerticalOffset(gesture->lastY() - y);
        gesture->setLastY(y);
        return TriggerGesture;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !stroke.isActive())
            return Ignore;
        stroke.reset();
        const int y = qRound(mouse->screenPos().y());
        gesture->setVerticalOffset(gesture->lastY() - y);
        gesture->setLastY(y);
        return gesture->isDragging() ? FinishGesture : CancelGesture;
    }
    default:
        return Ignore;
    }
}

void TMouseDragGestureRecognizer::reset(QGesture *state)
{
    auto *gesture = static_cast<TMouseDragGesture *>(state);
    gesture->stroke().reset();
    gesture->setDragging(false);
    gesture->setVerticalOffset(0);
    QGestureRecognizer::reset(state);
}
