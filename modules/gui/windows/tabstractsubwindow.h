#pragma once

#include "tbusywidget.h"
#include "toptionbutton.h"

#include <QFrame>
#include <QPointer>

class QThread;
class TOptionButton;
class TSubWindowView;

// Base of every pop-up window. Closed it has no parent; shown it lives in a
// pooled TSubWindowView that the main window stacks.
class TAbstractSubWindow : public QFrame
{
    Q_OBJECT
    friend class TSubWindowView;
public:
    // animationKind: 0 none, 1 slide, 2 grow, 3 unfold.
    // keyboardMode: bit 0 = keyboard always shown, bit 1 = keyboard offered and user-hideable.
    TAbstractSubWindow(int animationKind, int keyboardMode);
    ~TAbstractSubWindow() override;

    // Shown from a widget of a window of its own (not the main window), the
    // window opens over that one and holds its input until closed.
    void showWindow(QWidget *pFromCenterOf);
    void showWindow(const QPoint &startPoint);
    void showWindow(const QPoint &start, const QPoint &end, QWidget *pExtra);
    void showEventInfo();
    void showTopLevel();
    void showTopLevelMaximized();

    QSize windowSize();

    void setBusy(const QString &iconName, const QString &text, QThread *thread, int timeoutMs);
    TBusyWidget *busyWidget() const { return m_busy; }

    void setDefaultButton(TOptionButton *button);
    TOptionButton *defaultButton() const { return m_defaultButton; }
    void setFocusWidget(QWidget *widget);
    void setDistress(int level);
    int isDistress() const { return m_distress; }
    void setAnimationKind(int kind);
    int animationKind() const { return m_animationKind; }
    int keyboardMode() const { return m_keyboardMode; }
    bool isUnfoldDownwards() const { return m_unfoldDownwards; }
    void setUnfoldDownwards(bool downwards);
    bool isClosing() const { return m_closing; }
    TSubWindowView *view() const { return m_view; }
    int cascadeIndex() const { return m_cascadeIndex; }

    // The event-information windows that are open, in the order they were shown.
    static QList<TAbstractSubWindow *> &openEventInfoWindows();

    // The keys that windows answer alike: Escape and the focus keys.
    static bool isWindowKey(int key);
    // 1 for a key that moves the focus forward (Tab, Right, Down), -1 for one
    // that moves it back (Backtab, Left, Up), 0 for any other key.
    static int focusStep(int key);

signals:
    void aboutToShow();
    void busyEnded();

public slots:
    virtual void handleBusyEnded(TBusyWidget::EndReason endReason);
    void clrBusy();
    void handleBusyEndedPrivate(TBusyWidget::EndReason endReason);
    void handleObjectDestroy(QObject *object);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void takeView();
    void showOver(QWidget *topLevel);
    bool forwardReturn(QKeyEvent *event);
    // Escape closes `closing` (the window itself or its view), the focus keys
    // move the focus; a release of these keys does nothing. Answers whether the
    // key was one of them.
    bool handleWindowKey(QKeyEvent *event, QWidget *closing);
    void handleKey(QKeyEvent *event);

    bool m_closing = false;
    bool m_shownOver = false; // last shown over a window of its own, framed
    int m_distress = 0;
    QPointer<TOptionButton> m_defaultButton;
    int m_cachedWidth = 0;
    int m_cachedHeight = 0;
    int m_animationKind;
    int m_keyboardMode;
    bool m_unfoldDownwards = false;
    TSubWindowView *m_view = nullptr;
    QPointer<TBusyWidget> m_busy;
    QPointer<QThread> m_thread;
    QPointer<QWidget> m_focusWidget;
    int m_cascadeIndex = 1;
};
