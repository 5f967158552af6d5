// The TFTP server with the real clients curl and atftp on 127.0.0.1:
// byte-exact reads with option negotiation, uploads into the upload folder,
// and refusals the clients see as TFTP errors.
#include "testsupport.h"
#include "tftptestpeer.h"
#include "tlinktftpserverif.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace tftptest;

class TestTftpPeers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void clientReads_data();
    void clientReads();
    void clientUploads_data();
    void clientUploads();
    void clientIsRefused_data();
    void clientIsRefused();

private:
    QStringList readArgs(const QString &client, const QString &key, const QString &out, const QString &blksize,
                         const QString &windowSize = QString()) const;
    void publish(const QString &key, const QByteArray &content, bool withReceiver = true);
    // Runs the client to its end; returns its exit code.
    int run(const QString &client, const QStringList &args);

    quint16 m_port = 0;
    std::unique_ptr<TLinkTftpServerIf> m_server;
    std::unique_ptr<ProgressReceiver> m_receiver;
    std::unique_ptr<QTemporaryDir> m_files;
    std::unique_ptr<QTemporaryDir> m_uploads;
    std::unique_ptr<QTemporaryDir> m_work;
};

void TestTftpPeers::initTestCase()
{
    if (!testsupport::haveProgram(QStringLiteral("curl")) || !testsupport::haveProgram(QStringLiteral("atftp")))
        QSKIP("needs curl and atftp (scripts/install-deps.sh installs both)");
}

void TestTftpPeers::init()
{
    resetSettings();
    m_files.reset(new QTemporaryDir);
    m_uploads.reset(new QTemporaryDir);
    m_work.reset(new QTemporaryDir);
    m_port = testsupport::freeUdpPort();
    m_server.reset(new TLinkTftpServerIf(m_port));
    // Uploads from the clients on this host are expected, of any name.
    m_server->expectUpload(QStringLiteral("127.0.0.1"), QString(), m_uploads->path());
    m_server->startServer();
    m_receiver.reset(new ProgressReceiver);
}

void TestTftpPeers::cleanup()
{
    m_server.reset();
    m_receiver.reset();
}

void TestTftpPeers::publish(const QString &key, const QByteArray &content, bool withReceiver)
{
    QFile file(m_files->filePath(key + QStringLiteral(".tiif")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    m_server->mapFilename(key + QStringLiteral(".tiif"), m_files->path(), key);
    if (withReceiver)
        m_server->regForFileInfo(key, m_receiver.get(),
                                 SLOT(updateFileProgress(const QString &, const QString &, const int &)));
    QTest::qWait(30);
}

QStringList TestTftpPeers::readArgs(const QString &client, const QString &key, const QString &out,
                                    const QString &blksize, const QString &windowSize) const
{
    if (client == QLatin1String("curl")) {
        QStringList args{QStringLiteral("-s"), QStringLiteral("-S"), QStringLiteral("-o"), out};
        if (!blksize.isEmpty())
            args << QStringLiteral("--tftp-blksize") << blksize;
        return args << QStringLiteral("tftp://127.0.0.1:%1/%2").arg(m_port).arg(key);
    }
    QStringList args;
    if (!blksize.isEmpty())
        args << QStringLiteral("--option") << QStringLiteral("blksize %1").arg(blksize);
    if (!windowSize.isEmpty())
        args << QStringLiteral("--option") << QStringLiteral("windowsize %1").arg(windowSize);
    return args << QStringLiteral("--option") << QStringLiteral("tsize") << QStringLiteral("-g")
                << QStringLiteral("-r") << key << QStringLiteral("-l") << out << QStringLiteral("127.0.0.1")
                << QString::number(m_port);
}

int TestTftpPeers::run(const QString &client, const QStringList &args)
{
    testsupport::Peer peer;
    if (!peer.start(client, args))
        return -2;
    const int code = peer.waitForExit(60000);
    if (code != 0)
        qInfo().noquote() << client << args.join(QLatin1Char(' ')) << "exit" << code << peer.output();
    return code;
}

void TestTftpPeers::clientReads_data()
{
    QTest::addColumn<QString>("client");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("blksize");
    QTest::addColumn<QString>("windowSize");

    for (const char *client : {"curl", "atftp"}) {
        const QString name = QString::fromLatin1(client);
        QTest::addRow("%s, 3 MB, blksize 1428", client) << name << 3 * 1024 * 1024 + 17 << "1428" << "";
        QTest::addRow("%s, 700 blocks of 1428 exactly", client) << name << 1428 * 700 << "1428" << "";
        QTest::addRow("%s, 4 blocks of 512 exactly, no blksize", client) << name << 2048 << "" << "";
    }
    // curl refuses an OACK that gives "tsize" 0, so the empty file goes to atftp only.
    QTest::newRow("atftp, empty file") << "atftp" << 0 << "1428" << "";
    // A window the server does not implement is declined, and the client
    // falls back to one block at a time.
    QTest::newRow("atftp, windowsize 4 declined") << "atftp" << 200000 << "1024" << "4";
}

void TestTftpPeers::clientReads()
{
    QFETCH(QString, client);
    QFETCH(int, size);
    QFETCH(QString, blksize);
    QFETCH(QString, windowSize);

    const QByteArray content = pattern(size, size);
    publish(QStringLiteral("AB917601.020304"), content);
    QSignalSpy sent(m_server.get(), &TLinkTftpServerIf::sentFile);
    const QString out = m_work->filePath(QStringLiteral("out"));

    QCOMPARE(run(client, readArgs(client, QStringLiteral("AB917601.020304"), out, blksize, windowSize)), 0);
    QFile file(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray received = file.readAll();
    QCOMPARE(received.size(), content.size());
    QVERIFY(received == content);
    QTRY_COMPARE(sent.count(), 1);
    QTRY_COMPARE(m_receiver->percents.value(m_receiver->percents.size() - 1), 100);
}

void TestTftpPeers::clientUploads_data()
{
    QTest::addColumn<QString>("client");
    QTest::addColumn<int>("size");

    for (const char *client : {"curl", "atftp"}) {
        const QString name = QString::fromLatin1(client);
        QTest::addRow("%s, 200 kB", client) << name << 200 * 1024 + 3;
        QTest::addRow("%s, 8 blocks of 512 exactly", client) << name << 4096;
    }
}

void TestTftpPeers::clientUploads()
{
    QFETCH(QString, client);
    QFETCH(int, size);

    const QByteArray content = pattern(size, 11);
    const QString local = m_work->filePath(QStringLiteral("DiagReport.diag"));
    QFile source(local);
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write(content);
    source.close();
    QSignalSpy received(m_server.get(), &TLinkTftpServerIf::receivedFile);

    QStringList args;
    if (client == QLatin1String("curl"))
        args << QStringLiteral("-s") << QStringLiteral("-S") << QStringLiteral("-T") << local
             << QStringLiteral("tftp://127.0.0.1:%1/DiagReport.diag").arg(m_port);
    else
        args << QStringLiteral("-p") << QStringLiteral("-l") << local << QStringLiteral("-r")
             << QStringLiteral("DiagReport.diag") << QStringLiteral("127.0.0.1") << QString::number(m_port);
    QCOMPARE(run(client, args), 0);

    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("DiagReport.diag"));
    QFile saved(m_uploads->filePath(QStringLiteral("DiagReport.diag")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll() == content);
}

void TestTftpPeers::clientIsRefused_data()
{
    QTest::addColumn<QString>("client");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("exitCode");

    // curl reports a TFTP "not found" or "access" error as 68; atftp just fails.
    QTest::newRow("curl, unpublished key") << "curl" << "nothere" << 68;
    QTest::newRow("curl, key without receiver") << "curl" << "bare" << 68;
    QTest::newRow("atftp, unpublished key") << "atftp" << "nothere" << -1;
    QTest::newRow("atftp, key without receiver") << "atftp" << "bare" << -1;
}

void TestTftpPeers::clientIsRefused()
{
    QFETCH(QString, client);
    QFETCH(QString, key);
    QFETCH(int, exitCode);

    publish(QStringLiteral("bare"), pattern(3000), false);
    QSignalSpy errors(m_server.get(), &TLinkTftpServerIf::errorFileTransfer);
    const int code = run(client, readArgs(client, key, m_work->filePath(QStringLiteral("out")), QStringLiteral("1428")));
    if (exitCode < 0)
        QVERIFY(code > 0);
    else
        QCOMPARE(code, exitCode);
    QTRY_COMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toString(), key);
    QCOMPARE(errors.at(0).at(1).toString(), QStringLiteral("File not found"));
}

QTEST_MAIN(TestTftpPeers)
#include "tst_tftppeers.moc"
