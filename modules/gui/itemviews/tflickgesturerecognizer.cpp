#include "tflickgesturerecognizer.h"

#include "tflickgesture.h"

#include <QMouseEvent>

QGesture *TFlickGestureRecognizer::create(QObject *)
{
    return new TFlickGesture;
}

QGestureRecognizer::Result TFlickGestureRecognizer::recognize(QGesture *state, QObject *, QEvent *event)
{
    auto *gesture = static_cast<TFlickGesture *>(state);
    TTouchStroke &stroke = gesture->stroke();
    if (!event->spontaneous() && event->type() != QEvent::MouseButtonPress)
        return Ignore;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return Ignore;
        stroke.begin(mouse->screenPos(), mouse->timestamp());
        return MayBeGesture;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!stroke.isActive())
            return Ignore;
        if (!(mouse->buttons() & Qt::LeftButton)) {
            stroke.reset();
            return CancelGesture;
        }
        stroke.add(mouse->screenPos(), mouse->timestamp());
        return MayBeGesture;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !stroke.isActive())
            return Ignore;
        stroke.add(mouse->screenPos(), mouse->timestamp());
        const QPointF travel = stroke.travel();
        const QPointF speed = stroke.velocity();
        stroke.reset();
        if (qAbs(travel.y()) < tapSlop || qAbs(speed.y()) < minimumSpeed || qAbs(speed.y()) < qAbs(speed.x()))
            return CancelGesture;
        // Finger up: the view travels down its content.
        gesture->setSwipeAngle(speed.y() < 0 ? 270 : 90);
        return FinishGesture;
    }
    default:
        return Ignore;
    }
}

void TFlickGestureRecognizer::reset(QGesture *state)
{
    static_cast<TFlickGesture *>(state)->stroke().reset();
    QGestureRecognizer::reset(state);
}
