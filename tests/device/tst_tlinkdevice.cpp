// The device object's identity: texts, software version, display name, key
// file name, date code, discovery updates, host address, online state and
// the reboot request as far as it runs without a device.

#include "eventlog.h"
#include "infoservice.h"
#include "testdevice.h"
#include "testsupport.h"
#include "tlinkdevice.h"
#include "tlinksyslogif.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// Collects the lines a syslog source passes to its listeners.
class LineCollector : public QObject
{
    Q_OBJECT
public:
    QStringList lines;
public slots:
    void initText(const QString &) {}
    void newLine(const QString &line) { lines << line; }
};

} // namespace

class TestTLinkDevice : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void construction();
    void displayName_data();
    void displayName();
    void softwareVersion_data();
    void softwareVersion();
    void keyFileName_data();
    void keyFileName();
    void dateCode_data();
    void dateCode();
    void updateDevice_data();
    void updateDevice();
    void hostAddress_data();
    void hostAddress();
    void onlineState();
    void rebootRequest();
    void refusedReboot_data();
    void refusedReboot();
    void rebootTimesOutWithoutValues();
};

void TestTLinkDevice::initTestCase()
{
    testsupport::setUpApplication();
}

void TestTLinkDevice::construction()
{
    EventLog events;
    TLinkDevice device(makeParam("127.0.2.5"), nullptr);
    QCOMPARE(device.getIpAddress(), QStringLiteral("127.0.2.5"));
    QCOMPARE(device.getUniqueId(), QStringLiteral("Vantor4320100001"));
    QCOMPARE(device.getModelName(), QStringLiteral("4320"));
    QVERIFY(device.isOnline());
    QCOMPARE(device.getServices(), Services_t(0));
    QCOMPARE(device.getUploadState(), -4);
    QCOMPARE(events.ids(), QList<int>{1});

    // The software update service is brought up to date when fetched: a
    // device without that service shows it unavailable.
    const QList<QPair<InfoService *, QPair<int, int>>> services = {
        {device.getRebootService(), {1024, -3}},       {device.getDiagReportService(), {768, -3}},
        {device.getLiveLoggingService(), {512, -3}},   {device.getSoftwareUpdateService(), {256, -1}},
        {device.getDeviceStatusService(), {1792, 1793}}, {device.getConfigurationService(), {1808, -1}},
        {device.getWebInterfaceService(), {1824, -1}}, {device.getMibFileService(), {1840, -1}}};
    for (const auto &service : services) {
        QVERIFY(service.first);
        QCOMPARE(service.first->getServiceType(), service.second.first);
        QCOMPARE(service.first->getState(), service.second.second);
    }
    // The model list's time-outs, with the fallbacks for models it lacks.
    QCOMPARE(device.getStartupTimeout(), 60);
    TLinkDevice unknown(makeParam("127.0.2.6", "9999"), nullptr);
    QCOMPARE(unknown.getStartupTimeout(), 60);
    QCOMPARE(unknown.getProgressTimeout(), 600);

    // A service URL without a host gives no address and no local interface.
    device_param_t noHost = makeParam("127.0.2.7");
    noHost.srvurl = QStringLiteral("service:device.vantor");
    TLinkDevice hostless(noHost, nullptr);
    QVERIFY(hostless.getIpAddress().isEmpty());
    QVERIFY(hostless.getDeviceHostAddress().isNull());
}

void TestTLinkDevice::displayName_data()
{
    QTest::addColumn<QString>("alias");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("name");
    QTest::newRow("alias") << "Bridge" << "Terminal" << "Bridge (Terminal)";
    QTest::newRow("no alias") << "" << "Terminal" << "Terminal";
}

void TestTLinkDevice::displayName()
{
    QFETCH(QString, alias);
    QFETCH(QString, product);
    QFETCH(QString, name);
    device_param_t param = makeParam("127.0.2.5");
    param.alias = alias;
    param.product = product;
    TLinkDevice device(param, nullptr);
    QCOMPARE(device.getName(), name);
    QCOMPARE(device.getDisplayName(), name);
}

void TestTLinkDevice::softwareVersion_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("build");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("buildNumber");
    QTest::addColumn<bool>("known");
    QTest::newRow("major.minor") << "2.07" << "0012" << "02.07" << 12 << true;
    QTest::newRow("no dot") << "3" << "1" << "03.00" << 1 << true;
    QTest::newRow("unreadable") << "x.y" << "z" << "00.00" << 0 << false;
    QTest::newRow("empty") << "" << "" << "00.00" << 0 << false;
}

void TestTLinkDevice::softwareVersion()
{
    QFETCH(QString, version);
    QFETCH(QString, build);
    QFETCH(QString, text);
    QFETCH(int, buildNumber);
    QFETCH(bool, known);
    device_param_t param = makeParam("127.0.2.5");
    param.swversion = version;
    param.swbuild = build;
    TLinkDevice device(param, nullptr);
    QCOMPARE(device.getSoftwareVersion(), text);
    TLinkSoftware current;
    QCOMPARE(device.getCurrentSoftware(current), known);
    if (known)
        QCOMPARE(int(current.getBuild()), buildNumber);
    // Without images the device counts as up to date and has no list.
    QList<TLinkSoftware> list;
    QVERIFY(!device.getSoftwareList(list));
    QVERIFY(list.isEmpty());
    QVERIFY(device.isSoftwareUpToDate());
}

void TestTLinkDevice::keyFileName_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("key");
    QTest::newRow("numeric model") << "4320" << "432001.070041";
    QTest::newRow("letters stripped") << "ZK-4320" << "432001.070041";
    QTest::newRow("no digit in model") << "ZK" << "01.070041";
}

void TestTLinkDevice::keyFileName()
{
    QFETCH(QString, model);
    QFETCH(QString, key);
    TLinkDevice device(makeParam("127.0.2.5", model), nullptr);
    const TLinkSoftware software(1, 7, 41, 0);
    QCOMPARE(device.getKeyFileName(&software), key);
    QCOMPARE(device.getKeyFileName(nullptr), QStringLiteral("no_software_ref"));
}

void TestTLinkDevice::dateCode_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("code");
    QTest::newRow("2017") << QDateTime(QDate(2017, 4, 26), QTime(13, 45)) << " 441a0d2d";
    QTest::newRow("2029") << QDateTime(QDate(2029, 12, 31), QTime(23, 59)) << "10c1f173b";
}

void TestTLinkDevice::dateCode()
{
    QFETCH(QDateTime, time);
    QFETCH(QString, code);
    QCOMPARE(TLinkDevice::getDateCode(time), code);
}

void TestTLinkDevice::updateDevice_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("ip");
    QTest::newRow("texts only") << "100001" << "127.0.2.5";
    QTest::newRow("new unique id") << "200002" << "127.0.2.5";
    QTest::newRow("new address") << "100001" << "127.0.2.9";
}

void TestTLinkDevice::updateDevice()
{
    QFETCH(QString, serial);
    QFETCH(QString, ip);
    TLinkDevice device(makeParam("127.0.2.5"), nullptr);
    TLinkSyslogIf *syslog = TLinkSyslogIf::instance();
    syslog->addDevice(device.getUniqueId(), device.getName(), device.getSoftwareVersion(), device.getIpAddress());
    QSignalSpy updated(&device, SIGNAL(updated(TLinkDeviceIf *)));
    QSignalSpy version(&device, &TLinkDeviceIf::updatedSoftwareVersion);

    device_param_t param = makeParam(ip, "4320", serial);
    param.alias = QStringLiteral("Aft");
    param.swversion = QStringLiteral("01.08");
    device.updateDevice(param);
    QCOMPARE(device.getUniqueId(), param.uniqueId);
    QCOMPARE(device.getIpAddress(), ip);
    QCOMPARE(device.getName(), QStringLiteral("Aft (VANTOR-4320)"));
    QCOMPARE(device.getSoftwareVersion(), QStringLiteral("01.08"));
    QCOMPARE(version.count(), 1);
    QCOMPARE(updated.count(), 1);
    QCOMPARE(updated.first().at(0).value<TLinkDeviceIf *>(), &device);

    // The syslog layer knows the device by its new id and address.
    LineCollector collector;
    syslog->connectSyslogDevice(param.uniqueId, &collector, SLOT(initText(QString)), 10, SLOT(newLine(QString)));
    syslog->syslogReceivedHandler(ip, QStringLiteral("<14>1 2026-12-10T10:00:00Z dev app - - - hello"));
    QCOMPARE(collector.lines.size(), 1);
    syslog->removeDevice(param.uniqueId);
}

void TestTLinkDevice::hostAddress_data()
{
    QTest::addColumn<QString>("deviceIp");
    QTest::addColumn<QString>("hostIp");
    QTest::newRow("loopback subnet") << "127.0.2.5" << "127.0.0.1";
    QTest::newRow("no local subnet") << "198.51.100.7" << "";
}

void TestTLinkDevice::hostAddress()
{
    QFETCH(QString, deviceIp);
    QFETCH(QString, hostIp);
    TLinkDevice device(makeParam(deviceIp), nullptr);
    const QHostAddress host = device.getDeviceHostAddress();
    if (hostIp.isEmpty())
        QVERIFY(host.isNull());
    else
        QCOMPARE(host, QHostAddress(hostIp));
}

void TestTLinkDevice::onlineState()
{
    TLinkDevice device(makeParam("127.0.2.5"), nullptr);
    QSignalSpy updated(&device, SIGNAL(updated(TLinkDeviceIf *)));
    QString status;
    QString description = QStringLiteral("untouched");
    QCOMPARE(device.getConnectionStatus(status, description), 1793);
    QCOMPARE(status, QStringLiteral("Connected"));
    QCOMPARE(description, QStringLiteral("untouched"));

    device.setOnline(false);
    device.setOnline(false);
    QCOMPARE(updated.count(), 1);
    QCOMPARE(device.getConnectionStatus(status, description), 1797);
    QCOMPARE(status, QStringLiteral("Offline"));
    QCOMPARE(description, QStringLiteral("The communication with the device is down."));

    device.setOnline(true);
    QCOMPARE(updated.count(), 2);
    QVERIFY(device.isOnline());
}

void TestTLinkDevice::rebootRequest()
{
    EventLog events;
    TLinkDevice device(makeParam("127.0.2.5"), nullptr);
    device.addService({QStringLiteral("service:reboot.vantor://127.0.2.5"), QString(), QStringLiteral("127.0.2.5")});
    QSignalSpy updated(&device, SIGNAL(updated(TLinkDeviceIf *)));
    events.clear();

    device.rebootDevice();
    QCOMPARE(device.getRebootMode(), int(TLinkDevice::RebootRequested));
    QCOMPARE(updated.count(), 1);
    QVERIFY(testsupport::waitFor([&] { return device.getRebootService()->getState() == 1024; }, 2000));
    QCOMPARE(events.count(1025), 1);
    QCOMPARE(events.events().first().state, 1);

    // A "not reset" reading within the first seconds is the value from
    // before the restart: it confirms nothing.
    device.initPropertyGroups({});
    snmp_property_t reset;
    reset.mibObjectName = QStringLiteral("zkSystemConfigReset");
    reset.kind = 3;
    reset.writable = 1;
    reset.enumValues = {{1, QStringLiteral("notReset")}, {2, QStringLiteral("reset")}};
    device.initProperties({reset});
    snmp_get_value_t reading;
    reading.uniqueId = device.getUniqueId();
    reading.mibObjectName = reset.mibObjectName;
    reading.value = QStringLiteral("1");
    reading.ok = true;
    device.propertyUpdated(reading);
    QCOMPARE(device.getRebootMode(), int(TLinkDevice::RebootRequested));

    // Losing the device while the reboot is unconfirmed shows it rebooting.
    device.setOnline(false);
    QVERIFY(testsupport::waitFor([&] { return device.getRebootService()->getState() == 1025; }, 2000));
    device.setOnline(true);

    // An accepted SET answer (a device that went down at once may leave it
    // timed out) keeps it there.
    snmp_req_list_t answer;
    answer.uniqueId = device.getUniqueId();
    answer.kind = 0;
    answer.items = {{reset.mibObjectName, QStringLiteral("2")}};
    answer.result = 4;
    device.propertiesUpdated(answer);
    QVERIFY(testsupport::waitFor([&] { return device.getRebootService()->getState() == 1025; }, 2000));
    QCOMPARE(events.count(1024), 0);
}

void TestTLinkDevice::refusedReboot_data()
{
    QTest::addColumn<int>("result");
    QTest::newRow("write failed") << 3;
    QTest::newRow("unknown device") << 0;
}

void TestTLinkDevice::refusedReboot()
{
    // A refused restart ends the reboot at once: a later "not reset" reading
    // of the device that never went down must not report a finished reboot.
    QFETCH(int, result);
    EventLog events;
    TLinkDevice device(makeParam("127.0.2.5"), nullptr);
    device.addService({QStringLiteral("service:reboot.vantor://127.0.2.5"), QString(), QStringLiteral("127.0.2.5")});
    device.rebootDevice();
    snmp_req_list_t answer;
    answer.uniqueId = device.getUniqueId();
    answer.kind = 0;
    answer.items = {{QStringLiteral("zkSystemConfigReset"), QStringLiteral("2")}};
    answer.result = result;
    device.propertiesUpdated(answer);
    QCOMPARE(events.count(1024), 1);
    QCOMPARE(device.getRebootMode(), int(TLinkDevice::RebootNone));
    QVERIFY(testsupport::waitFor([&] { return device.getRebootService()->getState() == -2; }, 2000));
}

void TestTLinkDevice::rebootTimesOutWithoutValues()
{
    // A device that never comes back sends nothing that would run the
    // follow-up; the reboot still times out, and the "not reset" value read
    // before the request does not pass for the device being up again.
    EventLog events;
    TLinkDevice device(makeParam("127.0.2.5"), nullptr);
    device.addService({QStringLiteral("service:reboot.vantor://127.0.2.5"), QString(), QStringLiteral("127.0.2.5")});
    device.initPropertyGroups({});
    snmp_property_t reset;
    reset.mibObjectName = QStringLiteral("zkSystemConfigReset");
    reset.kind = 3;
    reset.enumValues = {{1, QStringLiteral("notReset")}, {2, QStringLiteral("reset")}};
    device.initProperties({reset});
    device.propertyUpdated({device.getUniqueId(), reset.mibObjectName, QStringLiteral("1"), 0, 0, true});

    device.setRebootTimeoutMs(300);
    device.rebootDevice();
    QVERIFY(testsupport::waitFor([&] { return device.getRebootMode() == TLinkDevice::RebootNone; }, 3000));
    QVERIFY(testsupport::waitFor([&] { return device.getRebootService()->getState() == -2; }, 3000));
    QCOMPARE(events.count(1024), 1);
    QCOMPARE(events.events().last().id, 1024);
}

QTEST_GUILESS_MAIN(TestTLinkDevice)
#include "tst_tlinkdevice.moc"
