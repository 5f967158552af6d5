#pragma once

#include <QWidget>

#include <functional>

class QAbstractScrollArea;
class QGestureEvent;
class QPropertyAnimation;
class QScrollBar;
class QSequentialAnimationGroup;
class QSwipeGesture;
class TMouseDragGesture;
class TScrollAnimation;

// The viewport of a touch scroll area: the finger drags its content and a
// flick turns it a page on (or to the end when repeated) with a kinetic
// scroll that a press, hiding it or the main window's instant end stops.
// Also home of the process-wide gesture types of the finger scrolling.
class TViewPort : public QWidget
{
    Q_OBJECT
public:
    explicit TViewPort(QAbstractScrollArea *owner);

    // The gesture type under which TMouseDragGesture arrives; its recognizer
    // is registered on the first call.
    static Qt::GestureType dragGestureType();
    // The gesture type of the one-finger flick (a TFlickGesture, which is a
    // QSwipeGesture); registered on the first call.
    static Qt::GestureType flickGestureType();
    // Subscribes a widget to both finger gestures.
    static void grabFingerGestures(QWidget *widget);
    // The swipe of an event: Qt's own or the one-finger flick; null without.
    static QSwipeGesture *swipeOf(QGestureEvent *event);
    // Hands the finger gestures of an event on, the drag before the flick
    // (a release can end a drag and make a flick at once: the flick then
    // scrolls on from where the drag left off), and accepts the event.
    static bool dispatchFingerGestures(QGestureEvent *event, const std::function<void(TMouseDragGesture *)> &onDrag,
                                       const std::function<void(QSwipeGesture *)> &onSwipe);

    QPropertyAnimation *easeAnimation() const;
    QPropertyAnimation *linearAnimation() const;
    QSequentialAnimationGroup *scrollGroup() const;

    virtual bool gestureEvent(QGestureEvent *event);
    virtual void swipeTriggered(QSwipeGesture *gesture);
    virtual void dragTriggered(TMouseDragGesture *gesture);

public slots:
    void handleScrollAnimationFinished();
    void instantScrollAnimationEnd();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QAbstractScrollArea *m_owner;
    QScrollBar *m_scrollBar;
    TScrollAnimation *m_scroll;
    bool m_mouseGrabbed = false;
};
