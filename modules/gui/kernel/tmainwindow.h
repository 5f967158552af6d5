#pragma once

#include <QFrame>
#include <QList>
#include <QPointer>

class QGraphicsScene;
class QGraphicsView;
class QGridLayout;
class QLabel;
class QStackedLayout;
class QTimeLine;
class QTimer;
class TSavePixmapThread;
class TScreen;
class TWindowView;

// The one top-level window of a touch application: screens change with a
// zoom animation drawn in a graphics scene, sub-window views are stacked over
// them, running animations can be ended at once, and screenshots are saved on
// a worker thread.
class TMainWindow : public QFrame
{
    Q_OBJECT
public:
    // name: object name of the screen area; headingsOn: the panel with screen, page and UTC clock.
    explicit TMainWindow(QWidget *parent = nullptr, const QString &name = QString(), bool headingsOn = false);
    ~TMainWindow() override;

    static TMainWindow *instance();

    void addAnimatingWidget(QObject *object, const char *slot);
    void removeAnimatingWidget(QObject *object, const char *slot);
    void forceAnimationCompletion();
    bool isAnimating() const { return !m_animating.isEmpty(); }
    int animatingCount() const { return m_animating.size(); }

    bool addSubWindowView(TWindowView *view, bool animate);
    void removeSubWindowView(TWindowView *view);
    bool isTopViewKeyboardVisible() const;
    QPoint mapToMainWindow(QWidget *widget, const QPoint &point) const;
    void saveScreenshot(const QPixmap &pixmap, bool greyScale);

    TScreen *currentScreen() const { return m_currentScreen; }
    TWindowView *windowView() const { return m_windowView; }
    // The view on top of the window stack (the screen area when no sub-window is open).
    QWidget *topView() const;
    QList<TWindowView *> openViews() const { return m_openViews; }
    int lowerStackCount() const;
    bool isStackAll() const;
    QTimeLine *scalingTimeLine() const { return m_timeLine; }
    TSavePixmapThread *screenshotSaver() const { return m_saver; }

    virtual void showMainScreen();

signals:
    void instantAnimationCompletion();

public slots:
    void instantAnimationEnd();
    void updateTime();
    void showNewScreen(TScreen *screen);
    void updateScalingStep(qreal value);
    void animationFinished();
    void handleHeadingsChanged();
    void animatingWidgetDestroyed(QObject *object);
    void changeModeTimeout();
    void animateEndTimeoutHandler();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Animating {
        QObject *object;
        QByteArray slot;
    };
    QPixmap dimmedLowerLayer();
    void grabInto(TScreen *screen);
    void forgetAnimating(QObject *object);
    void writeWidgetCensus() const;

    static TMainWindow *s_instance;

    QStackedLayout *m_windowStack;
    QWidget *m_lowerLayer;
    QStackedLayout *m_lowerStack;
    QTimer *m_animateEndTimer;
    TWindowView *m_windowView;
    QGridLayout *m_grid;
    TScreen *m_currentScreen = nullptr;
    TScreen *m_previousScreen = nullptr;
    QGraphicsView *m_graphicsView;
    QGraphicsScene *m_scene;
    QTimeLine *m_timeLine;
    QPointer<TScreen> m_scalingScreen;
    QLabel *m_timeLabel = nullptr;
    QLabel *m_utcLabel = nullptr;
    QLabel *m_pageLabel = nullptr;
    QLabel *m_screenLabel = nullptr;
    TSavePixmapThread *m_saver = nullptr;
    QList<TWindowView *> m_openViews;
    QList<Animating> m_animating;
};
