// Live logging: points the device's logging client at this program's syslog
// receiver, switches it on or off and follows whether the device did so.

#include "tlinkdevice.h"

#include "enumvalue.h"
#include "infoservice.h"
#include "tlinksnmpif.h"
#include "tlinksyslogif.h"

#include <QDateTime>
#include <QTimer>

namespace {

const QString EnableObject = QStringLiteral("zkLoggingClientEnable");
const QString AddressObject = QStringLiteral("zkLoggingClientDestinationIp");
const QString PortObject = QStringLiteral("zkLoggingClientDestinationPort");
const QString EventObject = QStringLiteral("zkLoggingClientEventDelivery");
const QString TraceObject = QStringLiteral("zkLoggingClientTraceDelivery");
const QString PosixTimeObject = QStringLiteral("zkSystemConfigPosixTime");
const QString IsoTimeObject = QStringLiteral("zkSystemConfigISOTime");

// 2011-09-27 00:00:00 UTC: a device clock before it has not been set.
constexpr qint32 EarliestDeviceClock = 1317081600;

enum LiveLoggingStep { StepUnknown = 0, StepOff = 1, StepStarting = 2, StepOn = 3, StepStopping = 4 };

} // namespace

// The port of this program's syslog receiver.
static int syslogPort(const QSettings &settings)
{
    bool ok = false;
    const int port = settings.value(QStringLiteral("syslog_server/portnumber")).toInt(&ok);
    return ok && port > 0 ? port : 514;
}

void TLinkDevice::connectLiveLog(QObject *receiver, const char *initSlot, int maxLines, const char *newTextSlot)
{
    TLinkSyslogIf::instance()->connectSyslogDevice(getUniqueId(), receiver, initSlot, maxLines, newTextSlot);
}

void TLinkDevice::disconnectLiveLog(QObject *receiver, const char *initSlot, const char *newTextSlot)
{
    TLinkSyslogIf::instance()->disconnectSyslogDevice(getUniqueId(), receiver, initSlot, newTextSlot);
}

bool TLinkDevice::isLiveLoggingEnabled() const
{
    if (!(m_services & ServiceLiveLogging))
        return false;
    EnumValue *enable = nullptr;
    if (readEnumProperty(EnableObject, enable) != 0 || enable->getNumber() != 2)
        return false;
    QString address;
    if (readStringProperty(AddressObject, address) != 0 || address != getDeviceHostAddress().toString())
        return false;
    qint32 port = 0;
    if (readIntProperty(PortObject, port) != 0 || port != syslogPort(m_settings))
        return false;
    for (const QString &name : {EventObject, TraceObject}) {
        EnumValue *delivery = nullptr;
        if (readEnumProperty(name, delivery) == 0 && delivery->getNumber() != 2)
            return false;
    }
    return true;
}

void TLinkDevice::startLiveLogging()
{
    const QHostAddress host = getDeviceHostAddress();
    if (host.isNull()) {
        postEvent(512, QString(), 0);
        return;
    }
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    m_liveLoggingClockPending = !setDeviceClockIfUnset();

    const int port = syslogPort(m_settings);
    const QString hostText = host.toString();
    snmp_req_list_t request;
    request.uniqueId = getUniqueId();
    request.kind = 1;
    qint32 reportedPort = 0;
    if (readIntProperty(PortObject, reportedPort) != 0 || reportedPort != port)
        request.items.append({PortObject, QString::number(port)});
    QString reportedAddress;
    if (readStringProperty(AddressObject, reportedAddress) != 0 || reportedAddress != hostText)
        request.items.append({AddressObject, hostText});
    request.items.append({EnableObject, QStringLiteral("2")});
    request.result = 0;
    snmp->setProperties(request);
    snmp->setProperty(getUniqueId(), EventObject, QStringLiteral("2"));
    snmp->setProperty(getUniqueId(), TraceObject, QStringLiteral("2"));

    setLiveLogPropertiesDynamic(true);
    m_liveLoggingStep = StepStarting;
    m_liveLoggingClock.start();
    watchLiveLoggingTimeout();
    m_liveLoggingService->setState(513, -1, QString());
    emit updated(this);
}

// A device clock that was never set is set to this computer's time; false
// while the clock is not known (its last read failed).
bool TLinkDevice::setDeviceClockIfUnset()
{
    qint32 deviceClock = 0;
    if (readIntProperty(PosixTimeObject, deviceClock) != 0)
        return false;
    if (deviceClock < EarliestDeviceClock)
        TLinkSNMPIf::instance()->setProperty(getUniqueId(), IsoTimeObject,
                                             QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    return true;
}

void TLinkDevice::stopLiveLogging()
{
    m_liveLoggingClockPending = false;
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    snmp_req_list_t request;
    request.uniqueId = getUniqueId();
    request.kind = 2;
    request.items.append({EnableObject, QStringLiteral("1")});
    request.result = 0;
    snmp->setProperties(request);
    snmp->setProperty(getUniqueId(), EventObject, QStringLiteral("1"));
    snmp->setProperty(getUniqueId(), TraceObject, QStringLiteral("1"));

    setLiveLogPropertiesDynamic(true);
    m_liveLoggingStep = StepStopping;
    m_liveLoggingClock.start();
    watchLiveLoggingTimeout();
    m_liveLoggingService->setState(515, -1, QString());
    emit updated(this);
}

// A device that stops answering sends no values that would run the
// follow-up, so the time-out gets a run of its own.
void TLinkDevice::watchLiveLoggingTimeout()
{
    QTimer::singleShot(int(m_liveLoggingTimeoutMs) + 10, Qt::PreciseTimer, this, [this] {
        if (checkLiveLoggingState())
            emit updated(this);
    });
}

// Follows the device's logging client; true when the change is worth an
// update notice.
bool TLinkDevice::checkLiveLoggingState()
{
    if (!(m_services & ServiceLiveLogging))
        return false;
    if (m_liveLoggingClockPending)
        m_liveLoggingClockPending = !setDeviceClockIfUnset();
    const bool on = isLiveLoggingEnabled();
    const auto setService = [this](int state) { m_liveLoggingService->setState(state, -1, QString()); };
    switch (m_liveLoggingStep) {
    case StepUnknown:
        if (on) {
            setService(514);
            m_liveLoggingStep = StepOn;
        } else {
            setService(512);
            m_liveLoggingStep = StepOff;
            setLiveLogPropertiesDynamic(false);
        }
        return true;
    case StepOff:
        if (on) {
            setService(514);
            m_liveLoggingStep = StepOn;
        }
        return false;
    case StepStarting:
        if (on) {
            setService(514);
            m_liveLoggingStep = StepOn;
            setLiveLogPropertiesDynamic(false);
        } else if (m_liveLoggingClock.elapsed() > m_liveLoggingTimeoutMs) {
            m_liveLoggingStep = StepOff;
            postEvent(513, QString(), 0);
            setService(512);
            setLiveLogPropertiesDynamic(false);
        }
        return false;
    case StepOn:
        if (!on) {
            m_liveLoggingStep = StepOff;
            setService(512);
        }
        return false;
    case StepStopping:
        if (!on) {
            setService(512);
            setLiveLogPropertiesDynamic(false);
            m_liveLoggingStep = StepOff;
        } else if (m_liveLoggingClock.elapsed() > m_liveLoggingTimeoutMs) {
            m_liveLoggingStep = StepOn;
            postEvent(514, QString(), 0);
            setService(514);
            setLiveLogPropertiesDynamic(false);
        }
        return false;
    default:
        return false;
    }
}
