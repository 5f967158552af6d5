// The services a device offers: entries from the model list and from
// discovery, the service bits and the service states they switch on.

#include "tlinkdevice.h"

#include "infoservice.h"
#include "tlinksnmpif.h"

#include <QDebug>
#include <QTimer>

#include <algorithm>

namespace {

const QString WebServiceUrl = QStringLiteral("service:web.vantor:http://");
const QString MibServiceUrl = QStringLiteral("service:mib.vantor:http://");

// A model-list web name is "host/path" or a bare path.
void splitServiceName(const QString &name, QString &host, QString &path)
{
    const int slash = name.indexOf(QLatin1Char('/'));
    if (name.startsWith(QLatin1Char('/')) || slash < 0) {
        host = QStringLiteral("default");
        path = name;
    } else {
        host = name.left(slash);
        path = name.mid(slash);
    }
}

} // namespace

void TLinkDevice::addServiceBit(Services_t bit)
{
    m_services |= bit;
}

void TLinkDevice::setServiceReady(InfoService *service)
{
    service->setState(1, -1, QString());
}

void TLinkDevice::probeSnmpServices(bool all)
{
    QStringList names;
    getServiceNames(QStringLiteral("snmp"), names);
    // Again and again only one, in turn: each read of a silent agent holds
    // the SNMP thread until it times out, and an agent that lacks one object
    // still answers for another.
    if (!all && !names.isEmpty())
        names = QStringList{names.at(m_serviceProbeRound++ % names.size())};
    m_serviceProbesPending = names;
    for (const QString &name : qAsConst(names))
        TLinkSNMPIf::instance()->sendGetReq(getUniqueId(), name);
    // Until the agent answers, the probe is repeated on a clock of its own:
    // an answer that never comes back must not end the probing.
    if (!m_snmpAnswered && m_serviceProbeTimer && !names.isEmpty()) {
        m_serviceProbeTimer->start(m_serviceProbeWaitMs);
        m_serviceProbeWaitMs = qMin(m_serviceProbeWaitMs * 2, 60000);
    }
}

void TLinkDevice::noteServiceProbe(const snmp_get_value_t &value)
{
    const bool probe = m_serviceProbesPending.removeOne(value.mibObjectName);
    if (!m_serviceProbeTimer) // no probe started yet
        return;
    if (m_snmpAnswered) {
        // One lost answer of a busy agent must not leave a service out for
        // good: a probe that fails once the agent answers is asked again, a
        // few times, then taken as an object the device lacks.
        if (probe && !value.ok && m_serviceProbeRetries > 0) {
            --m_serviceProbeRetries;
            const QString name = value.mibObjectName;
            QTimer::singleShot(m_serviceProbeMs, this, [this, name] {
                m_serviceProbesPending.append(name);
                TLinkSNMPIf::instance()->sendGetReq(getUniqueId(), name);
            });
        }
        return;
    }
    if (value.ok) {
        // The agent answers: every probe that failed before, in this round
        // or an earlier one, is asked once more.
        m_snmpAnswered = true;
        m_serviceProbeRetries = 8;
        m_serviceProbeTimer->stop();
        m_serviceProbesFailed.removeAll(value.mibObjectName);
        const QStringList failed = m_serviceProbesFailed;
        m_serviceProbesFailed.clear();
        m_serviceProbesPending += failed;
        for (const QString &name : failed)
            TLinkSNMPIf::instance()->sendGetReq(getUniqueId(), name);
        return;
    }
    if (probe && !m_serviceProbesFailed.contains(value.mibObjectName))
        m_serviceProbesFailed.append(value.mibObjectName);
    if (probe && m_serviceProbesPending.isEmpty())
        qDebug().noquote() << "TLinkDevice::noteServiceProbe:" << getUniqueId()
                           << "SNMP agent not answering; asked again in" << m_serviceProbeTimer->remainingTime() << "ms";
}

void TLinkDevice::initServices()
{
    if (!m_serviceProbeTimer) {
        m_serviceProbeTimer = new QTimer(this);
        m_serviceProbeTimer->setSingleShot(true);
        connect(m_serviceProbeTimer, &QTimer::timeout, this, [this] { probeSnmpServices(false); });
    }
    m_serviceProbeTimer->stop();
    m_serviceProbeWaitMs = m_serviceProbeMs;
    m_snmpAnswered = false;
    m_serviceProbesFailed.clear();
    m_serviceProbeRound = 0;
    probeSnmpServices(true);

    QStringList httpNames;
    getServiceNames(QStringLiteral("http"), httpNames);
    struct ModelService
    {
        int id;
        const QString &url;
        Services_t bit;
    };
    const ModelService modelServices[] = {{1824, WebServiceUrl, ServiceWebInterface},
                                          {1840, MibServiceUrl, ServiceMibFile}};
    for (const QString &name : qAsConst(httpNames)) {
        for (const ModelService &model : modelServices) {
            if (!hasService(name, model.id))
                continue;
            device_service_t service;
            service.srvurl = model.url;
            splitServiceName(name, service.address, service.attributes);
            m_serviceList.append(parseServiceAttributes(service, false));
            emit updated(this);
            addServiceBit(model.bit);
            emit updatedServiceList(m_services);
            postEvent(model.id, QStringLiteral(" %1%2").arg(service.srvurl, service.address), 0);
        }
    }
}

device_service_entry_t TLinkDevice::parseServiceAttributes(const device_service_t &service, bool available)
{
    device_service_entry_t entry;
    entry.available = available;
    entry.srvurl = service.srvurl;
    entry.attributes = service.attributes;
    entry.host = service.address;

    const QString &url = service.srvurl;
    // A service URL that already names the host (as an SLP URL does) is not
    // followed by it once more.
    const bool urlHasHost = !service.address.isEmpty() && url.contains(QStringLiteral("://") + service.address);
    const QString eventText = QStringLiteral(" %1%2%3").arg(url, urlHasHost ? QString() : service.address,
                                                            service.attributes);
    const bool hasHost = !service.address.isEmpty();
    auto recognise = [&](int eventId, InfoService *state, Services_t bit, int typeId) {
        postEvent(eventId, eventText, 0);
        setServiceReady(state);
        addServiceBit(bit);
        entry.serviceBit = int(bit);
        entry.serviceTypeId = typeId;
        emit updatedServiceList(m_services);
    };

    if (url.contains(QLatin1String("web")) && url.contains(QLatin1String("http")) && hasHost)
        recognise(1824, m_webInterfaceService, ServiceWebInterface, 1824);
    if (url.contains(QLatin1String("mib")) && url.contains(QLatin1String("http")) && hasHost)
        recognise(1840, m_mibFileService, ServiceMibFile, 1840);
    if (url.contains(QLatin1String("reboot")) && hasHost)
        recognise(1026, m_rebootService, ServiceReboot, 1024);
    const QStringList upgradeKeys = {QStringLiteral("service-version="), QStringLiteral("service-protocol="),
                                     QStringLiteral("meta="), QStringLiteral("meta-version=")};
    const bool upgradeAttributes = std::all_of(upgradeKeys.begin(), upgradeKeys.end(),
                                               [&](const QString &key) { return service.attributes.contains(key); });
    if (url.contains(QLatin1String("firmware-upgrade")) && url.contains(QLatin1String("://")) && hasHost &&
        upgradeAttributes)
        recognise(264, m_softwareUpdateService, ServiceSoftwareUpdate, 256);
    return entry;
}

void TLinkDevice::addService(const device_service_t &service)
{
    postEvent(16, QStringLiteral("%1-%2-%3").arg(service.srvurl, service.address, service.attributes), 0);
    m_serviceList.append(parseServiceAttributes(service, true));
    emit updated(this);
}

void TLinkDevice::updateService(const device_service_t &service)
{
    if (m_serviceList.isEmpty()) {
        addService(service);
        return;
    }
    int found = -1;
    bool known = false;
    for (int i = 0; i < m_serviceList.size(); ++i) {
        const device_service_entry_t &entry = m_serviceList.at(i);
        known = known || entry.srvurl == service.srvurl;
        if (entry.srvurl == service.srvurl && (entry.attributes != service.attributes || entry.host != service.address))
            found = i;
    }
    // A service whose first report missed the device (it came before the
    // device was known) is new to it.
    if (!known) {
        addService(service);
        return;
    }
    if (found < 0)
        return;
    postEvent(16, QStringLiteral("%1%2 - %3 (updated)").arg(service.srvurl, service.address, service.attributes), 0);
    m_serviceList[found] = parseServiceAttributes(service, true);
    emit updated(this);
}

Services_t TLinkDevice::getServices() const
{
    return m_services;
}

QString TLinkDevice::getServiceProtocol(int serviceId) const
{
    for (const device_service_entry_t &entry : m_serviceList)
        if (entry.serviceTypeId != 0 && entry.serviceTypeId == serviceId)
            return entry.srvurl;
    return QString();
}

QString TLinkDevice::getServiceApp(int serviceId) const
{
    for (const device_service_entry_t &entry : m_serviceList)
        if (entry.serviceTypeId != 0 && entry.serviceTypeId == serviceId)
            return entry.attributes;
    return QString();
}

QString TLinkDevice::getServiceAddress(int serviceId) const
{
    for (const device_service_entry_t &entry : m_serviceList)
        if (entry.serviceTypeId != 0 && entry.serviceTypeId == serviceId)
            return entry.host == QLatin1String("default") ? getIpAddress() : entry.host;
    return QString();
}

bool TLinkDevice::isServiceAvailable(int serviceId) const
{
    // The model list's record of a service and the one the device announced
    // may both be there, in either order: any announced one counts.
    for (const device_service_entry_t &entry : m_serviceList)
        if (entry.serviceTypeId != 0 && entry.serviceTypeId == serviceId && entry.available)
            return true;
    return false;
}
