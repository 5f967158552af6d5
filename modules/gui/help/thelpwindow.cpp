#include "thelpwindow.h"

#include "toption.h"
#include "tstylesheet.h"
#include "twebview.h"
#include "twebviewscroll.h"
#include "twindowtoppanel.h"

#include <QApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QSettings>
#include <QVBoxLayout>

THelpWindow::THelpWindow(const QUrl &home)
    : TAbstractSubWindow(2, 0)
    , m_home(home)
{
    setWindowTitle(tr("ZEL - Help"));
    setWindowIcon(QIcon(TStyleSheet::instance()->getPixmap(QStringLiteral("zel_state_icon_40_help"))));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *homeOption = new TOption(tr("Home"), QStringLiteral("zkgui_file_home"), this, SLOT(handleHomeSelected()));
    m_topPanel = new TWindowTopPanel(this, windowTitle(), QStringLiteral("zel_state_icon_40_help"), false, true, homeOption);
    m_webView = new TWebViewScroll(home, this);
    connect(m_webView->webView(), &QWebView::loadStarted, this, &THelpWindow::handleLoadStarted);
    connect(m_webView->webView(), &QWebView::loadFinished, this, &THelpWindow::handleLoadFinished);
    layout->addWidget(m_topPanel, 0);
    layout->addWidget(m_webView, 0);
    setMaximumSize(16777215, 16777215);
    setMinimumSize(776, 526);
    restoreGeometryFromSettings();
}

void THelpWindow::setUrl(const QUrl &url)
{
    m_webView->setUrl(url);
}

void THelpWindow::handleHomeSelected()
{
    setUrl(m_home);
}

void THelpWindow::handleLoadStarted()
{
    m_topPanel->setBusy(true);
    qDebug() << "THelpWindow::handleLoadStarted";
}

void THelpWindow::handleLoadFinished(bool ok)
{
    m_topPanel->setBusy(false);
    qDebug() << "THelpWindow::handleLoadFinished" << ok;
}

QRect THelpWindow::fitIntoArea(QRect r, const QRect &area)
{
    if (r.height() > area.height())
        r.setHeight(area.height());
    if (r.width() > area.width())
        r.setWidth(area.width());
    if (r.left() < area.left())
        r.moveLeft(area.left());
    if (r.right() > area.right())
        r.moveRight(area.right());
    if (r.top() < area.top())
        r.moveTop(area.top());
    if (r.bottom() > area.bottom())
        r.moveBottom(area.bottom());
    return r;
}

static QRect availableAt(const QPoint &point)
{
    QScreen *screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

void THelpWindow::restoreGeometryFromSettings()
{
    const QRect stored = QSettings().value(QStringLiteral("THelpWindow/geometry"), QRect(100, 100, 800, 600)).toRect();
    setGeometry(fitIntoArea(stored, availableAt(stored.center())));
}

void THelpWindow::saveGeometryToSettings()
{
    QRect rect = geometry();
    bool maximized = false;
    if (isMaximized()) {
        const QRect maxFrame = frameGeometry();
        const QRect maxRect = geometry();
        showNormal();
        if (maxFrame.contains(availableAt(maxRect.center()))) {
            rect = normalGeometry();
            maximized = true;
        } else {
            rect = maxRect;
        }
    }
    QSettings settings;
    settings.setValue(QStringLiteral("THelpWindow/geometry"), rect);
    settings.setValue(QStringLiteral("THelpWindow/isMaximized"), maximized);
}

void THelpWindow::closeEvent(QCloseEvent *event)
{
    m_closingWindow = true;
    saveGeometryToSettings();
    TAbstractSubWindow::closeEvent(event);
}

void THelpWindow::forwardKey(QKeyEvent *event, bool &forwarding)
{
    if (forwarding)
        return;
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Right:
        event->ignore();
        return;
    default:
        break;
    }
    QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat(),
                   ushort(event->count()));
    copy.setAccepted(false);
    forwarding = true;
    QApplication::sendEvent(m_webView->webView(), &copy);
    forwarding = false;
    event->setAccepted(copy.isAccepted());
}

void THelpWindow::keyPressEvent(QKeyEvent *event)
{
    static bool forwarding = false;
    forwardKey(event, forwarding);
}

void THelpWindow::keyReleaseEvent(QKeyEvent *event)
{
    static bool forwarding = false;
    forwardKey(event, forwarding);
}
