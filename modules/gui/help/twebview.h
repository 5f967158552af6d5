#pragma once

#include <QWebView>

class QGestureEvent;
class QPropertyAnimation;
class QScrollBar;
class QSequentialAnimationGroup;
class QSwipeGesture;
class QGesture;
class TWebViewScroll;

// The web view inside a TWebViewScroll: scrolling keys and the wheel go to
// the scroll area; it carries the kinetic scroll animation.
class TWebView : public QWebView
{
    Q_OBJECT
public:
    explicit TWebView(TWebViewScroll *parent);

    QSequentialAnimationGroup *scrollAnimation() const { return m_group; }

public slots:
    void handleScrollAnimationFinished();
    void instantScrollAnimationEnd();

protected:
    virtual bool gestureEvent(QGestureEvent *event);
    virtual void swipeTriggered(QSwipeGesture *gesture);
    virtual void dragTriggered(QGesture *gesture);

    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void stopScrollAnimation();

    QPropertyAnimation *m_eased;
    QPropertyAnimation *m_linear;
    QSequentialAnimationGroup *m_group;
    QScrollBar *m_scrollBar;
    bool m_dragged = false;
    int m_pressX = 0;
    int m_pressY = 0;
};
