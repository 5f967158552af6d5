#include "zeldevicepagescreen.h"

#include "syslogcfgwindow.h"
#include "tbuttonbar.h"
#include "thelpcontrol.h"
#include "tlinkdevicehandler.h"
#include "tlinkdeviceif.h"
#include "toption.h"
#include "toptioniconbutton.h"
#include "tpasswordreqwindow.h"
#include "tstylesheet.h"
#include "zeldevicedetailspage.h"
#include "zeldevicelistpage.h"
#include "zeldevicerepwindow.h"
#include "zeloptionswindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDebug>
#include <QKeyEvent>
#include <QSettings>

namespace {
const char *const LinkTestKey = "link_test/state";
}

ZelDevicePageScreen::ZelDevicePageScreen(QWidget *parent)
    : TPageScreen(tr("Device"), parent)
{
    TButtonBar *bar = buttonBar();
    auto addButton = [bar](TOption *option) {
        TOptionIconButton *button = bar->addIconOption(option, 0, Qt::AlignCenter);
        button->setTextFlags(0);
        return button;
    };
    auto *home = new TOption(tr("Main menu"), QStringLiteral("zel_button_home"), this, SLOT(handleHomeSelected()));
    auto *list = new TOption(tr("Device list"), QStringLiteral("zel_button_list_view"), this, SLOT(handleListPageSelected()));
    auto *report = new TOption(tr("Device report"), QStringLiteral("zkgui_button_device_report"), this,
                               SLOT(handleDeviceReportSelected()));
    auto *setting = new TOption(tr("Setting"), QStringLiteral("zel_button_setting"), this, SLOT(handleSettingSelected()));
    setting->addOption(new TOption(tr("ZEL options"), QStringLiteral("zel_button_setting_40"), this, SLOT(handleZelOptions())));
    setting->addOption(new TOption(tr("Forward live logging"), QStringLiteral("zel_setting_ext_syslog"), this,
                                   SLOT(handleExtSyslogSelected())));
    auto *help = new TOption(tr("Help"), QStringLiteral("zkgui_help"), THelpControl::instance(), SLOT(show(QWidget*)));
    help->setParent(this); // bound to the help controller, owned by the screen
    auto *previous = new TOption(tr("Previous device"), QStringLiteral("zel_button_arrow_left"), this, SLOT(handleLeftSelected()));
    auto *next = new TOption(tr("Next device"), QStringLiteral("zel_button_arrow_right"), this, SLOT(handleRightSelected()));
    for (TOption *option : {home, list, report, setting, help, previous, next}) {
        if (!option->parent())
            option->setParent(this);
    }

    addButton(home);
    m_listButton = addButton(list);
    m_listButton->hide();
    m_reportButton = addButton(report);
    m_settingButton = addButton(setting);
    addButton(help);
    bar->addStretch(1);
    m_previousButton = addButton(previous);
    m_previousButton->hide();
    m_nextButton = addButton(next);
    m_nextButton->hide();
    bar->addStretch(1);
    bar->addIcon(QStringLiteral("zel_logo"), 0, Qt::AlignCenter);

    m_listPage = new ZelDeviceListPage(this);
    m_listPage->setObjectName(QStringLiteral("deviceGlobePage"));
    changePageNoAnimation(m_listPage);
    connect(this, &TPageScreen::animationCompleted, this, &ZelDevicePageScreen::handleAnimationCompleted);
}

void ZelDevicePageScreen::showDevice(TLinkDeviceIf *device)
{
    const QList<TLinkDeviceIf *> devices = TLinkDeviceHandler::instance()->getDevices();
    m_previousButton->option()->setEnabled(!devices.isEmpty() && devices.first() != device);
    m_nextButton->option()->setEnabled(!devices.isEmpty() && devices.last() != device);
    if (!m_detailsPage1) {
        m_detailsPage1 = new ZelDeviceDetailsPage(device, this);
        m_detailsPage1->setObjectName(QStringLiteral("DeviceDetailsPage1"));
    } else {
        m_detailsPage1->setDevice(device);
    }
    m_previousButton->show();
    m_nextButton->show();
    m_listButton->show();
    m_reportButton->hide();
    m_settingButton->hide();

    QRect rowRect;
    const QPixmap picture = m_listPage->grabSelectedItem(&rowRect);
    m_listPage->setSelectedItemImagesVisible(false);
    changePageFromPixmapScaled(m_detailsPage1, picture, true, rowRect, deviceImageRect());
    m_listPage->setSelectedItemImagesVisible(true);
}

void ZelDevicePageScreen::handleHomeSelected()
{
    handleListPageSelected();
}

void ZelDevicePageScreen::handleListPageSelected()
{
    TPage *current = currentPage();
    if (current == m_listPage)
        return;
    auto *details = qobject_cast<ZelDeviceDetailsPage *>(current);
    if (details && (details == m_detailsPage1 || details == m_detailsPage2) && details->device()) {
        m_previousButton->hide();
        m_nextButton->hide();
        m_listButton->hide();
        m_reportButton->show();
        m_settingButton->show();
        m_listPage->setSelectedDevice(details->device());
        QRect rowRect;
        const QPixmap picture = m_listPage->grabSelectedItem(&rowRect);
        m_listPage->setSelectedItemImagesVisible(false);
        changePageFromPixmapScaled(m_listPage, picture, false, rowRect, deviceImageRect());
        m_listPage->setSelectedItemImagesVisible(true);
        return;
    }
    changePageMovedToSide(m_listPage, true);
}

void ZelDevicePageScreen::handleDeviceReportSelected()
{
    ZelDeviceRepWindow::showReport(this);
}

void ZelDevicePageScreen::handleSettingSelected()
{
}

void ZelDevicePageScreen::handleExtSyslogSelected()
{
    auto *window = new SyslogCfgWindow();
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, SIGNAL(destroyed()), this, SLOT(handleListPageSelected()));
    window->showWindow(this);
}

void ZelDevicePageScreen::handleZelOptions()
{
    if (!m_optionsPasswordNeeded) {
        showZelOptionWindow();
        return;
    }
    if (m_passwordReqWindow) {
        qWarning() << "ZelDevicePageScreen::handleZelOptions:" << "Unexpected. pPasswordReqWindow was not NULL. Error?";
        m_passwordReqWindow->showWindow(this);
        return;
    }
    m_passwordReqWindow = new TPasswordReqWindow(QCoreApplication::translate("TPasswordReqWindow", "Password needed"),
                                                 QCoreApplication::translate("TPasswordReqWindow", "Configuration password"));
    m_passwordReqWindow->setPassword(QStringLiteral("quilbex"));
    m_passwordReqWindow->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_passwordReqWindow, &TPasswordReqWindow::correctPassword, this, &ZelDevicePageScreen::showZelOptionWindow);
    connect(m_passwordReqWindow, &QObject::destroyed, this, &ZelDevicePageScreen::handlePasswordReqWindowDestroyed);
    qDebug() << "ZelDevicePageScreen::handleZelOptions:"
             << ": About to run pPasswordReqWindow->showWindow(this), where this=" << this;
    m_passwordReqWindow->showWindow(this);
}

void ZelDevicePageScreen::showZelOptionWindow()
{
    m_optionsPasswordNeeded = false;
    auto *window = new ZelOptionsWindow(this);
    m_zelOptionsWindow = window;
    window->setAttribute(Qt::WA_DeleteOnClose);
    qDebug() << "ZelDevicePageScreen::showZelOptionWindow:"
             << ": About to run pZelOptionsWindow->showWindow(this), where this=" << this;
    window->showWindow(this);
    connect(window, &QObject::destroyed, this, &ZelDevicePageScreen::handleZelOptionsWindowDestroyed);
}

void ZelDevicePageScreen::handlePasswordReqWindowDestroyed()
{
    m_passwordReqWindow = nullptr;
}

void ZelDevicePageScreen::handleZelOptionsWindowDestroyed()
{
    m_zelOptionsWindow = nullptr;
}

void ZelDevicePageScreen::createDevices()
{
    qDebug() << "ZelDevicePageScreen::createDevices";
}

ZelDeviceDetailsPage *ZelDevicePageScreen::secondDetailsPage()
{
    if (!m_detailsPage2) {
        m_detailsPage2 = new ZelDeviceDetailsPage(nullptr, this);
        m_detailsPage2->setObjectName(QStringLiteral("DeviceDetailsPage2"));
    }
    return m_detailsPage2;
}

int ZelDevicePageScreen::currentIndex(const QList<TLinkDeviceIf *> &devices, ZelDeviceDetailsPage **target)
{
    TPage *current = currentPage();
    *target = nullptr;
    if (current && current == m_detailsPage1) {
        *target = secondDetailsPage();
        return devices.indexOf(m_detailsPage1->device());
    }
    if (current && current == m_detailsPage2) {
        *target = m_detailsPage1;
        return devices.indexOf(m_detailsPage2->device());
    }
    return -1;
}

void ZelDevicePageScreen::handleLeftSelected()
{
    const QList<TLinkDeviceIf *> devices = TLinkDeviceHandler::instance()->getDevices();
    ZelDeviceDetailsPage *target = nullptr;
    const int index = currentIndex(devices, &target);
    qDebug() << "ZelDevicePageScreen::handleLeftSelected:" << "currentIndex " << index;
    if (index < 1 || !target)
        return;
    const int state = getAnimationState();
    if (m_storedMoveCount >= 0 && (state == NoAnimation || state == SlideForward)) {
        m_storedMoveCount = 0;
        target->setDevice(devices.at(index - 1));
        changePageMovedToSide(target, true);
        if (index - 1 == 0)
            m_previousButton->option()->setEnabled(false);
    } else {
        --m_storedMoveCount;
        if (m_storedMoveCount + index <= 0)
            m_previousButton->option()->setEnabled(false);
    }
    m_nextButton->option()->setEnabled(true);
    qDebug() << "ZelDevicePageScreen::handleLeftSelected:" << "storedMoveCount " << m_storedMoveCount;
}

void ZelDevicePageScreen::handleRightSelected()
{
    const QList<TLinkDeviceIf *> devices = TLinkDeviceHandler::instance()->getDevices();
    ZelDeviceDetailsPage *target = nullptr;
    const int index = currentIndex(devices, &target);
    qDebug() << "ZelDevicePageScreen::handleRightSelected:" << "currentIndex " << index;
    if (index < 0 || index + 1 >= devices.size() || !target)
        return;
    const int state = getAnimationState();
    if (m_storedMoveCount <= 0 && (state == NoAnimation || state == SlideBackward)) {
        m_storedMoveCount = 0;
        target->setDevice(devices.at(index + 1));
        changePageMovedToSide(target, false);
        if (index + 2 >= devices.size())
            m_nextButton->option()->setEnabled(false);
    } else {
        ++m_storedMoveCount;
        if (m_storedMoveCount + index + 1 >= devices.size())
            m_nextButton->option()->setEnabled(false);
    }
    m_previousButton->option()->setEnabled(true);
    qDebug() << "ZelDevicePageScreen::handleRightSelected:" << "storedMoveCount " << m_storedMoveCount;
}

void ZelDevicePageScreen::handleAnimationCompleted()
{
    if (m_storedMoveCount == 0)
        return;
    const QList<TLinkDeviceIf *> devices = TLinkDeviceHandler::instance()->getDevices();
    ZelDeviceDetailsPage *target = nullptr;
    const int index = currentIndex(devices, &target);
    if (!target) {
        m_storedMoveCount = 0;
        return;
    }
    qDebug() << "ZelDevicePageScreen::handleAnimationCompleted:" << "currentIndex " << index;
    const int moves = m_storedMoveCount;
    m_storedMoveCount = 0;
    if (!devices.isEmpty()) {
        const int newIndex = qBound(0, moves + index, devices.size() - 1);
        target->setDevice(devices.at(newIndex));
        changePageMovedToSide(target, moves < 0);
    }
}

void ZelDevicePageScreen::handleBackgroundSelected()
{
    TPage *page = currentPage();
    if (!page)
        return;
    static const QStringList cycle = {QStringLiteral("deviceGlobePage"), QStringLiteral("deviceStarPage"),
                                      QStringLiteral("deviceStar2Page"), QStringLiteral("deviceNetworkPage"), QString()};
    const int at = cycle.indexOf(page->objectName());
    page->setObjectName(at < 0 ? cycle.first() : cycle.at((at + 1) % cycle.size()));
    qApp->setStyleSheet(TStyleSheet::instance()->getStyleSheet());
}

void ZelDevicePageScreen::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F2) {
        handleBackgroundSelected();
        return;
    }
    TPageScreen::keyPressEvent(event);
}

ZelOptionStates ZelDevicePageScreen::getOptionStates()
{
    ZelOptionStates states;
    QSettings settings;
    if (settings.contains(QLatin1String(LinkTestKey))) {
        states.linkTestEnabled = settings.value(QLatin1String(LinkTestKey)).toBool();
    } else {
        settings.setValue(QLatin1String(LinkTestKey), false);
        states.linkTestEnabled = false;
    }
    states.debugDevicesLoaded = m_debugDevicesLoaded;
    return states;
}

void ZelDevicePageScreen::setOptionStates(const ZelOptionStates &states)
{
    QSettings settings;
    settings.setValue(QLatin1String(LinkTestKey), states.linkTestEnabled);
    m_debugDevicesLoaded = states.debugDevicesLoaded;
}
