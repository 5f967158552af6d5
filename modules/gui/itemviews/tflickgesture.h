#pragma once

#include "ttouchstroke.h"

#include <QSwipeGesture>

// A one-finger flick, delivered as a swipe: the finger left the screen while
// still moving fast. Its vertical direction is the way the view travels over
// its content (a flick upwards moves the view Down the content).
class TFlickGesture : public QSwipeGesture
{
    Q_OBJECT
public:
    explicit TFlickGesture(QObject *parent = nullptr);

    TTouchStroke &stroke() { return m_stroke; }

private:
    TTouchStroke m_stroke;
};
