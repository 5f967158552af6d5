#pragma once

#include <QElapsedTimer>
#include <QObject>

class QPropertyAnimation;
class QScrollBar;
class QSequentialAnimationGroup;

// The scroll animations of a touch view: a linear part followed by an eased
// part (OutQuad), both on the "value" of a scroll bar.
class TKineticScroller : public QObject
{
    Q_OBJECT
public:
    // When and in which direction the last swipe came; shared by the views of one kind.
    struct SwipeClock
    {
        QElapsedTimer lastSwipe;
        int lastDirection = 0;
    };

    TKineticScroller(QScrollBar *scrollBar, QObject *parent);

    // Starts the scroll of one swipe (direction > 0 down, < 0 up) over a view of the
    // given height. A swipe within 750 ms of the previous one in the same direction
    // runs to the end of the range. Returns whether an animation was started.
    bool swipe(int direction, int viewHeight, SwipeClock &clock);

    bool isRunning() const;
    void stop();

    QPropertyAnimation *linearAnimation() const { return m_linear; }
    QPropertyAnimation *easeAnimation() const { return m_ease; }

signals:
    void finished();

private:
    QScrollBar *m_scrollBar;
    QPropertyAnimation *m_ease;
    QPropertyAnimation *m_linear;
    QSequentialAnimationGroup *m_group;
};
