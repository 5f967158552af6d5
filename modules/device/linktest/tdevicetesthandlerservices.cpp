// The software upgrade, diagnostic report, logging and reset value tests of
// TDeviceTestHandler.

#include "tdevicetesthandler.h"

namespace {

QString asIs(const QString &value)
{
    return value;
}

QString protocol(const QString &value)
{
    return value == QLatin1String("1") ? QStringLiteral("tftp") : QStringLiteral("UNKNOWN");
}

QString control(const QString &value)
{
    return value == QLatin1String("2") ? QStringLiteral("start") : QStringLiteral("stop");
}

QString capability(const QString &value)
{
    return value == QLatin1String("1") ? QStringLiteral("Logging client") : QStringLiteral("UNKNOWN");
}

QString downloadStatus(const QString &value)
{
    static const QStringList words = {QStringLiteral("init"), QStringLiteral("started"), QStringLiteral("aborted"),
                                      QStringLiteral("failed"), QStringLiteral("ready")};
    bool ok = false;
    const int n = value.toInt(&ok, 10);
    return ok && n >= 1 && n <= 5 ? words.at(n - 1) : QStringLiteral("illegal");
}

} // namespace

void TDeviceTestHandler::runObjectChecks(const QString &service, const QList<ObjectCheck> &checks, bool bAnnonced,
                                         const QString &summary)
{
    m_logged = false;
    QList<QStringList> rows;
    for (const ObjectCheck &check : checks) {
        const QString v = value(check.name);
        if (v.isEmpty() || v == QLatin1String("0")) {
            rows.append({check.label, v, QStringLiteral("failed")});
            log(service, check.label, QStringLiteral("ERROR"), check.invalidText);
        } else if (v == NotRetrieved) {
            rows.append({check.label, v, QStringLiteral("failed")});
            log(service, check.label, QStringLiteral("ERROR"), check.notRetrievedText);
        } else {
            rows.append({check.label, check.shown(v), QStringLiteral("success")});
        }
    }
    if (!bAnnonced) {
        reportNotAnnounced(service, rows);
    } else if (!m_logged) {
        log(service, QStringLiteral("test"), QStringLiteral("OK"), summary);
    }
    emit result(rows);
}

void TDeviceTestHandler::startSwUpgrade_Test(bool bAnnonced)
{
    if (!m_swDownloadFlag) {
        emit result({});
        return;
    }
    static const QList<ObjectCheck> checks = {
        {"zkSoftwareDownloadProtocol", "Protocol", "Invalid protocol value.", "Could not retrieve protocol value.",
         protocol},
        {"zkSoftwareDownloadIpAddress", "IP address", "Invalid IP address value.", "Could not retrieve IP address.",
         asIs},
        {"zkSoftwareDownloadPortNumber", "Port number", "Invalid port number value.",
         "Could not retrieve port number.", asIs},
        {"zkSoftwareDownloadFileName", "File Name", "Invalid file name value.", "Could not retrieve file name.", asIs},
        {"zkSoftwareDownloadControl", "Control", "Invalid control value.", "Could not retrieve control value.",
         control},
        {"zkSoftwareDownloadStatus", "Status", "Invalid status value.", "Could not retrieve status value.",
         downloadStatus},
        {"zkSoftwareDownloadErrorDescription", "Error Desc.", "Invalid error description.",
         "Could not retrieve value.", asIs},
        {"zkSoftwareDownloadProgress", "Progress", "Invalid progress value.", "Could not progress value.", asIs},
    };
    runObjectChecks(QStringLiteral("Software Upgrade"), checks, bAnnonced,
                    QStringLiteral("Valid responses to software upgrade property requests"));
}

void TDeviceTestHandler::startDiagRep_Test(bool bAnnonced)
{
    if (!m_diagReportFlag) {
        emit result({});
        return;
    }
    static const QList<ObjectCheck> checks = {
        {"zkDiagReportProtocol", "Protocol", "Invalid protocol value.", "Could not retrieve protocol value.",
         protocol},
        {"zkDiagReportIpAddress", "IP address", "Invalid IP address value.", "Could not retrieve IP address.", asIs},
        {"zkDiagReportPortNumber", "Port number", "Invalid port number value.", "Could not retrieve port number.",
         asIs},
        {"zkDiagReportFileName", "File Name", "Invalid file name value.", "Could not retrieve file name.", asIs},
        {"zkDiagReportControl", "Control", "Invalid control value.", "Could not retrieve control value.", control},
    };
    runObjectChecks(QStringLiteral("Diagnostic report"), checks, bAnnonced,
                    QStringLiteral("Valid responses to diagnostic report property requests"));
}

void TDeviceTestHandler::startLogging_Test(bool bAnnonced)
{
    if (!m_loggingFlag) {
        emit result({});
        return;
    }
    static const QList<ObjectCheck> checks = {
        {"zkLoggingCapability", "Capability", "Invalid capability value.", "Could not retrieve capability value.",
         capability},
        {"zkLoggingClientEnable", "Enable logging", "Invalid enable value.", "Could not retrieve value.", asIs},
        {"zkLoggingClientDestinationIp", "Destination", "Invalid logging destination value.",
         "Could not retrieve destination address.", asIs},
        {"zkLoggingClientDestinationPort", "Port number", "Invalid port number value.",
         "Could not retrieve port number.", asIs},
        {"zkLoggingClientEventSeverity", "Serverity", "Invalid value.", "Could not retrieve event serverity value.",
         asIs},
        {"zkLoggingClientEventDelivery", "Event Delivery", "Invalid value.",
         "Could not retrieve event delivery value.", control},
        {"zkLoggingClientTraceFilter", "Filter", "Invalid value.", "Could not retrieve trace filter value.", asIs},
        {"zkLoggingClientTraceDelivery", "Trace delivery", "Invalid value.",
         "Could not retrieve trace delivery value.", control},
    };
    runObjectChecks(QStringLiteral("Live logging"), checks, bAnnonced,
                    QStringLiteral("Valid responses to live logging property requests"));
}

void TDeviceTestHandler::startReboot_Test(bool bAnnonced)
{
    if (!m_rebootFlag) {
        emit result({});
        return;
    }
    static const QList<ObjectCheck> checks = {
        {"zkSystemConfigReset", "Reset", "Invalid reset value.", "Could not retrieve reset value.",
         [](const QString &v) { return v == QLatin1String("1") ? QStringLiteral("not reset") : QStringLiteral("reset"); }},
    };
    runObjectChecks(QStringLiteral("Reboot"), checks, bAnnonced,
                    QStringLiteral("Valid responses to reboot property requests"));
}
