#pragma once

#include <QGestureRecognizer>

// Recognizes a TFlickGesture in the left-button mouse events a widget and its
// children receive (a single finger arrives as such events): a release after
// a vertical travel of at least the tap slop while the finger still moved at
// minimumSpeed or faster, mostly vertically, over its last 100 ms.
class TFlickGestureRecognizer : public QGestureRecognizer
{
public:
    static constexpr int tapSlop = 21;
    // Pixels per millisecond.
    static constexpr qreal minimumSpeed = 0.6;

    QGesture *create(QObject *target) override;
    Result recognize(QGesture *state, QObject *watched, QEvent *event) override;
    void reset(QGesture *state) override;
};
