#include "tmainwindow.h"

#include "guiapp.h"
#include "telidelabel.h"
#include "tsavepixmapthread.h"
#include "tscreen.h"
#include "tstylesheet.h"
#include "tsubwindowview.h"
#include "ttouchkeyboard.h"
#include "twindowview.h"

#include <QApplication>
#include <QDebug>
#include <QFontInfo>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMap>
#include <QPainter>
#include <QStackedLayout>
#include <QThread>
#include <QTimeLine>
#include <QTimer>
#include <QDateTime>
#include <QVBoxLayout>

TMainWindow *TMainWindow::s_instance = nullptr;

namespace {

const char instantEndSlot[] = "1instantAnimationEnd()";

int priorityOf(QWidget *widget)
{
    auto *view = qobject_cast<TWindowView *>(widget);
    return (view && view->isDistress() == 1) ? 1 : 0;
}

} // namespace

TMainWindow::TMainWindow(QWidget *parent, const QString &name, bool headingsOn)
    : QFrame(parent)
{
    QThread::currentThread()->setObjectName(QStringLiteral("Main GUI thread"));
    s_instance = this;
    setFrameShape(QFrame::NoFrame);
    setFrameShadow(QFrame::Plain);

    m_windowStack = new QStackedLayout(this);
    m_windowStack->setContentsMargins(0, 0, 0, 0);
    m_windowStack->setStackingMode(QStackedLayout::StackAll);
    m_lowerLayer = new QWidget(this);
    m_lowerStack = new QStackedLayout(m_lowerLayer);
    m_lowerStack->setContentsMargins(0, 0, 0, 0);
    m_lowerStack->setStackingMode(QStackedLayout::StackAll);
    m_windowStack->addWidget(m_lowerLayer);

    m_windowView = new TWindowView(this);
    m_windowView->setObjectName(name);
    m_windowView->setAttribute(Qt::WA_NoSystemBackground, false);
    m_windowView->setMinimumSize(800, 600);
    m_windowStack->addWidget(m_windowView);
    m_windowStack->setCurrentWidget(m_windowView);
    m_grid = new QGridLayout(m_windowView);
    m_grid->setSpacing(0);
    m_grid->setContentsMargins(0, 0, 0, 0);

    if (headingsOn) {
        auto *panel = new QWidget(this);
        panel->setMinimumHeight(70);
        panel->setMaximumHeight(70);
        panel->setMinimumWidth(360);
        auto *row = new QHBoxLayout(panel);
        row->setSpacing(5);
        row->setContentsMargins(0, 0, 0, 0);
        auto *clock = new QVBoxLayout;
        clock->setSpacing(0);
        clock->setContentsMargins(0, 0, 0, 2);
        row->addLayout(clock);
        auto *names = new QWidget(panel);
        row->addWidget(names);
        m_timeLabel = new TElideLabel(QString(), Qt::ElideRight, panel);
        m_timeLabel->setObjectName(QStringLiteral("pTimeLabel"));
        m_timeLabel->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        m_timeLabel->setFixedWidth(95);
        clock->addWidget(m_timeLabel, 0, Qt::AlignBottom);
        m_utcLabel = new TElideLabel(QStringLiteral("UTC"), Qt::ElideRight, panel);
        m_utcLabel->setObjectName(QStringLiteral("pTimeLabel"));
        m_utcLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        m_utcLabel->setFixedWidth(95);
        clock->addWidget(m_utcLabel, 0, Qt::AlignTop);
        m_screenLabel = new TElideLabel(QString(), Qt::ElideRight, names);
        m_screenLabel->setObjectName(QStringLiteral("pScreenLabel"));
        m_screenLabel->setGeometry(0, 5, 360, 29);
        m_screenLabel->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        m_pageLabel = new TElideLabel(QString(), Qt::ElideRight, names);
        m_pageLabel->setObjectName(QStringLiteral("pPageLabel"));
        m_pageLabel->setGeometry(15, 30, 345, 51);
        m_pageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_grid->addWidget(panel, 0, 0);
        auto *clockTimer = new QTimer(this);
        clockTimer->setInterval(1000);
        connect(clockTimer, &QTimer::timeout, this, &TMainWindow::updateTime);
        clockTimer->start();
        updateTime();
    }

    m_graphicsView = new QGraphicsView(m_windowView);
    m_graphicsView->setObjectName(QStringLiteral("pGraphicsView"));
    m_graphicsView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_graphicsView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_graphicsView->setFocusPolicy(Qt::NoFocus);
    m_graphicsView->setFrameShape(QFrame::NoFrame);
    m_graphicsView->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_graphicsView->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_graphicsView->setCacheMode(QGraphicsView::CacheNone);
    m_graphicsView->setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    m_graphicsView->setMinimumSize(800, headingsOn ? 530 : 600);
    m_grid->addWidget(m_graphicsView, 1, 0, 1, 1);

    setStyleSheet(TStyleSheet::instance()->getStyleSheet());
    if (GuiApp::instance())
        connect(TStyleSheet::instance(), &TStyleSheet::styleSheetChanged, GuiApp::instance(),
                &GuiApp::changeStyleSheet, Qt::QueuedConnection);

    m_animateEndTimer = new QTimer(this);
    m_animateEndTimer->setInterval(100);
    m_animateEndTimer->setSingleShot(true);
    connect(m_animateEndTimer, &QTimer::timeout, this, &TMainWindow::animateEndTimeoutHandler);
    m_timeLine = new QTimeLine(400, this);
    m_timeLine->setUpdateInterval(40);
    m_timeLine->setEasingCurve(QEasingCurve::Linear);
    connect(m_timeLine, &QTimeLine::valueChanged, this, &TMainWindow::updateScalingStep);
    connect(m_timeLine, &QTimeLine::finished, this, &TMainWindow::animationFinished);
    m_scene = new QGraphicsScene(m_graphicsView);
    m_graphicsView->setScene(m_scene);
    m_graphicsView->scale(1.0, 1.0);

    const QString families[2] = {GuiApp::normalFontFamily(), GuiApp::monoFontFamily()};
    for (const QString &family : families) {
        if (QFontInfo(QFont(family)).family() != family) {
            qWarning() << "TMainWindow::TMainWindow: Warning: The system does not contain all the specified fonts!";
            break;
        }
    }
}

TMainWindow::~TMainWindow()
{
    // Registered children die after this point; stop watching them.
    for (const Animating &entry : qAsConst(m_animating))
        disconnect(entry.object, &QObject::destroyed, this, &TMainWindow::animatingWidgetDestroyed);
    m_animating.clear();
    delete m_saver;
    m_saver = nullptr;
    if (s_instance == this)
        s_instance = nullptr;
}

TMainWindow *TMainWindow::instance()
{
    return s_instance;
}

void TMainWindow::showMainScreen()
{
}

QWidget *TMainWindow::topView() const
{
    return m_windowStack->currentWidget();
}

int TMainWindow::lowerStackCount() const
{
    return m_lowerStack->count();
}

bool TMainWindow::isStackAll() const
{
    return m_windowStack->stackingMode() == QStackedLayout::StackAll;
}

QPixmap TMainWindow::dimmedLowerLayer()
{
    QPixmap pixmap = m_lowerLayer->grab();
    QPainter painter(&pixmap);
    painter.setPen(QColor(0, 0, 0, 160));
    painter.setBrush(QColor(0, 0, 0, 160));
    painter.drawRect(pixmap.rect());
    return pixmap;
}

static void giveBackground(QWidget *widget, const QPixmap &pixmap)
{
    if (auto *subView = qobject_cast<TSubWindowView *>(widget))
        subView->setBackgroundSnapshot(pixmap);
    else if (auto *view = qobject_cast<TAnimationPixmapWidget *>(widget))
        view->setBackgroundPixmap(pixmap);
}

static void clearBackground(QWidget *widget)
{
    if (auto *subView = qobject_cast<TSubWindowView *>(widget))
        subView->setTranslucentOverlay();
    else if (auto *view = qobject_cast<TAnimationPixmapWidget *>(widget))
        view->setBackgroundPixmap(QPixmap());
}

void TMainWindow::addAnimatingWidget(QObject *object, const char *slot)
{
    for (const Animating &entry : qAsConst(m_animating)) {
        if (entry.object == object)
            return;
    }
    if (m_animating.isEmpty() && m_lowerStack->count() > 0) {
        giveBackground(m_windowStack->currentWidget(), dimmedLowerLayer());
        m_windowStack->setStackingMode(QStackedLayout::StackOne);
    }
    connect(this, SIGNAL(instantAnimationCompletion()), object, slot);
    connect(object, &QObject::destroyed, this, &TMainWindow::animatingWidgetDestroyed);
    m_animating.append({object, QByteArray(slot)});
}

void TMainWindow::removeAnimatingWidget(QObject *object, const char *slot)
{
    for (int i = 0; i < m_animating.size(); ++i) {
        if (m_animating.at(i).object != object)
            continue;
        m_animating.removeAt(i);
        disconnect(this, SIGNAL(instantAnimationCompletion()), object, slot);
        disconnect(object, &QObject::destroyed, this, &TMainWindow::animatingWidgetDestroyed);
        if (m_animating.isEmpty() && m_lowerStack->count() > 0)
            m_animateEndTimer->start();
        return;
    }
}

void TMainWindow::animatingWidgetDestroyed(QObject *object)
{
    qDebug() << "TMainWindow::animatingWidgetDestroyed: animating widget destroyed";
    for (int i = 0; i < m_animating.size(); ++i) {
        if (m_animating.at(i).object == object) {
            m_animating.removeAt(i);
            break;
        }
    }
    if (m_animating.isEmpty() && m_lowerStack->count() > 0)
        m_animateEndTimer->start();
}

void TMainWindow::forceAnimationCompletion()
{
    qDebug() << "TMainWindow::forceAnimationCompletion: Force animation completion";
    emit instantAnimationCompletion();
}

void TMainWindow::animateEndTimeoutHandler()
{
    if (!m_animating.isEmpty() || m_lowerStack->count() == 0)
        return;
    clearBackground(m_windowStack->currentWidget());
    m_windowStack->setStackingMode(QStackedLayout::StackAll);
}

bool TMainWindow::addSubWindowView(TWindowView *view, bool animate)
{
    m_openViews.append(view);
    const int priority = priorityOf(view);
    QWidget *current = m_windowStack->currentWidget();
    if (priority < priorityOf(current)) {
        m_windowStack->removeWidget(view);
        m_lowerStack->removeWidget(view);
        int index = m_lowerStack->count();
        while (index > 0 && priorityOf(m_lowerStack->widget(index - 1)) > priority)
            --index;
        if (index == m_lowerStack->count()) {
            m_lowerStack->addWidget(view);
            m_lowerStack->setCurrentWidget(view);
        } else {
            const int actual = m_lowerStack->insertWidget(index, view);
            qDebug() << "TMainWindow::addSubWindowView: indert widget req index " << index << " act index " << actual;
            m_lowerStack->setCurrentWidget(view);
            m_lowerStack->setCurrentIndex(m_lowerStack->count() - 1);
        }
        view->show();
        view->setViewActive(false);
        return false;
    }
    if (isAnimating())
        forceAnimationCompletion();
    current = m_windowStack->currentWidget();
    if (view != current) {
        if (auto *currentView = qobject_cast<TWindowView *>(current))
            currentView->setViewActive(false);
        m_windowStack->removeWidget(view);
        m_lowerStack->removeWidget(view);
        if (current && current != m_lowerLayer) {
            m_windowStack->removeWidget(current);
            m_lowerStack->addWidget(current);
            m_lowerStack->setCurrentWidget(current);
        }
        m_windowStack->addWidget(view);
        m_windowStack->setCurrentWidget(view);
        if (auto *oldView = qobject_cast<TSubWindowView *>(current))
            oldView->setTranslucentOverlay();
    }
    if (animate)
        addAnimatingWidget(view, instantEndSlot);
    else
        m_windowStack->setStackingMode(QStackedLayout::StackAll);
    view->setViewActive(true);
    return true;
}

void TMainWindow::removeSubWindowView(TWindowView *view)
{
    m_openViews.removeAll(view);
    if (view != m_windowStack->currentWidget()) {
        m_lowerStack->removeWidget(view);
        if (isAnimating())
            giveBackground(m_windowStack->currentWidget(), dimmedLowerLayer());
        return;
    }
    m_windowStack->removeWidget(view);
    QWidget *top = m_lowerStack->currentWidget();
    if (top) {
        m_lowerStack->removeWidget(top);
        m_windowStack->addWidget(top);
        m_windowStack->setCurrentWidget(top);
    }
    m_windowStack->setStackingMode(QStackedLayout::StackAll);
    if (auto *topView = qobject_cast<TWindowView *>(top))
        topView->setViewActive(true);
    if (m_lowerStack->count() > 0)
        m_lowerStack->setCurrentIndex(m_lowerStack->count() - 1);
}

bool TMainWindow::isTopViewKeyboardVisible() const
{
    auto *view = qobject_cast<TSubWindowView *>(m_windowStack->currentWidget());
    return view && view->keyboard()->isVisible();
}

QPoint TMainWindow::mapToMainWindow(QWidget *widget, const QPoint &point) const
{
    if (!widget || (widget != this && !isAncestorOf(widget)))
        return QPoint(-1, -1);
    return widget->mapTo(const_cast<TMainWindow *>(this), point);
}

void TMainWindow::saveScreenshot(const QPixmap &pixmap, bool greyScale)
{
    if (!m_saver) {
        m_saver = new TSavePixmapThread;
        m_saver->start(QThread::InheritPriority);
    }
    m_saver->savePixmap(pixmap, greyScale);
}

void TMainWindow::updateTime()
{
    if (m_timeLabel)
        m_timeLabel->setText(QDateTime::currentDateTimeUtc().toString(QStringLiteral("hh:mm")));
}

void TMainWindow::grabInto(TScreen *screen)
{
    if (screen->m_pixmapItem)
        screen->m_pixmapItem->setPixmap(screen->grab());
}

void TMainWindow::showNewScreen(TScreen *screen)
{
    if (!screen || screen == m_currentScreen)
        return;
    if (isAnimating())
        forceAnimationCompletion();
    setFocus(Qt::OtherFocusReason);
    m_scene->setSceneRect(0, 0, m_graphicsView->width(), m_graphicsView->height());
    screen->activate();
    if (!screen->m_pixmapItem) {
        screen->setGeometry(m_scene->sceneRect().toRect());
        screen->m_pixmapItem = m_scene->addPixmap(screen->grab());
    } else {
        grabInto(screen);
    }
    m_timeLine->stop();
    m_timeLine->setDirection(QTimeLine::Forward);
    screen->m_pixmapItem->setTransform(QTransform::fromScale(0, 0), true);
    m_scalingScreen = screen;
    addAnimatingWidget(this, instantEndSlot);
    m_timeLine->start();
    if (m_currentScreen) {
        grabInto(m_currentScreen);
        if (m_currentScreen->m_pixmapItem)
            m_currentScreen->m_pixmapItem->setZValue(0);
        screen->m_pixmapItem->setZValue(1);
    }
    connect(screen, &TScreen::headingsChanged, this, &TMainWindow::handleHeadingsChanged);
    if (m_currentScreen) {
        m_currentScreen->deactivate();
        m_currentScreen->hide();
        disconnect(m_currentScreen, &TScreen::headingsChanged, this, &TMainWindow::handleHeadingsChanged);
        m_grid->removeWidget(m_currentScreen);
    }
    const QList<TWindowView *> views = m_openViews;
    for (TWindowView *view : views) {
        auto *subView = qobject_cast<TSubWindowView *>(view);
        if (subView && subView->hostsEventInfoWindow())
            continue;
        if (view->isDistress() == 1)
            continue;
        view->close();
    }
    m_previousScreen = m_currentScreen;
    m_currentScreen = screen;
    handleHeadingsChanged();
}

void TMainWindow::updateScalingStep(qreal value)
{
    if (!m_scalingScreen || !m_scalingScreen->m_pixmapItem)
        return;
    const qreal w = m_graphicsView->width();
    const qreal h = m_graphicsView->height();
    if (value >= 1.0)
        m_scalingScreen->m_pixmapItem->setTransform(QTransform());
    else
        m_scalingScreen->m_pixmapItem->setTransform(
            QTransform(value, 0, 0, value, (1 - value) * w / 2, (1 - value) * h / 2));
    if (value < 1.0)
        return;
    m_graphicsView->viewport()->repaint();
    if (m_currentScreen) {
        m_grid->addWidget(m_currentScreen, 1, 0);
        m_currentScreen->show();
        if (!m_currentScreen->focusWidget())
            m_currentScreen->setFocus(Qt::OtherFocusReason);
    }
    if (m_previousScreen && m_previousScreen->m_pixmapItem)
        m_previousScreen->m_pixmapItem->setTransform(QTransform::fromScale(0, 0), true);
}

void TMainWindow::animationFinished()
{
    if (m_timeLine->state() != QTimeLine::Running)
        removeAnimatingWidget(this, instantEndSlot);
}

void TMainWindow::instantAnimationEnd()
{
    if (m_timeLine->state() == QTimeLine::Running) {
        m_timeLine->stop();
        m_timeLine->setCurrentTime(0);
        updateScalingStep(1.0);
    }
    removeAnimatingWidget(this, instantEndSlot);
}

void TMainWindow::handleHeadingsChanged()
{
    if (!m_currentScreen)
        return;
    if (m_screenLabel) {
        m_screenLabel->setText(m_currentScreen->heading());
        m_pageLabel->setText(m_currentScreen->pageHeading());
    }
    qDebug().noquote() << "TMainWindow::handleHeadingsChanged: Screen: " + m_currentScreen->heading()
            + ", page: " + m_currentScreen->pageHeading();
}

void TMainWindow::changeModeTimeout()
{
    TStyleSheet *sheet = TStyleSheet::instance();
    sheet->setMode(sheet->getMode() == 0 ? 1 : 0);
}

void TMainWindow::writeWidgetCensus() const
{
    const QWidgetList widgets = QApplication::allWidgets();
    qDebug() << "TMainWindow::keyPressEvent: +++++ Total widgets count" << widgets.size();
    QMap<QString, int> counts;
    for (QWidget *widget : widgets)
        ++counts[QString::fromLatin1(widget->metaObject()->className())];
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        qDebug() << "TMainWindow::keyPressEvent: +++++" << it.key() << "count" << it.value();
}

void TMainWindow::keyPressEvent(QKeyEvent *event)
{
    const bool alt = event->modifiers() & Qt::AltModifier;
    if (alt && event->key() == Qt::Key_F12) {
        saveScreenshot(grab(), event->modifiers() & Qt::ControlModifier);
        event->accept();
        return;
    }
    if (alt && event->key() == Qt::Key_F11) {
        writeWidgetCensus();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_F1 || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}

void TMainWindow::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    const QRectF r(0, 0, width(), height() - (m_screenLabel ? 70 : 0));
    if (r == m_scene->sceneRect())
        return;
    qDebug() << "TMainWindow::resizeEvent NEW SIZE " << r;
    m_scene->setSceneRect(r);
    if (m_timeLine->state() == QTimeLine::Running && m_currentScreen) {
        m_currentScreen->setGeometry(r.toRect());
        grabInto(m_currentScreen);
    }
}
