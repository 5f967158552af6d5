#include "zeldevicelistpage.h"

#include "infoservice.h"
#include "tactivitywidget.h"
#include "tlinkdevicehandler.h"
#include "tlinkdeviceif.h"
#include "tscrollwidget.h"
#include "tupdateobject.h"
#include "tverticalscrollarea.h"
#include "zeldevicelistitem.h"
#include "zeldevicepagescreen.h"

#include <QDebug>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

namespace {
// Columns used until the scroll widget first reports its width.
const int StartColumnCount = 2;
}

ZelDeviceListPage::ZelDeviceListPage(ZelDevicePageScreen *parent)
    : TPage(tr("Device list"), parent)
    , m_pageScreen(parent)
{
    m_discoveryHeader = new QWidget(this);
    m_discoveryHeader->setGeometry(10, 10, 780, 70);
    auto *headerLayout = new QHBoxLayout(m_discoveryHeader);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    headerLayout->setSpacing(10);
    auto *spinner = new TActivityWidget(35, m_discoveryHeader);
    spinner->setIconName(QStringLiteral("zel_logo_60x20"));
    spinner->setActive(true);
    headerLayout->addWidget(spinner);
    auto *texts = new QVBoxLayout;
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(0);
    texts->addStretch(1);
    auto *heading = new QLabel(tr("Device discovery"), m_discoveryHeader);
    heading->setObjectName(QStringLiteral("subjectHeadingLabel"));
    texts->addWidget(heading);
    auto *description = new QLabel(tr("No compliant devices found yet."), m_discoveryHeader);
    description->setObjectName(QStringLiteral("subjectDescLabel"));
    texts->addWidget(description);
    texts->addStretch(2);
    headerLayout->addLayout(texts);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_scrollArea = new TVerticalScrollArea(this);
    m_scrollArea->setWidgetResizable(true);
    m_scrollWidget = new TScrollWidget;
    m_grid = new QGridLayout(m_scrollWidget);
    m_grid->setContentsMargins(5, 5, 0, 5);
    m_grid->setHorizontalSpacing(2);
    m_grid->setVerticalSpacing(0);
    m_grid->setAlignment(Qt::AlignTop);
    m_scrollArea->setWidget(m_scrollWidget);
    connect(m_scrollWidget, &TScrollWidget::widthChanged, this, &ZelDeviceListPage::handleScrollWidgetWidthChanged);
    layout->addWidget(m_scrollArea);
    m_discoveryHeader->raise();

    m_notice = new QLabel(QStringLiteral(" ") + tr("Device detected. Awaiting identification."), this);
    m_notice->setObjectName(QStringLiteral("DeviceDetected_Label"));
    m_notice->resize(250, 20);
    layout->addWidget(m_notice);
    m_notice->hide();

    TLinkDeviceHandler *registry = TLinkDeviceHandler::instance();
    addUpdateObject(new TUpdateObject(registry, SIGNAL(updated(TLinkDeviceIf*)), this,
                                      SLOT(handleDeviceUpdated(TLinkDeviceIf*))));
    addUpdateObject(new TUpdateObject(registry, SIGNAL(deviceConnecting(bool)), this, SLOT(deviceConnecting(bool))));
}

void ZelDeviceListPage::handleDeviceUpdated(TLinkDeviceIf *device)
{
    if (!device)
        return;
    ZelDeviceListItem *row = m_rows.value(device);

    QList<QPair<QString, QString>> marks;
    if (device->isOnline()) {
        InfoService *update = device->getSoftwareUpdateService();
        if ((update->getFlags() & 0x1) && !device->isSoftwareUpToDate())
            marks.append({update->getIconName(0, true), tr("New software available")});
        InfoService *liveLog = device->getLiveLoggingService();
        if (liveLog->getFlags() & 0x4)
            marks.append({liveLog->getIconName(0, true), liveLog->getStateText()});
    }

    if (!row) {
        if (m_discoveryHeader)
            m_discoveryHeader->deleteLater();
        m_discoveryHeader = nullptr;
        row = new ZelDeviceListItem(device->getIconName(2), this);
        row->setMaximumWidth(m_rowWidth > 0 ? m_rowWidth : QWIDGETSIZE_MAX);
        connect(row, QOverload<ZelDeviceListItem *>::of(&ZelDeviceListItem::selected), this,
                &ZelDeviceListPage::handleDeviceSelected);
        const int n = m_orderedRows.size();
        const int columns = m_columnCount > 0 ? m_columnCount : StartColumnCount;
        m_grid->addWidget(row, n / columns, n % columns);
        m_grid->activate();
        m_rows.insert(device, row);
        m_orderedRows.append(row);
    }

    InfoService *busy = nullptr;
    for (InfoService *service : {device->getSoftwareUpdateService(), device->getRebootService(), device->getDiagReportService()}) {
        if (service->getFlags() & 0x2) {
            busy = service;
            break;
        }
    }
    const QString name = device->getName();
    const QString versionLabel = tr("Software version");
    const QString version = device->getSoftwareVersion();
    const QString statusLabel = tr("Status");
    if (busy) {
        row->setTexts(name, versionLabel, version, statusLabel, busy->getStateText());
        row->setStateIcon(busy->getIconName(1, true), true);
    } else {
        QString status, description;
        const int code = device->getConnectionStatus(status, description);
        QString icon;
        switch (code) {
        case 0x701: icon = QStringLiteral("zel_state_icon_small_ok"); break;
        case 0x702: icon = QStringLiteral("zel_state_icon_small_warning"); break;
        case 0x703: icon = QStringLiteral("zel_state_icon_small_sys_degrad"); break;
        case 0x704: icon = QStringLiteral("zel_state_icon_small_sys_error"); break;
        case 0x705:
            icon = QStringLiteral("zel_state_icon_small_error");
            status = tr("Offline");
            break;
        default: break;
        }
        if (!icon.isEmpty()) {
            row->setTexts(name, versionLabel, version, statusLabel, status);
            row->setStateIcon(icon, false);
        }
    }
    row->setServiceMarks(marks);
    removeDuplicateOf(device);
}

bool ZelDeviceListPage::isRegistered(TLinkDeviceIf *device)
{
    return device && TLinkDeviceHandler::instance()->getDevices().contains(device);
}

void ZelDeviceListPage::removeDuplicateOf(TLinkDeviceIf *device)
{
    const device_param_t own = device->getDeviceParam();
    const QList<TLinkDeviceIf *> registered = TLinkDeviceHandler::instance()->getDevices();
    const QMap<TLinkDeviceIf *, ZelDeviceListItem *> rows = m_rows;
    for (auto it = rows.constBegin(); it != rows.constEnd(); ++it) {
        TLinkDeviceIf *other = it.key();
        // A row may outlive its device (the registry deleted it): never touch that device.
        if (other == device || !registered.contains(other))
            continue;
        const device_param_t theirs = other->getDeviceParam();
        if (theirs.srvurl != own.srvurl || other->getModel() != device->getModel())
            continue;
        if (other->getSerialNumber() != device->getSerialNumber() && other->getSerialNumber() != QLatin1String("0"))
            continue;
        ZelDeviceListItem *row = it.value();
        m_grid->removeWidget(row);
        m_orderedRows.removeAll(row);
        m_rows.remove(other);
        delete row;
        if (m_selectedDevice == other)
            m_selectedDevice = nullptr;
        TLinkDeviceHandler::instance()->deleteDevice(other);
        reflowRows();
        return;
    }
}

void ZelDeviceListPage::reflowRows()
{
    for (ZelDeviceListItem *row : qAsConst(m_orderedRows))
        m_grid->removeWidget(row);
    const int columns = m_columnCount > 0 ? m_columnCount : StartColumnCount;
    for (int i = 0; i < m_orderedRows.size(); ++i)
        m_grid->addWidget(m_orderedRows.at(i), i / columns, i % columns);
    m_grid->activate();
    m_scrollArea->viewport()->update();
}

void ZelDeviceListPage::handleDeviceSelected(ZelDeviceListItem *row)
{
    TLinkDeviceIf *device = m_rows.key(row, nullptr);
    if (!isRegistered(device))
        device = nullptr;
    m_selectedDevice = device;
    if (device)
        m_pageScreen->showDevice(device);
}

void ZelDeviceListPage::deviceConnecting(bool status)
{
    m_notice->setVisible(status);
}

void ZelDeviceListPage::handleScrollWidgetWidthChanged(int width)
{
    qDebug() << "ZelDeviceListPage::handleScrollWidgetWidthChanged";
    const int columns = qMax(2, width / 400);
    m_rowWidth = (width - 2 * columns - 3) / columns;
    for (ZelDeviceListItem *row : qAsConst(m_orderedRows))
        row->setMaximumWidth(m_rowWidth);
    if (columns != m_columnCount) {
        m_columnCount = columns;
        reflowRows();
    }
}

void ZelDeviceListPage::refreshPage()
{
    const QList<TLinkDeviceIf *> devices = TLinkDeviceHandler::instance()->getDevices();
    for (TLinkDeviceIf *device : devices)
        handleDeviceUpdated(device);
    handleScrollWidgetWidthChanged(width());
}

void ZelDeviceListPage::showEvent(QShowEvent *event)
{
    for (ZelDeviceListItem *row : qAsConst(m_orderedRows))
        row->setImagesVisible(true);
    TPage::showEvent(event);
}

void ZelDeviceListPage::setSelectedDevice(TLinkDeviceIf *device)
{
    m_selectedDevice = device;
    if (ZelDeviceListItem *row = m_rows.value(device))
        m_scrollArea->ensureWidgetVisible(row, 50, 50);
}

void ZelDeviceListPage::setSelectedItemImagesVisible(bool visible)
{
    if (ZelDeviceListItem *row = m_rows.value(m_selectedDevice))
        row->setImagesVisible(visible);
}

QPixmap ZelDeviceListPage::grabSelectedItem(QRect *rect)
{
    QPixmap picture(110, 110);
    picture.fill(QColor(0, 0, 0, 0));
    ZelDeviceListItem *row = m_rows.value(m_selectedDevice);
    if (row) {
        if (isRegistered(m_selectedDevice))
            handleDeviceUpdated(m_selectedDevice);
        row->render(&picture, QPoint(0, 0), QRegion(0, 0, 105, 110), QWidget::DrawChildren);
        if (rect)
            *rect = QRect(row->mapTo(this, QPoint(0, 0)), QSize(110, 110));
    } else if (rect) {
        *rect = QRect(0, 0, 1, 1);
    }
    return picture;
}

QRect ZelDeviceListPage::getSelectedRect() const
{
    ZelDeviceListItem *row = m_rows.value(m_selectedDevice);
    if (!row)
        return QRect(0, 0, 0, 0);
    const QSize size(int(std::floor(width() / 2.8 + 0.5)), int(std::floor(height() / 2.8 + 0.5)));
    return QRect(row->mapTo(this, QPoint(0, 0)), size);
}

void ZelDeviceListPage::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F2) {
        ZelDeviceListItem::cycleStateIconPosition(m_orderedRows);
        return;
    }
    if (event->key() == Qt::Key_F5)
        TLinkDeviceHandler::instance()->initiateDeviceSearch();
    QWidget::keyPressEvent(event);
}
