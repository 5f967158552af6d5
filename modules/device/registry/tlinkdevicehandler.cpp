#include "tlinkdevicehandler.h"

#include "infoservice.h"
#include "removablevolumewatcher.h"
#include "tlinkdebugdevicefile.h"
#include "tlinkdevice.h"
#include "tlinkslpmanagerif.h"
#include "tlinksnmpif.h"
#include "tlinksyslogif.h"
#include "tlinktftpserverif.h"
#include "tlinkuploadmanagerif.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

TLinkDeviceHandler *TLinkDeviceHandler::instance()
{
    // Lives until the process ends.
    static TLinkDeviceHandler *const handler = new TLinkDeviceHandler;
    return handler;
}

TLinkDeviceHandler::TLinkDeviceHandler()
    : InfoDevice(nullptr, tr("Device Handler"))
{
    qRegisterMetaType<device_param_t>("device_param_t");
    qRegisterMetaType<device_service_t>("device_service_t");

    QSettings settings;
    m_networkAccessManager = new QNetworkAccessManager(this);
    m_slpManager = new TLinkSLPManagerIf(this);

    const QString tftpPortKey = QStringLiteral("tftp_server/portnumber");
    const uint storedPort = settings.value(tftpPortKey, 0).toUInt();
    if (storedPort == 0 || storedPort > 0xffff) {
        m_tftpPort = 69;
        settings.setValue(tftpPortKey, m_tftpPort);
    } else {
        m_tftpPort = quint16(storedPort);
    }
    m_tftpServer = new TLinkTftpServerIf(m_tftpPort, this);
    m_tftpServer->startServer();

    m_uploadManager = new TLinkUploadManagerIf(this);
    m_uploadManager->setTftpServerRef(m_tftpServer);

    qDebug() << "TLinkDeviceHandler::TLinkDeviceHandler" << ">Thread id:" << QThread::currentThreadId();

    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString reportFolder = QStringLiteral("%1/%2/%3").arg(documents, QStringLiteral("Vantor"),
                                                                QStringLiteral("ZEL"));
    if (!settings.contains(QStringLiteral("diag_rep/destination_path")))
        settings.setValue(QStringLiteral("diag_rep/destination_path"), reportFolder);
    if (!settings.contains(QStringLiteral("device_rep/destination_path"))) {
        // Joined with "/": a backslash is an ordinary file name character here.
        const QString reportName = QStringLiteral("Device Report").remove(QLatin1Char(' '));
        settings.setValue(QStringLiteral("device_rep/destination_path"),
                          QStringLiteral("%1/%2.pdf").arg(reportFolder, reportName));
    }

    m_softwareSearchService = createInfoService(1280, 1280);
    m_searchPaths.append(QString());
    connect(m_uploadManager, &TLinkUploadManagerIf::fileSearchInitiated, this, &TLinkDeviceHandler::handleSwSearchInit);
    connect(m_uploadManager, &TLinkUploadManagerIf::fileSearchFinished, this, &TLinkDeviceHandler::handleSwSearchEnd);

    if (!settings.contains(QStringLiteral("syslog_server/portnumber")))
        settings.setValue(QStringLiteral("syslog_server/portnumber"), 514);

    const auto queued = Qt::QueuedConnection;
    connect(m_slpManager, &TLinkSLPManagerIf::newDevice, this, &TLinkDeviceHandler::newDevice, queued);
    connect(m_slpManager, &TLinkSLPManagerIf::updateDevice, this, &TLinkDeviceHandler::updateDevice, queued);
    connect(m_slpManager, &TLinkSLPManagerIf::newService, this, &TLinkDeviceHandler::newService, queued);
    connect(m_slpManager, &TLinkSLPManagerIf::updateService, this, &TLinkDeviceHandler::updateService, queued);
    connect(m_slpManager, &TLinkSLPManagerIf::deviceIsOnline, this, &TLinkDeviceHandler::deviceIsOnlineHandler,
            queued);
    connect(m_slpManager, &TLinkSLPManagerIf::onlineDevices, this, &TLinkDeviceHandler::detectConnectingDevices,
            queued);
    connect(m_slpManager, &TLinkSLPManagerIf::urlLost, this, &TLinkDeviceHandler::urlLostHandler, queued);
    connect(m_slpManager, &TLinkSLPManagerIf::deviceRefused, this, &TLinkDeviceHandler::deviceRefusedHandler,
            queued);

    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    connect(snmp, &TLinkSNMPIf::groupInitialized, this, &TLinkDeviceHandler::devicePropertyGroupInit);
    connect(snmp, &TLinkSNMPIf::propertyInitialized, this, &TLinkDeviceHandler::devicePropertyInit);
    connect(snmp, &TLinkSNMPIf::updated, this, &TLinkDeviceHandler::allPropertiesUpdated);
    connect(snmp, &TLinkSNMPIf::getValueDone, this, &TLinkDeviceHandler::propertyUpdated);
    connect(snmp, &TLinkSNMPIf::getValuesDone, this, &TLinkDeviceHandler::propertiesUpdated);

    connect(m_tftpServer, &TLinkTftpServerIf::tftpSessionStarted, this, &TLinkDeviceHandler::tftpSessionStarted);
    connect(m_uploadManager, &TLinkUploadManagerIf::DeviceUpdate, this,
            &TLinkDeviceHandler::initiateDeviceSoftwareUpdate);
}

TLinkDeviceHandler::~TLinkDeviceHandler() = default;

// ---- windows' operations ------------------------------------------------------------

QList<TLinkDeviceIf *> TLinkDeviceHandler::getDevices()
{
    m_snapshot.clear();
    for (TLinkDevice *device : qAsConst(m_devices))
        m_snapshot.append(device);
    return m_snapshot;
}

void TLinkDeviceHandler::deleteDevice(TLinkDeviceIf *device)
{
    auto *linkDevice = qobject_cast<TLinkDevice *>(device);
    if (!linkDevice || !m_devices.contains(linkDevice)) {
        qDebug() << "TLinkDeviceHandler::deleteDevice: not a device of the registry";
        return;
    }
    const QString uniqueId = linkDevice->getUniqueId();
    m_debugIds.remove(uniqueId);
    m_slpManager->removeDevice(uniqueId);
    TLinkSNMPIf::instance()->removeDevice(uniqueId);
    TLinkSyslogIf::instance()->removeDevice(uniqueId);
    m_devices.removeAll(linkDevice);
    m_snapshot.removeAll(device);
    // The caller may be running in a slot of this device's own signal.
    disconnect(linkDevice, nullptr, this, nullptr);
    linkDevice->deleteLater();
}

void TLinkDeviceHandler::readDebugDevices(const QString &fileName)
{
    // A device declared twice, or a file read again, updates the device that
    // has its unique id, as discovery does for a device it has reported. A
    // device that discovery has reported keeps what discovery says: its
    // service URL is the one discovery follows.
    TLinkDebugDeviceFile::read(fileName, [this](const device_param_t &param) {
        if (findDevice(param.uniqueId)) {
            if (m_debugIds.contains(param.uniqueId))
                updateDevice(param);
            else
                qDebug() << "TLinkDeviceHandler::readDebugDevices: device" << param.uniqueId
                         << "is known from discovery; its debug record is not used";
            return;
        }
        newDevice(param);
        if (findDevice(param.uniqueId))
            m_debugIds.insert(param.uniqueId);
    });
}

void TLinkDeviceHandler::rescanSoftware()
{
    m_uploadManager->refreshFirmwareList();
}

void TLinkDeviceHandler::setSoftwareSearchInterval(bool fromSettings, quint32 searchIntervalMs,
                                                   quint32 garbageIntervalMs)
{
    m_uploadManager->setSearchInterval(fromSettings, searchIntervalMs, garbageIntervalMs);
}

void TLinkDeviceHandler::initiateManualSoftwareSearch(const QString &path)
{
    if (!m_uploadManager)
        return;
    // Counted here so the window sees the search at once; the upload
    // manager's own report of its start is then not counted again, or the
    // search would never end.
    m_searchPaths.append(path);
    m_manualSearches.append(path);
    if (m_searchPaths.size() == 1)
        m_softwareSearchService->setState(1282, -1, QString());
    m_uploadManager->initiateManualSearch(path);
}

// ---- discovery searches ---------------------------------------------------------------

void TLinkDeviceHandler::initiateDeviceSearch()
{
    QMetaObject::invokeMethod(m_slpManager, "initiateDeviceSearch", Qt::QueuedConnection);
}

void TLinkDeviceHandler::initiateAttributeSearch()
{
    QMetaObject::invokeMethod(m_slpManager, "initiateAttributeSearch", Qt::QueuedConnection);
}

void TLinkDeviceHandler::initiateServiceSearch()
{
    QMetaObject::invokeMethod(m_slpManager, "initiateServiceSearch", Qt::QueuedConnection);
}

void TLinkDeviceHandler::initiateDeviceSoftwareUpdate()
{
    for (TLinkDevice *device : qAsConst(m_devices))
        handSoftwareImages(device);
}

void TLinkDeviceHandler::handSoftwareImages(TLinkDevice *device)
{
    QList<TLinkUploadManagerIf::firmware_list_entry_t> images;
    m_uploadManager->getFirmwareEntry(device->getModel(), images);
    qDebug() << "TLinkDeviceHandler::handSoftwareImages:" << device->getUniqueId() << images.size() << "images";
    device->updateSoftwareList(images);
}

void TLinkDeviceHandler::removeDevice(const QString &uniqueId)
{
    QMetaObject::invokeMethod(m_slpManager, "removeDevice", Qt::QueuedConnection, Q_ARG(QString, uniqueId));
}

// ---- devices ------------------------------------------------------------------------------

TLinkDevice *TLinkDeviceHandler::findDevice(const QString &uniqueId) const
{
    for (TLinkDevice *device : m_devices) {
        if (device->getUniqueId() == uniqueId)
            return device;
    }
    return nullptr;
}

void TLinkDeviceHandler::setDeviceOnline(TLinkDevice *device, bool online)
{
    device->setOnline(online);
    TLinkSNMPIf::instance()->setDeviceOnline(device->getUniqueId(), online);
}

void TLinkDeviceHandler::takeOffline(TLinkDevice *device, const QString &eventText)
{
    device->postEvent(3, eventText, 0);
    qDebug() << "TLinkDeviceHandler::takeOffline: Updating Device State: " << device->getUniqueId() << "[false]";
    setDeviceOnline(device, false);
}

void TLinkDeviceHandler::takeDiscoveredRecord(TLinkDevice *device, const device_param_t &perams)
{
    qDebug() << "TLinkDeviceHandler::newDevice: device" << perams.uniqueId << "exists; it takes the record of"
             << perams.srvurl;
    m_debugIds.remove(perams.uniqueId);
    device->updateDevice(perams);
    if (!device->isOnline()) {
        device->postEvent(4, QString(), 0);
        setDeviceOnline(device, true);
    }
    handPendingServices(device);
    emit updated(device);
    checkConnecting();
}

void TLinkDeviceHandler::newDevice(const device_param_t &perams)
{
    m_refusedUrls.removeAll(perams.srvurl);
    // One device object per unique id: a device known from the debug device
    // file, or reported again after a race, is the same device.
    if (TLinkDevice *known = findDevice(perams.uniqueId)) {
        takeDiscoveredRecord(known, perams);
        return;
    }
    bool merged = false;
    for (TLinkDevice *device : qAsConst(m_devices)) {
        if (device->getSrvUrl() != perams.srvurl)
            continue;
        const bool sameModel = device->getModel() == perams.model;
        const bool placeholderSerial = perams.serialno == QLatin1String("0") ||
                                       device->getSerialNumber() == QLatin1String("0");
        // Only one device takes the new unique id: two devices with one id
        // could no longer be told apart.
        if (sameModel && placeholderSerial && !merged) {
            merged = true;
            const QString oldId = device->getUniqueId();
            if (m_debugIds.remove(oldId))
                m_debugIds.insert(perams.uniqueId);
            removeDevice(oldId);
            qDebug() << "TLinkDeviceHandler::newDevice: Merging device: " << oldId << " becomes " << perams.uniqueId;
            TLinkSNMPIf::instance()->changeUniqueId(oldId, perams.uniqueId);
            TLinkSyslogIf::instance()->changeUniqueId(oldId, perams.uniqueId);
            device->updateDevice(perams);
            setDeviceOnline(device, true);
            emit updated(device);
            device->initServices();
            handPendingServices(device);
            checkConnecting();
        } else {
            takeOffline(device, tr("New device toke the IP address"));
        }
    }
    if (merged)
        return;

    qDebug() << "TLinkDeviceHandler::newDevice"
             << QStringLiteral("----***[CREATING DEVICE : %1]***----").arg(perams.srvurl);
    auto *device = new TLinkDevice(perams, this);
    device->setTftpServer(m_tftpServer);
    device->setNetworkAccessManager(m_networkAccessManager);
    m_devices.append(device);
    connect(device, &TLinkDeviceIf::updated, this, QOverload<TLinkDeviceIf *>::of(&TLinkDeviceHandler::updated));
    connect(device, &TLinkDeviceIf::softwareUpdateComplete, this, &TLinkDeviceHandler::softwareUpdateComplete);
    TLinkSNMPIf::instance()->addDevice(device->getUniqueId(), device->getIpAddress(), device->getModel(),
                                       device->getSoftwareVersion(), false);
    TLinkSyslogIf::instance()->addDevice(device->getUniqueId(), device->getProduct(), device->getSerialNumber(),
                                         device->getIpAddress());
    handSoftwareImages(device);
    emit updated(device);
    device->initServices();
    handPendingServices(device);
    checkConnecting();
}

void TLinkDeviceHandler::updateDevice(const device_param_t &perams)
{
    if (TLinkDevice *device = findDevice(perams.uniqueId)) {
        device->updateDevice(perams);
        handPendingServices(device); // its address may have changed
    } else {
        checkConnecting();
    }
}

void TLinkDeviceHandler::deviceIsOnlineHandler(const QString &uniqueId)
{
    TLinkDevice *device = findDevice(uniqueId);
    if (!device)
        return;
    for (TLinkDevice *other : qAsConst(m_devices)) {
        if (other != device && other->getSrvUrl() == device->getSrvUrl() && other->isOnline())
            takeOffline(other, QString());
    }
    if (!device->isOnline()) {
        device->postEvent(4, QString(), 0);
        setDeviceOnline(device, true);
    }
}

void TLinkDeviceHandler::urlLostHandler(const QString &url)
{
    m_refusedUrls.removeAll(url);
    for (TLinkDevice *device : qAsConst(m_devices)) {
        if (device->getSrvUrl() != url || !device->isOnline())
            continue;
        qDebug() << "TLinkDeviceHandler::urlLostHandler: Connection to url: " << url << "has lost";
        device->postEvent(3, QString(), 0);
        setDeviceOnline(device, false);
        return;
    }
}

void TLinkDeviceHandler::tftpSessionStarted(const QString &srvurl)
{
    // The server names the peer by its address: match it whole, so that a
    // transfer from 127.0.0.6 does not wake the device at 127.0.0.60.
    for (TLinkDevice *device : qAsConst(m_devices)) {
        const int state = device->getUploadState();
        if (device->getIpAddress() != srvurl || state < 1 || state > 3)
            continue;
        setDeviceOnline(device, true);
        return;
    }
}

void TLinkDeviceHandler::detectConnectingDevices(const QStringList &onlineDevicesUrl)
{
    m_connectingUrls = onlineDevicesUrl;
    checkConnecting();
}

void TLinkDeviceHandler::deviceRefusedHandler(const QString &url)
{
    qDebug() << "TLinkDeviceHandler::deviceRefusedHandler: the answer of" << url
             << "names no device; it is not waited for";
    if (!m_refusedUrls.contains(url))
        m_refusedUrls.append(url);
    checkConnecting();
}

void TLinkDeviceHandler::checkConnecting()
{
    for (TLinkDevice *device : qAsConst(m_devices)) {
        if (device->isOnline())
            m_connectingUrls.removeOne(device->getSrvUrl());
    }
    for (const QString &url : qAsConst(m_refusedUrls))
        m_connectingUrls.removeAll(url);
    emit deviceConnecting(!m_connectingUrls.isEmpty());
}

// ---- services and SNMP notices ---------------------------------------------------------

void TLinkDeviceHandler::updateService(const device_service_t &serv)
{
    bool taken = false;
    for (TLinkDevice *device : qAsConst(m_devices)) {
        if (device->getIpAddress() == serv.address) {
            device->updateService(serv);
            taken = true;
        }
    }
    if (!taken)
        keepPendingService(serv);
}

void TLinkDeviceHandler::newService(const device_service_t &serv)
{
    bool taken = false;
    for (TLinkDevice *device : qAsConst(m_devices)) {
        if (device->getIpAddress() == serv.address) {
            device->addService(serv);
            taken = true;
        }
    }
    if (!taken)
        keepPendingService(serv);
}

void TLinkDeviceHandler::keepPendingService(const device_service_t &serv)
{
    // The service search and the attribute search run side by side: a
    // service may be reported before its device. The newest report of a URL
    // is kept; the list is bounded against a network full of services.
    static const int MaxPendingServices = 1000;
    for (int i = 0; i < m_pendingServices.size(); ++i) {
        if (m_pendingServices.at(i).srvurl == serv.srvurl) {
            m_pendingServices[i] = serv;
            return;
        }
    }
    if (m_pendingServices.size() >= MaxPendingServices) {
        qDebug() << "TLinkDeviceHandler::keepPendingService: too many services without a device; dropped"
                 << m_pendingServices.first().srvurl;
        m_pendingServices.removeFirst();
    }
    qDebug() << "TLinkDeviceHandler::keepPendingService: no device at" << serv.address << "yet; kept" << serv.srvurl;
    m_pendingServices.append(serv);
}

void TLinkDeviceHandler::handPendingServices(TLinkDevice *device)
{
    const QString address = device->getIpAddress();
    for (int i = 0; i < m_pendingServices.size();) {
        if (m_pendingServices.at(i).address == address) {
            // A URL the device does not list yet is added by updateService.
            device->updateService(m_pendingServices.takeAt(i));
        } else {
            ++i;
        }
    }
}

void TLinkDeviceHandler::devicePropertyGroupInit(const QString &uniqueId)
{
    if (TLinkDevice *device = findDevice(uniqueId))
        device->initPropertyGroups(TLinkSNMPIf::instance()->getPropertyGroups(uniqueId));
}

void TLinkDeviceHandler::devicePropertyInit(const QString &uniqueId)
{
    if (TLinkDevice *device = findDevice(uniqueId))
        device->initProperties(TLinkSNMPIf::instance()->getProperties(uniqueId));
}

void TLinkDeviceHandler::allPropertiesUpdated(const QString &uniqueId)
{
    if (TLinkDevice *device = findDevice(uniqueId))
        device->allPropertiesUpdated(TLinkSNMPIf::instance()->getProperties(uniqueId));
}

void TLinkDeviceHandler::propertyUpdated(const snmp_get_value_t &snmpValue)
{
    if (TLinkDevice *device = findDevice(snmpValue.uniqueId))
        device->propertyUpdated(snmpValue);
}

void TLinkDeviceHandler::propertiesUpdated(const snmp_req_list_t &snmpValues)
{
    if (TLinkDevice *device = findDevice(snmpValues.uniqueId))
        device->propertiesUpdated(snmpValues);
}

void TLinkDeviceHandler::softwareUpdateComplete(const QString &uniqueId)
{
    TLinkDevice *device = findDevice(uniqueId);
    if (!device)
        return;
    TLinkSNMPIf::instance()->updateDevice(uniqueId, device->getSrvUrl(), device->getModel(),
                                          device->getSoftwareVersion());
    device->initiateDeviceStatus();
}

// ---- software searches --------------------------------------------------------------------

bool TLinkDeviceHandler::isDrive(const QString &path)
{
    if (path.size() == 2 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':'))
        return true;
    // Removable drives are known here by their mount path.
    QStringList removable;
    if (path.isEmpty() || !RemovableVolumeWatcher::readRemovableMounts(QStringLiteral("/proc/self/mounts"),
                                                                       QStringLiteral("/sys"), &removable))
        return false;
    return removable.contains(path);
}

void TLinkDeviceHandler::setSearchState(const QString &path)
{
    m_softwareSearchService->setState(isDrive(path) ? 1281 : 1282, -1, QString());
}

void TLinkDeviceHandler::handleSwSearchInit(const QString &path)
{
    if (m_manualSearches.removeOne(path))
        return;
    m_searchPaths.append(path);
    if (m_searchPaths.size() == 1)
        setSearchState(path);
}

void TLinkDeviceHandler::handleSwSearchEnd(const QString &path)
{
    m_searchPaths.removeOne(path);
    if (m_searchPaths.isEmpty()) {
        m_softwareSearchService->setState(1, -1, QString());
        return;
    }
    if (!m_searchPaths.first().isEmpty())
        setSearchState(m_searchPaths.first());
}
