#pragma once

#include <QGestureRecognizer>

// Recognizes a TMouseDragGesture in the left-button mouse events a widget and
// its children receive (touch screens deliver a single finger as such
// events): the drag starts once the finger is 21 pixels or more away from
// where it went down, horizontally or vertically, and ends on release.
class TMouseDragGestureRecognizer : public QGestureRecognizer
{
public:
    static constexpr int tapSlop = 21;

    QGesture *create(QObject *target) override;
    Result recognize(QGesture *state, QObject *watched, QEvent *event) override;
    void reset(QGesture *state) override;
};
