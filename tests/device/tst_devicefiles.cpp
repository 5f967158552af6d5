// Files fetched from a device into a folder the user chose: the diagnostic
// report's path handling and completion, and the MIB file fetched over HTTP
// from a small server standing in for the device's web server.

#include "eventlog.h"
#include "infodevicemodelarray.h"
#include "infoservice.h"
#include "testdevice.h"
#include "testsupport.h"
#include "tlinkdevice.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString HttpAddress = QStringLiteral("127.0.2.210");

// Answers each GET with the status and body set for its path (404 for others).
class MibServer : public QTcpServer
{
public:
    struct Answer
    {
        int status;
        QByteArray body;
    };

    MibServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QMap<QString, Answer> answers;

private:
    void answer(QTcpSocket *socket)
    {
        QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        if (!request.contains("\r\n\r\n"))
            return;
        const QString path = QString::fromLatin1(request.split(' ').value(1));
        const Answer answer = answers.value(path, Answer{404, QByteArray("not here")});
        if (answer.status == 0)
            return; // a server that takes the request and never answers
        socket->write(QStringLiteral("HTTP/1.1 %1 X\r\nContent-Length: %2\r\nConnection: close\r\n\r\n")
                          .arg(answer.status)
                          .arg(answer.body.size())
                          .toLatin1());
        socket->write(answer.body);
        socket->disconnectFromHost();
    }
};

// The device's MIB service at the test server, as discovery reports it.
void announceMib(TLinkDevice &device, quint16 port, const QString &path)
{
    device_service_t service;
    service.srvurl = QStringLiteral("service:mib.vantor:http://");
    service.address = QStringLiteral("%1:%2").arg(HttpAddress).arg(port);
    service.attributes = path;
    device.addService(service);
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestDeviceFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void diagReportPaths_data();
    void diagReportPaths();
    void mibFile_data();
    void mibFile();
    void mibRepliesGoToTheirRequest();

private:
    MibServer m_server;
    QNetworkAccessManager m_manager;
};

void TestDeviceFiles::initTestCase()
{
    testsupport::setUpApplication();
    InfoDeviceModelArray::setModelListFile(testsupport::fixture("device_svc_modellist.xml"));
    QVERIFY(m_server.listen(QHostAddress(HttpAddress), 0));
    m_manager.setProxy(QNetworkProxy::NoProxy);
}

void TestDeviceFiles::diagReportPaths_data()
{
    QTest::addColumn<QString>("path");      // below the test folder; "/" first when inside it
    QTest::addColumn<QString>("makeDir");   // made below the test folder first
    QTest::addColumn<QString>("folder");    // stored as the last folder; empty: refused
    QTest::addColumn<QString>("fileKey");

    QTest::newRow("plain") << "/report.txt" << "" << "" << "report.txt";
    QTest::newRow("spaces leave the name") << "/My report 1.txt" << "" << "" << "Myreport1.txt";
    QTest::newRow("backslash cut last") << "/sub\\diag.txt" << "sub" << "/sub" << "diag.txt";
    QTest::newRow("slash cut last") << "/a\\b/diag.txt" << "a\\b" << "/a\\b" << "diag.txt";
    QTest::newRow("missing folder") << "/nowhere/diag.txt" << "" << QString() << "";
    QTest::newRow("no folder") << "diag.txt" << "" << QString() << "";
}

void TestDeviceFiles::diagReportPaths()
{
    QFETCH(QString, path);
    QFETCH(QString, makeDir);
    QFETCH(QString, folder);
    QFETCH(QString, fileKey);

    QTemporaryDir base;
    if (!makeDir.isEmpty())
        QVERIFY(QDir(base.path()).mkpath(makeDir));
    const QString fullPath = path.startsWith('/') ? base.path() + path : path;
    QSettings().remove(QStringLiteral("diag_rep/destination_path"));

    EventLog events;
    TLinkDevice device(makeParam(QStringLiteral("127.0.2.211")), nullptr);
    InfoService *service = device.getDiagReportService();
    const int before = service->getState();
    device.downloadDiagReport(fullPath);

    if (folder.isNull()) {
        QCOMPARE(events.count(770), 1);
        QCOMPARE(service->getState(), before);
        QVERIFY(!QSettings().contains(QStringLiteral("diag_rep/destination_path")));
        return;
    }
    QCOMPARE(events.count(770), 0);
    QCOMPARE(service->getState(), 769);
    QCOMPARE(QSettings().value(QStringLiteral("diag_rep/destination_path")).toString(), base.path() + folder);
    // Only the name asked of the device completes the report.
    device.tftpFileDownloaded(fileKey + QStringLiteral(".other"));
    device.tftpFileDownloaded(fileKey);
    QVERIFY(testsupport::waitFor([&] { return service->getState() == 1; }, 3000));
}

void TestDeviceFiles::mibFile_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<QString>("separator"); // before the file name
    QTest::addColumn<QByteArray>("expected"); // the file afterwards, which held "old"
    QTest::addColumn<int>("events770");
    QTest::addColumn<int>("serviceState"); // of the MIB file service afterwards: -2 failed, 1 saved

    const QByteArray mib("VANTOR-MIB DEFINITIONS ::= BEGIN\r\n-- Z\xe4hler \xff\x00 end\nEND\n", 52);
    QTest::newRow("stored byte for byte") << 200 << mib << true << "/" << mib << 0 << 1;
    QTest::newRow("backslash before the name") << 200 << mib << true << "\\" << mib << 0 << 1;
    QTest::newRow("empty body truncates") << 200 << QByteArray() << true << "/" << QByteArray() << 0 << 1;
    QTest::newRow("http error writes nothing") << 404 << QByteArray("gone") << true << "/" << QByteArray("old") << 0
                                               << -2;
    QTest::newRow("missing folder") << 200 << mib << false << "/" << QByteArray("<missing>") << 1 << 1;
    QTest::newRow("server never answers") << 0 << QByteArray() << true << "/" << QByteArray("old") << 0 << -2;
    QTest::newRow("file over 1 MiB") << 200 << QByteArray(1024 * 1024 + 1, 'm') << true << "/" << QByteArray("old")
                                     << 0 << -2;
}

void TestDeviceFiles::mibFile()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, folderExists);
    QFETCH(QString, separator);
    QFETCH(QByteArray, expected);
    QFETCH(int, events770);
    QFETCH(int, serviceState);

    m_server.answers[QStringLiteral("/mib/device.mib")] = {status, body};
    QTemporaryDir base;
    const QString folder = folderExists ? base.path() : base.filePath(QStringLiteral("gone"));
    const QString path = folder + QStringLiteral("/device.mib");
    if (folderExists) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    QSettings().remove(QStringLiteral("mibfile/destination_path"));

    EventLog events;
    TLinkDevice device(makeParam(QStringLiteral("127.0.2.212")), nullptr);
    device.setNetworkAccessManager(&m_manager);
    announceMib(device, m_server.serverPort(), QStringLiteral("/mib/device.mib"));
    QSignalSpy finished(&m_manager, &QNetworkAccessManager::finished);
    device.downloadMibFile(folder + separator + QStringLiteral("device.mib"));
    QVERIFY(finished.wait(30000)); // a silent server is given up after 10 s
    QCoreApplication::processEvents();

    QCOMPARE(contentOf(path), expected);
    QCOMPARE(events.count(770), events770);
    // A saved file is announced with its path; a failure shows on the service.
    const bool saved = serviceState == 1 && folderExists;
    QCOMPARE(events.count(1841), saved ? 1 : 0);
    if (saved)
        QCOMPARE(events.events().last().text, " " + QDir(folder).filePath(QStringLiteral("device.mib")));
    QTRY_COMPARE_WITH_TIMEOUT(device.getMibFileService()->getState(), serviceState, 3000);
    QCOMPARE(QSettings().value(QStringLiteral("mibfile/destination_path")).toString(), saved ? folder : QString());
}

void TestDeviceFiles::mibRepliesGoToTheirRequest()
{
    // Two devices share the manager; each writes only its own device's file.
    m_server.answers[QStringLiteral("/a.mib")] = {200, QByteArray("MIB of A")};
    m_server.answers[QStringLiteral("/b.mib")] = {200, QByteArray("MIB of B")};
    QTemporaryDir base;
    TLinkDevice first(makeParam(QStringLiteral("127.0.2.213"), QStringLiteral("4320"), QStringLiteral("1")), nullptr);
    TLinkDevice second(makeParam(QStringLiteral("127.0.2.214"), QStringLiteral("4320"), QStringLiteral("2")),
                       nullptr);
    announceMib(first, m_server.serverPort(), QStringLiteral("/a.mib"));
    announceMib(second, m_server.serverPort(), QStringLiteral("/b.mib"));
    first.setNetworkAccessManager(&m_manager);
    second.setNetworkAccessManager(&m_manager);

    QSignalSpy finished(&m_manager, &QNetworkAccessManager::finished);
    first.downloadMibFile(base.filePath(QStringLiteral("a.mib")));
    second.downloadMibFile(base.filePath(QStringLiteral("b.mib")));
    // A second request of the same device while the first is under way.
    first.downloadMibFile(base.filePath(QStringLiteral("a2.mib")));
    QVERIFY(testsupport::waitFor([&] { return finished.count() == 3; }, 5000));
    QCoreApplication::processEvents();

    QCOMPARE(contentOf(base.filePath(QStringLiteral("a.mib"))), QByteArray("MIB of A"));
    QCOMPARE(contentOf(base.filePath(QStringLiteral("a2.mib"))), QByteArray("MIB of A"));
    QCOMPARE(contentOf(base.filePath(QStringLiteral("b.mib"))), QByteArray("MIB of B"));
}

QTEST_GUILESS_MAIN(TestDeviceFiles)
#include "tst_devicefiles.moc"
