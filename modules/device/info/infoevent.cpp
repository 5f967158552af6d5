#include "infoevent.h"

#include "infodevice.h"
#include "infoservice.h"

#include <QCoreApplication>
#include <QDebug>

namespace {

// Known to the meta-type system before main, so that events can be queued
// between threads from the start.
const int infoEventTypeId = qRegisterMetaType<InfoEvent>("InfoEvent");

const char *const srcDeviceDiscovery = QT_TRANSLATE_NOOP("InfoEvent", "Device discovery");
const char *const srcServiceDiscovery = QT_TRANSLATE_NOOP("InfoEvent", "Service discovery");
const char *const srcSwUpdateService = QT_TRANSLATE_NOOP("InfoEvent", "Software update service");
const char *const srcSwUpdateFailed = QT_TRANSLATE_NOOP("InfoEvent", "Software update failed");
const char *const srcSwSearch = QT_TRANSLATE_NOOP("InfoEvent", "Software search service");
const char *const srcStartLogFailed = QT_TRANSLATE_NOOP("InfoEvent", "Start live logging failed");
const char *const srcStopLogFailed = QT_TRANSLATE_NOOP("InfoEvent", "Stop live logging failed");
const char *const srcSyslogManager = QT_TRANSLATE_NOOP("InfoEvent", "Syslog Manager");
const char *const srcDiagFailed = QT_TRANSLATE_NOOP("InfoEvent", "Diagnostic report failed");
const char *const srcRebootService = QT_TRANSLATE_NOOP("InfoEvent", "Reboot service");
const char *const srcRebootFailed = QT_TRANSLATE_NOOP("InfoEvent", "Reboot failed");
const char *const srcDeviceStatus = QT_TRANSLATE_NOOP("InfoEvent", "Device Status");
const char *const srcWebService = QT_TRANSLATE_NOOP("InfoEvent", "Web service");
const char *const srcMibService = QT_TRANSLATE_NOOP("InfoEvent", "Mib service");
const char *const srcSwUpload = QT_TRANSLATE_NOOP("InfoEvent", "Software Upload");
const char *const srcSnmpManager = QT_TRANSLATE_NOOP("InfoEvent", "SNMP manager");
const char *const srcTestEvent = QT_TRANSLATE_NOOP("InfoEvent", "Test event");

struct EventRow
{
    qint32 id;
    int serviceType;
    int severity;
    int flags;
    const char *source;
    const char *message;
};

#define MSG(text) QT_TRANSLATE_NOOP("InfoEvent", text)

const EventRow eventTable[] = {
    {1, 1792, 6, 1, srcDeviceDiscovery, MSG("New device has been discovered.")},
    {2, 1792, 4, 1, srcDeviceDiscovery, MSG("Device entering rescue mode!")},
    {3, 1792, 4, 1, srcDeviceDiscovery, MSG("Device reported offline")},
    {4, 1792, 6, 1, srcDeviceDiscovery, MSG("Device reported online")},
    {16, 0, 6, 1, srcServiceDiscovery, MSG("SLP:")},
    {256, 256, 4, 3, srcSwUpdateFailed, MSG("Software update rejected.")},
    {257, 256, 4, 3, srcSwUpdateFailed, MSG("Could not establish an update connection to the device!")},
    {258, 256, 4, 3, srcSwUpdateFailed, MSG("Device not ready, update may be in progress.")},
    {259, 256, 6, 1, srcSwUpdateService, MSG("Could not establish an update connection to the device!")},
    {260, 256, 4, 3, srcSwUpdateFailed, MSG("Device did not accept the update file.")},
    {261, 256, 4, 3, srcSwUpdateFailed, MSG("TFTP file transfer timeout.")},
    {262, 256, 6, 1, srcSwUpdateService, MSG("Initiated.")},
    {263, 256, 3, 3, srcSwUpdateFailed, MSG("Software file transfer error.")},
    {264, 256, 6, 1, srcSwUpdateService, MSG("Found -")},
    {272, 272, 6, 1, srcSwSearch, MSG("Device TIIF file found.")},
    {273, 272, 6, 1, srcSwSearch, MSG("Device TIIF file removed.")},
    {512, 512, 3, 3, srcStartLogFailed, MSG("Could not find the host IP address.")},
    {513, 512, 3, 3, srcStartLogFailed, MSG("Communication error.")},
    {514, 512, 3, 3, srcStopLogFailed, MSG("Communication error.")},
    {515, 512, 4, 1, srcSyslogManager, MSG("Write to file failed.")},
    {516, 512, 6, 1, srcSyslogManager, MSG("Initiated.")},
    {517, 512, 6, 1, srcSyslogManager, MSG("External Syslog configuration - ")},
    {768, 768, 3, 3, srcDiagFailed, MSG("Could not find the host IP address.")},
    {769, 768, 3, 3, srcDiagFailed, MSG("Could not download diagnostic report.")},
    {770, 768, 3, 3, srcDiagFailed, MSG("Specified directory doesn't exist.")},
    {1026, 1024, 6, 1, srcRebootService, MSG("found - ")},
    {1024, 1024, 3, 3, srcRebootFailed, MSG("Could not reboot the device.")},
    {1025, 1024, 6, 1, srcRebootService, MSG("Device reboot initiated.")},
    {1792, 1792, 6, 1, srcDeviceStatus, MSG("service started.")},
    {1793, 1792, 4, 1, srcDeviceStatus, MSG("changed - ")},
    {1794, 1792, 4, 1, srcDeviceStatus, MSG("changed - ")},
    {1795, 1792, 3, 1, srcDeviceStatus, MSG("changed - ")},
    {1796, 1792, 2, 1, srcDeviceStatus, MSG("changed - ")},
    {1824, 1824, 6, 1, srcWebService, MSG("started - ")},
    {1825, 1824, 6, 1, srcWebService, MSG("activated - ")},
    {1840, 1840, 6, 1, srcMibService, MSG("found - ")},
    {1841, 1840, 6, 1, srcMibService, MSG("saved - ")},
    {1842, 1840, 6, 1, srcMibService, MSG("loaded - ")},
    {2048, 2048, 6, 1, srcSwUpload, MSG("Bound to interface (ready for upload).")},
    {2049, 2048, 4, 3, srcSwUpload, MSG("Software upload may fail because the ZEL TFTP server could not access all interfaces.")},
    {2304, 2304, 6, 1, srcSnmpManager, MSG("Service started")},
    {2305, 2304, 6, 1, srcSnmpManager, MSG("Device added - ")},
    {2306, 2304, 6, 1, srcSnmpManager, MSG("MIB path - ")},
    {2307, 2304, 4, 1, srcSnmpManager, MSG("Warning, installation path missing (mib files)\nPreset to ")},
    {0x10000001, 0, 6, 3, srcTestEvent, MSG("Test event undefined info message.")},
    {0x10000002, 512, 4, 3, srcStartLogFailed, MSG("Test event live log warning message.")},
    {0x10000003, 768, 4, 3, srcDiagFailed, MSG("Test event diagnostics report warning message.")},
    {0x10000004, 1024, 4, 3, srcRebootFailed, MSG("Test event reboot warning message.")},
    {0x10000005, 256, 3, 3, srcSwUpdateFailed, MSG("Test event software update error message.")},
    {0x10000006, 256, 4, 3, srcSwUpdateFailed, MSG("Test event software update warning message.")},
};

#undef MSG

static_assert(sizeof(eventTable) / sizeof(eventTable[0]) == 50, "the event table has 50 rows");

struct SeverityRow
{
    int severity;
    const char *icon;
    const char *name;
};

const SeverityRow severityTable[] = {
    {6, "i_ev_severity_info", QT_TRANSLATE_NOOP("InfoEvent", "INFO")},
    {4, "i_ev_severity_warning", QT_TRANSLATE_NOOP("InfoEvent", "WARNING")},
    {3, "i_ev_severity_error", QT_TRANSLATE_NOOP("InfoEvent", "ERROR")},
};

const char *const onOffTable[] = {
    QT_TRANSLATE_NOOP("InfoEvent", "NONE"),
    QT_TRANSLATE_NOOP("InfoEvent", "ON"),
    QT_TRANSLATE_NOOP("InfoEvent", "OFF"),
};

QString tr(const char *text)
{
    return QCoreApplication::translate("InfoEvent", text);
}

} // namespace

InfoEvent::InfoEvent()
    : m_time(QDateTime::currentDateTime())
{
}

InfoEvent::InfoEvent(InfoEventId_t id, InfoDevice *source, const QString &extraText, int state)
    : m_state(state)
    , m_extraText(extraText)
    , m_time(QDateTime::currentDateTime())
    , m_source(source)
{
    bool found = false;
    for (const EventRow &row : eventTable) {
        if (row.id != id)
            continue;
        m_id = row.id;
        m_serviceType = row.serviceType;
        m_severity = row.severity;
        m_flags = row.flags;
        m_title = tr(row.source);
        m_message = tr(row.message);
        found = true;
        break;
    }
    if (!found) {
        m_id = -1;
        m_serviceType = 0;
        m_severity = 3;
        m_flags = FlagLog;
        m_title = tr("Unknown event");
        m_message = tr("Tried to create event with unknown ID ") + QString::number(id);
        qWarning().noquote() << "InfoEvent::InfoEvent:" << m_message;
    }

    m_severityId = m_severity;
    m_severityIcon = QStringLiteral("i_ev_severity_error");
    m_severityName = tr("UNKNOWN");
    for (const SeverityRow &row : severityTable) {
        if (row.severity == m_severity) {
            m_severityIcon = QString::fromLatin1(row.icon);
            m_severityName = tr(row.name);
            break;
        }
    }
}

QString InfoEvent::getStateText() const
{
    if (m_state >= 0 && m_state < int(sizeof(onOffTable) / sizeof(onOffTable[0])))
        return tr(onOffTable[m_state]);
    return QStringLiteral("?");
}

InfoDevice *InfoEvent::getSource() const
{
    return m_source.data();
}

QString InfoEvent::getSourceName() const
{
    return m_source ? m_source->getName() : QString();
}

QString InfoEvent::getSourceIconName(int size) const
{
    return m_source ? m_source->getIconName(size) : QString();
}

QString InfoEvent::getServiceIconName(int size) const
{
    return InfoService::getServiceIconName(m_serviceType, size);
}

QString InfoEvent::getSeverityIconName(int severity, bool large)
{
    for (const SeverityRow &row : severityTable) {
        if (row.severity == severity)
            return QString::fromLatin1(row.icon) + (large ? QLatin1String("_50") : QLatin1String("_35"));
    }
    return QString();
}
