// A whole link test against a simulated antenna unit that announces its web
// page and MIB file, serves a table whose INDEX column is not-accessible and
// sends its diagnostics report to the program's own TFTP server; and one
// against a unit whose web server takes connections and never answers.

#include "devicethreads.h"
#include "devsimlinktest.h"
#include "linktestrun.h"
#include "tdevicetestif.h"
#include "tdevicetestrecorddevice.h"
#include "testsupport.h"
#include "tlinksnmpif.h"
#include "tlinktftpserverif.h"

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

const QString DeviceAddress = QStringLiteral("127.0.1.50");
const QString MuteAddress = QStringLiteral("127.0.1.51");

// The services as the device announces them over SLP: the web page and MIB
// file URLs carry the device's host, the attribute text the path.
QList<device_test_service_t> announced(const QString &address)
{
    return {{256, true, QStringLiteral("service:swupdate.vantor:tftp://%1").arg(address), QStringLiteral("default"), address},
            {512, true, QStringLiteral("service:syslog.vantor:udp://%1").arg(address), QStringLiteral("default"), address},
            {768, true, QStringLiteral("service:diagreport.vantor:tftp://%1").arg(address), QStringLiteral("default"), address},
            {1024, true, QStringLiteral("service:reboot.vantor:snmp://%1").arg(address), QStringLiteral("default"), address},
            {1824, true, QStringLiteral("service:web.vantor:http://%1").arg(address), QStringLiteral("/index.html"), address},
            {1840, true, QStringLiteral("service:mib.vantor:http://%1").arg(address), QStringLiteral("/vantor.mib"), address}};
}

} // namespace

class TestLinkTestDevsim : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void announcedServices();
    void muteWebServer();

private:
    QTemporaryDir m_mibs;
    testsupport::Peer m_device;
    testsupport::Peer m_mute;
    TLinkTftpServerIf *m_tftp = nullptr;
};

void TestLinkTestDevsim::initTestCase()
{
    if (!testsupport::isRoot())
        QSKIP("port 161 on 127.0.1.x needs root");
    testsupport::setUpApplication();
    // The base modules and the antenna unit's module with its axis table.
    QVERIFY(m_mibs.isValid());
    for (const char *name : {"SNMPv2-SMI.txt", "SNMPv2-TC.txt", "SNMPv2-CONF.txt", "vantor_decimal_SMIv2.mib"})
        QVERIFY(QFile::copy(QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs/") + name, m_mibs.filePath(name)));
    QVERIFY(QFile::copy(QFINDTESTDATA("../fixtures/mibs-table/VANTOR-ZK4350-MIB-axes.mib"),
                        m_mibs.filePath("VANTOR-ZK4350-MIB-axes.mib")));
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), m_mibs.path());
    // The program's TFTP server, on a port of its own.
    const quint16 tftpPort = testsupport::freeUdpPort();
    QSettings().setValue(QStringLiteral("tftp_server/portnumber"), tftpPort);
    m_tftp = new TLinkTftpServerIf(tftpPort);
    m_tftp->startServer();

    QVERIFY(testsupport::startDevsim(m_device, {"--address", DeviceAddress, "--no-slp", "--no-telnet", "--model", "4350",
                                                "--mib-dir", m_mibs.path()}));
    QVERIFY(testsupport::startDevsim(m_mute, {"--address", MuteAddress, "--no-slp", "--no-telnet", "--model", "4350",
                                              "--mib-dir", m_mibs.path(), "--http-mute"}));
    QVERIFY(warmUpSnmp(DeviceAddress, "4350"));
}

void TestLinkTestDevsim::announcedServices()
{
    TLinkSNMPIf::instance()->addDevice("dev50", DeviceAddress, "4350", "01.07");
    TDeviceTestRecordDevice device(slpRecord("dev50", DeviceAddress, "4350"), DeviceAddress, announced(DeviceAddress), m_tftp);
    auto *test = new TDeviceTestIf(&device);
    test->setTimeouts(20000, 20000);
    LinkTestRun run(test);
    test->startTest();
    QVERIFY2(testsupport::waitFor([&] { return run.finished >= 1; }, 60000), qPrintable(run.labels().join(',')));
    QCOMPARE(run.labels(), (QStringList{"SLP", "SNMP", "Service", "SwUpgrade", "Logging", "reboot", "Diagnostic",
                                        "Http", "Mib", "Mib properties", "Tables"}));
    // The run ends once, after its last rows.
    QCOMPARE(run.labelsAtFinish.last(), QStringLiteral("Tables"));
    QTest::qWait(300);
    QCOMPARE(run.finished, 1);

    // Every row is a verdict on what was read, and this device gives no cause for "failed".
    for (const auto &step : qAsConst(run.steps))
        for (const QStringList &row : step.second)
            if (row.size() == 3)
                QVERIFY2(row.at(2) != QLatin1String("failed"), qPrintable(step.first + ": " + row.join('|')));
    QCOMPARE(run.rows("Http").value(0).mid(0, 1), QStringList{"Web interface"});
    QCOMPARE(run.rows("Http").value(0).value(2), QStringLiteral("success"));
    QCOMPARE(run.rows("Mib").value(0),
             (QStringList{"Mib download", "VANTOR-ZK4350-MIB-axes.mib\nVersion: 1.05 - Model: 4350", "success"}));
    // The INDEX column cannot be read and is not judged; the others show row 1
    // (in the SNMP engine's order of the columns).
    QCOMPARE(run.rows("Tables"), (QList<QStringList>{{"1 -"},
                                                     {"zk9xxxAduAxisAngle", "1", "success"},
                                                     {"zk9xxxAduAxisName", "row 1", "success"}}));
    for (const QStringList &e : qAsConst(run.entries))
        QVERIFY2(e.value(2) != QLatin1String("ERROR"), qPrintable(e.join('|')));

    // The diagnostics report reaches the program's own TFTP server.
    test->startTftpDownload();
    QVERIFY(testsupport::waitFor([&] { return run.finished >= 2; }, 30000));
    QCOMPARE(run.rows("TFTP download"), (QList<QStringList>{{"TFTP download", "DiagReport.diag", "success"}}));

    // The tables again, with the device stopped: nothing of the first run is shown as read.
    {
        QuickSnmpTries quick;
        ::kill(m_device.process().processId(), SIGSTOP);
        test->startMibTreeTest();
        const bool ended = testsupport::waitFor([&] { return run.finished >= 3; }, 60000);
        ::kill(m_device.process().processId(), SIGCONT);
        QVERIFY(ended);
    }
    QCOMPARE(run.labels().last(), QStringLiteral("Tables"));
    const QList<QStringList> tables = run.rows("Tables");
    QCOMPARE(tables.size(), 3);
    for (const QStringList &row : tables.mid(1))
        QVERIFY2(row.mid(1) == (QStringList{"could not retrieve snmp value", "failed"}), qPrintable(row.join('|')));

    QVERIFY(TLinkSNMPIf::instance()->getProperties(test->testDeviceId()).isEmpty());
    delete test;
    TLinkSNMPIf::instance()->removeDevice("dev50");
}

void TestLinkTestDevsim::muteWebServer()
{
    // A web server that never answers: both HTTP steps end with a row that says why.
    TLinkSNMPIf::instance()->addDevice("dev51", MuteAddress, "4350", "01.07");
    TDeviceTestRecordDevice device(slpRecord("dev51", MuteAddress, "4350"), MuteAddress, announced(MuteAddress), m_tftp);
    auto *test = new TDeviceTestIf(&device);
    test->setTimeouts(1000, 20000);
    LinkTestRun run(test);
    test->startTest();
    QVERIFY2(testsupport::waitFor([&] { return run.finished >= 1; }, 60000), qPrintable(run.labels().join(',')));
    QCOMPARE(run.rows("Http"), (QList<QStringList>{{"Web interface", "No answer within 1 s", "failed"}}));
    QCOMPARE(run.rows("Mib"), (QList<QStringList>{{"Mib download", "No answer within 1 s", "failed"}}));
    delete test;
    TLinkSNMPIf::instance()->removeDevice("dev51");
}

void TestLinkTestDevsim::cleanupTestCase()
{
    delete m_tftp;
    QVERIFY(endDeviceThreads());
}

QTEST_GUILESS_MAIN(TestLinkTestDevsim)
#include "tst_linktestdevsim.moc"
