#include "tflickgesturerecognizer.h"

#include "tflickgesture.h"

#include <QEvent>

QGesture *TFlickGestureRecognizer::create(QObject *)
{
    return new TFlickGesture;
}

QGestureRecognizer::Result TFlickGestureRecognizer::recognize(QGesture *state, QObject *, QEvent *event)
{
    auto *gesture = static_cast<TFlickGesture *>(state);
    TTouchStroke &stroke = gesture->stroke();
    switch (stroke.follow(event)) {
    case TTouchStroke::Pressed:
    case TTouchStroke::Moved:
        return MayBeGesture;
    case TTouchStroke::Cancelled:
        return CancelGesture;
    case TTouchStroke::Released: {
        const QPointF travel = stroke.travel();
        const QPointF speed = stroke.velocity();
        stroke.reset();
        if (qAbs(travel.y()) < tapSlop || qAbs(speed.y()) < minimumSpeed || qAbs(speed.y()) < qAbs(speed.x()))
            return CancelGesture;
        // Finger up: the view travels down its content.
        gesture->setSwipeAngle(speed.y() < 0 ? 270 : 90);
        return FinishGesture;
    }
    case TTouchStroke::NoStep:
        break;
    }
    return Ignore;
}

void TFlickGestureRecognizer::reset(QGesture *state)
{
    static_cast<TFlickGesture *>(state)->stroke().reset();
    QGestureRecognizer::reset(state);
}
