// Reboot, online state, device status and connection status.

#include "tlinkdevice.h"
#include "eventtext.h"

#include "enumvalue.h"
#include "infoservice.h"
#include "tlinksnmpif.h"

#include <QDebug>
#include <QTimer>

namespace {

const QString ResetObject = QStringLiteral("zkSystemConfigReset");
const QString UpTimeObject = QStringLiteral("sysUpTime");

} // namespace

// ---- reboot ------------------------------------------------------------------------

void TLinkDevice::rebootDevice()
{
    snmp_req_list_t request;
    request.uniqueId = getUniqueId();
    request.kind = 0;
    request.items.append({ResetObject, QStringLiteral("2")});
    request.result = 0;
    // The up time now (or earlier: it only grows) is the mark a restart
    // falls below.
    QString upTime;
    bool known = readStringProperty(UpTimeObject, upTime) == 0;
    m_rebootUpTime = known ? upTime.toLongLong(&known) : -1;
    if (!known)
        m_rebootUpTime = -1;
    m_rebootSetAnswered = false;
    m_rebootSeenGone = false;
    TLinkSNMPIf::instance()->setProperties(request);
    TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), ResetObject, true);
    TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), UpTimeObject, true);
    // The values held now were read before the request: only the device's
    // next answers may confirm the restart.
    invalidateProperty(ResetObject);
    invalidateProperty(UpTimeObject);
    m_rebootMode = RebootRequested;
    m_rebootClock.start();
    m_rebootTimer->start(m_rebootTimeoutMs);
    postEvent(1025, QString(), 1);
    m_rebootService->setState(1024, -1, QString());
    emit updated(this);
}

bool TLinkDevice::checkRebootState()
{
    if (!(m_services & ServiceReboot) || m_rebootMode != RebootRequested)
        return false;
    if (m_rebootClock.elapsed() < RebootSettleMs)
        return false;
    EnumValue *value = nullptr;
    // "Not reset" alone is no proof: an agent that never got the request
    // answers it too. The restart must show.
    if (readEnumProperty(ResetObject, value) == 0 && value->getNumber() == 1 && rebootEvidenceSeen()) {
        m_rebootTimer->stop();
        m_rebootService->setState(1, -1, QString());
        TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), ResetObject, false);
        TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), UpTimeObject, false);
        m_rebootMode = RebootConfirmed;
        postEvent(1025, QString(), 2);
        emit updated(this);
        return true;
    }
    if (m_rebootClock.elapsed() >= m_rebootTimeoutMs) {
        endReboot(-2);
        postEvent(1024, QString(), 0);
    }
    return false;
}

bool TLinkDevice::rebootEvidenceSeen() const
{
    // Gone (off the network, or silent after it took the request) and back.
    if (m_rebootSeenGone)
        return true;
    // Or its up time, read afresh: below the one held at the request, or
    // shorter than the time since the request (whole seconds, so one more).
    // A value equal to the one held is the old reading itself.
    QString upTime;
    if (readStringProperty(UpTimeObject, upTime) != 0)
        return false;
    bool ok = false;
    const qint64 now = upTime.toLongLong(&ok);
    if (!ok || now < 0)
        return false;
    if (m_rebootUpTime >= 0 && now < m_rebootUpTime)
        return true;
    return now != m_rebootUpTime && (now + 1) * 1000 <= m_rebootClock.elapsed();
}

void TLinkDevice::endReboot(int serviceState)
{
    m_rebootTimer->stop();
    m_rebootMode = RebootNone;
    m_rebootService->setState(serviceState, -1, QString());
    TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), ResetObject, false);
    TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), UpTimeObject, false);
}

void TLinkDevice::rebootTimedOut()
{
    // Only the time-out: a value read before the device went down must not
    // count as the device being up again.
    if (m_rebootMode != RebootRequested)
        return;
    endReboot(-2);
    postEvent(1024, QString(), 0);
    emit updated(this);
}

void TLinkDevice::checkServiceStates()
{
    const bool liveLoggingChanged = checkLiveLoggingState();
    checkDiagReportState();
    if (checkRebootState())
        return;
    if (liveLoggingChanged)
        emit updated(this);
}

// ---- online state --------------------------------------------------------------------

void TLinkDevice::setOnline(bool online)
{
    if (online == m_online)
        return;
    m_online = online;
    // A device that goes away while it restarts after an update: the version
    // read before is not the one it will run.
    if (!online && m_uploadState == 5) {
        invalidateProperty(QStringLiteral("zkSystemConfigSoftwareVersion"));
        invalidateProperty(QStringLiteral("zkSystemConfigSoftwareBuildNumber"));
    }
    if (m_rebootMode == RebootRequested) {
        m_rebootService->setState(1025, -1, QString());
        if (!online) {
            // Gone: what it says once back is news of the restart.
            m_rebootSeenGone = true;
            invalidateProperty(ResetObject);
        }
    }
    emit updated(this);
}

// ---- device status ----------------------------------------------------------------------

void TLinkDevice::initiateDeviceStatus(Services_t services, bool async_call)
{
    if (!(services & ServiceDeviceStatus))
        return;
    if (m_statusTimer->isActive() && !async_call)
        return;
    qDebug().noquote() << "TLinkDevice::initiateDeviceStatus: Device: " << getModelName() << " -Device Status service started.";
    m_statusTimer->start(StatusIntervalMs);
    QStringList names;
    getSnmpStatusProperties(names);
    getSnmpStatusObjectNames(names);
    for (const QString &name : qAsConst(names))
        TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), name, true);
    postEvent(1792, QString(), 0);
    updateDeviceStatus();
}

void TLinkDevice::initiateDeviceStatus()
{
    initiateDeviceStatus(m_services, true);
}

void TLinkDevice::updateDeviceStatus()
{
    const int previousState = m_deviceStatusService->getState();
    m_deviceStatus = StatusUnknown;
    QString description;
    int level = StatusUnknown;
    int valuesRead = 0;

    QStringList names;
    const int propertyCount = getSnmpStatusProperties(names);
    for (const QString &name : qAsConst(names)) {
        QString type;
        QString format;
        int code = 0;
        const int index = getStatusProperty(name, type, format, code);
        if (index < 0)
            continue;
        QString line;
        QString result;
        if (type == QLatin1String("Integer")) {
            EnumValue *value = nullptr;
            if (readEnumProperty(name, value) == 0) {
                ++valuesRead;
                level = evaluateStatus(name, QString(), value->getNumber(), result);
                if (!format.isEmpty())
                    line = QStringLiteral("%1: ").arg(format);
                if (!result.isEmpty())
                    line += result;
            }
        } else if (type == QLatin1String("Integer32")) {
            qint32 value = 0;
            if (readIntProperty(name, value) == 0) {
                ++valuesRead;
                level = evaluateStatus(name, QString(), value, result);
                line = QStringLiteral("%1: %2").arg(format, result);
            }
        } else if (type == QLatin1String("String")) {
            QString value;
            if (readStringProperty(name, value) == 0) {
                ++valuesRead;
                level = evaluateStatus(name, value, 0, result);
                line = QStringLiteral("%1: %2").arg(format, result);
            }
        }

        QString object;
        QString valueType;
        QString valueDescription;
        int valueCode = 0;
        if (getStatusPropertyAt(index, object, valueType, valueDescription, valueCode) != -1)
            description += formatStatusDetail(format, object, valueType, valueDescription);
        else if (!line.isEmpty() && propertyCount > 1)
            description += line + QLatin1Char('\n');

        if (level > m_deviceStatus) {
            m_deviceStatus = level;
            m_statusText = line;
        }
    }

    if (m_deviceStatus == StatusUnknown) {
        if (!m_online || !m_snmpAnswering) {
            m_statusText = tr("Unknown");
        } else if (valuesRead > 0) {
            m_deviceStatus = StatusWarning;
            m_statusText = tr("Warning");
        } else {
            m_deviceStatus = StatusOk;
            m_statusText = tr("Connected");
        }
        m_statusDescription.clear();
    }
    m_statusDescription = m_deviceStatus > StatusOk ? description : QString();

    if (m_deviceStatus != previousState) {
        m_deviceStatusService->setState(m_deviceStatus, -1, description);
        emit updated(this);
        if (m_deviceStatus == StatusUnknown)
            postEvent(StatusError, eventExtraText(tr("Unknown status")), 0);
        else
            postEvent(m_deviceStatus, eventExtraText(m_statusText), 0);
    }
}

QString TLinkDevice::formatStatusDetail(const QString &format, const QString &object, const QString &type,
                                        const QString &description) const
{
    if (type == QLatin1String("Integer")) {
        EnumValue *value = nullptr;
        if (readEnumProperty(object, value) != 0)
            return QString();
        if (description.isEmpty())
            return QStringLiteral("%1: %2\n").arg(format, value->getText());
        return QStringLiteral("%1 %2: %3\n").arg(format, description, value->getText());
    }
    if (type == QLatin1String("Integer32")) {
        qint32 value = 0;
        if (readIntProperty(object, value) != 0)
            return QString();
        if (description.isEmpty())
            return QStringLiteral("%1= %2\n").arg(format, QString::number(value));
        return QStringLiteral("%1 %2= %3\n").arg(format, description, QString::number(value));
    }
    if (type == QLatin1String("String")) {
        QString value;
        if (readStringProperty(object, value) != 0)
            return QString();
        if (description.isEmpty())
            return QStringLiteral("%1= %2\n").arg(format, value);
        return QStringLiteral("%1 %2= %3\n").arg(format, description, value);
    }
    return QString();
}

int TLinkDevice::getConnectionStatus(QString &status, QString &description)
{
    if (!m_online || !m_snmpAnswering) {
        status = tr("Offline");
        description = tr("The communication with the device is down.");
        return StatusOffline;
    }
    if (m_services & ServiceDeviceStatus) {
        status = m_statusText;
        description = m_statusDescription;
        return m_deviceStatus;
    }
    status = tr("Connected");
    return StatusOk;
}

void TLinkDevice::postWebServiceEvent(const QString &text)
{
    postEvent(1825, eventExtraText(text), 0);
}
