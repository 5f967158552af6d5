// The SLP attribute, SNMP and service status tests of TDeviceTestHandler.

#include "tdevicetesthandler.h"

#include "mibobjectnames.h"

#include <QDebug>

namespace {

const QString Success = QStringLiteral("success");
const QString Failed = QStringLiteral("failed");
const QString Warning = QStringLiteral("warning");
const QString Notify = QStringLiteral("notify");
const QString Error = QStringLiteral("ERROR");
const QString WarningEntry = QStringLiteral("WARNING");
const QString NotifyEntry = QStringLiteral("NOTIFY");

bool isInvalid(const QString &v)
{
    return v.isEmpty() || v == QLatin1String("0");
}

// The first four characters (the whole text when shorter) read as a decimal integer.
bool startsWithNumber(const QString &v)
{
    bool ok = false;
    v.left(4).toInt(&ok, 10);
    return ok;
}

} // namespace

void TDeviceTestHandler::startSLP_Test(const QStringList &slp_attrib)
{
    forgetAwaitedAnswers(); // a whole run begins here
    if (slp_attrib.size() != 7)
        qDebug().noquote() << "TDeviceTestHandler::startSLP_Test: expected 7 attributes, got" << slp_attrib.size();
    m_slpAttributes = slp_attrib;
    while (m_slpAttributes.size() < 7)
        m_slpAttributes.append(QString());
    m_logged = false;
    const QString slp = QStringLiteral("SLP");
    QList<QStringList> rows;
    auto add = [&](const QString &label, const QString &shown, const QString &status, const QString &severity = {},
                   const QString &description = {}) {
        rows.append({label, shown, status});
        if (!severity.isEmpty())
            log(slp, label, severity, description);
    };
    const QString missing = QStringLiteral("no data - missing attribute");
    const QString badNumber = QStringLiteral("format wrong - number");

    const QString vendor = m_slpAttributes.at(0);
    const QString vendorLabel = QStringLiteral("Vendor");
    if (isInvalid(vendor))
        add(vendorLabel, vendor, Failed, Error, QStringLiteral("Id is invalid."));
    else if (vendor == QLatin1String("-"))
        add(vendorLabel, vendor, Warning, WarningEntry, missing);
    else if (vendor == QLatin1String("Vantor & Vantor"))
        add(vendorLabel, vendor, Success);
    else
        add(vendorLabel, vendor, Notify, WarningEntry, QStringLiteral("Device Vendor invalid or of external origin."));

    const QString product = m_slpAttributes.at(1);
    const QString productLabel = QStringLiteral("Product name");
    if (isInvalid(product))
        add(productLabel, product, Failed, Error, QStringLiteral("Product name invalid."));
    else if (product == QLatin1String("-"))
        add(productLabel, product, Warning, WarningEntry, missing);
    else
        add(productLabel, product, Success);

    const QString model = m_slpAttributes.at(2);
    const QString modelLabel = QStringLiteral("Model number");
    if (isInvalid(model))
        add(modelLabel, model, Failed, Error, QStringLiteral("Model number invalid."));
    else if (model.size() < 4 || model.size() > 5)
        add(modelLabel, model, Warning, WarningEntry, QStringLiteral("format wrong - length"));
    else if (!startsWithNumber(model))
        add(modelLabel, model, Warning, WarningEntry, badNumber);
    else
        add(modelLabel, model, Success);

    const QString invalidShown = QStringLiteral("***invlaid***");
    const QString version = m_slpAttributes.at(3);
    const QString versionLabel = QStringLiteral("SW Version");
    if (isInvalid(version))
        add(versionLabel, invalidShown, Failed, Error, QStringLiteral("Version number invalid."));
    else
        add(versionLabel, version, Success);

    const QString build = m_slpAttributes.at(4);
    const QString buildLabel = QStringLiteral("SW Build");
    if (isInvalid(build))
        add(buildLabel, invalidShown, Failed, Error, QStringLiteral("Version number invalid."));
    else if (!startsWithNumber(build))
        add(buildLabel, build, Warning, WarningEntry, badNumber);
    else
        add(buildLabel, build, Success);

    const QString serial = m_slpAttributes.at(5);
    const QString serialLabel = QStringLiteral("Serial number");
    if (isInvalid(serial))
        add(serialLabel, serial, Failed, Error, tr("Serial number invalid."));
    else
        add(serialLabel, serial, Success);

    const QString alias = m_slpAttributes.at(6);
    const QString aliasLabel = QStringLiteral("Alias name");
    if (alias == QLatin1String("0"))
        add(aliasLabel, alias, Failed, Error, QStringLiteral("Alias name invalid"));
    else if (alias == QLatin1String("-"))
        add(aliasLabel, alias, Warning, WarningEntry, missing);
    else
        add(aliasLabel, alias, Success);

    if (!m_logged)
        log(slp, QStringLiteral("test"), QStringLiteral("OK"), QStringLiteral("Valid SLP attributes"));
    emit result(rows);
}

namespace {

// An object identifier below the maker's enterprise arc, with or without the leading dot.
bool isVantorObjectId(const QString &value)
{
    static const QString arc = QStringLiteral("1.3.6.1.4.1.32473");
    const QString v = value.startsWith(QLatin1Char('.')) ? value.mid(1) : value;
    return v == arc || v.startsWith(arc + QLatin1Char('.'));
}

// One SNMP test object: its checks in order; the first that holds decides.
enum class Cond { Invalid, EmptyOnly, ZeroOnly, NotRead, Missing, ModelDiffers, SerialDiffers, WrongEnterprise,
                  OutOfRange, Zero };

struct Finding
{
    Cond cond;
    const char *status;
    const char *severity;
    const char *description;
};

struct SnmpObject
{
    const char *name;
    const char *label;
    QList<Finding> findings;
};

const QList<SnmpObject> &snmpObjects()
{
    static const QList<SnmpObject> objects = {
        {"zkSystemConfigSoftwareVersion", "SW version",
         {{Cond::Invalid, "failed", "ERROR", "Software version invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for SW version."}}},
        {"zkSystemConfigModelNumber", "Model",
         {{Cond::Invalid, "failed", "ERROR", "Model number invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for model number."},
          {Cond::ModelDiffers, "failed", "WARNING", ", SNMP model number differs from SLP model number."}}},
        {"zkSystemConfigSerialNumber", "Serial",
         {{Cond::Invalid, "failed", "ERROR", nullptr}, // translated: "Serial number invalid."
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for serial number."},
          {Cond::SerialDiffers, "warning", "WARNING", "SNMP serial number differs from SLP serial number."}}},
        {"zkSystemConfigSoftwareBuildId", "Build ID",
         {{Cond::Invalid, "failed", "ERROR", "ID is invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for build ID."}}},
        {"zkSystemConfigSoftwareBuildNumber", "Build number",
         {{Cond::Invalid, "failed", "ERROR", "Build number is invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for build number."}}},
        {"zkSystemConfigHardwarePartNumber", "Hardware partnumber",
         {{Cond::Invalid, "failed", "ERROR", "Part number is invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for Part number."},
          {Cond::Missing, "warning", "WARNING", "value is missing"}}},
        {"zkSystemConfigBootCodeVersion", "Boot code version",
         {{Cond::Invalid, "failed", "ERROR", "Boot code version number is invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for boot code version number."}}},
        {"zkSystemConfigPosixTime", "Posix time",
         {{Cond::Invalid, "failed", "ERROR", "Posix time is invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for posix time."}}},
        {"zkSystemConfigISOTime", "ISO time",
         {{Cond::Invalid, "failed", "ERROR", "ISO time is invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for ISO time."}}},
        {"zkSystemConfigAliasName", "Alias name",
         {{Cond::ZeroOnly, "failed", "ERROR", "Alias name is invalid."},
          {Cond::NotRead, "warning", "WARNING", "Could not retrieve snmp value for alias name."},
          {Cond::Missing, "warning", "WARNING", "Alias name is missing"}}},
        {"zkSystemConfigSysName", "SysName",
         {{Cond::Invalid, "warning", "WARNING", "System name is invalid."},
          {Cond::NotRead, "notify", "NOTIFY", "Could not retrieve snmp value for system name."},
          {Cond::Missing, "warning", "WARNING", "SysName is missing"}}},
        {"sysDescr", "System description",
         {{Cond::Invalid, "failed", "ERROR", "RFC3418 sysDescr is invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for RFC3418 sysDescr."},
          {Cond::Missing, "warning", "WARNING", "RFC3418 sysDescr is missing"}}},
        {"sysObjectID", "System objectID",
         {{Cond::Invalid, "failed", "ERROR", "RFC3418 sysObjectID is invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for RFC3418 sysObjectID."},
          {Cond::WrongEnterprise, "failed", "ERROR", "RFC3418 sysObjectID has NOT correct Enterprise number."}}},
        {"sysUpTime", "System uptime",
         {{Cond::EmptyOnly, "failed", "ERROR", "RFC3418 sysUptime is invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for RFC3418 sysUptime."}}},
        {"sysName", "System name",
         {{Cond::Invalid, "failed", "ERROR", "RFC3418 sysName is invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for RFC3418 sysName."},
          {Cond::Missing, "warning", "WARNING", "RFC3418 sysName is missing"}}},
        {"sysContact", "System contact",
         {{Cond::Invalid, "failed", "ERROR", "RFC3418 sysContact is invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for RFC3418 sysContact."},
          {Cond::Missing, "warning", "WARNING", "RFC3418 sysContact is missing"}}},
        {"sysLocation", "System location",
         {{Cond::Invalid, "failed", "ERROR", "RFC3418 sysLocation is invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for RFC3418 sysLocation."},
          {Cond::Missing, "warning", "WARNING", "RFC3418 sysLocation is missing"}}},
        {"sysServices", "System services",
         {{Cond::EmptyOnly, "failed", "ERROR", "RFC3418 sysService is invalid."},
          {Cond::NotRead, "failed", "ERROR", "Could not retrieve snmp value for RFC3418 sysService."},
          {Cond::OutOfRange, "failed", "ERROR", "RFC3418 sysService out of range"},
          {Cond::Zero, "notify", "NOTIFY", "RFC3418 sysService has service, should not be 0"}}},
    };
    return objects;
}

} // namespace

void TDeviceTestHandler::startSNMP_Test()
{
    const QString model = m_slpAttributes.value(2).trimmed();
    const QString serial = m_slpAttributes.value(5).trimmed();
    m_logged = false;
    QList<QStringList> rows;
    for (const SnmpObject &object : snmpObjects()) {
        const QString v = value(QLatin1String(object.name));
        const QString label = QLatin1String(object.label);
        const Finding *found = nullptr;
        for (const Finding &finding : object.findings) {
            bool holds = false;
            switch (finding.cond) {
            case Cond::Invalid: holds = isInvalid(v); break;
            case Cond::EmptyOnly: holds = v.isEmpty(); break;
            case Cond::ZeroOnly: holds = v == QLatin1String("0"); break;
            case Cond::NotRead: holds = v == NotRetrieved; break;
            case Cond::Missing: holds = v == QLatin1String("none"); break;
            case Cond::ModelDiffers: holds = v.trimmed() != model; break;
            case Cond::SerialDiffers: holds = v.trimmed() != serial; break;
            case Cond::WrongEnterprise: holds = !isVantorObjectId(v); break;
            case Cond::OutOfRange: {
                bool ok = false;
                const int n = v.toInt(&ok, 10);
                holds = !ok || n < 0 || n > 127;
                break;
            }
            case Cond::Zero: holds = v == QLatin1String("0"); break;
            }
            if (holds) {
                found = &finding;
                break;
            }
        }
        if (!found) {
            rows.append({label, v, Success});
            continue;
        }
        rows.append({label, v, QLatin1String(found->status)});
        const QString description =
            found->description ? QString::fromLatin1(found->description) : tr("Serial number invalid.");
        log(QStringLiteral("SNMP"), label, QLatin1String(found->severity), description);
    }
    if (!m_logged)
        log(QStringLiteral("SNMP"), QStringLiteral("test"), QStringLiteral("OK"),
            QStringLiteral("Valid responses to SNMP requests"));
    emit result(rows);
}

void TDeviceTestHandler::startService_Test(const QStringList &services, const QStringList &attibutes)
{
    m_diagReportFlag = m_rebootFlag = m_loggingFlag = m_swDownloadFlag = m_webFlag = m_mibFlag = false;
    m_logged = false;
    const QString service = QStringLiteral("Service");
    QList<QStringList> rows;
    auto fail = [&](const QString &label, const QString &v, const QString &description) {
        rows.append({label, v, Failed});
        log(service, label, Error, description);
    };
    auto word = [](const QStringList &words, const QString &v) {
        const int n = v.toInt(nullptr, 10);
        return n >= 0 && n < words.size() ? words.at(n) : QStringLiteral("unknown (%1)").arg(n);
    };

    const QString sw = value(QStringLiteral("zkSoftwareDownloadStatus"));
    const QString swLabel = QStringLiteral("SW Upgrade");
    if (isInvalid(sw)) {
        fail(swLabel, sw, tr("Service not found (no status)."));
    } else if (sw == NotRetrieved) {
        // A status that could not be read is no sign of the service.
        fail(swLabel, sw, QStringLiteral("Service not found (Could not retrieve status value)."));
    } else {
        rows.append({swLabel, word(softwareDownloadStatusNames, sw), Success});
        m_swDownloadFlag = true;
    }

    const QString logging = value(QStringLiteral("zkLoggingClientEnable"));
    const QString loggingLabel = QStringLiteral("Live Logging");
    if (isInvalid(logging)) {
        fail(loggingLabel, logging, QStringLiteral("Service not found (can not be enable)."));
    } else if (logging == NotRetrieved) {
        fail(loggingLabel, logging, QStringLiteral("Service not found (Could not retrieve enable value)."));
    } else {
        rows.append({loggingLabel, logging == QLatin1String("2") ? QStringLiteral("enabled")
                                                                  : QStringLiteral("disabled"), Success});
        m_loggingFlag = true;
    }

    const QString reset = value(QStringLiteral("zkSystemConfigReset"));
    const QString resetLabel = QStringLiteral("Reset");
    if (isInvalid(reset)) {
        fail(resetLabel, reset, QStringLiteral("Service not found (reset  parameter)."));
    } else if (reset == NotRetrieved) {
        fail(resetLabel, reset, QStringLiteral("Service not found (Could not retrieve value)."));
    } else {
        rows.append({resetLabel, reset == QLatin1String("2") ? QStringLiteral("reset") : QStringLiteral("not reset"),
                     Success});
        m_rebootFlag = true;
    }

    const QString diag = value(QStringLiteral("zkDiagReportStatus"));
    const QString diagLabel = QStringLiteral("Diagnostic Report");
    if (isInvalid(diag)) {
        fail(diagLabel, diag, tr("Service not found (no status)."));
    } else if (diag == NotRetrieved) {
        fail(diagLabel, diag, QStringLiteral("Service not found (Could not retrieve status value)."));
    } else {
        rows.append({diagLabel, word(diagReportStatusNames, diag), Success});
        m_diagReportFlag = true;
    }

    if (!m_logged)
        log(service, QStringLiteral("test"), QStringLiteral("OK"), QStringLiteral("Valid responses to service requests"));

    if (attibutes.size() < services.size())
        qDebug().noquote() << "TDeviceTestHandler::startService_Test:" << services.size() << "services but"
                           << attibutes.size() << "attribute texts";
    for (int j = 0; j < services.size(); ++j) {
        const QString s = services.at(j);
        const QString a = attibutes.value(j);
        const int colon = s.indexOf(QLatin1Char(':'));
        const QString rest = colon < 0 ? s : s.mid(colon + 1);
        const int typeEnd = rest.indexOf(QLatin1Char(':'));
        const QString type = typeEnd < 0 ? rest : rest.left(typeEnd);
        const QString base = typeEnd < 0 ? rest : rest.mid(typeEnd + 1);
        QString address;
        if (a.isEmpty() || a == QLatin1String("default"))
            address = base;
        else if (base.contains(QLatin1String("http")))
            // An announced URL names its host already; only a bare "http://" takes the device's address.
            address = a.startsWith(QLatin1Char('/')) && base.endsWith(QLatin1String("://"))
                          ? QStringLiteral("%1<ip>%2").arg(base, a)
                          : base + a;
        else
            address = a;
        QStringList row{type, address};
        if (type.indexOf(QLatin1String(".vantor")) > 0)
            row.append(Success);
        if (type == QLatin1String("web.vantor")) {
            m_webUrl = address;
            m_webFlag = true;
        } else if (type == QLatin1String("mib.vantor")) {
            m_mibUrl = address;
            m_mibFlag = true;
        }
        rows.append(row);
    }
    emit result(rows);
}
