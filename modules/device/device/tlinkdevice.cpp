#include "tlinkdevice.h"

#include "infoservice.h"
#include "networkinterfacewatcher.h"
#include "propertygroup.h"
#include "tlinksnmpif.h"
#include "tlinksyslogif.h"

#include <QDebug>
#include <QNetworkInterface>
#include <QTimer>

namespace {

// The host part of a service URL: the text after "://", empty when there is none.
QString hostOfUrl(const QString &srvUrl)
{
    const int at = srvUrl.indexOf(QLatin1String("://"));
    if (at < 0) {
        qDebug().noquote() << "TLinkDevice::hostOfUrl: no host in service URL" << srvUrl;
        return QString();
    }
    return srvUrl.mid(at + 3);
}

} // namespace

TLinkDevice::TLinkDevice(const device_param_t &param, QObject *parent)
    : TLinkDeviceIf(parent)
    , m_currentSoftware(0, 0, 0, 0)
    , m_param(param)
{
    m_currentSoftware.setVersion(param.swversion, param.swbuild);
    m_ipAddress = hostOfUrl(m_param.srvurl);
    m_hostAddress = QHostAddress(m_ipAddress);

    m_uploadTimer = new QTimer(this);
    connect(m_uploadTimer, &QTimer::timeout, this, &TLinkDevice::updateUploadState);
    connect(this, &TLinkDeviceIf::updatedServiceList, this, &TLinkDevice::initiateUploadState);

    m_statusTimer = new QTimer(this);
    connect(m_statusTimer, &QTimer::timeout, this, &TLinkDevice::updateDeviceStatus);
    connect(this, SIGNAL(updatedServiceList(Services_t)), this, SLOT(initiateDeviceStatus(Services_t)));

    // A device that never comes back sends no values that would run the
    // reboot follow-up, so the reboot's time-out has a timer of its own.
    m_rebootTimer = new QTimer(this);
    m_rebootTimer->setSingleShot(true);
    connect(m_rebootTimer, &QTimer::timeout, this, &TLinkDevice::rebootTimedOut);

    initModelInfo(m_param.model, m_param.vendor);
    postEvent(1, QString(), 0);

    m_rebootService = createInfoService(1024, -3);
    m_diagReportService = createInfoService(768, -3);
    m_liveLoggingService = createInfoService(512, -3);
    m_softwareUpdateService = createInfoService(256, -3);
    m_deviceStatusService = createInfoService(1792, 1793);
    m_configurationService = createInfoService(1808, -1);
    m_webInterfaceService = createInfoService(1824, -1);
    m_mibFileService = createInfoService(1840, -1);
}

TLinkDevice::~TLinkDevice()
{
    // A debug session left open would keep serving later requests for this
    // address with results that go nowhere.
    closeDebugSession();
    qDeleteAll(m_softwareList);
}

// ---- InfoDevice ----------------------------------------------------------------

QString TLinkDevice::getName() const
{
    if (!m_param.alias.isEmpty())
        return m_param.alias + QLatin1String(" (") + m_param.product + QLatin1Char(')');
    return m_param.product;
}

int TLinkDevice::getStartupTimeout() const
{
    const int value = InfoDevice::getStartupTimeout();
    return value > 0 ? value : 60;
}

int TLinkDevice::getProgressTimeout() const
{
    const int value = InfoDevice::getProgressTimeout();
    return value > 0 ? value : 600;
}

int TLinkDevice::getTftpTimeout() const
{
    return InfoDevice::getTftpTimeout() != 0 ? 1 : 0;
}

int TLinkDevice::getRebootOnComplete() const
{
    return InfoDevice::getRebootOnComplete() == 1 ? 1 : 0;
}

// ---- identity ----------------------------------------------------------------

QString TLinkDevice::getSoftwareVersion() const { return m_currentSoftware.getVersionText(); }
QString TLinkDevice::getModel() const { return m_param.model; }
QString TLinkDevice::getSerialNumber() const { return m_param.serialno; }
QString TLinkDevice::getProduct() const { return m_param.product; }
QString TLinkDevice::getVendor() const { return m_param.vendor; }
QString TLinkDevice::getSrvUrl() const { return m_param.srvurl; }
QString TLinkDevice::getAliasName() const { return m_param.alias; }
QString TLinkDevice::getSoftwareBuild() const { return m_param.swbuild; }
QString TLinkDevice::getIpAddress() const { return m_ipAddress; }
device_param_t TLinkDevice::getDeviceParam() const { return m_param; }
bool TLinkDevice::isOnline() const { return m_online; }
QString TLinkDevice::getUniqueId() const { return m_param.uniqueId; }

void TLinkDevice::updateDevice(const device_param_t &param)
{
    const device_param_t old = m_param;
    m_param = param;
    if (m_param.uniqueId != old.uniqueId) {
        qDebug().noquote() << "TLinkDevice::updateDevice: Change unique ID: " << m_param.uniqueId << m_param.srvurl;
        TLinkSNMPIf::instance()->changeUniqueId(old.uniqueId, m_param.uniqueId);
        TLinkSyslogIf::instance()->changeUniqueId(old.uniqueId, m_param.uniqueId);
    }
    if (m_param.srvurl != old.srvurl) {
        qDebug().noquote() << "TLinkDevice::updateDevice: Change sevurl: " << m_param.uniqueId << m_param.srvurl;
        updateHostAddress(m_param.srvurl);
    }
    setSoftwareVersion(m_param.swversion, m_param.swbuild);
    TLinkSNMPIf::instance()->reReadAllProperties(m_param.uniqueId);
    emit updated(this);
}

void TLinkDevice::updateHostAddress(const QString &srvUrl)
{
    m_ipAddress = hostOfUrl(srvUrl);
    m_hostAddress = QHostAddress(m_ipAddress);
    m_localAddressKnown = false;
    TLinkSNMPIf::instance()->changeDeviceAddress(m_param.uniqueId, m_ipAddress);
    TLinkSyslogIf::instance()->changeHostAddress(m_param.uniqueId, m_ipAddress);
}

QHostAddress TLinkDevice::getDeviceHostAddress() const
{
    QHostAddress result;
    if (m_hostAddress.protocol() != QAbstractSocket::IPv4Protocol)
        return result;
    const quint64 generation = NetworkInterfaceWatcher::instance()->generation();
    if (m_localAddressKnown && m_localAddressGeneration == generation)
        return m_localAddress;
    const quint32 device = m_hostAddress.toIPv4Address();
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        if (!result.isNull())
            break;
        const QList<QNetworkAddressEntry> entries = interface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || entry.netmask().isNull())
                continue;
            const quint32 mask = entry.netmask().toIPv4Address();
            qDebug().noquote() << "TLinkDevice::getDeviceHostAddress: found mask: " << entry.netmask().toString()
                     << " Host: " << entry.ip().toString() << " device: " << m_hostAddress.toString();
            if ((entry.ip().toIPv4Address() & mask) == (device & mask)) {
                result = entry.ip();
                qDebug().noquote() << "TLinkDevice::getDeviceHostAddress: found mask: " << entry.netmask().toString()
                         << " Host: " << result.toString() << " device: " << m_hostAddress.toString();
                break;
            }
        }
    }
    m_localAddress = result;
    m_localAddressGeneration = generation;
    m_localAddressKnown = true;
    return result;
}

QString TLinkDevice::getKeyFileName(const TLinkSoftware *software) const
{
    if (!software)
        return QStringLiteral("no_software_ref");
    QString key = getModel() + software->getVersionText() + software->getBuildText();
    while (!key.isEmpty() && !key.at(0).isDigit())
        key.remove(0, 1);
    return key;
}

QString TLinkDevice::getDateCode(const QDateTime &time)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    return QStringLiteral("%1%2%3%4%5")
        .arg(date.year() - 2013, 2, 16, QLatin1Char(' '))
        .arg(date.month(), 1, 16)
        .arg(date.day(), 2, 16, QLatin1Char('0'))
        .arg(clock.hour(), 2, 16, QLatin1Char('0'))
        .arg(clock.minute(), 2, 16, QLatin1Char('0'));
}

bool TLinkDevice::isNewerSoftware(const TLinkSoftware &a, const TLinkSoftware &b)
{
    return a.isNewerThan(b);
}

// ---- software and upload sequence: tlinkdevicesoftware.cpp, tlinkdeviceupload.cpp ----


// ---- service states ---------------------------------------------------------------

InfoService *TLinkDevice::getLiveLoggingService() { return m_liveLoggingService; }
InfoService *TLinkDevice::getRebootService() { return m_rebootService; }
InfoService *TLinkDevice::getDiagReportService() { return m_diagReportService; }
InfoService *TLinkDevice::getDeviceStatusService() { return m_deviceStatusService; }
InfoService *TLinkDevice::getConfigurationService() { return m_configurationService; }
InfoService *TLinkDevice::getWebInterfaceService() { return m_webInterfaceService; }
InfoService *TLinkDevice::getMibFileService() { return m_mibFileService; }
