#include "zeldevicedetailspage.h"

#include "abstractproperty.h"
#include "infoservice.h"
#include "powerbatterydetailswindow.h"
#include "propertygroup.h"
#include "tactivitywidget.h"
#include "tbuttonbar.h"
#include "telidelabel.h"
#include "ticonwidget.h"
#include "tlinkdeviceif.h"
#include "toption.h"
#include "toptioniconbutton.h"
#include "tpropertiestouchlist.h"
#include "tpropertiestouchlistitem.h"
#include "ttouchlistwidget.h"
#include "tupdateobject.h"
#include "zeldevicemibfilewindow.h"
#include "zeldiagrepwindow.h"
#include "zellivelogwindow.h"
#include "zelrebootwindow.h"
#include "zelsoftwareupdatewindow.h"
#include "zeltestlinkwindow.h"

#include <QDebug>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QSettings>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const char *const LinkTestKey = "link_test/state";
const int WebService = 1824;

// Shows a window made for the device from the centre of the widget that chose it.
template <typename Window>
void openWindow(TLinkDeviceIf *device, QWidget *from)
{
    auto *window = new Window(device);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->showWindow(from);
}

} // namespace

ZelDeviceDetailsPage::ZelDeviceDetailsPage(TLinkDeviceIf *device, QWidget *parent)
    : TPage(tr("Device details"), parent)
{
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(0, 15, 0, 0);
    main->setSpacing(0);
    connect(&m_process, &QProcess::errorOccurred, this, &ZelDeviceDetailsPage::processError);

    m_heading = new TElideLabel(this);
    m_heading->setObjectName(QStringLiteral("heading"));
    m_heading->setIndent(16);
    main->addWidget(m_heading);
    main->addSpacing(10);
    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("pixmapHorizontalLineCenter"));
    line->setFixedHeight(3);
    line->hide();
    main->addWidget(line);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_leftColumn = new QWidget(this);
    m_leftColumn->setFixedWidth(320);
    auto *left = new QVBoxLayout(m_leftColumn);
    left->setContentsMargins(0, 5, 0, 0);
    left->setSpacing(20);
    m_modelImage = new TIconWidget(QString(), m_leftColumn);
    m_modelImage->setFixedHeight(180);
    m_modelImage->setMinimumWidth(320);
    left->addWidget(m_modelImage, 0, Qt::AlignLeft);
    auto *status = new QVBoxLayout;
    status->setContentsMargins(15, 20, 5, 0);
    status->setSpacing(2);
    auto *statusRow = new QHBoxLayout;
    statusRow->setSpacing(10);
    auto *subject = new QLabel(tr("Status"), m_leftColumn);
    subject->setObjectName(QStringLiteral("subjectHeading"));
    subject->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    statusRow->addWidget(subject, 0, Qt::AlignTop);
    m_statusHeading = new QLabel(tr("OK"), m_leftColumn);
    m_statusHeading->setObjectName(QStringLiteral("statusHeading"));
    m_statusHeading->setWordWrap(true);
    m_statusHeading->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Laid out without alignment, so that a wrapped state text gets the height of all its lines.
    statusRow->addWidget(m_statusHeading, 1);
    status->addLayout(statusRow);
    m_statusDetails = new QLabel(QString(), m_leftColumn);
    m_statusDetails->setObjectName(QStringLiteral("statusDetails"));
    m_statusDetails->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_statusDetails->setWordWrap(true);
    status->addWidget(m_statusDetails, 1);
    left->addLayout(status);
    row->addWidget(m_leftColumn);

    m_rightLayout = new QVBoxLayout;
    m_rightLayout->setContentsMargins(0, 0, 2, 0);
    m_rightLayout->setSpacing(0);
    m_listWidget = new TTouchListWidget(this);
    m_listWidget->setMinimumWidth(480);
    m_listWidget->setMaximumWidth(800);
    m_list = new TPropertiesTouchList(this);
    m_list->setNameColumnWidth(170);
    m_generalItem = new TPropertiesTouchListItem(m_list, 0, tr("General"), true);
    m_lanItem = new TPropertiesTouchListItem(m_list, 1, tr("LAN network"), true);
    m_list->addItem(m_generalItem);
    m_list->addItem(m_lanItem);
    m_listWidget->setList(m_list);
    m_rightLayout->addWidget(m_listWidget);
    row->addLayout(m_rightLayout, 1);
    row->addStretch();
    main->addLayout(row, 1);

    m_stateIndicator = new TActivityWidget(35, this);
    m_stateIndicator->setGeometry(11, 210, 70, 70);

    auto *bar = new TButtonBar(this);
    bar->setMinimumHeight(86);
    bar->setMaximumHeight(86);
    main->addWidget(bar);

    m_management = new TOption(tr("Management"), QStringLiteral("zel_button_management"), this,
                               SLOT(handleManagmentSelected(QWidget*)));
    auto serviceOption = [this](int service, int size, const char *slot) {
        auto *option = new TOption(InfoService::getServiceName(service), InfoService::getServiceIconName(service, size),
                                   this, slot);
        option->setParent(this);
        return option;
    };
    m_liveLog = serviceOption(512, 4, SLOT(handleLiveLogSelected(QWidget*)));
    m_reboot = serviceOption(1024, 4, SLOT(handleRebootSelected(QWidget*)));
    m_softwareUpdate = serviceOption(256, 4, SLOT(handleSoftwareUpdateSelected(QWidget*)));
    m_testLink = new TOption(tr("Test link"), QStringLiteral("i_service_test_40"), this, SLOT(handleDeviceTestSelected(QWidget*)));
    m_mibFile = serviceOption(1840, 2, SLOT(handleMibfileSelected(QWidget*)));
    m_configuration = serviceOption(1808, 2, SLOT(handleDeviceConfigSelected(QWidget*)));
    m_web = serviceOption(WebService, 2, SLOT(handleDeviceWebSelected(QWidget*)));
    m_diagReport = serviceOption(768, 2, SLOT(handleDiagRepSelected(QWidget*)));
    for (TOption *child : {m_testLink, m_mibFile, m_configuration, m_web, m_diagReport})
        m_management->addOption(child);
    if (!m_management->parent())
        m_management->setParent(this);

    bar->setAlignment(Qt::AlignLeft);
    bar->addSpacing(12);
    auto addButton = [bar](TOption *option) {
        TOptionIconButton *button = bar->addIconOption(option, 0, Qt::AlignCenter);
        button->setTextFlags(2);
        button->setMinimumWidth(128);
        return button;
    };
    m_managementButton = addButton(m_management);
    m_liveLogButton = addButton(m_liveLog);
    m_rebootButton = addButton(m_reboot);
    m_softwareUpdateButton = addButton(m_softwareUpdate);

    readLinkTestSetting();
    setDevice(device);
}

ZelDeviceDetailsPage::~ZelDeviceDetailsPage()
{
    m_process.disconnect(this);
}

void ZelDeviceDetailsPage::readLinkTestSetting()
{
    QSettings settings;
    if (settings.contains(QLatin1String(LinkTestKey)))
        m_linkTest = settings.value(QLatin1String(LinkTestKey)).toBool();
}

void ZelDeviceDetailsPage::setDevice(TLinkDeviceIf *device)
{
    m_softwareUpdateButton->setFlashing(false);
    if (device == m_device && m_updateObject)
        return;
    m_device = device;
    QList<TAbstractTouchListItem *> old;
    for (TPropertiesTouchListItem *item : qAsConst(m_groupItems))
        old.append(item);
    m_list->removeItems(old);
    m_groupItems.clear();
    m_listWidget->verticalScrollBar()->setValue(0);

    bool wasRunning = false;
    if (m_updateObject) {
        wasRunning = m_updateObject->isRunning();
        removeUpdateObject(m_updateObject);
        delete m_updateObject;
        m_updateObject = nullptr;
    }
    if (device) {
        m_updateObject = new TUpdateObject(device, SIGNAL(updated()), this, SLOT(refreshPage()));
        connect(m_updateObject, &TUpdateObject::stateChanged, this, &ZelDeviceDetailsPage::activateDevice);
        addUpdateObject(m_updateObject);
        if (wasRunning) {
            m_updateObject->start();
            refreshPage();
        }
    }
}

void ZelDeviceDetailsPage::refreshPage()
{
    if (!m_device) {
        TPage::refreshPage();
        return;
    }
    TLinkDeviceIf *device = m_device;
    m_heading->setText(device->getName());
    const QSize imageMinimum = m_modelImage->minimumSize();
    m_modelImage->setIconName(device->getIconName(1));
    m_modelImage->setMinimumSize(imageMinimum);

    InfoService *update = device->getSoftwareUpdateService();
    InfoService *reboot = device->getRebootService();
    InfoService *diag = device->getDiagReportService();
    InfoService *liveLog = device->getLiveLoggingService();
    const Services_t services = device->getServices();
    m_liveLog->setEnabled(services & 0x04);

    InfoService *busy = nullptr;
    for (InfoService *service : {update, reboot, diag}) {
        if (service->getFlags() & 0x2) {
            busy = service;
            break;
        }
    }
    if (busy) {
        m_statusHeading->setText(busy->getStateText());
        m_statusDetails->setText(busy->getDescription());
        m_stateIndicator->setIconName(busy->getIconName(3, true));
        m_stateIndicator->setActive(true);
        m_management->setEnabled(false);
        m_reboot->setEnabled(false);
        m_softwareUpdate->setEnabled(false);
    } else {
        if ((services & (0x10 | 0x40 | 0x08 | 0x80)) || m_linkTest) {
            m_management->setEnabled(true);
            m_diagReport->setEnabled(services & 0x10);
            m_configuration->setEnabled(services & 0x40);
            m_web->setEnabled(services & 0x08);
            m_testLink->setEnabled(m_linkTest);
            m_mibFile->setEnabled(services & 0x80);
        } else {
            m_management->setEnabled(false);
        }
        m_reboot->setEnabled(services & 0x02);
        m_softwareUpdate->setEnabled((services & 0x01) && (update->getFlags() & 0x1));
        QString status, description;
        const int state = device->getConnectionStatus(status, description);
        m_statusHeading->setText(status);
        m_statusDetails->setText(description);
        switch (state) {
        case 1793: m_stateIndicator->setIconName(QStringLiteral("zel_state_icon_large_ok")); break;
        case 1794: m_stateIndicator->setIconName(QStringLiteral("zel_state_icon_large_warning")); break;
        case 1795: m_stateIndicator->setIconName(QStringLiteral("zel_state_icon_large_sys_degrad")); break;
        case 1796: m_stateIndicator->setIconName(QStringLiteral("zel_state_icon_large_sys_error")); break;
        case 1797:
            m_stateIndicator->setIconName(QStringLiteral("zel_state_icon_large_error"));
            m_management->setEnabled(false);
            m_reboot->setEnabled(false);
            m_softwareUpdate->setEnabled(false);
            break;
        default: break;
        }
        m_stateIndicator->setActive(false);
    }
    m_liveLog->setIconName(liveLog->getIconName(4, device->isOnline()));

    if (m_softwareUpdate->isEnabled() && (update->getFlags() & 0x1) && !device->isSoftwareUpToDate()) {
        m_softwareUpdateButton->setToolTip(tr("New software available"));
        m_softwareUpdateButton->setFlashing(true);
    } else {
        m_softwareUpdateButton->setToolTip(QString());
        m_softwareUpdateButton->setFlashing(false);
    }

    m_generalItem->setProperty(0, tr("Product"), device->getProduct());
    m_generalItem->setProperty(1, tr("Alias"), device->getAliasName());
    m_generalItem->setProperty(2, tr("Vendor"), device->getVendor());
    m_generalItem->setProperty(3, tr("Serial number"), device->getSerialNumber());
    m_generalItem->setProperty(4, tr("Software version"), device->getSoftwareVersion());
    m_generalItem->setProperty(5, tr("Model"), device->getModel());
    m_lanItem->setProperty(0, tr("IP address"), device->getIpAddress());
    m_lanItem->setProperty(1, tr("Status"), device->isOnline() ? tr("OK") : tr("Not responding"));

    QList<TAbstractTouchListItem *> added;
    int n = 0;
    const QList<PropertyGroup *> groups = device->getPropertyGroups();
    for (PropertyGroup *group : groups) {
        if (group->getFlagR() != 0)
            continue;
        if (n >= m_groupItems.size()) {
            auto *item = new TPropertiesTouchListItem(m_list, n + 2, group->getDisplayName(), true);
            m_groupItems.append(item);
            added.append(item);
        }
        TPropertiesTouchListItem *item = m_groupItems.at(n);
        int r = 0;
        const QList<AbstractProperty *> properties = group->getProperties();
        for (AbstractProperty *property : properties) {
            if (property->getFlagR() != 0)
                continue;
            if (property->isValid())
                item->setProperty(r, property->getDisplayName(), property->getValue());
            else
                item->setPropertyName(r, property->getDisplayName());
            ++r;
        }
        ++n;
    }
    if (!added.isEmpty())
        m_list->addItems(added);
    m_list->emitUpdated();
}

void ZelDeviceDetailsPage::resetPage()
{
    readLinkTestSetting();
    m_listWidget->verticalScrollBar()->setValue(0);
    for (TPropertiesTouchListItem *item : qAsConst(m_groupItems))
        item->setCollapsed(true, false);
    m_generalItem->setCollapsed(false, false);
    m_lanItem->setCollapsed(false, false);
    TPage::resetPage();
}

void ZelDeviceDetailsPage::handleManagmentSelected(QWidget *)
{
}

void ZelDeviceDetailsPage::handleDiagRepSelected(QWidget *pEmittedBy)
{
    if (m_device)
        openWindow<ZelDiagRepWindow>(m_device, pEmittedBy);
}

void ZelDeviceDetailsPage::handleMibfileSelected(QWidget *pEmittedBy)
{
    if (m_device)
        openWindow<ZelDeviceMibfileWindow>(m_device, pEmittedBy);
}

void ZelDeviceDetailsPage::handleLiveLogSelected(QWidget *pEmittedBy)
{
    if (m_device)
        ZelLiveLogWindow::openForDevice(m_device, pEmittedBy);
}

void ZelDeviceDetailsPage::handleRebootSelected(QWidget *pEmittedBy)
{
    if (m_device)
        openWindow<ZelRebootWindow>(m_device, pEmittedBy);
}

void ZelDeviceDetailsPage::handleSoftwareUpdateSelected(QWidget *pEmittedBy)
{
    if (m_device)
        openWindow<ZelSoftwareUpdateWindow>(m_device, pEmittedBy);
}

void ZelDeviceDetailsPage::handleDeviceTestSelected(QWidget *pEmittedBy)
{
    if (m_device)
        openWindow<ZelTestLinkWindow>(m_device, pEmittedBy);
}

void ZelDeviceDetailsPage::handleDeviceConfigSelected(QWidget *pEmittedBy)
{
    if (!m_device || m_device->getModel() != QLatin1String("4411"))
        return;
    openWindow<PowerBatteryDetailsWindow>(m_device, pEmittedBy);
}

void ZelDeviceDetailsPage::handleDeviceWebSelected(QWidget *)
{
    if (!m_device)
        return;
    // No registry of service applications on this platform: the web
    // interface always opens in the system browser.
    const QString address = m_device->getServiceAddress(WebService);
    QDesktopServices::openUrl(QUrl(QStringLiteral("http://%1").arg(address)));
    QString text = QStringLiteral("http://%1").arg(address);
    const QString app = m_device->getServiceApp(WebService);
    if (app != QLatin1String("default"))
        text += app;
    m_device->postWebServiceEvent(text);
}

void ZelDeviceDetailsPage::processError(QProcess::ProcessError error)
{
    if (!m_device)
        return;
    const QString address = m_device->getServiceAddress(WebService);
    QDesktopServices::openUrl(QUrl(QStringLiteral("http://%1").arg(address)));
    m_device->postWebServiceEvent(QStringLiteral("Service App failed, default http://%1").arg(address));
    QString text;
    switch (error) {
    case QProcess::FailedToStart: text = tr("Failed To Start Service Application"); break;
    case QProcess::Crashed: text = tr("Service Application Crashed"); break;
    case QProcess::Timedout: text = tr("Service Application start timed out"); break;
    case QProcess::ReadError: text = tr("Service Application Read Error"); break;
    case QProcess::WriteError: text = tr("Service Application Write Error"); break;
    case QProcess::UnknownError: text = tr("Service Application unknown ERROR"); break;
    default: text = tr("Service Application default error"); break;
    }
    qDebug() << "ZelDeviceDetailsPage::processError:" << text;
}

void ZelDeviceDetailsPage::activateDevice(bool activate)
{
    if (!m_device)
        return;
    qDebug() << "ZelDeviceDetailsPage::activateDevice:" << m_device->getName() << activate;
    m_device->activateDevice(activate);
}

void ZelDeviceDetailsPage::keyPressEvent(QKeyEvent *event)
{
    QWidget::keyPressEvent(event);
}

int ZelDeviceDetailsPage::leftColumnWidth(int pageWidth)
{
    int left = 320;
    if (pageWidth > 920)
        left = qMin(400, 320 + (pageWidth - 920) / 2);
    return left;
}

int ZelDeviceDetailsPage::nameColumnWidth(int pageWidth)
{
    const int rest = qMin(800, pageWidth - leftColumnWidth(pageWidth));
    return rest <= 480 ? 170 : 170 + (rest - 480) / 5;
}

void ZelDeviceDetailsPage::resizeEvent(QResizeEvent *event)
{
    m_leftColumn->setFixedWidth(leftColumnWidth(width()));
    m_list->setNameColumnWidth(qMax(100, nameColumnWidth(width())));
    TPage::resizeEvent(event);
}
