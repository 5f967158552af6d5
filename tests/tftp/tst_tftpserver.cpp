// The TFTP server against a hand-written peer on 127.0.0.1: reads with and
// without options, refusals of bad or unserved requests, writes into the
// upload directory, retries and time-outs, duplicate and stray packets, block
// numbers past 65535, the file map and the bind events.
#include "infomanager.h"
#include "testsupport.h"
#include "tftptestpeer.h"
#include "tlinktftpserver.h"
#include "tlinktftpserverif.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QNetworkInterface>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <vector>

#include <memory>

using namespace tftptest;

// A byte array of a literal with its embedded NULs.
#define B(literal) QByteArray(literal, int(sizeof(literal)) - 1)

using Options = QList<QPair<QByteArray, QByteArray>>;
Q_DECLARE_METATYPE(Options)

class TestTftpServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void readsPublishedFile_data();
    void readsPublishedFile();
    void refusals_data();
    void refusals();
    void retrySettingsWrittenBack_data();
    void retrySettingsWrittenBack();
    void writesIntoUploadDirectory_data();
    void writesIntoUploadDirectory();
    void repeatedDataIsAcknowledgedAgain();
    void dataOutOfSequenceEndsWrite();
    void writeWithoutUploadDirectoryIsRefused();
    void duplicateAndWrongAcksSendNothing();
    void missingFileIsNeverReportedSent();
    void strayPortGetsUnknownTransferId();
    void silentPeerIsRetriedThenTimedOut_data();
    void silentPeerIsRetriedThenTimedOut();
    void blockNumbersWrapPast65535();
    void oneSessionPerPeer();
    void peerErrorAndAbortEndTheSession();
    void fileMapKeepsFirstMappingAndReceivers();
    void failedBindRaisesEventsOnce();
    void serverIsNoModelListDevice();
    void timeoutOptionSetsRetryInterval();
    void timeoutEndsOnlyItsOwnSession();
    void uploadStreamsIntoHiddenFile();
    void uploadOverTheCapIsRefused();
    void fullDiskIsReportedNotAcknowledged();
    void writesOnlyWhatIsExpected();
    void receiverThatGoesIsUnregistered();
    void floodIsAnsweredWithBoundedState();
    void silentHostsLeaveOthersServed();
    void repeatedLastAckIsIgnored();

private:
    // Sends `blocks` full DATA blocks of a write started with ACK 0;
    // returns false on the first answer that is not their ACK.
    bool sendBlocks(Peer &peer, int blocks, int first = 1);
    QStringList uploadsListing() const
    {
        return QDir(m_uploads->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
    }
    // Publishes `content` under `key`, with a progress receiver unless told.
    void publish(const QString &key, const QByteArray &content, bool withReceiver = true);
    // Reads `key` without options; returns the bytes received.
    QByteArray readAll(const QString &key, Peer &peer, int blockSize = 512);
    // Lets calls queued to the server's thread arrive.
    // What was handed to the server reaches its thread before a datagram sent
    // afterwards is read there: a round trip of an illegal opcode proves it.
    // The short wait then covers a second hop to a transfer thread.
    void settle()
    {
        tftptest::Peer probe(m_port);
        probe.sendTo(m_port, QByteArray("\x00\x09", 2));
        QVERIFY(!probe.receive(30000).isNull());
        QTest::qWait(30);
    }

    quint16 m_port = 0;
    std::unique_ptr<TLinkTftpServerIf> m_server;
    std::unique_ptr<ProgressReceiver> m_receiver;
    std::unique_ptr<QTemporaryDir> m_files;
    std::unique_ptr<QTemporaryDir> m_uploads;
};

void TestTftpServer::initTestCase()
{
    qRegisterMetaType<Options>();
}

void TestTftpServer::init()
{
    resetSettings();
    // A resend never overtakes a test's next packet on a slow machine; the
    // tests of retries set their own interval.
    QSettings().setValue(QStringLiteral("tftp_server/retry_timer"), 60000);
    m_files.reset(new QTemporaryDir);
    m_uploads.reset(new QTemporaryDir);
    m_port = testsupport::freeUdpPort();
    m_server.reset(new TLinkTftpServerIf(m_port));
    m_server->setUploadDir(m_uploads->path());
    // Writes of any name from the hand-written peer are expected; the
    // expectation ends with the first file saved.
    m_server->expectUpload(QStringLiteral("127.0.0.1"), QString(), m_uploads->path());
    m_server->startServer();
    m_receiver.reset(new ProgressReceiver);
}

void TestTftpServer::cleanup()
{
    m_server.reset();
    m_receiver.reset();
}

void TestTftpServer::publish(const QString &key, const QByteArray &content, bool withReceiver)
{
    const QString name = key + QStringLiteral(".tiif");
    QFile file(m_files->filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    m_server->mapFilename(name, m_files->path(), key);
    if (withReceiver)
        m_server->regForFileInfo(key, m_receiver.get(),
                                 SLOT(updateFileProgress(const QString &, const QString &, const int &)));
    settle();
}

QByteArray TestTftpServer::readAll(const QString &key, Peer &peer, int blockSize)
{
    QByteArray received;
    peer.send(request(1, key.toLatin1()));
    for (quint16 block = 1;; ++block) {
        const QByteArray packet = peer.receive();
        if (opcodeOf(packet) != 3 || blockOf(packet) != block) {
            qWarning() << "unexpected packet" << packet.toHex();
            return QByteArray("broken");
        }
        received += payloadOf(packet);
        peer.send(ack(block));
        if (payloadOf(packet).size() < blockSize)
            return received;
    }
}

void TestTftpServer::readsPublishedFile_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<Options>("options");
    QTest::addColumn<QVariant>("maxBlockSize");
    QTest::addColumn<QStringList>("optionAck");
    QTest::addColumn<int>("blockSize");

    const QVariant none;
    QTest::newRow("no options, short last block") << 1500 << Options() << none << QStringList() << 512;
    QTest::newRow("no options, empty last block") << 1024 << Options() << none << QStringList() << 512;
    QTest::newRow("empty file") << 0 << Options() << none << QStringList() << 512;
    QTest::newRow("blksize 1024") << 3000 << Options{{"blksize", "1024"}} << none
                                  << QStringList{"blksize", "1024"} << 1024;
    QTest::newRow("blksize capped at 800") << 3000 << Options{{"blksize", "1024"}} << QVariant(800)
                                           << QStringList{"blksize", "800"} << 800;
    QTest::newRow("cap of 512 or less is not used") << 3000 << Options{{"blksize", "1024"}} << QVariant(512)
                                                    << QStringList{"blksize", "1024"} << 1024;
    QTest::newRow("smaller request stays under the cap") << 3000 << Options{{"blksize", "600"}} << QVariant(800)
                                                         << QStringList{"blksize", "600"} << 600;
    QTest::newRow("tsize filled, other options echoed in name order")
        << 3000 << Options{{"tsize", "0"}, {"TimeOut", "5"}} << none << QStringList{"timeout", "5", "tsize", "3000"}
        << 512;
    QTest::newRow("windowsize and unknown options are not acknowledged")
        << 5000 << Options{{"windowsize", "4"}, {"blksize", "1024"}, {"rollover", "0"}} << none
        << QStringList{"blksize", "1024"} << 1024;
    QTest::newRow("timeout out of range is declined")
        << 900 << Options{{"timeout", "0"}, {"tsize", "0"}} << none << QStringList{"tsize", "900"} << 512;
    QTest::newRow("timeout above 255 is declined")
        << 900 << Options{{"timeout", "256"}} << none << QStringList() << 512;
    QTest::newRow("only unknown options: DATA at once") << 900 << Options{{"windowsize", "8"}} << none
                                                        << QStringList() << 512;
    QTest::newRow("upper-case option name") << 2048 << Options{{"BLKSIZE", "1428"}} << none
                                            << QStringList{"blksize", "1428"} << 1428;
    QTest::newRow("blksize not a number is declined") << 700 << Options{{"blksize", "12ab"}, {"tsize", "0"}} << none
                                                      << QStringList{"tsize", "700"} << 512;
    QTest::newRow("blksize below 8 is declined, no other option") << 700 << Options{{"blksize", "4"}} << none
                                                                  << QStringList() << 512;
    QTest::newRow("absurd blksize is lowered to the largest") << 70000 << Options{{"blksize", "99999999999999"}}
                                                              << none << QStringList{"blksize", "65464"} << 65464;
    QTest::newRow("absurd cap is lowered to the largest") << 70000 << Options{{"blksize", "65464"}} << QVariant(90000)
                                                          << QStringList{"blksize", "65464"} << 65464;
}

void TestTftpServer::readsPublishedFile()
{
    QFETCH(int, size);
    QFETCH(Options, options);
    QFETCH(QVariant, maxBlockSize);
    QFETCH(QStringList, optionAck);
    QFETCH(int, blockSize);

    if (maxBlockSize.isValid())
        QSettings().setValue(QStringLiteral("tftp_server/max_blocksize"), maxBlockSize);
    const QByteArray content = pattern(size);
    publish(QStringLiteral("AB917601.020304"), content);
    QSignalSpy sent(m_server.get(), &TLinkTftpServerIf::sentFile);
    QSignalSpy started(m_server.get(), &TLinkTftpServerIf::tftpSessionStarted);
    bool sentOnGuiThread = false;
    connect(m_server.get(), &TLinkTftpServerIf::sentFile, this,
            [&] { sentOnGuiThread = QThread::currentThread() == thread(); });

    Peer peer(m_port);
    peer.send(request(1, "AB917601.020304", "octet", options));
    if (!optionAck.isEmpty()) {
        const QByteArray oack = peer.receive();
        QCOMPARE(opcodeOf(oack), quint16(6));
        QCOMPARE(optionsOf(oack), optionAck);
        peer.send(ack(0));
    }
    QByteArray received;
    for (quint16 block = 1;; ++block) {
        const QByteArray packet = peer.receive();
        QCOMPARE(opcodeOf(packet), quint16(3));
        QCOMPARE(blockOf(packet), block);
        QVERIFY(payloadOf(packet).size() <= blockSize);
        received += payloadOf(packet);
        peer.send(ack(block));
        if (payloadOf(packet).size() < blockSize)
            break;
    }
    QCOMPARE(received.size(), content.size());
    QVERIFY(received == content);
    QVERIFY(peer.silentFor(100));

    QTRY_COMPARE(sent.count(), 1);
    QCOMPARE(sent.at(0).at(0).toString(), QStringLiteral("AB917601.020304"));
    QVERIFY(sentOnGuiThread);
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(0).toString(), QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(m_receiver->percents.value(m_receiver->percents.size() - 1), 100);
    QCOMPARE(m_receiver->percents.first(), 0);
    QVERIFY(std::is_sorted(m_receiver->percents.cbegin(), m_receiver->percents.cend()));
    QVERIFY(!m_receiver->offThread);
    QCOMPARE(m_receiver->addresses.first(), QStringLiteral("127.0.0.1"));
    QCOMPARE(m_receiver->files.first(), QStringLiteral("AB917601.020304"));
}

void TestTftpServer::refusals_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("reported");

    QTest::newRow("unpublished key") << request(1, "nothere") << "1 File not found" << "File not found";
    QTest::newRow("published key without receiver") << request(1, "bare") << "1 File not found" << "File not found";
    QTest::newRow("published file missing on disk") << request(1, "vanished") << "1 File not found"
                                                    << "File not found";
    QTest::newRow("published path is a folder") << request(1, "folder") << "1 File not found" << "File not found";
    QTest::newRow("netascii read") << request(1, "served", "netascii") << "4 NetAscii transfers not supported"
                                   << "NetAscii transfers not supported";
    QTest::newRow("mail mode") << request(1, "served", "MAIL") << "4 Mail transfer not supported"
                               << "Mail transfer not supported";
    QTest::newRow("unknown mode") << request(1, "served", "binary") << "4 Illegal transfer mode"
                                  << "Illegal transfer mode";
    QTest::newRow("no mode") << B("\0\1served\0") << "4 Illegal transfer mode" << "Illegal transfer mode";
    QTest::newRow("file name without NUL") << B("\0\1served") << "4 Illegal transfer mode"
                                           << "Illegal transfer mode";
    QTest::newRow("option without value") << request(1, "bare", "octet", {{"blksize", "1024"}}) + "tsize"
                                           << "1 File not found" << "File not found";
    QTest::newRow("opcode 0") << B("\0\0x\0octet\0") << "4 Illegal TFTP opcode" << "";
    QTest::newRow("opcode 9") << B("\0\x09x") << "4 Illegal TFTP opcode" << "";
    QTest::newRow("OACK from a client") << B("\0\x06") << "4 Illegal TFTP opcode" << "";
    QTest::newRow("ACK without a read") << ack(1) << "4 ACK packet without a RRQ" << "";
    QTest::newRow("short ACK without a read") << B("\0\4\0") << "4 ACK packet without a RRQ" << "";
    QTest::newRow("DATA without a write") << data(1, "abc") << "4 DATA packet without a WRQ" << "";
    QTest::newRow("write to a parent folder") << request(2, "../escaped") << "2 Access violation" << "";
    QTest::newRow("write into a sub-folder") << request(2, "sub/escaped") << "2 Access violation" << "";
    QTest::newRow("write to an absolute path") << request(2, "/tmp/escaped") << "2 Access violation" << "";
    QTest::newRow("write with backslash") << request(2, "..\\escaped") << "2 Access violation" << "";
    QTest::newRow("write without a name") << request(2, "") << "2 Access violation" << "";
    QTest::newRow("write in mail mode") << request(2, "x", "mail") << "4 Mail transfer not supported" << "";
    QTest::newRow("write in netascii mode") << request(2, "x", "netascii") << "4 NetAscii transfers not supported"
                                            << "";
    QTest::newRow("write named .") << request(2, ".") << "2 Access violation" << "";
    QTest::newRow("write named ..") << request(2, "..") << "2 Access violation" << "";
    QTest::newRow("write of a hidden name") << request(2, ".profile") << "2 Access violation" << "";
    QTest::newRow("write with a 2000-character name") << request(2, QByteArray(2000, 'a')) << "2 Access violation"
                                                      << "";
    QTest::newRow("write with a control character") << request(2, "a\nb") << "2 Access violation" << "";
    QTest::newRow("write with a negative tsize") << request(2, "x", "octet", {{"tsize", "-5"}})
                                                 << "8 Option tsize refused" << "";
    QTest::newRow("write with a tsize over the cap") << request(2, "x", "octet", {{"tsize", "999999999999"}})
                                                     << "3 Disk full or allocation exceeded" << "";
    QTest::newRow("one byte") << B("\1") << "" << "";
    QTest::newRow("empty datagram") << B("") << "" << "";
    QTest::newRow("ERROR without a session") << B("\0\5\0\1") << "" << "";
}

void TestTftpServer::refusals()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, reply);
    QFETCH(QString, reported);

    publish(QStringLiteral("bare"), "unheard", false);
    publish(QStringLiteral("served"), pattern(700));
    publish(QStringLiteral("vanished"), "gone");
    QVERIFY(QFile::remove(m_files->filePath(QStringLiteral("vanished.tiif"))));
    QVERIFY(QDir(m_files->path()).mkdir(QStringLiteral("folder.tiif")));
    m_server->mapFilename(QStringLiteral("folder.tiif"), m_files->path(), QStringLiteral("folder"));
    m_server->regForFileInfo(QStringLiteral("folder"), m_receiver.get(),
                             SLOT(updateFileProgress(const QString &, const QString &, const int &)));
    settle();
    QSignalSpy errors(m_server.get(), &TLinkTftpServerIf::errorFileTransfer);
    QSignalSpy received(m_server.get(), &TLinkTftpServerIf::receivedFile);

    Peer peer(m_port);
    peer.send(datagram);
    if (reply.isEmpty()) {
        QVERIFY(peer.silentFor(200));
    } else {
        QCOMPARE(errorOf(peer.receive()), reply);
        QVERIFY(peer.silentFor(100));
    }
    if (reported.isEmpty()) {
        QTest::qWait(50);
        QCOMPARE(errors.count(), 0);
    } else {
        QTRY_COMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(1).toString(), reported);
    }
    QCOMPARE(received.count(), 0);
    QVERIFY(QDir(m_uploads->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    QVERIFY(!QFile::exists(QDir::tempPath() + QStringLiteral("/escaped")));

    // A refusal keeps no session: the same peer port is served at once.
    QVERIFY(readAll(QStringLiteral("served"), peer) == pattern(700));
}

void TestTftpServer::retrySettingsWrittenBack_data()
{
    QTest::addColumn<QVariant>("count");
    QTest::addColumn<QVariant>("interval");
    QTest::addColumn<uint>("expectedCount");
    QTest::addColumn<int>("expectedInterval");

    QTest::newRow("absent") << QVariant() << QVariant() << 4u << 3000;
    QTest::newRow("zero") << QVariant(0) << QVariant(0) << 4u << 3000;
    QTest::newRow("set") << QVariant(7) << QVariant(150) << 7u << 150;
}

void TestTftpServer::retrySettingsWrittenBack()
{
    QFETCH(QVariant, count);
    QFETCH(QVariant, interval);
    QFETCH(uint, expectedCount);
    QFETCH(int, expectedInterval);

    QSettings settings;
    settings.remove(QStringLiteral("tftp_server"));
    if (count.isValid())
        settings.setValue(QStringLiteral("tftp_server/retry_cnt"), count);
    if (interval.isValid())
        settings.setValue(QStringLiteral("tftp_server/retry_timer"), interval);
    settings.sync();

    Peer peer(m_port);
    peer.send(request(1, "nothere"));
    QCOMPARE(errorOf(peer.receive()), QStringLiteral("1 File not found"));
    QTRY_COMPARE(QSettings().value(QStringLiteral("tftp_server/retry_cnt")).toUInt(), expectedCount);
    QCOMPARE(QSettings().value(QStringLiteral("tftp_server/retry_timer")).toInt(), expectedInterval);
    QVERIFY(!QSettings().contains(QStringLiteral("tftp_server/max_blocksize")));
}

void TestTftpServer::writesIntoUploadDirectory_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("1000 bytes") << 1000;
    QTest::newRow("exact multiple of 512") << 1024;
    QTest::newRow("one byte") << 1;
    QTest::newRow("nothing") << 0;
}

void TestTftpServer::writesIntoUploadDirectory()
{
    QFETCH(int, size);
    const QByteArray content = pattern(size, 7);
    QSignalSpy received(m_server.get(), &TLinkTftpServerIf::receivedFile);
    QSignalSpy errors(m_server.get(), &TLinkTftpServerIf::errorFileTransfer);

    Peer peer(m_port);
    peer.send(request(2, "DiagReport.diag", "octet", {{"blksize", "1428"}, {"tsize", "1000"}}));
    QCOMPARE(peer.receive(), ack(0));
    for (int block = 1;; ++block) {
        const QByteArray part = content.mid((block - 1) * 512, 512);
        peer.send(data(quint16(block), part));
        QCOMPARE(peer.receive(), ack(quint16(block)));
        if (part.size() < 512)
            break;
    }
    const QString path = m_uploads->filePath(QStringLiteral("DiagReport.diag"));
    if (size == 0) {
        // An empty transfer saves nothing and says so.
        QTRY_COMPARE(errors.count(), 1);
        QCOMPARE(received.count(), 0);
        QVERIFY(!QFile::exists(path));
        return;
    }
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("DiagReport.diag"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == content);
    QCOMPARE(errors.count(), 0);

    // The received file is published under its own name.
    m_server->regForFileInfo(QStringLiteral("DiagReport.diag"), m_receiver.get(),
                             SLOT(updateFileProgress(const QString &, const QString &, const int &)));
    // The calls reach the server's thread in their own time: read until they
    // have, each time as a new peer.
    const auto readNew = [this](const QString &key) {
        Peer reader(m_port);
        return readAll(key, reader);
    };
    QTRY_VERIFY_WITH_TIMEOUT(readNew(QStringLiteral("DiagReport.diag")) == content, 10000);

    // A file the program publishes later under the same key takes the key
    // back: a device can't plant what others fetch under the program's keys.
    const QByteArray image = pattern(700, 3);
    QFile imageFile(m_files->filePath(QStringLiteral("image.tiif")));
    QVERIFY(imageFile.open(QIODevice::WriteOnly));
    imageFile.write(image);
    imageFile.close();
    m_server->mapFilename(QStringLiteral("image.tiif"), m_files->path(), QStringLiteral("DiagReport.diag"));
    QTRY_VERIFY_WITH_TIMEOUT(readNew(QStringLiteral("DiagReport.diag")) == image, 10000);
}

void TestTftpServer::repeatedDataIsAcknowledgedAgain()
{
    const QByteArray content = pattern(1300, 3);
    QSignalSpy received(m_server.get(), &TLinkTftpServerIf::receivedFile);
    Peer peer(m_port);
    peer.send(request(2, "report.txt"));
    QCOMPARE(peer.receive(), ack(0));
    peer.send(data(1, content.left(512)));
    QCOMPARE(peer.receive(), ack(1));
    // Our ACK "got lost": the peer sends block 1 again.
    peer.send(data(1, content.left(512)));
    QCOMPARE(peer.receive(), ack(1));
    peer.send(data(2, content.mid(512, 512)));
    QCOMPARE(peer.receive(), ack(2));
    peer.send(data(3, content.mid(1024)));
    QCOMPARE(peer.receive(), ack(3));
    QTRY_COMPARE(received.count(), 1);
    QFile file(m_uploads->filePath(QStringLiteral("report.txt")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == content);
}

void TestTftpServer::dataOutOfSequenceEndsWrite()
{
    QSignalSpy received(m_server.get(), &TLinkTftpServerIf::receivedFile);
    QSignalSpy errors(m_server.get(), &TLinkTftpServerIf::errorFileTransfer);
    Peer peer(m_port);
    peer.send(request(2, "report.txt"));
    QCOMPARE(peer.receive(), ack(0));
    // On a slow machine the server may resend its last ACK before our DATA
    // arrives; such copies are no answer to what we sent.
    peer.send(data(1, pattern(512)));
    QCOMPARE(peer.receiveSkipping(ack(0)), ack(1));
    peer.send(data(3, "tail"));
    QCOMPARE(errorOf(peer.receiveSkipping(ack(1))), QStringLiteral("4 Error in block sequence"));
    QTRY_COMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("report.txt"));
    QCOMPARE(received.count(), 0);
    QVERIFY(!QFile::exists(m_uploads->filePath(QStringLiteral("report.txt"))));
    // The session is gone.
    peer.send(data(2, "tail"));
    QCOMPARE(errorOf(peer.receive()), QStringLiteral("4 DATA packet without a WRQ"));
}

void TestTftpServer::writeWithoutUploadDirectoryIsRefused()
{
    m_server->expectUpload(QStringLiteral("127.0.0.1"), QStringLiteral("report.txt"),
                           m_uploads->filePath(QStringLiteral("missing")));
    QCOMPARE(m_server->uploadDir(), m_uploads->filePath(QStringLiteral("missing")));
    settle();
    Peer peer(m_port);
    peer.send(request(2, "report.txt"));
    QCOMPARE(errorOf(peer.receive()), QStringLiteral("0 Unable to upload file to the server"));
    // The refusal ends the request: once the folder exists the same peer is served.
    QVERIFY(QDir(m_uploads->path()).mkdir(QStringLiteral("missing")));
    peer.send(request(2, "report.txt"));
    QCOMPARE(peer.receive(), ack(0));
}

void TestTftpServer::duplicateAndWrongAcksSendNothing()
{
    const QByteArray content = pattern(2000);
    publish(QStringLiteral("key"), content);
    Peer peer(m_port);
    peer.send(request(1, "key", "octet", {{"blksize", "1024"}}));
    QCOMPARE(opcodeOf(peer.receive()), quint16(6));
    peer.send(ack(0));
    QByteArray first = peer.receive();
    QCOMPARE(blockOf(first), quint16(1));
    // Duplicate ACK of the OACK and an ACK of a block never sent: no DATA
    // goes out twice and nothing is skipped.
    peer.send(ack(0));
    peer.send(ack(7));
    QVERIFY(peer.silentFor(200));
    peer.send(ack(1));
    const QByteArray second = peer.receive();
    QCOMPARE(blockOf(second), quint16(2));
    peer.send(ack(1));
    QVERIFY(peer.silentFor(200));
    peer.send(ack(2));
    QVERIFY(payloadOf(first) + payloadOf(second) == content);
    QVERIFY(peer.silentFor(100));
}

void TestTftpServer::missingFileIsNeverReportedSent()
{
    publish(QStringLiteral("key"), "soon gone");
    QVERIFY(QFile::remove(m_files->filePath(QStringLiteral("key.tiif"))));
    QSignalSpy sent(m_server.get(), &TLinkTftpServerIf::sentFile);
    QSignalSpy errors(m_server.get(), &TLinkTftpServerIf::errorFileTransfer);
    Peer peer(m_port);
    peer.send(request(1, "key", "octet", {{"tsize", "0"}}));
    QCOMPARE(errorOf(peer.receive()), QStringLiteral("1 File not found"));
    QVERIFY(peer.silentFor(300));
    QTRY_COMPARE(errors.count(), 1);
    QCOMPARE(sent.count(), 0);
}

void TestTftpServer::strayPortGetsUnknownTransferId()
{
    const QByteArray content = pattern(1500);
    publish(QStringLiteral("key"), content);
    Peer peer(m_port);
    Peer stray(m_port);
    peer.send(request(1, "key"));
    QByteArray received = payloadOf(peer.receive());
    // The transfer has a port of its own; other ports of the host get
    // "Unknown transfer ID" there and at the server's port.
    const quint16 transferPort = peer.lastSenderPort();
    QVERIFY(transferPort != m_port);
    stray.sendTo(transferPort, ack(1));
    QCOMPARE(errorOf(stray.receive()), QStringLiteral("5 Unknown transfer ID"));
    stray.send(ack(1));
    QCOMPARE(errorOf(stray.receive()), QStringLiteral("5 Unknown transfer ID"));
    stray.send(data(1, "x"));
    QCOMPARE(errorOf(stray.receive()), QStringLiteral("5 Unknown transfer ID"));
    QVERIFY(peer.silentFor(100));
    // The reading peer itself is known: its DATA is refused as such.
    peer.sendTo(m_port, data(1, "x"));
    QCOMPARE(errorOf(peer.receive()), QStringLiteral("4 DATA packet without a WRQ"));
    for (quint16 block = 1; block <= 3; ++block) {
        peer.send(ack(block));
        const QByteArray packet = peer.receive();
        if (block == 3) {
            QVERIFY(packet.isNull());
            break;
        }
        QCOMPARE(blockOf(packet), quint16(block + 1));
        received += payloadOf(packet);
    }
    QVERIFY(received == content);
}

void TestTftpServer::silentPeerIsRetriedThenTimedOut_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer"); // the peer's one answer, if any
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("resends");

    // A read that nobody answers is resent once only, so that requests
    // nobody follows hold no place for long.
    QTest::newRow("read never answered, DATA block 1") << request(1, "key") << QByteArray()
                                                        << data(1, pattern(1000).left(512)) << 1;
    QTest::newRow("read never answered, OACK") << request(1, "key", "octet", {{"tsize", "0"}}) << QByteArray()
                                                << B("\0\6tsize\0" "1000\0") << 1;
    // Two retries allowed: once answered, the packet is resent while the
    // counter is at most two, i.e. three times, then the transfer times out.
    QTest::newRow("read answered, then silent") << request(1, "key") << ack(1) << data(2, pattern(1000).mid(512))
                                                << 3;
    QTest::newRow("write, ACK 0") << request(2, "incoming") << QByteArray() << ack(0) << 3;
}

void TestTftpServer::silentPeerIsRetriedThenTimedOut()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, expected);
    QFETCH(int, resends);

    QSettings().setValue(QStringLiteral("tftp_server/retry_cnt"), 2);
    QSettings().setValue(QStringLiteral("tftp_server/retry_timer"), 100);
    publish(QStringLiteral("key"), pattern(1000));
    QSignalSpy errors(m_server.get(), &TLinkTftpServerIf::errorFileTransfer);
    QSignalSpy sent(m_server.get(), &TLinkTftpServerIf::sentFile);

    Peer peer(m_port);
    peer.send(request);
    if (!answer.isEmpty()) {
        QVERIFY(!peer.receive().isNull());
        peer.send(answer);
    }
    QCOMPARE(peer.receive(), expected);
    for (int i = 0; i < resends; ++i)
        QCOMPARE(peer.receive(1000), expected);
    QCOMPARE(errorOf(peer.receive(1000)), QStringLiteral("0 Timeout"));
    QTRY_COMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(1).toString(), QStringLiteral(" File transfer timeout."));
    QVERIFY(peer.silentFor(300));
    QCOMPARE(sent.count(), 0);
    // The session is gone.
    peer.send(ack(1));
    QVERIFY(errorOf(peer.receive()).startsWith(QLatin1String("4 ")));
}

void TestTftpServer::blockNumbersWrapPast65535()
{
    const int blocks = 65536 + 3;
    const QByteArray content = pattern(8 * blocks - 5);
    publish(QStringLiteral("big"), content);
    QSignalSpy sent(m_server.get(), &TLinkTftpServerIf::sentFile);
    Peer peer(m_port);
    peer.send(request(1, "big", "octet", {{"blksize", "8"}}));
    QCOMPARE(optionsOf(peer.receive()), (QStringList{"blksize", "8"}));
    peer.send(ack(0));
    QByteArray received;
    received.reserve(content.size());
    for (qint64 n = 1; n <= blocks; ++n) {
        const QByteArray packet = peer.receive();
        QCOMPARE(opcodeOf(packet), quint16(3));
        if (blockOf(packet) != quint16(n))
            QFAIL(qPrintable(QStringLiteral("block %1 came as %2").arg(n).arg(blockOf(packet))));
        received += payloadOf(packet);
        peer.send(ack(quint16(n)));
    }
    QVERIFY(received == content);
    QTRY_COMPARE(sent.count(), 1);
    QCOMPARE(m_receiver->percents.last(), 100);
}

void TestTftpServer::oneSessionPerPeer()
{
    publish(QStringLiteral("key"), pattern(1000));
    QSignalSpy started(m_server.get(), &TLinkTftpServerIf::tftpSessionStarted);
    Peer peer(m_port);
    peer.send(request(1, "key"));
    QCOMPARE(blockOf(peer.receive()), quint16(1));
    peer.send(request(1, "key"));
    QVERIFY(peer.silentFor(200));

    Peer second(m_port);
    QVERIFY(readAll(QStringLiteral("key"), second) == pattern(1000));
    QTRY_COMPARE(started.count(), 2);
}

void TestTftpServer::peerErrorAndAbortEndTheSession()
{
    publish(QStringLiteral("key"), pattern(1000));
    QSignalSpy errors(m_server.get(), &TLinkTftpServerIf::errorFileTransfer);
    QSignalSpy sent(m_server.get(), &TLinkTftpServerIf::sentFile);

    Peer peer(m_port);
    peer.send(request(1, "key"));
    QCOMPARE(blockOf(peer.receive()), quint16(1));
    peer.send(B("\0\5\0\3disk full\0"));
    QVERIFY(peer.silentFor(100));
    // The transfer's port is closed; the server's port knows no read.
    peer.send(ack(1));
    QVERIFY(peer.silentFor(100));
    peer.sendTo(m_port, ack(1));
    QCOMPARE(errorOf(peer.receive()), QStringLiteral("4 ACK packet without a RRQ"));

    Peer other(m_port);
    other.send(request(1, "key"));
    QCOMPARE(blockOf(other.receive()), quint16(1));
    m_server->abortReadSessions(QStringLiteral("127.0.0.1"));
    settle();
    other.send(ack(1));
    QVERIFY(other.silentFor(100));
    other.sendTo(m_port, ack(1));
    QCOMPARE(errorOf(other.receive()), QStringLiteral("4 ACK packet without a RRQ"));
    QTest::qWait(50);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(sent.count(), 0);
}

void TestTftpServer::fileMapKeepsFirstMappingAndReceivers()
{
    publish(QStringLiteral("key"), "first");
    QFile second(m_files->filePath(QStringLiteral("second.tiif")));
    QVERIFY(second.open(QIODevice::WriteOnly));
    second.write("second");
    second.close();
    m_server->mapFilename(QStringLiteral("second.tiif"), m_files->path(), QStringLiteral("key"));
    settle();
    Peer peer(m_port);
    QCOMPARE(readAll(QStringLiteral("key"), peer), QByteArray("first"));

    // Withdrawn and published again: the new path, and receivers start afresh.
    m_server->unMapFilename(QStringLiteral("key"));
    m_server->mapFilename(QStringLiteral("second.tiif"), m_files->path(), QStringLiteral("key"));
    settle();
    peer.send(request(1, "key"));
    QCOMPARE(errorOf(peer.receive()), QStringLiteral("1 File not found"));
    Peer next(m_port);
    m_server->regForFileInfo(QStringLiteral("key"), m_receiver.get(),
                             SLOT(updateFileProgress(const QString &, const QString &, const int &)));
    settle();
    QCOMPARE(readAll(QStringLiteral("key"), next), QByteArray("second"));

    // Unregistered, or the receiver gone without a word: no longer served.
    m_server->unRegForFileInfo(QStringLiteral("key"), m_receiver.get(),
                               SLOT(updateFileProgress(const QString &, const QString &, const int &)));
    settle();
    Peer third(m_port);
    third.send(request(1, "key"));
    QCOMPARE(errorOf(third.receive()), QStringLiteral("1 File not found"));

    auto *gone = new ProgressReceiver;
    m_server->regForFileInfo(QStringLiteral("key"), gone,
                             SLOT(updateFileProgress(const QString &, const QString &, const int &)));
    settle();
    delete gone;
    Peer fourth(m_port);
    fourth.send(request(1, "key"));
    QCOMPARE(errorOf(fourth.receive()), QStringLiteral("1 File not found"));
}

void TestTftpServer::failedBindRaisesEventsOnce()
{
    int addresses = 0;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.netmask().isNull())
                ++addresses;
        }
    }
    const quint16 port = testsupport::freeUdpPort();
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress(QHostAddress::LocalHost), port, QUdpSocket::DontShareAddress));

    QList<InfoEvent> events;
    auto connection = connect(InfoManager::instance(), &InfoManager::logEvent, this,
                              [&events](const InfoEvent &event) { events << event; });
    {
        TLinkTftpServerIf server(port);
        server.startServer();
        settle();
    }
    disconnect(connection);

    int bound = 0;
    QStringList failed;
    for (const InfoEvent &event : events) {
        if (event.getId() == 2048)
            ++bound;
        else if (event.getId() == 2049)
            failed << event.getExtraText();
    }
    QCOMPARE(bound, addresses - 1);
    QCOMPARE(failed, QStringList{QStringLiteral("\nInterfaces affected: 127.0.0.1")});
}

void TestTftpServer::serverIsNoModelListDevice()
{
    auto *server = new TLinkTftpServer(testsupport::freeUdpPort());
    QThread *thread = server->workerThread();
    QString model;
    QString icon;
    int services = -1;
    int modelId = -1;
    QVERIFY(QMetaObject::invokeMethod(
        server,
        [&] {
            model = server->getModelName();
            icon = server->getIconName(1);
            services = server->serviceRecords().size();
            modelId = server->getModelId();
        },
        Qt::BlockingQueuedConnection));
    connect(thread, &QThread::finished, server, &QObject::deleteLater);
    thread->quit();
    QVERIFY(thread->wait(5000));
    delete thread;

    QCOMPARE(model, QStringLiteral("0000"));
    QCOMPARE(icon, QString());
    QCOMPARE(services, 0);
    QCOMPARE(modelId, 0);
}

bool TestTftpServer::sendBlocks(Peer &peer, int blocks, int first)
{
    for (int block = first; block < first + blocks; ++block) {
        peer.send(data(quint16(block), pattern(512, block)));
        const QByteArray answer = peer.receive();
        if (answer != ack(quint16(block))) {
            qWarning() << "block" << block << "answered with" << answer.toHex();
            return false;
        }
    }
    return true;
}

void TestTftpServer::timeoutOptionSetsRetryInterval()
{
    // "timeout" 1 is acknowledged and used: the silent peer gets the OACK
    // again after about a second, not after the interval of the settings.
    publish(QStringLiteral("key"), pattern(2000));
    Peer peer(m_port);
    peer.send(request(1, "key", "octet", {{"timeout", "1"}}));
    const QByteArray oack = peer.receive();
    QCOMPARE(optionsOf(oack), (QStringList{"timeout", "1"}));
    QVERIFY(peer.silentFor(600));
    QCOMPARE(peer.receive(1500), oack);
}

void TestTftpServer::timeoutEndsOnlyItsOwnSession()
{
    // A write and a read from one peer port; the read's peer never
    // acknowledges, the write goes on. The read's time-out ends the read only.
    // The read asks for a 1 s interval; the write keeps the long one of the
    // settings, so a slow test never times it out.
    QSettings().setValue(QStringLiteral("tftp_server/retry_cnt"), 1);
    publish(QStringLiteral("key"), pattern(3000));
    QSignalSpy errors(m_server.get(), &TLinkTftpServerIf::errorFileTransfer);
    QSignalSpy received(m_server.get(), &TLinkTftpServerIf::receivedFile);

    Peer peer(m_port);
    peer.send(request(2, "report.txt"));
    QCOMPARE(peer.receive(), ack(0));
    const quint16 writePort = peer.lastSenderPort();
    peer.send(request(1, "key", "octet", {{"timeout", "1"}}));
    QCOMPARE(opcodeOf(peer.receive()), quint16(6));

    QByteArray content;
    QStringList answers;
    const auto record = [&](const QByteArray &packet) {
        if (opcodeOf(packet) == 4)
            answers << QStringLiteral("ACK %1").arg(blockOf(packet));
        else if (opcodeOf(packet) == 5)
            answers << errorOf(packet);
    };
    for (int block = 1; block <= 12; ++block) {
        const QByteArray part = block < 12 ? pattern(512, block) : QByteArray("end");
        content += part;
        peer.sendTo(writePort, data(quint16(block), part));
        // Take whatever comes within 100 ms: our ACK, the resent OACK, the ERROR.
        for (QByteArray packet = peer.receive(100); !packet.isNull(); packet = peer.receive(100))
            record(packet);
    }
    // The last ACK and the read's time-out, however late they come.
    while (!answers.contains(QStringLiteral("ACK 12")) || !answers.contains(QStringLiteral("0 Timeout"))) {
        const QByteArray packet = peer.receive();
        if (packet.isNull())
            break;
        record(packet);
    }
    QVERIFY(peer.silentFor(300));
    QCOMPARE(answers.count(QStringLiteral("0 Timeout")), 1);
    for (int block = 1; block <= 12; ++block)
        QVERIFY2(answers.contains(QStringLiteral("ACK %1").arg(block)), qPrintable(answers.join(", ")));
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("report.txt"));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("key"));
    QFile file(m_uploads->filePath(QStringLiteral("report.txt")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == content);
    // The port is free again for a new read.
    QVERIFY(readAll(QStringLiteral("key"), peer) == pattern(3000));
}

void TestTftpServer::uploadStreamsIntoHiddenFile()
{
    // 40 blocks in, the bytes are on disk in a hidden file of the upload
    // folder, not held in memory, and the file's own name is not there yet.
    Peer peer(m_port);
    peer.send(request(2, "report.txt"));
    QCOMPARE(peer.receive(), ack(0));
    QVERIFY(sendBlocks(peer, 40));
    const QStringList listing = uploadsListing();
    QCOMPARE(listing.size(), 1);
    QVERIFY2(listing.first().startsWith(QLatin1String(".report.txt.")), qPrintable(listing.first()));
    QVERIFY(QFileInfo(m_uploads->filePath(listing.first())).size() >= 16 * 1024);
    peer.send(data(41, "tail"));
    QCOMPARE(peer.receive(), ack(41));
    QCOMPARE(uploadsListing(), QStringList{QStringLiteral("report.txt")});
    QCOMPARE(QFileInfo(m_uploads->filePath(QStringLiteral("report.txt"))).size(), 40 * 512 + 4);
}

void TestTftpServer::uploadOverTheCapIsRefused()
{
    QSettings().setValue(QStringLiteral("tftp_server/max_upload_size"), 4096);
    QSignalSpy errors(m_server.get(), &TLinkTftpServerIf::errorFileTransfer);
    QSignalSpy received(m_server.get(), &TLinkTftpServerIf::receivedFile);
    Peer peer(m_port);
    // Announced too large: refused at once.
    peer.send(request(2, "report.txt", "octet", {{"tsize", "4097"}}));
    QCOMPARE(errorOf(peer.receive()), QStringLiteral("3 Disk full or allocation exceeded"));
    // Not announced: refused at the block that goes over.
    peer.send(request(2, "report.txt"));
    QCOMPARE(peer.receive(), ack(0));
    QVERIFY(sendBlocks(peer, 8));
    peer.send(data(9, "x"));
    QCOMPARE(errorOf(peer.receive()), QStringLiteral("3 Disk full or allocation exceeded"));
    QTRY_COMPARE(errors.count(), 1);
    QCOMPARE(received.count(), 0);
    QCOMPARE(uploadsListing(), QStringList());
    // Exactly the cap is taken.
    peer.send(request(2, "report.txt", "octet", {{"tsize", "4096"}}));
    QCOMPARE(peer.receive(), ack(0));
    QVERIFY(sendBlocks(peer, 8));
    peer.send(data(9, QByteArray()));
    QCOMPARE(peer.receive(), ack(9));
    QTRY_COMPARE(received.count(), 1);
}

void TestTftpServer::fullDiskIsReportedNotAcknowledged()
{
    // A file size limit makes writes fail as a full disk does.
    struct rlimit old;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = 20000;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    auto restore = qScopeGuard([&] {
        setrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, oldHandler);
    });

    QSignalSpy errors(m_server.get(), &TLinkTftpServerIf::errorFileTransfer);
    QSignalSpy received(m_server.get(), &TLinkTftpServerIf::receivedFile);
    Peer peer(m_port);
    peer.send(request(2, "report.txt"));
    QCOMPARE(peer.receive(), ack(0));
    QString answer;
    for (int block = 1; block <= 81 && answer.isEmpty(); ++block) {
        peer.send(data(quint16(block), block < 81 ? pattern(512, block) : QByteArray("end")));
        const QByteArray packet = peer.receive();
        if (packet != ack(quint16(block)))
            answer = errorOf(packet);
    }
    QCOMPARE(answer, QStringLiteral("3 Disk full or allocation exceeded"));
    QTRY_COMPARE(errors.count(), 1);
    QCOMPARE(received.count(), 0);
    QCOMPARE(uploadsListing(), QStringList());
}

void TestTftpServer::writesOnlyWhatIsExpected()
{
    // A fresh server: nothing is expected until the program says so.
    m_server.reset();
    m_server.reset(new TLinkTftpServerIf(m_port));
    m_server->startServer();
    QSignalSpy received(m_server.get(), &TLinkTftpServerIf::receivedFile);
    QTemporaryDir chosen;
    QFile mine(chosen.filePath(QStringLiteral("mine.txt")));
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write("keep me");
    mine.close();
    settle();

    Peer peer(m_port);
    auto write = [&](const QByteArray &name, const QByteArray &content) {
        peer.send(request(2, name));
        QByteArray answer = peer.receive();
        if (answer != ack(0))
            return errorOf(answer);
        peer.send(data(1, content));
        answer = peer.receive();
        return answer == ack(1) ? QStringLiteral("saved") : errorOf(answer);
    };
    const QString refused = QStringLiteral("2 Access violation");
    QCOMPARE(write("report.txt", "x"), refused);

    // Another device, another name, or cancelled: refused.
    m_server->expectUpload(QStringLiteral("127.0.0.9"), QStringLiteral("report.txt"), chosen.path());
    m_server->expectUpload(QStringLiteral("127.0.0.1"), QStringLiteral("DiagReport.diag"), chosen.path());
    m_server->expectUpload(QStringLiteral("127.0.0.1"), QStringLiteral("cancelled.txt"), chosen.path());
    m_server->cancelUpload(QStringLiteral("127.0.0.1"), QStringLiteral("cancelled.txt"));
    settle();
    QCOMPARE(write("report.txt", "x"), refused);
    QCOMPARE(write("cancelled.txt", "x"), refused);

    // The name asked for is saved, once.
    QCOMPARE(write("DiagReport.diag", "report"), QStringLiteral("saved"));
    QCOMPARE(write("DiagReport.diag", "again"), refused);
    QTRY_COMPARE(received.count(), 1);

    // Any name: never over a file that is there.
    m_server->expectUpload(QStringLiteral("127.0.0.1"), QString(), chosen.path());
    settle();
    QCOMPARE(write("mine.txt", "planted"), QStringLiteral("6 File already exists"));
    QVERIFY(mine.open(QIODevice::ReadOnly));
    QCOMPARE(mine.readAll(), QByteArray("keep me"));
    mine.close();
    // The file the caller named is the one it chose to replace.
    m_server->expectUpload(QStringLiteral("127.0.0.1"), QStringLiteral("mine.txt"), chosen.path());
    settle();
    QCOMPARE(write("mine.txt", "new"), QStringLiteral("saved"));
    QVERIFY(mine.open(QIODevice::ReadOnly));
    QCOMPARE(mine.readAll(), QByteArray("new"));

    // Without a folder the upload goes to a private one, never the user's.
    m_server->expectUpload(QStringLiteral("127.0.0.1"), QStringLiteral("DiagReport.diag"), QString());
    settle();
    QCOMPARE(write("DiagReport.diag", "elsewhere"), QStringLiteral("saved"));
    QFile report(chosen.filePath(QStringLiteral("DiagReport.diag")));
    QVERIFY(report.open(QIODevice::ReadOnly));
    QCOMPARE(report.readAll(), QByteArray("report"));
}

void TestTftpServer::receiverThatGoesIsUnregistered()
{
    // Receivers come and go while reads start: reports reach live receivers
    // on their own thread, a receiver that is gone unregisters its key.
    publish(QStringLiteral("key"), pattern(3000), false);
    for (int round = 0; round < 100; ++round) {
        auto *receiver = new ProgressReceiver;
        m_server->regForFileInfo(QStringLiteral("key"), receiver,
                                 SLOT(updateFileProgress(const QString &, const QString &, const int &)));
        Peer peer(m_port);
        if (round % 2)
            QTest::qWait(5);
        peer.send(request(1, "key"));
        delete receiver;
        const QByteArray answer = peer.receive();
        QVERIFY2(opcodeOf(answer) == 3 || errorOf(answer) == QStringLiteral("1 File not found"),
                 qPrintable(errorOf(answer)));
        if (opcodeOf(answer) == 3)
            peer.send(B("\0\5\0\0done\0"));
    }
    settle();
    Peer peer(m_port);
    peer.send(request(1, "key"));
    QCOMPARE(errorOf(peer.receive()), QStringLiteral("1 File not found"));

    // A receiver that stays gets every report of a whole transfer.
    m_server->regForFileInfo(QStringLiteral("key"), m_receiver.get(),
                             SLOT(updateFileProgress(const QString &, const QString &, const int &)));
    settle();
    Peer reader(m_port);
    QVERIFY(readAll(QStringLiteral("key"), reader) == pattern(3000));
    QTRY_COMPARE(m_receiver->percents.value(m_receiver->percents.size() - 1), 100);
    QCOMPARE(m_receiver->percents.first(), 0);
    QVERIFY(!m_receiver->offThread);
}

void TestTftpServer::floodIsAnsweredWithBoundedState()
{
    publish(QStringLiteral("key"), pattern(3000));
    // 500 requests for a missing key from ten ports, as fast as they go:
    // every one is refused, none leaves a session that blocks the next.
    std::vector<std::unique_ptr<Peer>> peers;
    for (int i = 0; i < 10; ++i)
        peers.emplace_back(new Peer(m_port));
    int refused = 0;
    for (int round = 0; round < 50; ++round) {
        for (auto &peer : peers)
            peer->send(request(1, "nothere"));
        for (auto &peer : peers)
            refused += errorOf(peer->receive()) == QStringLiteral("1 File not found") ? 1 : 0;
    }
    QCOMPARE(refused, 500);

    // Reads that are never acknowledged hold sessions, but only so many of
    // them from one host; the others are told the server is busy.
    std::vector<std::unique_ptr<Peer>> readers;
    int served = 0;
    int busy = 0;
    for (int i = 0; i < 40; ++i) {
        readers.emplace_back(new Peer(m_port));
        readers.back()->send(request(1, "key"));
        const QByteArray answer = readers.back()->receive();
        if (opcodeOf(answer) == 3)
            ++served;
        else if (errorOf(answer) == QStringLiteral("0 Server busy"))
            ++busy;
    }
    QCOMPARE(served, TLinkTftpServer::MaxSessionsPerHost);
    QCOMPARE(busy, 40 - TLinkTftpServer::MaxSessionsPerHost);
    // Served ones go on as usual.
    readers.front()->send(ack(1));
    QCOMPARE(blockOf(readers.front()->receive()), quint16(2));
}

void TestTftpServer::silentHostsLeaveOthersServed()
{
    QSettings().setValue(QStringLiteral("tftp_server/retry_timer"), 500);
    publish(QStringLiteral("key"), pattern(3000));
    // Four hosts fill the whole table with reads they never acknowledge.
    const int hosts = TLinkTftpServer::MaxSessions / TLinkTftpServer::MaxSessionsPerHost;
    std::vector<std::unique_ptr<Peer>> silent;
    for (int host = 0; host < hosts; ++host) {
        for (int i = 0; i < TLinkTftpServer::MaxSessionsPerHost; ++i) {
            silent.emplace_back(new Peer(m_port, QStringLiteral("127.0.0.%1").arg(host + 2)));
            silent.back()->send(request(1, "key"));
            QCOMPARE(opcodeOf(silent.back()->receive()), quint16(3));
        }
    }
    Peer extra(m_port, QStringLiteral("127.0.0.2"));
    extra.send(request(1, "key"));
    QCOMPARE(errorOf(extra.receive()), QStringLiteral("0 Server busy"));

    // With the table full, refusals are still the refusals...
    Peer other(m_port, QStringLiteral("127.0.0.9"));
    other.send(request(1, "nothere"));
    QCOMPARE(errorOf(other.receive()), QStringLiteral("1 File not found"));
    other.send(request(2, ".hidden"));
    QCOMPARE(errorOf(other.receive()), QStringLiteral("2 Access violation"));
    // ...and another host's fetch takes the place of a silent read.
    QVERIFY(readAll(QStringLiteral("key"), other) == pattern(3000));

    // The silent reads are dropped after one resend: the host may fetch again.
    // Each check is a fetch of its own, so it is made until one succeeds and
    // never once more after that (QTRY would repeat the last one).
    QVERIFY(testsupport::waitFor(
        [&] {
            Peer again(m_port, QStringLiteral("127.0.0.2"));
            return readAll(QStringLiteral("key"), again) == pattern(3000);
        },
        60000));
}

void TestTftpServer::repeatedLastAckIsIgnored()
{
    publish(QStringLiteral("key"), pattern(700));
    QSignalSpy sent(m_server.get(), &TLinkTftpServerIf::sentFile);
    Peer peer(m_port);
    QVERIFY(readAll(QStringLiteral("key"), peer) == pattern(700));
    QTRY_COMPARE(sent.count(), 1);
    // The last ACK again, at the transfer's port and at the server's.
    peer.send(ack(2));
    peer.sendTo(m_port, ack(2));
    QVERIFY(peer.silentFor(300));
    QCOMPARE(sent.count(), 1);
}

QTEST_MAIN(TestTftpServer)
#include "tst_tftpserver.moc"
