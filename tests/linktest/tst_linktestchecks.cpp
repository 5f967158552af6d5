// The judging slots of the link test worker: SLP attributes, the SNMP
// objects, the service status, and the object checks of the software
// upgrade, diagnostic report, logging and reset steps.

#include "devicethreads.h"
#include "handlerprobe.h"
#include "mibobjectnames.h"
#include "testsupport.h"
#include "tlinksnmpif.h"

#include <QCoreApplication>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QStringList GoodSlp = {"Vantor & Vantor", "VANTOR-4411", "4411", "01.07", "0041", "100001", "Bridge"};

// Entries as "component|severity|description", to keep the tables short.
QStringList brief(const QList<QStringList> &entries)
{
    QStringList out;
    for (const QStringList &e : entries)
        out.append(e.mid(1).join(QLatin1Char('|')));
    return out;
}

QMap<QString, QString> goodSnmpValues()
{
    return {{"sysDescr", "Vantor VANTOR-4411 model 4411"},
            {"sysObjectID", ".1.3.6.1.4.1.32473.1.4411"},
            {"sysUpTime", "1234"},
            {"sysContact", "Vantor service"},
            {"sysName", "VANTOR-4411-100001"},
            {"sysLocation", "Bridge"},
            {"sysServices", "72"},
            {"zkSystemConfigSoftwareVersion", "01.07"},
            {"zkSystemConfigModelNumber", "4411"},
            {"zkSystemConfigSerialNumber", "100001"},
            {"zkSystemConfigSoftwareBuildId", "01.07.0041"},
            {"zkSystemConfigHardwarePartNumber", "4411-100-02"},
            {"zkSystemConfigSoftwareBuildNumber", "41"},
            {"zkSystemConfigBootCodeVersion", "01.00"},
            {"zkSystemConfigPosixTime", "1765370000"},
            {"zkSystemConfigISOTime", "2025-12-10T12:33:20Z"},
            {"zkSystemConfigAliasName", "Bridge"},
            {"zkSystemConfigSysName", "VANTOR-4411-100001"}};
}

QMap<QString, QString> goodServiceValues()
{
    return {{"zkSoftwareDownloadStatus", "1"},
            {"zkLoggingClientEnable", "2"},
            {"zkDiagReportStatus", "3"},
            {"zkSystemConfigReset", "1"},
            {"zkSoftwareDownloadProtocol", "1"},
            {"zkSoftwareDownloadIpAddress", "10.0.0.1"},
            {"zkSoftwareDownloadPortNumber", "69"},
            {"zkSoftwareDownloadFileName", "image.tiif"},
            {"zkSoftwareDownloadControl", "1"},
            {"zkSoftwareDownloadErrorDescription", "no error"},
            {"zkSoftwareDownloadProgress", "100"},
            {"zkDiagReportProtocol", "1"},
            {"zkDiagReportIpAddress", "10.0.0.1"},
            {"zkDiagReportPortNumber", "69"},
            {"zkDiagReportFileName", "DiagReport.diag"},
            {"zkDiagReportControl", "1"},
            {"zkLoggingCapability", "1"},
            {"zkLoggingClientDestinationIp", "10.0.0.1"},
            {"zkLoggingClientDestinationPort", "514"},
            {"zkLoggingClientEventSeverity", "4"},
            {"zkLoggingClientEventDelivery", "2"},
            {"zkLoggingClientTraceFilter", "1"},
            {"zkLoggingClientTraceDelivery", "1"}};
}

QStringList rowFor(const QList<QStringList> &rows, const QString &label)
{
    for (const QStringList &row : rows)
        if (row.value(0) == label)
            return row;
    return {};
}

} // namespace

class TestLinkTestChecks : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void nameLists();
    void slpAttributes_data();
    void slpAttributes();
    void snmpObjects_data();
    void snmpObjects();
    void snmpAllGood();
    void serviceStatus_data();
    void serviceStatus();
    void serviceEntries_data();
    void serviceEntries();
    void objectChecks_data();
    void objectChecks();
    void announcement_data();
    void announcement();
    void answersCountDown();
    void earlierAnswersDoNotCount();
    void testDevicePerHandler();
};

void TestLinkTestChecks::initTestCase()
{
    testsupport::setUpApplication();
}

void TestLinkTestChecks::nameLists()
{
    QCOMPARE(systemConfigPropertyNames.size(), 18);
    QCOMPARE(serviceEnablePropertyNames.size(), 4);
    QCOMPARE(softwareDownloadPropertyNames.size(), 8);
    QCOMPARE(loggingClientPropertyNames.size(), 8);
    QCOMPARE(diagReportPropertyNames.size(), 5);
    QCOMPARE(psuPropertyNames.size(), 8);
    QCOMPARE(serviceEnablePropertyNames.at(3), QStringLiteral("zkSystemConfigReset"));
    QCOMPARE(psuPropertyNames.at(7), QStringLiteral("zkZk441xSupplyBranch"));
    QCOMPARE(softwareDownloadStatusNames.at(5), QStringLiteral("ready"));
    QCOMPARE(diagReportStatusNames.at(4), QStringLiteral("failed"));
}

void TestLinkTestChecks::slpAttributes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("entry");

    QTest::newRow("vendor other case") << 0 << "vantor & vantor" << "vantor & vantor" << "notify"
                                       << "Vendor|WARNING|Device Vendor invalid or of external origin.";
    QTest::newRow("vendor dash") << 0 << "-" << "-" << "warning" << "Vendor|WARNING|no data - missing attribute";
    QTest::newRow("vendor empty") << 0 << "" << "" << "failed" << "Vendor|ERROR|Id is invalid.";
    QTest::newRow("vendor zero") << 0 << "0" << "0" << "failed" << "Vendor|ERROR|Id is invalid.";
    QTest::newRow("product dash") << 1 << "-" << "-" << "warning"
                                  << "Product name|WARNING|no data - missing attribute";
    QTest::newRow("model dash") << 2 << "-" << "-" << "warning" << "Model number|WARNING|format wrong - length";
    QTest::newRow("model letters") << 2 << "abcd" << "abcd" << "warning"
                                   << "Model number|WARNING|format wrong - number";
    QTest::newRow("model five digits") << 2 << "44110" << "44110" << "success" << "";
    QTest::newRow("model digits and letter") << 2 << "4411a" << "4411a" << "success" << "";
    QTest::newRow("model six") << 2 << "441100" << "441100" << "warning"
                               << "Model number|WARNING|format wrong - length";
    QTest::newRow("version any form") << 3 << "v.x" << "v.x" << "success" << "";
    QTest::newRow("build empty") << 4 << "" << "***invlaid***" << "failed" << "SW Build|ERROR|Version number invalid.";
    QTest::newRow("build dash") << 4 << "-" << "-" << "warning" << "SW Build|WARNING|format wrong - number";
    QTest::newRow("build with point") << 4 << "1.23" << "1.23" << "warning" << "SW Build|WARNING|format wrong - number";
    QTest::newRow("build sign and digits") << 4 << "-123x" << "-123x" << "success" << "";
    QTest::newRow("serial dash") << 5 << "-" << "-" << "success" << "";
    QTest::newRow("serial zero") << 5 << "0" << "0" << "failed" << "Serial number|ERROR|Serial number invalid.";
    QTest::newRow("alias empty") << 6 << "" << "" << "success" << "";
    QTest::newRow("alias zero") << 6 << "0" << "0" << "failed" << "Alias name|ERROR|Alias name invalid";
}

void TestLinkTestChecks::slpAttributes()
{
    QFETCH(int, index);
    QFETCH(QString, value);
    QFETCH(QString, shown);
    QFETCH(QString, status);
    QFETCH(QString, entry);
    QStringList attributes = GoodSlp;
    attributes[index] = value;
    HandlerProbe probe;
    const HandlerOutcome out = probe.run([&](TDeviceTestHandler &h) { h.startSLP_Test(attributes); });
    QCOMPARE(out.resultCount, 1);
    QCOMPARE(out.rows.size(), 7);
    QCOMPARE(out.rows.at(index).mid(1), (QStringList{shown, status}));
    for (int i = 0; i < 7; ++i)
        if (i != index)
            QCOMPARE(out.rows.at(i).at(2), QStringLiteral("success"));
    QCOMPARE(brief(out.entries), entry.isEmpty() ? QStringList{"test|OK|Valid SLP attributes"} : QStringList{entry});
    QCOMPARE(out.entries.first().first(), QStringLiteral("SLP"));
}

void TestLinkTestChecks::snmpObjects_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("entry");

    QTest::newRow("alias empty passes") << "zkSystemConfigAliasName" << "" << "Alias name" << "success" << "";
    QTest::newRow("alias zero") << "zkSystemConfigAliasName" << "0" << "Alias name" << "failed"
                                << "Alias name|ERROR|Alias name is invalid.";
    QTest::newRow("alias not read") << "zkSystemConfigAliasName" << HandlerProbe::Failed << "Alias name" << "warning"
                                    << "Alias name|WARNING|Could not retrieve snmp value for alias name.";
    QTest::newRow("uptime zero passes") << "sysUpTime" << "0" << "System uptime" << "success" << "";
    QTest::newRow("services zero") << "sysServices" << "0" << "System services" << "notify"
                                   << "System services|NOTIFY|RFC3418 sysService has service, should not be 0";
    QTest::newRow("services 128") << "sysServices" << "128" << "System services" << "failed"
                                  << "System services|ERROR|RFC3418 sysService out of range";
    QTest::newRow("services -1") << "sysServices" << "-1" << "System services" << "failed"
                                 << "System services|ERROR|RFC3418 sysService out of range";
    QTest::newRow("services text") << "sysServices" << "many" << "System services" << "failed"
                                   << "System services|ERROR|RFC3418 sysService out of range";
    QTest::newRow("other enterprise") << "sysObjectID" << ".1.3.6.1.4.1.9.1" << "System objectID" << "failed"
                                      << "System objectID|ERROR|RFC3418 sysObjectID has NOT correct Enterprise number.";
    QTest::newRow("enterprise number further on") << "sysObjectID" << ".1.3.6.1.4.1.9.1.32473" << "System objectID"
                                                  << "failed"
                                                  << "System objectID|ERROR|RFC3418 sysObjectID has NOT correct Enterprise number.";
    QTest::newRow("longer enterprise number") << "sysObjectID" << ".1.3.6.1.4.1.324731.1" << "System objectID" << "failed"
                                              << "System objectID|ERROR|RFC3418 sysObjectID has NOT correct Enterprise number.";
    QTest::newRow("enterprise without dot") << "sysObjectID" << "1.3.6.1.4.1.32473.1.4411" << "System objectID"
                                            << "success" << "";
    QTest::newRow("enterprise at start") << "sysObjectID" << "32473.1" << "System objectID" << "failed"
                                         << "System objectID|ERROR|RFC3418 sysObjectID has NOT correct Enterprise number.";
    QTest::newRow("model blanks") << "zkSystemConfigModelNumber" << " 4411 " << "Model" << "success" << "";
    QTest::newRow("model case") << "zkSystemConfigModelNumber" << "4411A" << "Model" << "failed"
                                << "Model|WARNING|, SNMP model number differs from SLP model number.";
    QTest::newRow("serial differs") << "zkSystemConfigSerialNumber" << "100002" << "Serial" << "warning"
                                    << "Serial|WARNING|SNMP serial number differs from SLP serial number.";
    QTest::newRow("serial zero") << "zkSystemConfigSerialNumber" << "0" << "Serial" << "failed"
                                 << "Serial|ERROR|Serial number invalid.";
    QTest::newRow("part number empty string") << "zkSystemConfigHardwarePartNumber" << "none" << "Hardware partnumber"
                                              << "warning" << "Hardware partnumber|WARNING|value is missing";
    QTest::newRow("sysname not read") << "zkSystemConfigSysName" << HandlerProbe::Failed << "SysName" << "notify"
                                      << "SysName|NOTIFY|Could not retrieve snmp value for system name.";
    QTest::newRow("sysDescr not read") << "sysDescr" << HandlerProbe::Failed << "System description" << "failed"
                                       << "System description|ERROR|Could not retrieve snmp value for RFC3418 sysDescr.";
    QTest::newRow("posix time zero") << "zkSystemConfigPosixTime" << "0" << "Posix time" << "failed"
                                     << "Posix time|ERROR|Posix time is invalid.";
}

void TestLinkTestChecks::snmpObjects()
{
    QFETCH(QString, object);
    QFETCH(QString, value);
    QFETCH(QString, label);
    QFETCH(QString, status);
    QFETCH(QString, entry);
    HandlerProbe probe;
    probe.handler().startSLP_Test(GoodSlp);
    QMap<QString, QString> values = goodSnmpValues();
    values[object] = value;
    probe.feed(values);
    const HandlerOutcome out = probe.run([](TDeviceTestHandler &h) { h.startSNMP_Test(); });
    QCOMPARE(out.rows.size(), 18);
    const QString shown = value == HandlerProbe::Failed ? QStringLiteral("could not retrieve snmp value") : value;
    QCOMPARE(rowFor(out.rows, label), (QStringList{label, shown, status}));
    QCOMPARE(brief(out.entries), entry.isEmpty() ? QStringList{"test|OK|Valid responses to SNMP requests"}
                                                 : QStringList{entry});
}

void TestLinkTestChecks::snmpAllGood()
{
    HandlerProbe probe;
    probe.handler().startSLP_Test(GoodSlp);
    probe.feed(goodSnmpValues());
    const HandlerOutcome out = probe.run([](TDeviceTestHandler &h) { h.startSNMP_Test(); });
    QCOMPARE(out.rows.size(), 18);
    const QStringList labels = {"SW version", "Model", "Serial", "Build ID", "Build number", "Hardware partnumber",
                                "Boot code version", "Posix time", "ISO time", "Alias name", "SysName",
                                "System description", "System objectID", "System uptime", "System name",
                                "System contact", "System location", "System services"};
    for (int i = 0; i < 18; ++i) {
        QCOMPARE(out.rows.at(i).at(0), labels.at(i));
        QCOMPARE(out.rows.at(i).at(2), QStringLiteral("success"));
    }
    QCOMPARE(out.entries, (QList<QStringList>{{"SNMP", "test", "OK", "Valid responses to SNMP requests"}}));

    // Never answered: an empty value, judged invalid.
    HandlerProbe empty;
    empty.handler().startSLP_Test(GoodSlp);
    const HandlerOutcome none = empty.run([](TDeviceTestHandler &h) { h.startSNMP_Test(); });
    QCOMPARE(rowFor(none.rows, "SW version"), (QStringList{"SW version", "", "failed"}));
    QCOMPARE(rowFor(none.rows, "Alias name"), (QStringList{"Alias name", "", "success"}));
    QCOMPARE(none.entries.size(), 17); // every object but the alias name
}

void TestLinkTestChecks::serviceStatus_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("swUpgradeRows"); // rows of the software upgrade test that follows

    QTest::newRow("download ready") << "zkSoftwareDownloadStatus" << "5" << "SW Upgrade" << "ready" << "success" << ""
                                    << 8;
    QTest::newRow("download zero") << "zkSoftwareDownloadStatus" << "0" << "SW Upgrade" << "0" << "failed"
                                   << "SW Upgrade|ERROR|Service not found (no status)." << 0;
    QTest::newRow("download not read")
        << "zkSoftwareDownloadStatus" << HandlerProbe::Failed << "SW Upgrade" << "could not retrieve snmp value"
        << "failed" << "SW Upgrade|ERROR|Service not found (Could not retrieve status value)." << 0;
    QTest::newRow("download beyond list") << "zkSoftwareDownloadStatus" << "9" << "SW Upgrade" << "unknown (9)"
                                          << "success" << "" << 8;
    QTest::newRow("logging disabled") << "zkLoggingClientEnable" << "1" << "Live Logging" << "disabled" << "success"
                                      << "" << 8;
    QTest::newRow("logging empty") << "zkLoggingClientEnable" << "" << "Live Logging" << "" << "failed"
                                   << "Live Logging|ERROR|Service not found (can not be enable)." << 8;
    QTest::newRow("reset not reset") << "zkSystemConfigReset" << "1" << "Reset" << "not reset" << "success" << "" << 8;
    QTest::newRow("reset reset") << "zkSystemConfigReset" << "2" << "Reset" << "reset" << "success" << "" << 8;
    QTest::newRow("reset not read") << "zkSystemConfigReset" << HandlerProbe::Failed << "Reset"
                                    << "could not retrieve snmp value" << "failed"
                                    << "Reset|ERROR|Service not found (Could not retrieve value)." << 8;
    QTest::newRow("diag not read") << "zkDiagReportStatus" << HandlerProbe::Failed << "Diagnostic Report"
                                   << "could not retrieve snmp value" << "failed"
                                   << "Diagnostic Report|ERROR|Service not found (Could not retrieve status value)."
                                   << 8;
    QTest::newRow("diag beyond list") << "zkDiagReportStatus" << "-1" << "Diagnostic Report" << "unknown (-1)"
                                      << "success" << "" << 8;
}

void TestLinkTestChecks::serviceStatus()
{
    QFETCH(QString, object);
    QFETCH(QString, value);
    QFETCH(QString, label);
    QFETCH(QString, shown);
    QFETCH(QString, status);
    QFETCH(QString, entry);
    QFETCH(int, swUpgradeRows);
    HandlerProbe probe;
    QMap<QString, QString> values = goodServiceValues();
    values[object] = value;
    probe.feed(values);
    const HandlerOutcome out = probe.run([](TDeviceTestHandler &h) { h.startService_Test({}, {}); });
    QCOMPARE(out.rows.size(), 4);
    QCOMPARE(rowFor(out.rows, label), (QStringList{label, shown, status}));
    QCOMPARE(brief(out.entries), entry.isEmpty() ? QStringList{"test|OK|Valid responses to service requests"}
                                                 : QStringList{entry});
    const HandlerOutcome sw = probe.run([](TDeviceTestHandler &h) { h.startSwUpgrade_Test(true); });
    QCOMPARE(sw.resultCount, 1);
    QCOMPARE(sw.rows.size(), swUpgradeRows);
    if (swUpgradeRows == 0)
        QVERIFY(sw.entries.isEmpty());
}

void TestLinkTestChecks::serviceEntries_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<QStringList>("row");

    QTest::newRow("mib path") << "service:mib.vantor:http://" << "/mib/zk.mib"
                              << QStringList{"mib.vantor", "http://<ip>/mib/zk.mib", "success"};
    QTest::newRow("announced web with path") << "service:web.vantor:http://10.0.0.5" << "/index.html"
                                             << QStringList{"web.vantor", "http://10.0.0.5/index.html", "success"};
    QTest::newRow("announced mib with path") << "service:mib.vantor:http://10.0.0.5:8080" << "/vantor.mib"
                                             << QStringList{"mib.vantor", "http://10.0.0.5:8080/vantor.mib", "success"};
    QTest::newRow("mib default") << "service:mib.vantor:http://" << "default"
                                 << QStringList{"mib.vantor", "http://", "success"};
    QTest::newRow("http without slash") << "service:web.vantor:http://" << "10.0.0.5:8080"
                                        << QStringList{"web.vantor", "http://10.0.0.5:8080", "success"};
    QTest::newRow("not http") << "service:device.vantor:tftp://10.0.0.5" << "(x=1)"
                              << QStringList{"device.vantor", "(x=1)", "success"};
    QTest::newRow("other maker") << "service:printer:lpr://10.0.0.9" << ""
                                 << QStringList{"printer", "lpr://10.0.0.9"};
    QTest::newRow("type begins with .vantor") << "service:.vantor:x" << "default" << QStringList{".vantor", "x"};
    QTest::newRow("no colon") << "plain" << "default" << QStringList{"plain", "plain"};
}

void TestLinkTestChecks::serviceEntries()
{
    QFETCH(QString, url);
    QFETCH(QString, attributes);
    QFETCH(QStringList, row);
    HandlerProbe probe;
    probe.feed(goodServiceValues());
    const HandlerOutcome out = probe.run([&](TDeviceTestHandler &h) { h.startService_Test({url}, {attributes}); });
    QCOMPARE(out.rows.size(), 5);
    QCOMPARE(out.rows.last(), row);
    QCOMPARE(out.entries.size(), 1); // the summary only
}

void TestLinkTestChecks::objectChecks_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("entry");

    QTest::newRow("sw progress zero") << "sw" << "zkSoftwareDownloadProgress" << "0" << "Progress" << "0" << "failed"
                                      << "Progress|ERROR|Invalid progress value.";
    QTest::newRow("sw protocol 2") << "sw" << "zkSoftwareDownloadProtocol" << "2" << "Protocol" << "UNKNOWN"
                                   << "success" << "";
    QTest::newRow("sw control 1") << "sw" << "zkSoftwareDownloadControl" << "1" << "Control" << "stop" << "success"
                                  << "";
    QTest::newRow("sw status 6") << "sw" << "zkSoftwareDownloadStatus" << "6" << "Status" << "illegal" << "success"
                                 << "";
    QTest::newRow("sw status -1") << "sw" << "zkSoftwareDownloadStatus" << "-1" << "Status" << "illegal" << "success"
                                  << "";
    QTest::newRow("sw status 5") << "sw" << "zkSoftwareDownloadStatus" << "5" << "Status" << "ready" << "success"
                                 << "";
    QTest::newRow("sw error desc not read") << "sw" << "zkSoftwareDownloadErrorDescription" << HandlerProbe::Failed
                                            << "Error Desc." << "could not retrieve snmp value" << "failed"
                                            << "Error Desc.|ERROR|Could not retrieve value.";
    QTest::newRow("diag protocol 2") << "diag" << "zkDiagReportProtocol" << "2" << "Protocol" << "UNKNOWN"
                                     << "success" << "";
    QTest::newRow("diag control 2") << "diag" << "zkDiagReportControl" << "2" << "Control" << "start" << "success"
                                    << "";
    QTest::newRow("diag port zero") << "diag" << "zkDiagReportPortNumber" << "0" << "Port number" << "0" << "failed"
                                    << "Port number|ERROR|Invalid port number value.";
    QTest::newRow("diag file empty") << "diag" << "zkDiagReportFileName" << "" << "File Name" << "" << "failed"
                                     << "File Name|ERROR|Invalid file name value.";
    QTest::newRow("log capability 2") << "log" << "zkLoggingCapability" << "2" << "Capability" << "UNKNOWN"
                                      << "success" << "";
    QTest::newRow("log event delivery 1") << "log" << "zkLoggingClientEventDelivery" << "1" << "Event Delivery"
                                          << "stop" << "success" << "";
    QTest::newRow("log event delivery 0") << "log" << "zkLoggingClientEventDelivery" << "0" << "Event Delivery"
                                          << "0" << "failed" << "Event Delivery|ERROR|Invalid value.";
    QTest::newRow("log enable not read") << "log" << "zkLoggingClientEnable" << HandlerProbe::Failed
                                         << "Enable logging" << "could not retrieve snmp value" << "failed"
                                         << "Enable logging|ERROR|Could not retrieve value.";
    QTest::newRow("reset 2") << "reboot" << "zkSystemConfigReset" << "2" << "Reset" << "reset" << "success" << "";
    QTest::newRow("reset 1") << "reboot" << "zkSystemConfigReset" << "1" << "Reset" << "not reset" << "success" << "";
}

void TestLinkTestChecks::objectChecks()
{
    QFETCH(QString, step);
    QFETCH(QString, object);
    QFETCH(QString, value);
    QFETCH(QString, label);
    QFETCH(QString, shown);
    QFETCH(QString, status);
    QFETCH(QString, entry);
    HandlerProbe probe;
    probe.feed(goodServiceValues());
    probe.run([](TDeviceTestHandler &h) { h.startService_Test({}, {}); });
    probe.feed({{object, value}});
    const QMap<QString, std::function<void(TDeviceTestHandler &)>> steps = {
        {"sw", [](TDeviceTestHandler &h) { h.startSwUpgrade_Test(true); }},
        {"diag", [](TDeviceTestHandler &h) { h.startDiagRep_Test(true); }},
        {"log", [](TDeviceTestHandler &h) { h.startLogging_Test(true); }},
        {"reboot", [](TDeviceTestHandler &h) { h.startReboot_Test(true); }}};
    const QMap<QString, QString> summaries = {
        {"sw", "test|OK|Valid responses to software upgrade property requests"},
        {"diag", "test|OK|Valid responses to diagnostic report property requests"},
        {"log", "test|OK|Valid responses to live logging property requests"},
        {"reboot", "test|OK|Valid responses to reboot property requests"}};
    const HandlerOutcome out = probe.run(steps.value(step));
    QCOMPARE(out.resultCount, 1);
    QCOMPARE(rowFor(out.rows, label), (QStringList{label, shown, status}));
    QCOMPARE(brief(out.entries), entry.isEmpty() ? QStringList{summaries.value(step)} : QStringList{entry});
}

void TestLinkTestChecks::announcement_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("objects");
    QTest::addColumn<QString>("service");
    QTest::newRow("software upgrade") << "sw" << 8 << "Software Upgrade";
    QTest::newRow("diagnostic report") << "diag" << 5 << "Diagnostic report";
    QTest::newRow("logging") << "log" << 8 << "Live logging";
    QTest::newRow("reboot") << "reboot" << 1 << "Reboot";
}

void TestLinkTestChecks::announcement()
{
    QFETCH(QString, step);
    QFETCH(int, objects);
    QFETCH(QString, service);
    auto call = [&](TDeviceTestHandler &h) {
        if (step == "sw")
            h.startSwUpgrade_Test(false);
        else if (step == "diag")
            h.startDiagRep_Test(false);
        else if (step == "log")
            h.startLogging_Test(false);
        else
            h.startReboot_Test(false);
    };
    // Not announced: the notify row last, one warning, no summary.
    HandlerProbe probe;
    probe.feed(goodServiceValues());
    probe.run([](TDeviceTestHandler &h) { h.startService_Test({}, {}); });
    const HandlerOutcome out = probe.run(call);
    QCOMPARE(out.rows.size(), objects + 1);
    QCOMPARE(out.rows.last(),
             (QStringList{"Service", "NOT announce via service discovery (SLP)", "notify"}));
    QCOMPARE(out.entries,
             (QList<QStringList>{{service, "service", "WARNING", "NOT announce via service discovery (SLP)"}}));

    // Its service flag clear (status not found): one empty result, nothing logged.
    HandlerProbe cleared;
    QMap<QString, QString> values = goodServiceValues();
    for (const QString &name : serviceEnablePropertyNames)
        values[name] = "0";
    cleared.feed(values);
    cleared.run([](TDeviceTestHandler &h) { h.startService_Test({}, {}); });
    const HandlerOutcome skipped = cleared.run(call);
    QCOMPARE(skipped.resultCount, 1);
    QVERIFY(skipped.rows.isEmpty());
    QVERIFY(skipped.entries.isEmpty());
}

void TestLinkTestChecks::answersCountDown()
{
    // Two batches add up; answers for other devices and answers beyond the
    // count change nothing; ready comes once, when the last answer is in.
    HandlerProbe probe;
    TDeviceTestHandler &h = probe.handler();
    const HandlerOutcome out = probe.run([](TDeviceTestHandler &h) {
        h.fetchSNMPValues({"sysName"}, "probe", "first");
        h.fetchSNMPValues({"sysContact"}, "probe", "second");
        auto answer = [](const QString &id, const QString &name, const QString &value) {
            snmp_get_value_t v;
            v.uniqueId = id;
            v.mibObjectName = name;
            v.value = value;
            v.ok = true;
            emit TLinkSNMPIf::instance()->getValueDone(v);
        };
        answer("other", "sysName", "other");
        // The device object's own read of another object of the same device.
        answer("probe", "zkLoggingClientEnable", "2");
        answer("probe", "sysName", "one");
        answer("probe", "sysContact", "two");
        answer("probe", "sysName", "late");
    });
    QCOMPARE(out.readyLabels, QStringList{"second"});
    probe.handler().startSLP_Test(GoodSlp);
    const HandlerOutcome snmp = probe.run([](TDeviceTestHandler &h) { h.startSNMP_Test(); });
    QCOMPARE(rowFor(snmp.rows, "System name").at(1), QStringLiteral("one"));
    QCOMPARE(rowFor(snmp.rows, "System contact").at(1), QStringLiteral("two"));
    Q_UNUSED(h)
}

void TestLinkTestChecks::earlierAnswersDoNotCount()
{
    // A download whose writes are still unanswered (the device stopped right
    // after it sent the report) is followed by a new run, which does not wait
    // for those answers.
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    HandlerProbe probe;
    probe.handler().startTftpDownload("dev78", "TFTP download", "127.0.0.1");
    probe.handler().startMibTreeTest("dev78", "127.0.2.78", "4411", "01.07");
    const HandlerOutcome fed = probe.run([&probe](TDeviceTestHandler &) { probe.feed({{"sysName", "one"}}); });
    QCOMPARE(fed.readyLabels, QStringList{"feed"});
}

void TestLinkTestChecks::testDevicePerHandler()
{
    // Two tests of one device have test devices of their own, and a handler
    // that goes mid-test takes its test device with it.
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    auto first = std::make_unique<TDeviceTestHandler>();
    TDeviceTestHandler second;
    first->startMibTreeTest("dev77", "127.0.2.77", "4411", "01.07");
    second.startMibTreeTest("dev77", "127.0.2.77", "4411", "01.07");
    const QString firstId = "dev77test" + QString::number(first->testNumber());
    const QString secondId = "dev77test" + QString::number(second.testNumber());
    QVERIFY(firstId != secondId);
    QVERIFY(!snmp->getProperties(firstId).isEmpty());
    QVERIFY(!snmp->getProperties(secondId).isEmpty());
    first.reset();
    QVERIFY(snmp->getProperties(firstId).isEmpty());
    QVERIFY(!snmp->getProperties(secondId).isEmpty());
}

void TestLinkTestChecks::cleanupTestCase()
{
    QVERIFY(endDeviceThreads());
}

QTEST_GUILESS_MAIN(TestLinkTestChecks)
#include "tst_linktestchecks.moc"
