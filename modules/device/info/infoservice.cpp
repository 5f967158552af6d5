#include "infoservice.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

struct ServiceTypeRow
{
    int id;
    const char *name;
    const char *icon;
};

const ServiceTypeRow serviceTypeTable[] = {
    {0, "", ""},
    {256, QT_TRANSLATE_NOOP("InfoService", "Software update"), "i_service_sw_update"},
    {512, QT_TRANSLATE_NOOP("InfoService", "Live logging"), "i_service_live_log"},
    {768, QT_TRANSLATE_NOOP("InfoService", "Download diagnostic report"), "i_service_diag_rep"},
    {1024, QT_TRANSLATE_NOOP("InfoService", "Reboot"), "i_service_reboot"},
    {1280, QT_TRANSLATE_NOOP("InfoService", "Software search"), "i_service_sw_update"},
    {1792, QT_TRANSLATE_NOOP("InfoService", "Device status"), ""},
    {1808, QT_TRANSLATE_NOOP("InfoService", "Configuration"), "zel_button_setting"},
    {1824, QT_TRANSLATE_NOOP("InfoService", "Web interface"), "zel_button_web"},
    {1840, QT_TRANSLATE_NOOP("InfoService", "Download mib file"), "i_service_mibfile"},
};

struct ServiceStateRow
{
    int state;
    int kind;
    const char *title;
    const char *longText;
};

const ServiceStateRow serviceStateTable[] = {
    {-3, 0, QT_TRANSLATE_NOOP("InfoService", "Service not available"),
     QT_TRANSLATE_NOOP("InfoService", "The service is not available at the moment.")},
    {-2, 0, QT_TRANSLATE_NOOP("InfoService", "Service not available"),
     QT_TRANSLATE_NOOP("InfoService", "The service is not available at the moment.")},
    {-1, 0, QT_TRANSLATE_NOOP("InfoService", "Service not supported"),
     QT_TRANSLATE_NOOP("InfoService", "The device does not support this service.")},
    {1, 1, "", ""},
    {256, 2, QT_TRANSLATE_NOOP("InfoService", "Initiating software update"),
     QT_TRANSLATE_NOOP("InfoService", "It can take a few minutes before the software update is started.")},
    {257, 2, QT_TRANSLATE_NOOP("InfoService", "Uploading software"),
     QT_TRANSLATE_NOOP("InfoService", "The new software is being uploaded to the device.")},
    {258, 2, QT_TRANSLATE_NOOP("InfoService", "Completing software update"),
     QT_TRANSLATE_NOOP("InfoService", "The new software has been uploaded. Waiting to complete software update.")},
    {512, 1, QT_TRANSLATE_NOOP("InfoService", "Live logging - Off"), ""},
    {513, 2, QT_TRANSLATE_NOOP("InfoService", "Live logging - Starting"), ""},
    {514, 5, QT_TRANSLATE_NOOP("InfoService", "Live logging - On"), ""},
    {515, 2, QT_TRANSLATE_NOOP("InfoService", "Live logging - Stopping"), ""},
    {768, 2, QT_TRANSLATE_NOOP("InfoService", "Generating diagnostic report"),
     QT_TRANSLATE_NOOP("InfoService", "The device has been requested to generate a diagnostic report.")},
    {769, 2, QT_TRANSLATE_NOOP("InfoService", "Downloading diagnostic report"),
     QT_TRANSLATE_NOOP("InfoService", "The diagnostic report is being downloaded from the device.")},
    {1024, 2, QT_TRANSLATE_NOOP("InfoService", "Initiating reboot"),
     QT_TRANSLATE_NOOP("InfoService", "The device is requested to reboot.\n\nThere is no communication with the device during reboot.")},
    {1025, 2, QT_TRANSLATE_NOOP("InfoService", "Rebooting"),
     QT_TRANSLATE_NOOP("InfoService", "The device is requested to reboot.\n\nThere is no communication with the device during reboot.")},
    {1280, 2, QT_TRANSLATE_NOOP("InfoService", "Software search in progress"),
     QT_TRANSLATE_NOOP("InfoService", "Please wait for the initial software search to complete.")},
    {1281, 2, QT_TRANSLATE_NOOP("InfoService", "Software search in progress"),
     QT_TRANSLATE_NOOP("InfoService", "Searching for software on the newly attached USB device. Please wait.")},
    {1282, 2, QT_TRANSLATE_NOOP("InfoService", "Software search in progress"),
     QT_TRANSLATE_NOOP("InfoService", "Searching for software at the requested path, including sub folders. Please wait.")},
    {1792, 0, QT_TRANSLATE_NOOP("InfoService", "Service not available"),
     QT_TRANSLATE_NOOP("InfoService", "Device Status: unknown.")},
    {1793, 0, QT_TRANSLATE_NOOP("InfoService", "ok"), QT_TRANSLATE_NOOP("InfoService", "Device Status: ok.")},
    {1794, 0, QT_TRANSLATE_NOOP("InfoService", "warning"), QT_TRANSLATE_NOOP("InfoService", "Device Status: warning.")},
    {1795, 0, QT_TRANSLATE_NOOP("InfoService", "degraded"), QT_TRANSLATE_NOOP("InfoService", "Device Status: degraded.")},
    {1796, 0, QT_TRANSLATE_NOOP("InfoService", "error"), QT_TRANSLATE_NOOP("InfoService", "Device Status: error.")},
    {1797, 0, QT_TRANSLATE_NOOP("InfoService", "offline"), QT_TRANSLATE_NOOP("InfoService", "Device Status: offline.")},
};

QString translated(const char *text)
{
    return *text ? QCoreApplication::translate("InfoService", text) : QString();
}

} // namespace

bool InfoService::lookupState(int state, int *kind, QString *title, QString *longText)
{
    for (const ServiceStateRow &row : serviceStateTable) {
        if (row.state != state)
            continue;
        if (kind)
            *kind = row.kind;
        if (title)
            *title = translated(row.title);
        if (longText)
            *longText = translated(row.longText);
        return true;
    }
    return false;
}

bool InfoService::lookupServiceType(int serviceType, QString *name, QString *icon)
{
    for (const ServiceTypeRow &row : serviceTypeTable) {
        if (row.id != serviceType)
            continue;
        if (name)
            *name = translated(row.name);
        if (icon)
            *icon = QString::fromLatin1(row.icon);
        return true;
    }
    return false;
}

InfoService::InfoService(QObject *parent, int serviceType, int initialState)
    : QObject(parent)
{
    if (lookupServiceType(serviceType, &m_name, &m_icon))
        m_serviceType = serviceType;
    // The state before the first change is -3 with its own row of the table,
    // so that a service created in that state shows its title and text too.
    lookupState(m_stateId, &m_stateKind, &m_title, &m_longText);
    setState(initialState, -1, QString());
    m_value = -1;
}

void InfoService::setState(int state, int value, const QString &text)
{
    if (m_held) {
        m_heldState = state;
        m_heldValue = value;
        m_heldText = text;
        return;
    }

    bool stateChanged = false;
    if (state != m_stateId) {
        if (m_lastChange.isValid() && m_lastChange.elapsed() < MinimumDisplayMs) {
            m_held = true;
            m_heldState = state;
            m_heldValue = value;
            m_heldText = text;
            const int wait = qMax<qint64>(1, MinimumDisplayMs - m_lastChange.elapsed());
            QTimer::singleShot(wait, this, &InfoService::handleStoredNewState);
            return;
        }
        if (lookupState(state, &m_stateKind, &m_title, &m_longText)) {
            m_stateId = state;
            m_lastChange.start();
            stateChanged = true;
        }
    }

    if (text == m_text && value == m_value) {
        if (stateChanged)
            emit stateUpdated();
        return;
    }
    // The caller's text replaces the previous one: each state carries its
    // own text.
    m_value = value;
    m_text = text;
    emit stateUpdated();
}

void InfoService::handleStoredNewState()
{
    m_held = false;
    setState(m_heldState, m_heldValue, m_heldText);
}

QString InfoService::getStateText() const
{
    if (m_value >= 0 && m_value <= 100)
        return QStringLiteral("%1 %2%").arg(m_title).arg(m_value);
    return m_title;
}

QString InfoService::getDescription() const
{
    return m_longText + m_text;
}

QString InfoService::getIconName(int size, bool withState) const
{
    return iconNameForSize(m_icon, size, withState ? m_stateKind : 0);
}

QString InfoService::getServiceName(int serviceType)
{
    QString name;
    lookupServiceType(serviceType, &name, nullptr);
    return name;
}

QString InfoService::getServiceIconName(int serviceType, int size)
{
    QString icon;
    if (!lookupServiceType(serviceType, nullptr, &icon))
        return QString();
    return iconNameForSize(icon, size, 0);
}

QString InfoService::iconNameForSize(const QString &icon, int size, int flags)
{
    if (icon.isEmpty())
        return QString();
    QString name = icon;
    switch (size) {
    case 0: name += QLatin1String("_21"); break;
    case 1: name += QLatin1String("_30"); break;
    case 2: name += QLatin1String("_40"); break;
    case 4: name += QLatin1String("_button_120x86"); break;
    default: name += QLatin1String("_50"); break;
    }
    if (flags & 4)
        name += QLatin1String("_active");
    return name;
}
