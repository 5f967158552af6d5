// The simulator's own clients and servers next to its SNMP agent: the
// software image it fetches and the diagnostic report it sends over TFTP,
// the syslog lines of its logging client and its web server; driven with
// Net-SNMP's snmpset and curl over loopback.
#include "minitftpserver.h"
#include "testsupport.h"

#include <QtNetwork>
#include <QtTest>

namespace {

const QString mibDir = QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs");
const QHostAddress serverAddress(QStringLiteral("127.0.0.1"));

} // namespace

class TestDevsimProtocols : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void softwareDownloadInstallsTheFetchedImage_data();
    void softwareDownloadInstallsTheFetchedImage();
    void softwareDownloadFails_data();
    void softwareDownloadFails();
    void diagnosticReport_data();
    void diagnosticReport();
    void syslogLinesFollowTheLoggingClient_data();
    void syslogLinesFollowTheLoggingClient();
    void webServerServesPageAndMib_data();
    void webServerServesPageAndMib();
    void webServerClosesOnBadRequests_data();
    void webServerClosesOnBadRequests();
    void webServerFollowsTheFaultSwitches();

private:
    // Starts a device at 127.0.2.<host>; ports 161 and 80 as root, else
    // free ones.
    bool startDevice(testsupport::Peer &sim, int host, const QStringList &extra = {});
    int snmp(const QString &program, const QStringList &args, QString *out = nullptr);
    bool set(const QStringList &assignments);
    QString value(const QString &object);
    // curl's status code ("000" when no answer) and body.
    QString curl(const QString &path, QByteArray *body = nullptr, int timeoutS = 5);

    QString m_address;
    QString m_agent;
    quint16 m_httpPort = 0;
};

void TestDevsimProtocols::initTestCase()
{
    for (const char *program : {"snmpget", "snmpset", "curl"}) {
        if (!testsupport::haveProgram(program))
            QSKIP("the Net-SNMP tools (package snmp) and curl are needed");
    }
}

bool TestDevsimProtocols::startDevice(testsupport::Peer &sim, int host, const QStringList &extra)
{
    m_address = QStringLiteral("127.0.2.%1").arg(host);
    const QHostAddress address(m_address);
    const bool root = testsupport::isRoot();
    const quint16 snmpPort = root ? 161 : testsupport::freeUdpPort(address);
    m_httpPort = root ? 80 : testsupport::freeTcpPort(address);
    m_agent = QStringLiteral("%1:%2").arg(m_address).arg(snmpPort);
    if (!sim.start(ZEL_DEVSIM, QStringList{"--address", m_address, "--snmp-port", QString::number(snmpPort),
                                           "--http-port", QString::number(m_httpPort), "--no-slp", "--no-telnet",
                                           "--mib-dir", mibDir, "--serial", "100123", "--model", "4330",
                                           "--product", "VANTOR-4330", "--restart-ms", "1000"}
                                   + extra))
        return false;
    if (!sim.waitForOutput("devsim ready")) {
        qWarning() << sim.output();
        return false;
    }
    return true;
}

int TestDevsimProtocols::snmp(const QString &program, const QStringList &args, QString *out)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MIBS", "");
    env.insert("SNMP_PERSISTENT_DIR", QDir::tempPath());
    process.setProcessEnvironment(env);
    process.start(program, QStringList{"-v1", "-c", "quarry", "-M", mibDir, "-m", "ALL", "-t", "1", "-r", "2"}
                               + args);
    if (!process.waitForFinished(20000))
        return -1;
    if (out)
        *out = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    return process.exitCode();
}

bool TestDevsimProtocols::set(const QStringList &assignments)
{
    return snmp("snmpset", QStringList{m_agent} + assignments) == 0;
}

QString TestDevsimProtocols::value(const QString &object)
{
    QString out;
    if (snmp("snmpget", {"-Oqvet", m_agent, object}, &out) != 0)
        return QString();
    if (out.startsWith('"') && out.endsWith('"'))
        out = out.mid(1, out.size() - 2);
    return out;
}

QString TestDevsimProtocols::curl(const QString &path, QByteArray *body, int timeoutS)
{
    QProcess process;
    process.start("curl", {"-s", "-m", QString::number(timeoutS), "-o", "-", "-w", "\n%{http_code}",
                           QStringLiteral("http://%1:%2%3").arg(m_address).arg(m_httpPort).arg(path)});
    if (!process.waitForFinished(timeoutS * 1000 + 5000))
        return QString();
    QByteArray out = process.readAllStandardOutput();
    const int cut = out.lastIndexOf('\n');
    if (body)
        *body = out.left(cut);
    return QString::fromLatin1(out.mid(cut + 1));
}

void TestDevsimProtocols::softwareDownloadInstallsTheFetchedImage_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("offerSize");
    QTest::newRow("size known") << 60 * 512 + 100 << true;
    // Ends with an empty block.
    QTest::newRow("size unknown, whole blocks") << 60 * 512 << false;
}

void TestDevsimProtocols::softwareDownloadInstallsTheFetchedImage()
{
    QFETCH(int, size);
    QFETCH(bool, offerSize);
    MiniTftpServer server;
    const quint16 port = server.listen(serverAddress);
    QVERIFY(port);
    const QString key = QStringLiteral("VANTOR-433001.080052");
    server.files.insert(key, QByteArray(size, 'x'));
    server.offerSize = offerSize;
    server.blockDelayMs = 30;

    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 100, {"--sw-version", "01.07", "--sw-build", "0041"}));
    QVERIFY(set({"zkSoftwareDownloadIpAddress.0", "a", serverAddress.toString(), "zkSoftwareDownloadPortNumber.0", "i",
                 QString::number(port), "zkSoftwareDownloadFileName.0", "s", key}));
    // The program reads port and file name back before it orders the fetch.
    QCOMPARE(value("zkSoftwareDownloadPortNumber.0"), QString::number(port));
    QCOMPARE(value("zkSoftwareDownloadFileName.0"), key);
    QVERIFY(set({"zkSoftwareDownloadControl.0", "i", "2"}));

    // Progress follows the bytes received: seen between the ends while the
    // slow server sends.
    int between = -1;
    QVERIFY(testsupport::waitFor(
        [&] {
            const int progress = value("zkSoftwareDownloadProgress.0").toInt();
            if (progress > 0 && progress < 100)
                between = progress;
            return value("zkSoftwareDownloadStatus.0") == "5";
        },
        60000)); // ends at the status; the bound leaves room for a loaded (sanitizer) run
    QVERIFY2(between > 0, "no progress between 0 and 100 seen");
    QCOMPARE(value("zkSoftwareDownloadProgress.0"), QString("100"));
    QCOMPARE(server.requesters.value(0), QHostAddress(m_address));
    // It flashes, restarts and runs the version the file key names.
    QVERIFY(testsupport::waitFor([&] { return value("zkSystemConfigSoftwareVersion.0") == "01.08"; }, 10000));
    QCOMPARE(value("zkSystemConfigSoftwareBuildNumber.0"), QString("52"));
}

void TestDevsimProtocols::softwareDownloadFails_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("serverRuns");
    QTest::addColumn<QString>("description"); // part of the error description

    QTest::newRow("file missing on the server") << "127.0.0.1" << true << "File not found";
    QTest::newRow("server not answering") << "127.0.0.1" << false << "Timed out";
    QTest::newRow("server outside loopback") << "192.0.2.1" << true << "not reachable";
}

void TestDevsimProtocols::softwareDownloadFails()
{
    QFETCH(QString, address);
    QFETCH(bool, serverRuns);
    QFETCH(QString, description);
    MiniTftpServer server;
    quint16 port = testsupport::freeUdpPort(serverAddress);
    if (serverRuns)
        QVERIFY((port = server.listen(serverAddress)) != 0);

    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 101));
    QVERIFY(set({"zkSoftwareDownloadIpAddress.0", "a", address, "zkSoftwareDownloadPortNumber.0", "i",
                 QString::number(port), "zkSoftwareDownloadFileName.0", "s", "VANTOR-433001.080052",
                 "zkSoftwareDownloadControl.0", "i", "2"}));
    QVERIFY(testsupport::waitFor([&] { return value("zkSoftwareDownloadStatus.0") == "4"; }, 10000));
    QVERIFY2(value("zkSoftwareDownloadErrorDescription.0").contains(description),
             qPrintable(value("zkSoftwareDownloadErrorDescription.0")));
    QCOMPARE(value("zkSoftwareDownloadControl.0"), QString("1"));
    QCOMPARE(value("zkSystemConfigSoftwareVersion.0"), QString("01.07"));
}

void TestDevsimProtocols::diagnosticReport_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<quint16>("serverError");
    QTest::addColumn<int>("status");

    QTest::newRow("sent") << "127.0.0.1" << quint16(0) << 3;
    QTest::newRow("refused by the server") << "127.0.0.1" << quint16(2) << 4;
    QTest::newRow("server outside loopback") << "198.51.100.7" << quint16(0) << 4;
}

void TestDevsimProtocols::diagnosticReport()
{
    QFETCH(QString, address);
    QFETCH(quint16, serverError);
    QFETCH(int, status);
    MiniTftpServer server;
    const quint16 port = server.listen(serverAddress);
    QVERIFY(port);
    server.writeErrorCode = serverError;
    server.writeErrorText = "Access violation";

    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 102));
    QVERIFY(set({"zkDiagReportIpAddress.0", "a", address, "zkDiagReportPortNumber.0", "i", QString::number(port),
                 "zkDiagReportFileName.0", "s", "DiagReport.diag", "zkDiagReportControl.0", "i", "2"}));
    QVERIFY(testsupport::waitFor([&] { return value("zkDiagReportStatus.0") == QString::number(status); }, 10000));
    QCOMPARE(value("zkDiagReportControl.0"), QString("1"));
    if (status != 3) {
        QVERIFY(server.received.isEmpty());
        return;
    }
    QCOMPARE(server.requesters, QList<QHostAddress>{QHostAddress(m_address)});
    const QByteArray report = server.received.value("DiagReport.diag");
    QVERIFY2(report.size() > 2048, QByteArray::number(report.size()));
    QVERIFY(report.contains("Serial: 100123"));
    QVERIFY(report.endsWith("End of report\n"));
}

void TestDevsimProtocols::syslogLinesFollowTheLoggingClient_data()
{
    QTest::addColumn<int>("severity");
    QTest::newRow("debug and above") << 7;
    QTest::newRow("errors and above") << 3;
}

void TestDevsimProtocols::syslogLinesFollowTheLoggingClient()
{
    QFETCH(int, severity);
    QUdpSocket receiver;
    QVERIFY(receiver.bind(serverAddress, 0));
    QList<QNetworkDatagram> lines;
    connect(&receiver, &QUdpSocket::readyRead, &receiver, [&] {
        while (receiver.hasPendingDatagrams())
            lines << receiver.receiveDatagram();
    });

    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 103, {"--syslog-interval-ms", "50"}));
    QVERIFY(set({"zkLoggingClientDestinationIp.0", "a", serverAddress.toString(), "zkLoggingClientDestinationPort.0",
                 "i", QString::number(receiver.localPort()), "zkLoggingClientEventSeverity.0", "i",
                 QString::number(severity)}));
    QTest::qWait(300);
    QVERIFY2(lines.isEmpty(), "lines before the client was enabled");

    QVERIFY(set({"zkLoggingClientEnable.0", "i", "2"}));
    QVERIFY(testsupport::waitFor([&] { return lines.size() >= 5; }, 5000));
    // Something happens: a report that cannot start is an error line.
    QVERIFY(set({"zkDiagReportControl.0", "i", "2"}));
    QVERIFY(testsupport::waitFor(
        [&] {
            return std::any_of(lines.cbegin(), lines.cend(),
                               [](const QNetworkDatagram &d) { return d.data().contains("diagnostic report failed"); });
        },
        5000));

    const QRegularExpression form(QStringLiteral("^<(\\d+)>[A-Z][a-z]{2} [ 1-3]\\d \\d\\d:\\d\\d:\\d\\d VANTOR-4330-100123 \\S+: .+$"));
    for (const QNetworkDatagram &line : qAsConst(lines)) {
        QCOMPARE(line.senderAddress(), QHostAddress(m_address));
        const auto match = form.match(QString::fromUtf8(line.data()));
        QVERIFY2(match.hasMatch(), line.data().constData());
        const int priority = match.captured(1).toInt();
        QCOMPARE(priority / 8, 16);
        QVERIFY2(priority % 8 <= severity, line.data().constData());
    }

    QVERIFY(set({"zkLoggingClientEnable.0", "i", "1"}));
    QTest::qWait(200);
    lines.clear();
    QTest::qWait(500);
    QVERIFY2(lines.isEmpty(), lines.value(0).data().constData());
}

void TestDevsimProtocols::webServerServesPageAndMib_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("page") << "/index.html" << "200" << QByteArray("<title>Vantor &amp; Vantor VANTOR-4330 - Bridge terminal model 4330, serial 100123</title>");
    QTest::newRow("home") << "/" << "200" << QByteArray("<title>");
    QTest::newRow("mib file") << "/vantor.mib" << "200" << QByteArray("-- File: VANTOR-ZK4330-MIB.mib --\n-- Version: 1.00 --\n");
    QTest::newRow("query ignored") << "/index.html?x=1" << "200" << QByteArray("<title>");
    QTest::newRow("other path") << "/config.html" << "404" << QByteArray();
    QTest::newRow("mib by its file name") << "/VANTOR-ZK4330-MIB.mib" << "404" << QByteArray();
}

void TestDevsimProtocols::webServerServesPageAndMib()
{
    QFETCH(QString, path);
    QFETCH(QString, status);
    QFETCH(QByteArray, content);
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 104));
    QByteArray body;
    QCOMPARE(curl(path, &body), status);
    QVERIFY2(body.contains(content), body.left(200).constData());
    if (path == "/vantor.mib") {
        QFile mib(mibDir + "/VANTOR-ZK4330-MIB.mib");
        QVERIFY(mib.open(QIODevice::ReadOnly));
        QCOMPARE(body, mib.readAll());
    }
}

void TestDevsimProtocols::webServerClosesOnBadRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("statusLine");

    QTest::newRow("garbage") << QByteArray("\x16\x03\x01\x02\x00\x01\r\n\r\n", 10) << QByteArray("HTTP/1.1 400 ");
    QTest::newRow("no version") << QByteArray("GET /index.html\r\n\r\n") << QByteArray("HTTP/1.1 400 ");
    QTest::newRow("other method") << QByteArray("DELETE /index.html HTTP/1.1\r\nHost: x\r\n\r\n")
                                  << QByteArray("HTTP/1.1 405 ");
    QTest::newRow("endless header") << "GET / HTTP/1.1\r\nX: " + QByteArray(20000, 'a') << QByteArray("HTTP/1.1 431 ");
}

void TestDevsimProtocols::webServerClosesOnBadRequests()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, statusLine);
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 105));
    QTcpSocket socket;
    socket.connectToHost(m_address, m_httpPort);
    QVERIFY(socket.waitForConnected(3000));
    socket.write(request);
    QByteArray answer;
    QVERIFY(testsupport::waitFor(
        [&] {
            answer += socket.readAll();
            return socket.state() == QAbstractSocket::UnconnectedState;
        },
        5000));
    answer += socket.readAll();
    QVERIFY2(answer.startsWith(statusLine), answer.left(100).constData());
    // The server goes on serving.
    QCOMPARE(curl("/index.html"), QString("200"));
}

void TestDevsimProtocols::webServerFollowsTheFaultSwitches()
{
    {
        testsupport::Peer sim;
        QVERIFY(startDevice(sim, 106, {"--silent"}));
        QCOMPARE(curl("/index.html", nullptr, 1), QString("000"));
    }
    {
        testsupport::Peer sim;
        QVERIFY(startDevice(sim, 108, {"--delay-ms", "1500"}));
        QCOMPARE(curl("/index.html", nullptr, 1), QString("000"));
        QCOMPARE(curl("/index.html", nullptr, 4), QString("200"));
    }
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, 107, {"--restart-ms", "3000"}));
    QVERIFY(set({"zkSystemConfigReset.0", "i", "2"}));
    QCOMPARE(curl("/index.html", nullptr, 1), QString("000"));
    QVERIFY(testsupport::waitFor([&] { return curl("/index.html", nullptr, 1) == "200"; }, 8000));
}

QTEST_GUILESS_MAIN(TestDevsimProtocols)
#include "tst_devsim_protocols.moc"
