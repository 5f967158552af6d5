#pragma once

#include "twindowview.h"
#include "tabstractsubwindow.h"

#include <QPointer>
#include <QRect>

class QFrame;
class QPropertyAnimation;
class QScrollArea;
class TAbstractSubWindow;
class TSubWindowBorder;
class TTouchKeyboard;

// The full-window overlay that hosts one shown sub-window: it darkens what
// lies behind, frames the sub-window, plays its opening animation and keeps
// it clear of the on-screen keyboard. Views are pooled and reused.
class TSubWindowView : public TWindowView
{
    Q_OBJECT
public:
    TSubWindowView();
    ~TSubWindowView() override;

    void showWindow(TAbstractSubWindow *window, const QPoint &start, const QPoint &end, const QSize &size,
                    QWidget *pExtra);
    void setWindow(TAbstractSubWindow *window);
    TAbstractSubWindow *window() const { return m_window; }

    void setFrontGeometry(const QRect &rect) override;
    int isDistress() const override;
    bool hostsEventInfoWindow() const;
    bool isClosing() const { return m_closing; }
    TTouchKeyboard *keyboard() const { return m_keyboard; }
    TSubWindowBorder *border() const { return m_border; }
    QPropertyAnimation *showAnimation() const { return m_animation; }
    bool isOverlay() const { return m_overlay; }

    void setBackgroundSnapshot(const QPixmap &pixmap);
    void setTranslucentOverlay();

    // The pool of views that host nothing.
    static QList<TSubWindowView *> &freeViews();

public slots:
    void instantAnimationEnd();
    virtual void updateShowFinished();
    void handleKeyboardHeightChanged(int height);
    void handleWindowDestroy(QObject *object);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap renderBorder(const QRect &rect);
    void stopAnimation();
    void releaseKeyboard();
    void restoreWindowHeights();

    QFrame *m_windowArea;
    TTouchKeyboard *m_keyboard;
    TSubWindowBorder *m_border;
    QScrollArea *m_scrollArea;
    QPropertyAnimation *m_animation;
    QPointer<TAbstractSubWindow> m_window;
    const QObject *m_windowObject = nullptr; // the same window, for the check while it is destroyed
    QPointer<QWidget> m_extra;
    QRect m_startRect;
    QRect m_endRect;
    bool m_overlay = true;
    bool m_keyboardInUse = false;
    bool m_closing = false;
    bool m_heightsFixed = false;
    int m_savedMinimumHeight = 0;
    int m_savedMaximumHeight = 0;
};
