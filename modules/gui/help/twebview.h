#pragma once

#include <QWebView>

class QGestureEvent;
class QPropertyAnimation;
class QScrollBar;
class QSequentialAnimationGroup;
class QSwipeGesture;
class TMouseDragGesture;
class TScrollAnimation;
class TWebViewScroll;

// The web view inside a TWebViewScroll: scrolling keys and the wheel go to
// the scroll area; the finger drags the page and a flick turns it a page on
// with a kinetic scroll that a press, hiding the view or the main window's
// instant end stops.
class TWebView : public QWebView
{
    Q_OBJECT
public:
    explicit TWebView(TWebViewScroll *parent);

    QPropertyAnimation *easeAnimation() const;
    QPropertyAnimation *linearAnimation() const;
    QSequentialAnimationGroup *scrollGroup() const;
    bool isDragged() const { return m_dragged; }

    virtual bool gestureEvent(QGestureEvent *event);
    virtual void swipeTriggered(QSwipeGesture *gesture);
    virtual void dragTriggered(TMouseDragGesture *gesture);

public slots:
    void handleScrollAnimationFinished();
    void instantScrollAnimationEnd();

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    TScrollAnimation *m_scroll;
    QScrollBar *m_scrollBar;
    bool m_dragged = false;
    QPoint m_pressPos;
};
