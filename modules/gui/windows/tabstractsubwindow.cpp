#include "tabstractsubwindow.h"

#include "tmainwindow.h"
#include "toptionbutton.h"
#include "tstylesheet.h"
#include "tsubwindowview.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QKeyEvent>
#include <QThread>

QList<TAbstractSubWindow *> &TAbstractSubWindow::openEventInfoWindows()
{
    static QList<TAbstractSubWindow *> windows;
    return windows;
}

TAbstractSubWindow::TAbstractSubWindow(int animationKind, int keyboardMode)
    : QFrame(nullptr)
    , m_animationKind(animationKind)
    , m_keyboardMode(keyboardMode)
{
    setMaximumSize(776, 526);
    setStyleSheet(TStyleSheet::instance()->getStyleSheet());
    setAutoFillBackground(true);
    hide();
}

TAbstractSubWindow::~TAbstractSubWindow()
{
    // Children (the default button among them) die after this point; stop watching them.
    if (m_defaultButton)
        disconnect(m_defaultButton, &QObject::destroyed, this, &TAbstractSubWindow::handleObjectDestroy);
    openEventInfoWindows().removeAll(this);
    if (m_view) {
        qDebug() << "TAbstractSubWindow::~TAbstractSubWindow: Window frame not freed before destroy";
        if (!TSubWindowView::freeViews().contains(m_view))
            TSubWindowView::freeViews().append(m_view);
        m_view = nullptr;
    }
}

QSize TAbstractSubWindow::windowSize()
{
    if (m_cachedWidth <= 0) {
        const QSize hint = sizeHint();
        setStyleSheet(QString());
        m_cachedWidth = qBound(minimumWidth(), hint.width(), maximumWidth());
        m_cachedHeight = qBound(minimumHeight(), hint.height(), maximumHeight());
    }
    return QSize(m_cachedWidth, m_cachedHeight);
}

void TAbstractSubWindow::takeView()
{
    if (m_shownOver) {
        // Back into the main window: the frame of the window shown over another goes.
        m_shownOver = false;
        setWindowModality(Qt::NonModal);
        setFrameStyle(QFrame::NoFrame);
        setContentsMargins(0, 0, 0, 0);
        m_cachedWidth = 0;
        m_cachedHeight = 0;
    }
    if (!m_view) {
        QList<TSubWindowView *> &pool = TSubWindowView::freeViews();
        m_view = pool.isEmpty() ? new TSubWindowView : pool.takeLast();
    }
    m_view->setWindow(this);
}

void TAbstractSubWindow::showWindow(const QPoint &start, const QPoint &end, QWidget *pExtra)
{
    takeView();
    emit aboutToShow();
    const QSize size = windowSize();
    m_view->showWindow(this, start, end, size, pExtra);
}

void TAbstractSubWindow::showWindow(const QPoint &startPoint)
{
    takeView();
    emit aboutToShow();
    const QSize size = windowSize();
    const int w = size.width();
    const int h = size.height();
    int x = startPoint.x() - w / 2;
    int y = startPoint.y() - h / 2;
    TMainWindow *main = TMainWindow::instance();
    const int W = main ? main->width() : 800;
    int H = main ? main->height() : 600;
    if (m_keyboardMode & 1)
        H -= 228;
    if (w + 150 >= W)
        x = (W - w) / 2;
    else if (x + w + 75 > W)
        x = W - w - 75;
    else if (x < 75)
        x = 74;
    if (h + 200 >= H)
        y = (H - h + 50) / 2;
    else if (y + h + 75 > H)
        y = H - h - 75;
    else if (y < 125)
        y = 124;
    m_view->setWindow(this);
    m_view->showWindow(this, startPoint, QPoint(x, y), QSize(w, h), nullptr);
}

void TAbstractSubWindow::showWindow(QWidget *pFromCenterOf)
{
    qDebug() << "TAbstractSubWindow::showWindow: start" << pFromCenterOf;
    if (!pFromCenterOf) {
        qWarning() << "TAbstractSubWindow::showWindow: ERROR!!!! pFromCenterOf == null. Now showing window from fixed QPoint(400,300).";
        showWindow(QPoint(400, 300));
        return;
    }
    if (!pFromCenterOf->inherits("QWidget"))
        qWarning() << "TAbstractSubWindow::showWindow: ERROR: pFromCenterOf does not inherit QWidget!!!!";
    const QPoint centre(pFromCenterOf->width() / 2, pFromCenterOf->height() / 2);
    TMainWindow *main = TMainWindow::instance();
    // Opened inside the main window it would lie behind the caller's window.
    if (QWidget *top = pFromCenterOf->window(); main && top != main && top->isVisible()) {
        showOver(top);
        return;
    }
    const QPoint mapped = main ? main->mapToMainWindow(pFromCenterOf, centre) : centre;
    qDebug() << "TAbstractSubWindow::showWindow: centre" << centre << "mapped" << mapped;
    showWindow(mapped);
    qDebug() << "TAbstractSubWindow::showWindow: shown, end";
}

void TAbstractSubWindow::showOver(QWidget *topLevel)
{
    emit aboutToShow();
    m_shownOver = true;
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(2);
    setContentsMargins(10, 10, 10, 10);
    const QSize size = windowSize();
    setParent(topLevel, Qt::Dialog | Qt::FramelessWindowHint);
    setWindowModality(Qt::WindowModal);
    setStyleSheet(TStyleSheet::instance()->getStyleSheet());
    resize(size);
    const QRect over = topLevel->geometry();
    move(over.center() - QPoint(size.width() / 2, size.height() / 2));
    show();
    raise();
    activateWindow();
}

void TAbstractSubWindow::showEventInfo()
{
    QList<TAbstractSubWindow *> &open = openEventInfoWindows();
    open.removeAll(this);
    m_cascadeIndex = open.isEmpty() ? 1 : (open.last()->m_cascadeIndex % 5) + 1;
    open.append(this);
    const int n = m_cascadeIndex;
    showWindow(QPoint(800, 50 * n + 20), QPoint(50 * n, 50 * n + 20), nullptr);
}

void TAbstractSubWindow::showTopLevel()
{
    if (!parent())
        setStyleSheet(TStyleSheet::instance()->getStyleSheet());
    show();
}

void TAbstractSubWindow::showTopLevelMaximized()
{
    if (!parent())
        setStyleSheet(TStyleSheet::instance()->getStyleSheet());
    showMaximized();
}

void TAbstractSubWindow::setBusy(const QString &iconName, const QString &text, QThread *thread, int timeoutMs)
{
    setEnabled(false);
    m_thread = thread;
    m_busy = new TBusyWidget(this);
    m_busy->setAttribute(Qt::WA_DeleteOnClose);
    m_busy->setGeometry(0, 0, width(), height());
    connect(m_busy, &TBusyWidget::busyEnded, this, &TAbstractSubWindow::handleBusyEndedPrivate);
    m_busy->setBusy(iconName, text, timeoutMs);
    if (thread) {
        connect(thread, &QThread::finished, this, &TAbstractSubWindow::clrBusy);
        thread->start(QThread::InheritPriority);
    }
}

void TAbstractSubWindow::clrBusy()
{
    if (m_busy) {
        m_busy->clearBusy();
        if (m_thread) {
            disconnect(m_thread, &QThread::finished, this, &TAbstractSubWindow::clrBusy);
            m_thread = nullptr;
        }
    } else {
        setEnabled(true);
    }
}

void TAbstractSubWindow::handleBusyEndedPrivate(TBusyWidget::EndReason endReason)
{
    qDebug() << "TAbstractSubWindow::handleBusyEndedPrivate(TBusyWidget::EndReason):" << endReason;
    setEnabled(true);
    m_busy = nullptr;
    if (m_thread) {
        disconnect(m_thread, &QThread::finished, this, &TAbstractSubWindow::clrBusy);
        m_thread = nullptr;
    }
    if (m_view) {
        if (QWidget *focus = m_view->focusWidget())
            focus->setFocus(Qt::OtherFocusReason);
        else
            setFocus(Qt::OtherFocusReason);
    }
    handleBusyEnded(endReason);
    emit busyEnded();
}

void TAbstractSubWindow::handleBusyEnded(TBusyWidget::EndReason)
{
}

void TAbstractSubWindow::setDefaultButton(TOptionButton *button)
{
    if (m_defaultButton) {
        disconnect(m_defaultButton, &QObject::destroyed, this, &TAbstractSubWindow::handleObjectDestroy);
        m_defaultButton->setDefault(false);
    }
    m_defaultButton = button;
    if (button) {
        connect(button, &QObject::destroyed, this, &TAbstractSubWindow::handleObjectDestroy);
        button->setDefault(true);
    }
}

void TAbstractSubWindow::handleObjectDestroy(QObject *object)
{
    // Only the current default button is connected here. It is half
    // destroyed by now, so it is not looked at as a button any more.
    Q_UNUSED(object)
    m_defaultButton = nullptr;
}

void TAbstractSubWindow::setFocusWidget(QWidget *widget)
{
    m_focusWidget = widget;
}

void TAbstractSubWindow::setDistress(int level)
{
    m_distress = level;
}

void TAbstractSubWindow::setAnimationKind(int kind)
{
    m_animationKind = kind;
}

void TAbstractSubWindow::setUnfoldDownwards(bool downwards)
{
    m_unfoldDownwards = downwards;
}

bool TAbstractSubWindow::forwardReturn(QKeyEvent *event)
{
    if (!m_defaultButton || !m_defaultButton->isEnabled())
        return false;
    QKeyEvent space(event->type(), Qt::Key_Space, event->modifiers(), event->text(), event->isAutoRepeat(),
                    ushort(event->count()));
    QCoreApplication::sendEvent(m_defaultButton, &space);
    return true;
}

bool TAbstractSubWindow::isWindowKey(int key)
{
    return key == Qt::Key_Escape || focusStep(key) != 0;
}

int TAbstractSubWindow::focusStep(int key)
{
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Right:
    case Qt::Key_Down:
        return 1;
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Up:
        return -1;
    default:
        return 0;
    }
}

bool TAbstractSubWindow::handleWindowKey(QKeyEvent *event, QWidget *closing)
{
    const int key = event->key();
    if (!isWindowKey(key))
        return false;
    if (event->type() == QEvent::KeyPress) {
        if (key == Qt::Key_Escape)
            closing->close();
        else
            focusNextPrevChild(focusStep(key) > 0);
    }
    return true;
}

void TAbstractSubWindow::handleKey(QKeyEvent *event)
{
    // Return is taken even when no default button is there to press.
    if (event->key() == Qt::Key_Return)
        forwardReturn(event);
    else if (!handleWindowKey(event, this)) {
        event->ignore();
        return;
    }
    event->accept();
}

void TAbstractSubWindow::keyPressEvent(QKeyEvent *event)
{
    handleKey(event);
}

void TAbstractSubWindow::keyReleaseEvent(QKeyEvent *event)
{
    handleKey(event);
}

void TAbstractSubWindow::focusInEvent(QFocusEvent *event)
{
    QFrame::focusInEvent(event);
    if (m_focusWidget)
        m_focusWidget->setFocus(Qt::OtherFocusReason);
}

void TAbstractSubWindow::closeEvent(QCloseEvent *event)
{
    setStyleSheet(TStyleSheet::instance()->getStyleSheet());
    m_closing = true;
    if (TSubWindowView *view = m_view) {
        if (!view->isClosing())
            view->close();
        if (!TSubWindowView::freeViews().contains(view))
            TSubWindowView::freeViews().append(view);
        m_view = nullptr;
    }
    QFrame::closeEvent(event);
    event->accept();
    m_cachedWidth = 0;
    m_cachedHeight = 0;
    m_closing = false;
    openEventInfoWindows().removeAll(this);
}
