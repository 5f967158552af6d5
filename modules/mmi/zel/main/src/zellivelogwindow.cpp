#include "zellivelogwindow.h"

#include "infoservice.h"
#include "thelpcontrol.h"
#include "tlinkdeviceif.h"
#include "toption.h"
#include "toptionbutton.h"
#include "tstylesheet.h"
#include "ttextreadonly.h"
#include "twindowtoppanel.h"
#include "zelhelppage.h"
#include "zelwindowgeometry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

static const char *const initSlot = SLOT(handleInitLogText(const QString &));
static const char *const newTextSlot = SLOT(handleNewLogText(const QString &));
static const int storedLines = 999;

namespace {
const char *const GeometryGroup = "TLiveLogWindow";
}

QHash<TLinkDeviceIf *, ZelLiveLogWindow *> &ZelLiveLogWindow::registry()
{
    static QHash<TLinkDeviceIf *, ZelLiveLogWindow *> windows;
    return windows;
}

ZelLiveLogWindow *ZelLiveLogWindow::windowForDevice(TLinkDeviceIf *device)
{
    return registry().value(device);
}

ZelLiveLogWindow *ZelLiveLogWindow::openForDevice(TLinkDeviceIf *device, QWidget *)
{
    ZelLiveLogWindow *window = registry().value(device);
    if (!window) {
        window = new ZelLiveLogWindow(device);
        window->setAttribute(Qt::WA_DeleteOnClose);
        registry().insert(device, window);
    }
    if (!window->isVisible()) {
        if (ZelWindowGeometry::wasMaximized(QLatin1String(GeometryGroup)))
            window->showTopLevelMaximized();
        else
            window->showTopLevel();
        window->setFocus(Qt::OtherFocusReason);
    } else if (window->isMinimized()) {
        if (window->isMaximized())
            window->showMaximized();
        else
            window->showNormal();
    } else {
        window->showTopLevel();
    }
    QApplication::setActiveWindow(window);
    return window;
}

ZelLiveLogWindow::ZelLiveLogWindow(TLinkDeviceIf *device)
    : TAbstractSubWindow(2, 0), device(device)
{
    connect(device, SIGNAL(updated(TLinkDeviceIf *)), this, SLOT(update()));
    // A device removed from the registry takes its window with it.
    connect(device, &QObject::destroyed, this, &ZelLiveLogWindow::handleDeviceDestroyed);
    setMaximumSize(16777215, 16777215);
    setMinimumSize(776, 526);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *buttonRow = new QWidget(this);
    auto *buttonLayout = new QHBoxLayout(buttonRow);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    buttonLayout->setSpacing(0);
    startOption = new TOption(tr("Start"), this, SLOT(handleStartLog()));
    stopOption = new TOption(tr("Stop"), this, SLOT(handleStopLog()));
    for (TOption *option : {startOption, stopOption}) {
        auto *button = new TOptionButton(option, buttonRow, TOptionButton::BarButton);
        button->setMinimumWidth(65);
        buttonLayout->addWidget(button);
    }
    buttonLayout->addStretch();

    topPanel = new TWindowTopPanel(this, QString(), QString(), true, true, nullptr, buttonRow);
    topPanel->setBusy(true);
    topPanel->setHeadingMinimumWidth(260);
    layout->addWidget(topPanel);

    display = new TTextReadOnly(this);
    display->setObjectName(QStringLiteral("logDisplay"));
    display->document()->setMaximumBlockCount(1000);
    connect(display->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &ZelLiveLogWindow::handleScrollValueChanged);
    display->setPlainText(QStringLiteral("\nReading log ...\n"));
    layout->addWidget(display);

    update();
    setGeometry(ZelWindowGeometry::restore(QLatin1String(GeometryGroup)));
}

ZelLiveLogWindow::~ZelLiveLogWindow()
{
    if (registry().value(device) == this)
        registry().remove(device);
}

void ZelLiveLogWindow::handleDeviceDestroyed()
{
    qDebug() << "ZelLiveLogWindow::handleDeviceDestroyed: closing the window of a removed device";
    if (registry().value(device) == this)
        registry().remove(device);
    device = nullptr;
    connected = false;
    close();
}

void ZelLiveLogWindow::update()
{
    if (!device)
        return;
    InfoService *service = device->getLiveLoggingService();
    QString icon;
    QString sideIcon;
    QString heading;
    bool busy = false;
    bool startEnabled = false;
    bool stopEnabled = false;
    if (!device->isOnline()) {
        icon = service->getIconName(2, false);
        heading = service->getName() + QStringLiteral(" - ") + tr("Offline");
        sideIcon = QStringLiteral("zkgui_event_error");
    } else {
        icon = service->getIconName(2, true);
        heading = service->getStateText();
        busy = service->getFlags() == 2;
        startEnabled = service->getState() == 512;
        stopEnabled = service->getState() == 514;
    }
    topPanel->setIconName(icon);
    topPanel->setSideIcon(sideIcon);
    topPanel->setHeading(heading);
    topPanel->setBusy(busy);
    startOption->setEnabled(startEnabled);
    stopOption->setEnabled(stopEnabled);
    setWindowTitle(service->getName() + QStringLiteral(" - ") + device->getDisplayName());
    setWindowIcon(QIcon(TStyleSheet::instance()->getPixmap(icon, true)));
}

bool ZelLiveLogWindow::isAtEnd() const
{
    const QScrollBar *bar = display->verticalScrollBar();
    return bar->value() == bar->maximum();
}

void ZelLiveLogWindow::connectFeed()
{
    if (!device)
        return;
    topPanel->setBusy(true);
    device->connectLiveLog(this, initSlot, storedLines, newTextSlot);
    connected = true;
}

void ZelLiveLogWindow::disconnectFeed()
{
    if (device)
        device->disconnectLiveLog(this, initSlot, newTextSlot);
    connected = false;
}

void ZelLiveLogWindow::scrollToEnd()
{
    QScrollBar *bar = display->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void ZelLiveLogWindow::handleInitLogText(const QString &text)
{
    display->setPlainText(text);
    scrollToEnd();
    topPanel->setBusy(device && device->getLiveLoggingService()->getFlags() == 2);
}

void ZelLiveLogWindow::handleNewLogText(const QString &text)
{
    if (isAtEnd()) {
        QTextCursor cursor(display->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral("\n") + text);
        scrollToEnd();
    } else if (connected) {
        disconnectFeed();
    }
}

void ZelLiveLogWindow::handleScrollValueChanged(int value)
{
    if (!isVisible())
        return;
    const int maximum = display->verticalScrollBar()->maximum();
    if (value != maximum && connected)
        disconnectFeed();
    else if (value == maximum && !connected)
        connectFeed();
}

void ZelLiveLogWindow::handleStartLog()
{
    if (!device)
        return;
    device->startLiveLogging();
    if (!connected)
        connectFeed();
}

void ZelLiveLogWindow::handleStopLog()
{
    if (device)
        device->stopLiveLogging();
}

void ZelLiveLogWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        THelpControl::instance()->show(this, QUrl());
        return;
    }
    TAbstractSubWindow::keyPressEvent(event);
}

void ZelLiveLogWindow::showEvent(QShowEvent *event)
{
    THelpControl::instance()->addHelp(ZelHelpPage::url(QStringLiteral("live_logging.html")), this);
    if (!connected && isAtEnd())
        connectFeed();
    TAbstractSubWindow::showEvent(event);
}

void ZelLiveLogWindow::closeEvent(QCloseEvent *event)
{
    if (registry().value(device) == this)
        registry().remove(device);
    THelpControl::instance()->removeHelp(this);
    if (connected)
        disconnectFeed();
    ZelWindowGeometry::store(this, QLatin1String(GeometryGroup));
    TAbstractSubWindow::closeEvent(event);
}
