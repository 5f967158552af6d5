#include "tmousedraggesturerecognizer.h"

#include "tmousedraggesture.h"

#include <QEvent>

QGesture *TMouseDragGestureRecognizer::create(QObject *)
{
    return new TMouseDragGesture;
}

QGestureRecognizer::Result TMouseDragGestureRecognizer::recognize(QGesture *state, QObject *, QEvent *event)
{
    auto *gesture = static_cast<TMouseDragGesture *>(state);
    TTouchStroke &stroke = gesture->stroke();
    const TTouchStroke::Step step = stroke.follow(event);
    const int y = qRound(stroke.last().y());
    switch (step) {
    case TTouchStroke::Pressed:
        gesture->setDragging(false);
        gesture->setLastY(y);
        gesture->setVerticalOffset(0);
        return MayBeGesture;
    case TTouchStroke::Moved:
        if (!gesture->isDragging()) {
            const QPointF travel = stroke.travel();
            if (qAbs(travel.x()) < tapSlop && qAbs(travel.y()) < tapSlop)
                return MayBeGesture;
            gesture->setDragging(true);
        }
        gesture->setVerticalOffset(gesture->lastY() - y);
        gesture->setLastY(y);
        return TriggerGesture;
    case TTouchStroke::Released:
        stroke.reset();
        gesture->setVerticalOffset(gesture->lastY() - y);
        gesture->setLastY(y);
        return gesture->isDragging() ? FinishGesture : CancelGesture;
    case TTouchStroke::Cancelled:
        return CancelGesture;
    case TTouchStroke::NoStep:
        break;
    }
    return Ignore;
}

void TMouseDragGestureRecognizer::reset(QGesture *state)
{
    auto *gesture = static_cast<TMouseDragGesture *>(state);
    gesture->stroke().reset();
    gesture->setDragging(false);
    gesture->setVerticalOffset(0);
    QGestureRecognizer::reset(state);
}
