#pragma once

#include <QGesture>
#include <QWidget>

class QAbstractScrollArea;
class QGestureEvent;
class QScrollBar;
class QSwipeGesture;
class TKineticScroller;
class TMouseDragGesture;

// Viewport of the touch scroll areas: scrolls its owner's vertical scroll bar
// by swipe and drag gestures with the kinetic scroll animation.
class TViewPort : public QWidget
{
    Q_OBJECT
public:
    explicit TViewPort(QAbstractScrollArea *owner);

    // The gesture type of the drag gesture; no recognizer is registered, so it stays 0.
    static Qt::GestureType dragGestureType();

    bool isScrollAnimationRunning() const;
    TKineticScroller *scroller() const { return m_scroller; }

    virtual bool gestureEvent(QGestureEvent *event);
    virtual void swipeTriggered(QSwipeGesture *gesture);
    virtual void dragTriggered(TMouseDragGesture *gesture);

    // Starts the scroll of one finished swipe (direction > 0 down, < 0 up).
    void swipeScroll(int direction);

public slots:
    void handleScrollAnimationFinished();
    void instantScrollAnimationEnd();

protected:
    bool event(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QAbstractScrollArea *m_owner;
    QScrollBar *m_scrollBar;
    TKineticScroller *m_scroller;
};
