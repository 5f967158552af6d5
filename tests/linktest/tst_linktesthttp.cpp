// The web page and MIB file steps of the link test against a small HTTP
// server on loopback.

#include "devicethreads.h"
#include "handlerprobe.h"
#include "testsupport.h"
#include "tlinksnmpif.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

const QHostAddress ServerAddress(QStringLiteral("127.0.2.40"));

// Answers every request with one fixed page and remembers the request lines.
class PageServer
{
public:
    explicit PageServer(const QByteArray &page, const QByteArray &status = "200 OK") : m_page(page), m_status(status)
    {
        m_server.listen(ServerAddress, testsupport::freeTcpPort(ServerAddress));
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                m_pending += socket->readAll();
                if (!m_pending.contains("\r\n\r\n"))
                    return;
                requests.append(QString::fromLatin1(m_pending.left(m_pending.indexOf("\r\n"))));
                m_pending.clear();
                socket->write("HTTP/1.0 " + m_status + "\r\nContent-Type: text/html\r\nContent-Length: "
                              + QByteArray::number(m_page.size()) + "\r\nConnection: close\r\n\r\n" + m_page);
                socket->disconnectFromHost();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        });
    }
    // The device address text the link test is given.
    QString address() const { return ServerAddress.toString() + ':' + QString::number(m_server.serverPort()); }

    QStringList requests;

private:
    QTcpServer m_server;
    QByteArray m_page;
    QByteArray m_status;
    QByteArray m_pending;
};

// Takes connections and then says nothing, or sends the start of a body far
// longer than the link test reads and keeps the connection open.
class MuteServer
{
public:
    explicit MuteServer(const QByteArray &start = QByteArray()) : m_start(start)
    {
        m_server.listen(ServerAddress, testsupport::freeTcpPort(ServerAddress));
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            if (m_start.isEmpty())
                return;
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 100000000\r\n\r\n" + m_start
                          + QByteArray(3 * 1024 * 1024, 'x'));
        });
    }
    QString address() const { return ServerAddress.toString() + ':' + QString::number(m_server.serverPort()); }

private:
    QTcpServer m_server;
    QByteArray m_start;
};

struct WebStep
{
    QStringList ready;
    QList<QStringList> rows;
    QList<QStringList> entries;
};

// Runs the service step with one web service entry (none when url is empty),
// then the web page step, and waits for its rows.
WebStep runWebStep(HandlerProbe &probe, const QString &url, const QString &attributes, const QString &address,
                   bool announced, bool mibFile = false)
{
    probe.feed({{"zkSoftwareDownloadStatus", "1"}, {"zkLoggingClientEnable", "1"},
                {"zkDiagReportStatus", "1"}, {"zkSystemConfigReset", "1"}});
    const QStringList services = url.isEmpty() ? QStringList() : QStringList{url};
    const QStringList attrs = url.isEmpty() ? QStringList() : QStringList{attributes};
    probe.handler().startService_Test(services, attrs);
    TDeviceTestHandler &h = probe.handler();
    QSignalSpy ready(&h, &TDeviceTestHandler::ready);
    QSignalSpy result(&h, &TDeviceTestHandler::result);
    QSignalSpy entries(&h, &TDeviceTestHandler::logEntry);
    if (mibFile)
        h.startMibFile_test(address, announced);
    else
        h.startHttp_Test(address, announced);
    WebStep step;
    const QString sent = ready.value(0).value(0).toString();
    if ((sent == QLatin1String("Http") || sent == QLatin1String("Mib")) && !result.wait(10000))
        return step;
    for (const auto &args : qAsConst(ready))
        step.ready.append(args.at(0).toString());
    if (!result.isEmpty())
        step.rows = result.first().at(0).value<QList<QStringList>>();
    for (const auto &args : qAsConst(entries))
        step.entries.append(args.at(0).toStringList());
    return step;
}

} // namespace

class TestLinkTestHttp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void pageTitle_data();
    void pageTitle();
    void addressAndAnnouncement();
    void refusedConnection();
    void noWebService();
    void announcedUrl_data();
    void announcedUrl();
    void requestEnds_data();
    void requestEnds();
    void mibFile_data();
    void mibFile();
    void mibFileMissing();
};

void TestLinkTestHttp::initTestCase()
{
    testsupport::setUpApplication();
}

void TestLinkTestHttp::cleanupTestCase()
{
    QVERIFY(endDeviceThreads());
}

void TestLinkTestHttp::pageTitle_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("title");
    QTest::newRow("entity and blanks") << QByteArray("<html><head><title> A &amp; B </title></head></html>") << "A & B";
    QTest::newRow("no title") << QByteArray("  <html><body>Vantor device page</body></html>") << "<html><body>V";
    QTest::newRow("title in capitals") << QByteArray("<HTML><TITLE>Device</TITLE></HTML>") << "<HTML><TITLE>De";
    QTest::newRow("no closing tag") << QByteArray("<html><title>Device") << "<html><title>De";
    QTest::newRow("closing before opening") << QByteArray("</title><title>Device") << "</title><title>";
    QTest::newRow("empty title element") << QByteArray("<title></title>Device page") << "<title></title>";
    QTest::newRow("empty page") << QByteArray() << "";
}

void TestLinkTestHttp::pageTitle()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, title);
    PageServer server(page);
    HandlerProbe probe;
    const WebStep step = runWebStep(probe, "service:web.vantor:http://", "default", server.address(), true);
    QCOMPARE(step.ready, QStringList{"Http"});
    QCOMPARE(step.rows, (QList<QStringList>{{"Web interface", title, "success"}}));
    QCOMPARE(step.entries,
             (QList<QStringList>{{"Web interface", "test", "OK", "Valid responses HTTP web page requests"}}));
}

void TestLinkTestHttp::addressAndAnnouncement()
{
    PageServer server("<title>Mast unit</title>");
    HandlerProbe probe;
    const WebStep step = runWebStep(probe, "service:web.vantor:http://", "/index.html", server.address(), false);
    QCOMPARE(server.requests, QStringList{"GET /index.html HTTP/1.1"});
    QCOMPARE(step.rows, (QList<QStringList>{{"Web interface", "Mast unit", "success"},
                                            {"Service", "NOT announce via service discovery (SLP)", "notify"}}));
    QCOMPARE(step.entries.size(), 2);
    QCOMPARE(step.entries.at(0).at(2), QStringLiteral("OK"));
    QCOMPARE(step.entries.at(1),
             (QStringList{"Web interface", "service", "WARNING", "NOT announce via service discovery (SLP)"}));
}

void TestLinkTestHttp::refusedConnection()
{
    const quint16 closed = testsupport::freeTcpPort(ServerAddress);
    HandlerProbe probe;
    const WebStep step = runWebStep(probe, "service:web.vantor:http://", "default",
                                    ServerAddress.toString() + ':' + QString::number(closed), true);
    QCOMPARE(step.rows, (QList<QStringList>{{"Web interface", "Network error (1)", "failed"}}));
    QCOMPARE(step.entries, (QList<QStringList>{{"Web interface", "test", "ERROR", "Network error (1)"}}));
}

void TestLinkTestHttp::noWebService()
{
    HandlerProbe probe;
    const WebStep step = runWebStep(probe, QString(), QString(), "127.0.2.40", true);
    QCOMPARE(step.ready, QStringList{"NoHttp"});
    QVERIFY(step.rows.isEmpty());
    QVERIFY(step.entries.isEmpty());
}

void TestLinkTestHttp::announcedUrl_data()
{
    QTest::addColumn<bool>("mibFile");
    QTest::addColumn<QString>("path");
    QTest::newRow("web page") << false << "/index.html";
    QTest::newRow("MIB file") << true << "/vantor.mib";
}

void TestLinkTestHttp::announcedUrl()
{
    // An announced service URL names the device's host: the path goes after it once.
    QFETCH(bool, mibFile);
    QFETCH(QString, path);
    PageServer server("<title>Mast unit</title>\n-- File: zk.mib --");
    HandlerProbe probe;
    const QString url = QStringLiteral("service:%1.vantor:http://").arg(mibFile ? "mib" : "web") + server.address();
    const WebStep step = runWebStep(probe, url, path, server.address(), true, mibFile);
    QCOMPARE(server.requests, QStringList{"GET " + path + " HTTP/1.1"});
    QCOMPARE(step.rows.value(0).value(2), QStringLiteral("success"));
}

void TestLinkTestHttp::requestEnds_data()
{
    QTest::addColumn<bool>("mibFile");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QStringList>("row");
    QTest::newRow("web page, no answer") << false << QByteArray()
                                         << QStringList{"Web interface", "No answer within 0.3 s", "failed"};
    QTest::newRow("MIB file, no answer") << true << QByteArray()
                                         << QStringList{"Mib download", "No answer within 0.3 s", "failed"};
    QTest::newRow("web page, endless body") << false << QByteArray("<title>Mast unit</title>")
                                            << QStringList{"Web interface", "Mast unit", "success"};
    QTest::newRow("MIB file, endless body") << true << QByteArray("-- File: zk.mib --")
                                            << QStringList{"Mib download", "zk.mib", "success"};
}

void TestLinkTestHttp::requestEnds()
{
    // A server that never finishes its answer still ends the step, with a row that says why.
    QFETCH(bool, mibFile);
    QFETCH(QByteArray, start);
    QFETCH(QStringList, row);
    MuteServer server(start);
    HandlerProbe probe;
    probe.handler().setHttpTimeout(start.isEmpty() ? 300 : 5000);
    const WebStep step = runWebStep(probe, QStringLiteral("service:%1.vantor:http://").arg(mibFile ? "mib" : "web"),
                                    "default", server.address(), true, mibFile);
    QCOMPARE(step.rows.value(0), row);
    QCOMPARE(step.entries.value(0).value(2), QString(start.isEmpty() ? "ERROR" : "OK"));
}

void TestLinkTestHttp::mibFile_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("announced");
    QTest::addColumn<QString>("info");
    const QByteArray mib = "-- File: VANTOR-ZK4411-MIB.mib --\n-- Version: 7 --\nVANTOR-ZK4411-MIB DEFINITIONS ::= BEGIN\n";
    QTest::newRow("file, version, model") << mib << true << "VANTOR-ZK4411-MIB.mib\nVersion: 7 - Model: 4411";
    QTest::newRow("not announced") << mib << false << "VANTOR-ZK4411-MIB.mib\nVersion: 7 - Model: 4411";
    QTest::newRow("nothing known") << QByteArray("  plain text without markers") << true << "plain text wi";
    QTest::newRow("no File, a dash pair") << QByteArray("abcdefgh ij -- rest") << true << "abcdefgh ij --";
    QTest::newRow("no File, a version") << QByteArray("abcd -- Version: 3 --") << true << "Version: 3";
    QTest::newRow("Ver at the start") << QByteArray("Version 2 -- File: x.mib --") << true << "x.mib";
    QTest::newRow("module without model") << QByteArray("-- File: a.mib --\nVANTOR-ZK-MIB") << true << "a.mib";
    QTest::newRow("dash but no module name") << QByteArray("-- File: b.mib --\nsome - text") << true << "b.mib";
}

void TestLinkTestHttp::mibFile()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, announced);
    QFETCH(QString, info);
    PageServer server(body);
    HandlerProbe probe;
    const WebStep step =
        runWebStep(probe, "service:mib.vantor:http://", "/<ip>/zk.mib", server.address(), announced, true);
    QCOMPARE(step.ready, QStringList{"Mib"});
    QCOMPARE(server.requests, QStringList{"GET /" + server.address() + "/zk.mib HTTP/1.1"});
    QList<QStringList> rows{{"Mib download", info, "success"}};
    QList<QStringList> entries{{"MIB download", "test", "OK", "Valid responses HTTP mib file requests"}};
    if (!announced) {
        rows.append({"Service", "NOT announce via service discovery (SLP)", "notify"});
        entries.append({"Mib download", "service", "WARNING", "NOT announce via service discovery (SLP)"});
    }
    QCOMPARE(step.rows, rows);
    QCOMPARE(step.entries, entries);
}

void TestLinkTestHttp::mibFileMissing()
{
    PageServer server("no such file", "404 Not Found");
    HandlerProbe probe;
    const WebStep step = runWebStep(probe, "service:mib.vantor:http://", "default", server.address(), true, true);
    QCOMPARE(step.rows, (QList<QStringList>{{"Mib download", "Network error (203)", "failed"}}));
    QCOMPARE(step.entries, (QList<QStringList>{{"Mib download", "test", "ERROR", "Network error (203)"}}));

    HandlerProbe none;
    const WebStep skipped = runWebStep(none, QString(), QString(), server.address(), true, true);
    QCOMPARE(skipped.ready, QStringList{"NoMib"});
    QVERIFY(skipped.rows.isEmpty());
}

QTEST_GUILESS_MAIN(TestLinkTestHttp)
#include "tst_linktesthttp.moc"
