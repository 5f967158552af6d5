// The simulator's SNMP agent, checked with Net-SNMP's command-line tools
// over loopback: what it serves, what it stores, what it refuses, and its
// fault switches.
#include "testsupport.h"

#include <QtNetwork>
#include <QtTest>

namespace {

const QString mibDir = QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs");

struct ToolResult
{
    int exitCode = -1;
    QString out;
    QString err;
    qint64 elapsedMs = 0;
};

} // namespace

class TestDevsimSnmp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void listensOnlyAtItsAddress();
    void servesSystemGroupAndIdentity_data();
    void servesSystemGroupAndIdentity();
    void servesTheModelsObjects_data();
    void servesTheModelsObjects();
    void storesWrites_data();
    void storesWrites();
    void refusesBadWrites_data();
    void refusesBadWrites();
    void unknownObjectGivesNoSuchName();
    void survivesMalformedRequests();
    void dropsRequests_data();
    void dropsRequests();
    void answersLate();
    void resetRestartsTheDevice();
    void softwareDownloadMovesThroughStates();
    void diagnosticReportMovesThroughStates();

private:
    // Starts a device at 127.0.1.<host>; port 161 as root, else a free one.
    bool startDevice(testsupport::Peer &sim, int host, const QStringList &extra = {});
    // withMib false: no MIB in the tool, so it sends numeric identifiers
    // and the types as given, unchecked.
    ToolResult tool(const QString &program, const QStringList &args, const QString &community = "quarry",
                    bool withMib = true);
    // Values as "-Oqvet" prints them: bare values, enumerations and time
    // ticks as numbers.
    ToolResult get(const QStringList &objects, const QStringList &options = {"-Oqvet"});
    ToolResult set(const QStringList &assignments);
    QString value(const QString &object);

    QString m_agent; // "127.0.1.N:port" of the device under test
};

void TestDevsimSnmp::initTestCase()
{
    for (const char *program : {"snmpget", "snmpset", "snmpwalk"}) {
        if (!testsupport::haveProgram(program))
            QSKIP("the Net-SNMP tools (package snmp) are not installed");
    }
}

bool TestDevsimSnmp::startDevice(testsupport::Peer &sim, int host, const QStringList &extra)
{
    const QString address = QStringLiteral("127.0.1.%1").arg(host);
    const quint16 port = testsupport::isRoot() ? 161 : testsupport::freeUdpPort(QHostAddress(address));
    m_agent = QStringLiteral("%1:%2").arg(address).arg(port);
    if (!sim.start(ZEL_DEVSIM, QStringList{"--address", address, "--snmp-port", QString::number(port), "--no-slp", "--no-telnet", "--no-http",
                                           "--mib-dir", mibDir}
                                   + extra))
        return false;
    if (!sim.waitForOutput("devsim ready")) {
        qWarning() << sim.output();
        return false;
    }
    return true;
}

ToolResult TestDevsimSnmp::tool(const QString &program, const QStringList &args, const QString &community,
                                bool withMib)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MIBS", "");
    env.insert("SNMP_PERSISTENT_DIR", QDir::tempPath());
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    const QStringList mibs = withMib ? QStringList{"-M", mibDir, "-m", "ALL"} : QStringList{"-m", ""};
    process.start(program, QStringList{"-v1", "-c", community} + mibs + args);
    ToolResult result;
    if (!process.waitForFinished(20000))
        return result;
    result.elapsedMs = clock.elapsed();
    result.exitCode = process.exitCode();
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    result.err = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return result;
}

ToolResult TestDevsimSnmp::get(const QStringList &objects, const QStringList &options)
{
    return tool("snmpget", options + QStringList{"-t", "1", "-r", "2", m_agent} + objects);
}

ToolResult TestDevsimSnmp::set(const QStringList &assignments)
{
    return tool("snmpset", QStringList{"-t", "1", "-r", "2", m_agent} + assignments);
}

QString TestDevsimSnmp::value(const QString &object)
{
    ToolResult r = get({object});
    return r.exitCode == 0 ? r.out.remove('"') : QStringLiteral("<failed: %1>").arg(r.err);
}

void TestDevsimSnmp::listensOnlyAtItsAddress()
{
    if (!testsupport::haveProgram("ss"))
        QSKIP("ss (package iproute2) is not installed");
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 12));
    // Every socket of the process, UDP and TCP, bound or listening.
    QProcess ss;
    ss.start("ss", {"-H", "-n", "-a", "-u", "-t", "-p"});
    QVERIFY(ss.waitForFinished(5000));
    const QString pid = QStringLiteral("pid=%1,").arg(sim.process().processId());
    QStringList sockets;
    for (const QString &line : QString::fromLocal8Bit(ss.readAllStandardOutput()).split('\n')) {
        if (line.contains(pid))
            sockets << line.simplified().section(' ', 4, 4);
    }
    QCOMPARE(sockets, QStringList{m_agent});
}

void TestDevsimSnmp::servesSystemGroupAndIdentity_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("sysDescr") << "sysDescr.0" << "^Vantor & Vantor VANTOR-4350 .*01\\.09.*$";
    QTest::newRow("sysObjectID") << "sysObjectID.0" << "^\\.1\\.3\\.6\\.1\\.4\\.1\\.32473\\.1\\.4350$";
    QTest::newRow("sysUpTime") << "sysUpTime.0" << "^\\d+$";
    QTest::newRow("sysContact") << "sysContact.0" << "^\\S.*$";
    QTest::newRow("sysName") << "sysName.0" << "^VANTOR-4350-210077$";
    QTest::newRow("sysLocation") << "sysLocation.0" << "^\\S.*$";
    QTest::newRow("sysServices") << "sysServices.0" << "^72$";
    QTest::newRow("model") << "zkSystemConfigModelNumber.0" << "^4350$";
    QTest::newRow("serial") << "zkSystemConfigSerialNumber.0" << "^210077$";
    QTest::newRow("version") << "zkSystemConfigSoftwareVersion.0" << "^01\\.09$";
    QTest::newRow("build") << "zkSystemConfigSoftwareBuildNumber.0" << "^12$";
    QTest::newRow("build id") << "zkSystemConfigSoftwareBuildId.0" << "^01\\.09\\.0012$";
    QTest::newRow("alias") << "zkSystemConfigAliasName.0" << "^Mast top$";
    QTest::newRow("posix time") << "zkSystemConfigPosixTime.0" << "^1[7-9]\\d{8}$";
    QTest::newRow("reset") << "zkSystemConfigReset.0" << "^1$";
    QTest::newRow("download status idle") << "zkSoftwareDownloadStatus.0" << "^5$";
    QTest::newRow("logging enable") << "zkLoggingClientEnable.0" << "^1$";
    QTest::newRow("antenna serial") << "zk9xxxAduMainPcbSerial.0" << "^\\S+$";
}

void TestDevsimSnmp::servesSystemGroupAndIdentity()
{
    QFETCH(QString, object);
    QFETCH(QString, pattern);
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 2, {"--model", "4350", "--product", "VANTOR-4350", "--serial", "210077",
                                 "--sw-version", "01.09", "--sw-build", "0012", "--alias", "Mast top"}));
    // Numeric values and identifiers, as the program's request layer sees them.
    const ToolResult r = get({object}, {"-Oqvnet"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(QRegularExpression(pattern).match(r.out).hasMatch(), qPrintable(r.out));
}

void TestDevsimSnmp::servesTheModelsObjects_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    QTest::newRow("terminal") << "4320" << QStringList{"zkSystemConfigReset", "zkLoggingClientTraceDelivery"}
                              << QStringList{"zk9xxxAduLifetime", "zkZk441xSupplyBranch"};
    QTest::newRow("antenna") << "4350" << QStringList{"zk9xxxAduMainPcbSerial", "zk9xxxAduLifetime"}
                             << QStringList{"zkZk441xSupplyBranch"};
    QTest::newRow("power supply") << "4411" << QStringList{"zkZk441xMaxChargeCurrent", "zkZk441xSupplyBranch"}
                                  << QStringList{"zk9xxxAduLifetime"};
}

void TestDevsimSnmp::servesTheModelsObjects()
{
    QFETCH(QString, model);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 3, {"--model", model}));
    const ToolResult walk = tool("snmpwalk", {"-t", "1", "-r", "2", "-Oqs", m_agent, ".1.3.6.1"});
    QCOMPARE(walk.exitCode, 0);
    QVERIFY2(walk.out.contains("sysDescr.0") && walk.out.contains("zkSoftwareDownloadStatus.0"), qPrintable(walk.out));
    for (const QString &name : qAsConst(present))
        QVERIFY2(walk.out.contains(name + ".0"), qPrintable(name));
    for (const QString &name : qAsConst(absent))
        QVERIFY2(!walk.out.contains(name), qPrintable(name));
}

void TestDevsimSnmp::storesWrites_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("sysName") << "sysName.0" << "s" << "Bridge wing" << "Bridge wing";
    QTest::newRow("sysContact") << "sysContact.0" << "s" << "Chief officer" << "Chief officer";
    QTest::newRow("sysLocation") << "sysLocation.0" << "s" << "Deck 3" << "Deck 3";
    QTest::newRow("alias") << "zkSystemConfigAliasName.0" << "s" << "Aft" << "Aft";
    QTest::newRow("logging address") << "zkLoggingClientDestinationIp.0" << "a" << "127.0.0.1" << "127.0.0.1";
    QTest::newRow("logging port") << "zkLoggingClientDestinationPort.0" << "i" << "5514" << "5514";
    QTest::newRow("logging on") << "zkLoggingClientEnable.0" << "i" << "2" << "2";
    QTest::newRow("event delivery") << "zkLoggingClientEventDelivery.0" << "i" << "2" << "2";
    QTest::newRow("clock") << "zkSystemConfigISOTime.0" << "s" << "2020-02-03 04:05:06" << "2020-02-03 04:05:0";
    QTest::newRow("supply branch") << "zkZk441xSupplyBranch.0" << "i" << "273" << "273";
}

void TestDevsimSnmp::storesWrites()
{
    QFETCH(QString, object);
    QFETCH(QString, type);
    QFETCH(QString, written);
    QFETCH(QString, readBack);
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 4, {"--model", "4411"}));
    const ToolResult r = set({object, type, written});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    const QString back = value(object);
    QVERIFY2(back.startsWith(readBack), qPrintable(back));
}

void TestDevsimSnmp::refusesBadWrites_data()
{
    QTest::addColumn<QStringList>("assignment");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("unchanged");
    // Sent without the MIB in the tool, so the device itself must refuse.
    QTest::newRow("wrong type") << QStringList{".1.3.6.1.2.1.1.5.0", "i", "5"} << "badValue" << "sysName.0"
                                << "VANTOR-4320-100001";
    QTest::newRow("read-only") << QStringList{".1.3.6.1.2.1.1.1.0", "s", "x"} << "noSuchName" << "zkSystemConfigModelNumber.0"
                               << "4320";
    QTest::newRow("not a named value") << QStringList{".1.3.6.1.4.1.32473.3.2.2.1.1.12.0", "i", "7"} << "badValue"
                                       << "zkSystemConfigReset.0" << "1";
    QTest::newRow("out of range") << QStringList{".1.3.6.1.4.1.32473.3.2.2.1.4.4.0", "i", "70000"} << "badValue"
                                  << "zkLoggingClientDestinationPort.0" << "514";
    QTest::newRow("bad clock text") << QStringList{".1.3.6.1.4.1.32473.3.2.2.1.1.9.0", "s", "yesterday"} << "badValue"
                                    << "zkSystemConfigReset.0" << "1";
    QTest::newRow("too long") << QStringList{".1.3.6.1.4.1.32473.3.2.2.1.1.10.0", "s", QString(300, 'x')} << "badValue"
                              << "zkSystemConfigAliasName.0" << "Bridge terminal";
}

void TestDevsimSnmp::refusesBadWrites()
{
    QFETCH(QStringList, assignment);
    QFETCH(QString, reason);
    QFETCH(QString, object);
    QFETCH(QString, unchanged);
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 5, {"--model", "4320"}));
    const ToolResult r = tool("snmpset", QStringList{"-t", "1", "-r", "2", m_agent} + assignment, "quarry", false);
    QVERIFY(r.exitCode != 0);
    QVERIFY2(r.err.contains(reason), qPrintable(r.err));
    // The device lives on and kept its values.
    QCOMPARE(value(object), unchanged);
    QCOMPARE(value("zkSystemConfigModelNumber.0"), QString("4320"));
}

void TestDevsimSnmp::unknownObjectGivesNoSuchName()
{
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 6));
    for (const char *oid : {".1.3.6.1.4.1.32473.3.2.2.1.99.0", ".1.3.6.1.2.1.2.1.0", ".1.3.6.1.2.1.1.1.1"}) {
        const ToolResult r = get({oid});
        QVERIFY2(r.exitCode != 0 && r.err.contains("noSuchName"), qPrintable(oid + (": " + r.err)));
    }
}

void TestDevsimSnmp::survivesMalformedRequests()
{
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 13));
    // A valid SNMPv1 GET of sysDescr.0 with community "quarry", then cut
    // short, with a length beyond the datagram, and plain noise.
    const QByteArray get = QByteArray::fromHex("3029" "020100" "0406717561727279" "a01c" "020400000001" "020100"
                                               "020100" "300e" "300c" "06082b06010201010100" "0500");
    QByteArray overlong = get;
    overlong[1] = char(0x7f);
    QUdpSocket socket;
    const QHostAddress address(m_agent.section(':', 0, 0));
    const quint16 port = m_agent.section(':', 1).toUShort();
    for (const QByteArray &datagram : {get.left(20), overlong, QByteArray(64, '\xff'), QByteArray()})
        socket.writeDatagram(datagram, address, port);
    QTest::qWait(200);
    QCOMPARE(value("zkSystemConfigModelNumber.0"), QString("4320"));
    QVERIFY(sim.process().state() == QProcess::Running);
}

void TestDevsimSnmp::dropsRequests_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("community");
    QTest::newRow("wrong community") << QStringList{} << "gravel";
    QTest::newRow("silent") << QStringList{"--silent"} << "quarry";
    QTest::newRow("other community set") << QStringList{"--community", "basalt"} << "quarry";
}

void TestDevsimSnmp::dropsRequests()
{
    QFETCH(QStringList, options);
    QFETCH(QString, community);
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 7, options));
    const ToolResult r = tool("snmpget", {"-t", "1", "-r", "1", m_agent, "sysDescr.0"}, community);
    QVERIFY(r.exitCode != 0);
    QVERIFY2(r.err.contains("Timeout"), qPrintable(r.err));
    if (options.contains("--community")) {
        const ToolResult ok = tool("snmpget", {"-t", "1", "-r", "2", m_agent, "sysDescr.0"}, "basalt");
        QVERIFY2(ok.exitCode == 0, qPrintable(ok.err));
    }
}

void TestDevsimSnmp::answersLate()
{
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 8, {"--delay-ms", "1500"}));
    const ToolResult r = tool("snmpget", {"-t", "5", "-r", "0", "-Oqv", m_agent, "zkSystemConfigModelNumber.0"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.out, QString("4320"));
    QVERIFY2(r.elapsedMs >= 1500, qPrintable(QString::number(r.elapsedMs)));
    // A client that gives up sooner gets nothing.
    const ToolResult early = tool("snmpget", {"-t", "0.5", "-r", "0", m_agent, "sysDescr.0"});
    QVERIFY2(early.err.contains("Timeout"), qPrintable(early.err));
}

void TestDevsimSnmp::resetRestartsTheDevice()
{
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 9, {"--restart-ms", "2000"}));
    QVERIFY(value("zkSystemConfigPosixTime.0").toLongLong() > 1317081600);
    const ToolResult r = set({"zkSystemConfigReset.0", "i", "2"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    // Down: no answers while it restarts.
    const ToolResult down = tool("snmpget", {"-t", "0.5", "-r", "0", m_agent, "sysDescr.0"});
    QVERIFY2(down.err.contains("Timeout"), qPrintable(down.err));
    // Up again: not reset, uptime and clock started over.
    QVERIFY(testsupport::waitFor([&] { return value("zkSystemConfigReset.0") == "1"; }, 8000));
    QVERIFY(value("sysUpTime.0").toLongLong() < 1000);
    QVERIFY(value("zkSystemConfigPosixTime.0").toLongLong() < 1317081600);
}

void TestDevsimSnmp::softwareDownloadMovesThroughStates()
{
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 10, {"--product", "VANTOR-4320", "--sw-version", "01.07", "--sw-build", "0041",
                                  "--restart-ms", "1000"}));
    // Without a server address the device refuses to start and says why.
    QCOMPARE(set({"zkSoftwareDownloadControl.0", "i", "2"}).exitCode, 0);
    QCOMPARE(value("zkSoftwareDownloadStatus.0"), QString("4"));
    QVERIFY(value("zkSoftwareDownloadErrorDescription.0").size() >= 5);

    // The start comes first in the request; the device still uses the
    // address, port and file of the same request. No TFTP server answers
    // there, so the fetch ends failed. (The whole transfer is checked in
    // tst_devsim_protocols.)
    const QString port = QString::number(testsupport::freeUdpPort());
    const ToolResult r = set({"zkSoftwareDownloadControl.0", "i", "2", "zkSoftwareDownloadIpAddress.0", "a",
                              "127.0.0.1", "zkSoftwareDownloadPortNumber.0", "i", port,
                              "zkSoftwareDownloadFileName.0", "s", "VANTOR-432001.080052"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(value("zkSoftwareDownloadStatus.0"), QString("2"));
    QCOMPARE(value("zkSoftwareDownloadPortNumber.0"), port);
    QVERIFY(testsupport::waitFor([&] { return value("zkSoftwareDownloadStatus.0") == "4"; }, 10000));
    QVERIFY(value("zkSoftwareDownloadErrorDescription.0").size() >= 5);
    QCOMPARE(value("zkSystemConfigSoftwareVersion.0"), QString("01.07"));
}

void TestDevsimSnmp::diagnosticReportMovesThroughStates()
{
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 11));
    // No TFTP server takes the report there: busy, then failed.
    const ToolResult r = set({"zkDiagReportIpAddress.0", "a", "127.0.0.1", "zkDiagReportPortNumber.0", "i",
                              QString::number(testsupport::freeUdpPort()), "zkDiagReportFileName.0", "s",
                              "DiagReport.diag", "zkDiagReportControl.0", "i", "2"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(value("zkDiagReportStatus.0"), QString("2"));
    QVERIFY(testsupport::waitFor([&] { return value("zkDiagReportStatus.0") == "4"; }, 10000));
    QCOMPARE(value("zkDiagReportControl.0"), QString("1"));
    QCOMPARE(value("zkDiagReportFileName.0"), QString("DiagReport.diag"));
}

QTEST_GUILESS_MAIN(TestDevsimSnmp)
#include "tst_devsim_snmp.moc"
