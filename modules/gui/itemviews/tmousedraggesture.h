#pragma once

#include "ttouchstroke.h"

#include <QGesture>

// A one-finger (or left-button) drag that has moved past the tap slop. Each
// update carries the vertical distance the finger moved since the one before,
// as the number of pixels to add to a scroll position.
class TMouseDragGesture : public QGesture
{
    Q_OBJECT
public:
    explicit TMouseDragGesture(QObject *parent = nullptr);

    int verticalOffset() const { return m_verticalOffset; }
    void setVerticalOffset(int offset) { m_verticalOffset = offset; }

    // Recognition state, kept by the recognizer.
    TTouchStroke &stroke() { return m_stroke; }
    bool isDragging() const { return m_dragging; }
    void setDragging(bool dragging) { m_dragging = dragging; }
    int lastY() const { return m_lastY; }
    void setLastY(int y) { m_lastY = y; }

private:
    int m_verticalOffset = 0;
    TTouchStroke m_stroke;
    bool m_dragging = false;
    int m_lastY = 0;
};
