#pragma once
// Finger and mouse input for the scrolling tests, sent through the window
// system layer as a screen would. Mouse strokes carry event times the test
// chooses, so how fast they move is exact and no test waits for it; finger
// strokes (touch events, which Qt turns into mouse events for widgets) carry
// the real time of sending, so they are always fast.

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <QtTest>

class FingerInput
{
public:
    enum Kind { Press, Move, Release };

    // mouse: the stroke comes as left-button mouse events; otherwise as
    // one-finger touch events.
    FingerInput(QWidget *widget, bool mouse)
        : m_widget(widget)
        , m_mouse(mouse)
    {
    }

    // Presses at a point of the widget. Unless quick, the press comes a good
    // while after the last stroke, so that it never makes a double click.
    void press(const QPoint &pos, bool quick = false)
    {
        s_time += quick ? 50 : 2000;
        send(pos, Press);
    }
    // Moves to a point of the widget, ms milliseconds after the previous event.
    void move(const QPoint &pos, int ms)
    {
        s_time += ms;
        send(pos, Move);
    }
    // Moves in steps of the same size and time from the last point.
    void moveBy(QPoint delta, int steps, int msPerStep)
    {
        const QPoint from = m_last;
        for (int i = 1; i <= steps; ++i)
            move(from + delta * i / steps, msPerStep);
    }
    void release(int ms = 10)
    {
        s_time += ms;
        send(m_last, Release);
    }
    void tap(const QPoint &pos, bool quick = false)
    {
        press(pos, quick);
        release();
    }

private:
    void send(const QPoint &pos, Kind kind)
    {
        m_last = pos;
        QWindow *window = m_widget->window()->windowHandle();
        const QPoint local = m_widget->mapTo(m_widget->window(), pos);
        if (m_mouse) {
            const QEvent::Type type = kind == Press ? QEvent::MouseButtonPress
                : kind == Move                      ? QEvent::MouseMove
                                                    : QEvent::MouseButtonRelease;
            const Qt::MouseButtons held = kind == Release ? Qt::NoButton : Qt::LeftButton;
            const Qt::MouseButton button = kind == Move ? Qt::NoButton : Qt::LeftButton;
            qt_handleMouseEvent(window, local, window->mapToGlobal(local), held, button, type, Qt::NoModifier,
                                int(s_time));
            return;
        }
        static QTouchDevice *screen = QTest::createTouchDevice();
        if (kind == Press)
            QTest::touchEvent(window, screen).press(1, local, window);
        else if (kind == Move)
            QTest::touchEvent(window, screen).move(1, local, window);
        else
            QTest::touchEvent(window, screen).release(1, local, window);
    }

    QPointer<QWidget> m_widget;
    bool m_mouse;
    QPoint m_last;
    static inline ulong s_time = 100000;
};
