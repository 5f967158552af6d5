// A whole link test run over the device simulator: the rows and log entries
// of each step, a device that answers nothing, and the worker thread's end.

#include "devicethreads.h"
#include "devsimlinktest.h"
#include "linktestrun.h"
#include "tdevicetestif.h"
#include "tdevicetestrecorddevice.h"
#include "tlinksnmpif.h"
#include "testsupport.h"

#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

namespace {

const QString DeviceAddress = QStringLiteral("127.0.1.40");
const QString SilentAddress = QStringLiteral("127.0.1.41");
const QString RebootAddress = QStringLiteral("127.0.1.43");
const QString NeverBackAddress = QStringLiteral("127.0.1.44");

QList<device_test_service_t> services(const QString &address)
{
    // The diagnostic report service is known only from the model list.
    return {{256, true, QStringLiteral("service:swupdate.vantor:tftp://%1").arg(address), QStringLiteral("default"), address},
            {512, true, QStringLiteral("service:syslog.vantor:udp://%1").arg(address), QString(), address},
            {768, false, QStringLiteral("service:diagreport.vantor:tftp://%1").arg(address), QStringLiteral("default"), address},
            {1024, true, QStringLiteral("service:reboot.vantor:snmp://%1").arg(address), QStringLiteral("default"), address}};
}

QStringList times(int n, const QString &text)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out.append(text);
    return out;
}

// Stands in for the program's TFTP server: reports transfers on demand.
class FileReceiver : public QObject
{
    Q_OBJECT
signals:
    void receivedFileFrom(const QString &fileName, const QString &peerAddress);
    void tftpSessionStarted(const QString &srvurl);
};

} // namespace

class TestLinkTestRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void fullRun();
    void silentDevice();
    void reboot();
    void rebootNotSeen_data();
    void rebootNotSeen();
    void diagnosticsDownload();
    void downloadWithoutLocalAddress();

private:
    testsupport::Peer m_device;
    testsupport::Peer m_silent;
    testsupport::Peer m_rebooting;
    testsupport::Peer m_neverBack;
};

void TestLinkTestRun::initTestCase()
{
    if (!testsupport::isRoot())
        QSKIP("port 161 on 127.0.1.x needs root");
    testsupport::setUpApplication();
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    QVERIFY(testsupport::startDevsim(m_device, {"--address", DeviceAddress, "--no-slp", "--model", "4411"}));
    QVERIFY(warmUpSnmp(DeviceAddress, "4411"));
    QVERIFY(testsupport::startDevsim(m_silent, {"--address", SilentAddress, "--no-slp", "--model", "4411", "--silent"}));
    QVERIFY(testsupport::startDevsim(m_rebooting, {"--address", RebootAddress, "--no-slp", "--model", "4411", "--restart-ms", "1500"}));
    QVERIFY(testsupport::startDevsim(m_neverBack, {"--address", NeverBackAddress, "--no-slp", "--model", "4411", "--restart-ms", "3600000"}));
}

void TestLinkTestRun::fullRun()
{
    TLinkSNMPIf::instance()->addDevice("dev40", DeviceAddress, "4411", "01.07");
    // The web page as the model list gives it: a path on the device's own address.
    TDeviceTestRecordDevice device(slpRecord("dev40", DeviceAddress, "4411"), DeviceAddress,
                                   services(DeviceAddress)
                                       << device_test_service_t{1824, true, QStringLiteral("service:web.vantor:http://"),
                                                                QStringLiteral("/index.html"), DeviceAddress});
    auto *test = new TDeviceTestIf(&device);
    LinkTestRun run(test);
    test->startTest();
    QVERIFY2(testsupport::waitFor([&] { return run.finished >= 1; }, 60000), qPrintable(run.labels().join(',')));

    QCOMPARE(run.labels().mid(0, 9), (QStringList{"SLP", "SNMP", "Service", "SwUpgrade", "Logging", "reboot",
                                                   "Diagnostic", "Http", "Mib properties"}));
    QCOMPARE(run.statuses("SLP"), times(7, "success"));
    QCOMPARE(run.entriesOf("SLP"), (QList<QStringList>{{"SLP", "test", "OK", "Valid SLP attributes"}}));
    QCOMPARE(run.statuses("SNMP"), times(18, "success"));
    QCOMPARE(run.entriesOf("SNMP"), (QList<QStringList>{{"SNMP", "test", "OK", "Valid responses to SNMP requests"}}));

    const QList<QStringList> service = run.rows("Service");
    QCOMPARE(service.mid(0, 4), (QList<QStringList>{{"SW Upgrade", "ready", "success"},
                                                    {"Live Logging", "disabled", "success"},
                                                    {"Reset", "not reset", "success"},
                                                    {"Diagnostic Report", "init", "success"}}));
    QCOMPARE(service.size(), 9);
    QCOMPARE(service.at(4), (QStringList{"swupdate.vantor", "tftp://" + DeviceAddress, "success"}));
    QCOMPARE(service.at(8), (QStringList{"web.vantor", "http://" + DeviceAddress + "/index.html", "success"}));

    QCOMPARE(run.statuses("SwUpgrade"), times(8, "success"));
    QCOMPARE(run.rows("SwUpgrade").at(0), (QStringList{"Protocol", "tftp", "success"}));
    QCOMPARE(run.rows("SwUpgrade").at(3), (QStringList{"File Name", "none", "success"}));
    QCOMPARE(run.statuses("Logging"), times(8, "success"));
    QCOMPARE(run.rows("reboot"), (QList<QStringList>{{"Reset", "not reset", "success"}}));
    // The diagnostic report service was not announced.
    QCOMPARE(run.statuses("Diagnostic"), (QStringList{"success", "success", "success", "success", "success", "notify"}));
    QCOMPARE(run.entriesOf("Diagnostic report"),
             (QList<QStringList>{{"Diagnostic report", "service", "WARNING", "NOT announce via service discovery (SLP)"}}));
    for (const char *service : {"Service", "Software Upgrade", "Live logging", "Reboot"})
        QCOMPARE(run.entriesOf(service).size(), 1);

    // The tree test's rows: the scalar objects of the model's MIB, read through a test device.
    const QList<QStringList> properties = run.rows("Mib properties");
    QVERIFY(properties.size() > 18);
    QVERIFY(properties.contains(QStringList{"zkZk441xMaxChargeCurrent", "5000", "success"}));
    QVERIFY(TLinkSNMPIf::instance()->getProperties(test->testDeviceId()).isEmpty());

    // The model's MIB has no tables: the table step shows nothing and ends the run, once.
    QTest::qWait(200);
    QCOMPARE(run.finished, 1);
    QVERIFY(!run.labels().contains("Tables"));

    QPointer<QThread> thread = test->workerThread();
    delete test;
    QVERIFY(testsupport::waitFor([&] { return thread.isNull(); }, 5000));
    TLinkSNMPIf::instance()->removeDevice("dev40");
}

void TestLinkTestRun::silentDevice()
{
    QuickSnmpTries quick;
    TLinkSNMPIf::instance()->addDevice("dev41", SilentAddress, "4411", "01.07");
    TDeviceTestRecordDevice device(slpRecord("dev41", SilentAddress, "4411"), SilentAddress, services(SilentAddress));
    auto *test = new TDeviceTestIf(&device);
    LinkTestRun run(test);
    test->startTest();
    QVERIFY2(testsupport::waitFor([&] { return run.finished >= 1; }, 150000), qPrintable(run.labels().join(',')));

    const QList<QStringList> snmp = run.rows("SNMP");
    QCOMPARE(snmp.size(), 18);
    for (const QStringList &row : snmp)
        QCOMPARE(row.at(1), QStringLiteral("could not retrieve snmp value"));
    QCOMPARE(snmp.at(0), (QStringList{"SW version", "could not retrieve snmp value", "failed"}));
    QCOMPARE(snmp.at(9).at(2), QStringLiteral("warning")); // alias name
    QCOMPARE(snmp.at(10).at(2), QStringLiteral("notify")); // SysName
    QCOMPARE(run.entriesOf("SNMP").size(), 18);

    // No service answered: the steps that depend on them show nothing.
    QCOMPARE(run.statuses("Service").mid(0, 4), times(4, "failed"));
    QCOMPARE(run.labels().mid(0, 3), (QStringList{"SLP", "SNMP", "Service"}));
    QVERIFY(!run.labels().contains("SwUpgrade"));
    QVERIFY(!run.labels().contains("Diagnostic"));
    // The tree test gives up waiting and reports every property as not read.
    const QList<QStringList> properties = run.rows("Mib properties");
    QVERIFY(!properties.isEmpty());
    for (const QStringList &row : properties)
        QCOMPARE(row.mid(1), (QStringList{"could not retrieve snmp value", "failed"}));

    QPointer<QThread> thread = test->workerThread();
    delete test;
    QVERIFY(testsupport::waitFor([&] { return thread.isNull(); }, 5000));
    TLinkSNMPIf::instance()->removeDevice("dev41");
}

void TestLinkTestRun::reboot()
{
    // The device's clock starts again from 0 when it restarts.
    TLinkSNMPIf::instance()->addDevice("dev43", RebootAddress, "4411", "01.07");
    TDeviceTestRecordDevice device(slpRecord("dev43", RebootAddress, "4411"), RebootAddress, services(RebootAddress));
    TDeviceTestIf test(&device);
    LinkTestRun run(&test);
    test.rebootDevice();
    QVERIFY2(testsupport::waitFor([&] { return run.finished >= 1; }, 60000), qPrintable(run.labels().join(',')));
    QCOMPARE(run.labels(), QStringList{"BOOTING"});
    const QList<QStringList> rows = run.rows("BOOTING");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().at(0), QStringLiteral("Reboot"));
    QVERIFY2(rows.first().at(1).startsWith("UPTIME "), qPrintable(rows.first().at(1)));
    QVERIFY(rows.first().at(1).mid(7).toInt() < 60);
    QCOMPARE(rows.first().at(2), QStringLiteral("success"));
    // The log, and with it the report, tells the success too.
    QCOMPARE(run.entriesOf("Reboot"),
             (QList<QStringList>{{"Reboot", "test", "OK", "Device restarted, up for " + rows.first().at(1).mid(7) + " s"}}));
    QVERIFY(m_rebooting.output().contains("up again"));
    TLinkSNMPIf::instance()->removeDevice("dev43");
}

// A device that does not come back fails once the model's reboot time is
// over, however long each clock read takes; one whose clock cannot be read
// before the reset is not reset and fails at once.
void TestLinkTestRun::rebootNotSeen_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("entry");
    QTest::newRow("never back") << NeverBackAddress << "could not retrieve snmp value" << "Device did not restart.";
    QTest::newRow("dead") << SilentAddress << "could not retrieve snmp value" << "Could not read the device clock.";
}

void TestLinkTestRun::rebootNotSeen()
{
    QFETCH(QString, address);
    QFETCH(QString, value);
    QFETCH(QString, entry);
    TLinkSNMPIf::instance()->addDevice("dev44", address, "4411", "01.07");
    TDeviceTestRecordDevice device(slpRecord("dev44", address, "4411"), address, services(address));
    device.setRebootTimeout(4);
    TDeviceTestIf test(&device);
    LinkTestRun run(&test);
    test.rebootDevice();
    // Each clock read against a silent device takes seconds of SNMP retries:
    // a wait counted only in reads would last far beyond this bound.
    QVERIFY2(testsupport::waitFor([&] { return run.finished >= 1; }, 90000), qPrintable(run.labels().join(',')));
    QCOMPARE(run.rows(run.labels().last()), (QList<QStringList>{{"Reboot", value, "failed"}}));
    QCOMPARE(run.entriesOf("Reboot"), (QList<QStringList>{{"Reboot", "test", "ERROR", entry}}));
    TLinkSNMPIf::instance()->removeDevice("dev44");
}

void TestLinkTestRun::diagnosticsDownload()
{
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    snmp->addDevice("dev40", DeviceAddress, "4411", "01.07");
    QSettings().setValue(QStringLiteral("tftp_server/portnumber"), 6969);
    FileReceiver server;
    TDeviceTestRecordDevice device(slpRecord("dev40", DeviceAddress, "4411"), DeviceAddress, services(DeviceAddress), &server);
    TDeviceTestIf test(&device);
    LinkTestRun run(&test);
    QSignalSpy answers(snmp, &TLinkSNMPIf::getValueDone);
    test.startTftpDownload(); // in a window that has run no test yet
    // The device is told where to send its report: four writes, each answered.
    QVERIFY(testsupport::waitFor([&] { return answers.count() >= 4; }, 20000));
    QStringList written;
    for (const auto &args : qAsConst(answers)) {
        const snmp_get_value_t v = args.at(0).value<snmp_get_value_t>();
        QVERIFY2(v.ok, qPrintable(v.mibObjectName));
        written.append(v.mibObjectName + '=' + v.value);
    }
    QCOMPARE(written, (QStringList{"zkDiagReportIpAddress=" + device.getDeviceHostAddress().toString(),
                                   "zkDiagReportPortNumber=6969", "zkDiagReportFileName=DiagReport.diag",
                                   "zkDiagReportControl=2"}));
    QTest::qWait(100);
    QCOMPARE(run.finished, 0);

    // Files of other names or from other devices are not this step's.
    emit server.tftpSessionStarted(DeviceAddress);
    emit server.receivedFileFrom("Other.diag", DeviceAddress);
    emit server.tftpSessionStarted("127.0.1.99");
    // Another device's file of the same name, while this device's transfer runs.
    emit server.receivedFileFrom("DiagReport.diag", "127.0.1.99");
    QCOMPARE(run.finished, 0);
    emit server.receivedFileFrom("DiagReport.diag", DeviceAddress);
    QCOMPARE(run.finished, 1);
    QCOMPARE(run.labels(), QStringList{"TFTP download"});
    QCOMPARE(run.rows("TFTP download"), (QList<QStringList>{{"TFTP download", "DiagReport.diag", "success"}}));
    QCOMPARE(run.entriesOf("Diagnostic report"),
             (QList<QStringList>{{"Diagnostic report", "test", "OK", "Report DiagReport.diag received"}}));
    // Only the first file after the request is reported.
    emit server.receivedFileFrom("DiagReport.diag", DeviceAddress);
    QCOMPARE(run.finished, 1);

    // A report that never comes ends the step after its time.
    test.setTimeouts(10000, 300);
    test.startTftpDownload();
    QVERIFY(testsupport::waitFor([&] { return run.finished == 2; }, 20000));
    QCOMPARE(run.steps.last().second,
             (QList<QStringList>{{"TFTP download", "No report received within 0.3 s", "failed"}}));
    snmp->removeDevice("dev40");
}

void TestLinkTestRun::downloadWithoutLocalAddress()
{
    // No interface of ours on the device's network: nothing is written, the step fails at once.
    const QString far = QStringLiteral("10.254.254.1");
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    snmp->addDevice("dev99", far, "4411", "01.07");
    FileReceiver server;
    TDeviceTestRecordDevice device(slpRecord("dev99", far, "4411"), far, services(far), &server);
    QVERIFY(device.getDeviceHostAddress().isNull());
    TDeviceTestIf test(&device);
    LinkTestRun run(&test);
    QSignalSpy answers(snmp, &TLinkSNMPIf::getValueDone);
    test.startTftpDownload();
    QVERIFY(testsupport::waitFor([&] { return run.finished == 1; }, 5000));
    QCOMPARE(run.rows("TFTP download"),
             (QList<QStringList>{{"TFTP download", "No local address on the device's network", "failed"}}));
    QTest::qWait(200);
    QCOMPARE(answers.count(), 0);
    snmp->removeDevice("dev99");
}

void TestLinkTestRun::cleanupTestCase()
{
    QVERIFY(endDeviceThreads());
}

QTEST_GUILESS_MAIN(TestLinkTestRun)
#include "tst_linktestrun.moc"
