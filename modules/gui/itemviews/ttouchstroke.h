#pragma once

#include <QPointF>
#include <QVector>

class QEvent;

// The path of one finger (or held mouse button) from press to release: its
// start, its latest point and enough recent points, with their event times,
// to tell how fast it moved at the end.
class TTouchStroke
{
public:
    // The time span over which the final speed is measured, in milliseconds.
    static constexpr int speedWindow = 100;

    // What one event did to the stroke, as the finger-gesture recognizers
    // follow it: a left-button press begins it, moves add to it (a move with
    // the button no longer held cancels it) and a release adds its last
    // point; the caller reads the stroke and resets it. Moves and releases
    // that the program sends itself, such as the release that cancels a
    // press when a drag starts, are no part of the stroke.
    enum Step { NoStep, Pressed, Moved, Released, Cancelled };
    Step follow(const QEvent *event);

    void begin(const QPointF &pos, ulong timestamp);
    void add(const QPointF &pos, ulong timestamp);
    void reset();

    bool isActive() const { return m_active; }
    QPointF start() const { return m_start; }
    QPointF last() const { return m_samples.isEmpty() ? m_start : m_samples.last().pos; }
    // Distance from the start to the latest point.
    QPointF travel() const { return last() - m_start; }
    // Speed in pixels per millisecond over the last speedWindow milliseconds;
    // zero when the finger rested for longer than that.
    QPointF velocity() const;

private:
    struct Sample {
        QPointF pos;
        ulong time;
    };
    bool m_active = false;
    QPointF m_start;
    QVector<Sample> m_samples;
};
