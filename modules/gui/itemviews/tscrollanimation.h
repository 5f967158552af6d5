#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSwipeGesture>

class QPropertyAnimation;
class QScrollBar;
class QSequentialAnimationGroup;

// The kinetic scroll of a touch view: a linear animation of a scroll bar's
// value followed by an eased (OutQuad) one, run as one group. The views that
// scroll by finger each own one and register it with the main window while it
// runs.
class TScrollAnimation : public QObject
{
    Q_OBJECT
public:
    // Tells repeated swipes: one that comes less than 750 ms after the
    // previous one in the same vertical direction. Each kind of view keeps
    // one clock shared by all its instances.
    class SwipeClock
    {
    public:
        static constexpr qint64 repeatInterval = 750;
        // Notes a finished swipe; true when it repeats the previous one.
        bool swipe(QSwipeGesture::SwipeDirection direction);

    private:
        QElapsedTimer m_last;
        QSwipeGesture::SwipeDirection m_direction = QSwipeGesture::NoDirection;
    };

    TScrollAnimation(QScrollBar *scrollBar, QObject *parent);

    QPropertyAnimation *easeAnimation() const { return m_ease; }
    QPropertyAnimation *linearAnimation() const { return m_linear; }
    QSequentialAnimationGroup *scrollGroup() const { return m_group; }
    bool isRunning() const;
    void stop();

    // Sets up the scroll a swipe asks for over a view of the given height:
    // a page (height - 50) down or up, or to the end when repeated. Returns
    // false when there is nowhere to go; the caller starts the group.
    bool prepareSwipe(QSwipeGesture::SwipeDirection direction, bool repeated, int viewHeight);
    // Moves the scroll bar by a drag's offset, within its range.
    void dragBy(int offset);

private:
    QScrollBar *m_scrollBar;
    QPropertyAnimation *m_ease;
    QPropertyAnimation *m_linear;
    QSequentialAnimationGroup *m_group;
};
