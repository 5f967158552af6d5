// The software upload sequence against the device simulator: the program's
// TFTP server publishes the image, the device is told where to fetch it and
// is followed to the new version, or to the error that stops it.

#include "devicerelay.h"
#include "enumvalue.h"
#include "eventlog.h"
#include "infodevicemodelarray.h"
#include "livedevice.h"
#include "statetrail.h"
#include "testdevice.h"
#include "testsupport.h"
#include "tlinkdevice.h"
#include "tlinksnmpif.h"
#include "tlinktftpserverif.h"
#include "updatesetup.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

namespace {

// Fetches a file from the TFTP server the way a device does, from the
// device's address; stops acknowledging after ackLimit blocks (-1: never).
// Returns the bytes received.
QByteArray fetch(const QString &from, quint16 port, const QString &key, int ackLimit = -1)
{
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(from), 0))
        return QByteArray();
    const QByteArray request = QByteArray("\0\1", 2) + key.toLatin1() + '\0' + "octet" + '\0';
    socket.writeDatagram(request, QHostAddress::LocalHost, port);
    QByteArray content;
    for (int block = 1;; ++block) {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(5000))
            return content;
        QHostAddress peer;
        quint16 peerPort = 0;
        QByteArray datagram(int(socket.pendingDatagramSize()), '\0');
        socket.readDatagram(datagram.data(), datagram.size(), &peer, &peerPort);
        if (datagram.size() < 4 || datagram.at(1) != 3)
            return content;
        content += datagram.mid(4);
        if (ackLimit >= 0 && block > ackLimit)
            return content;
        socket.writeDatagram(QByteArray("\0\4", 2) + datagram.mid(2, 2), peer, peerPort);
        if (datagram.size() < 516)
            return content;
    }
}

} // namespace

class TestDeviceUploadDevsim : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void uploadToNewVersion();
    void portNotEchoed();
    void downloadAborted();
    void fileNotPublished();
    void deviceLostDuringTransfer();

private:
    bool startDevice(testsupport::Peer &peer, const QString &ip);
    bool waitUntilReady(TLinkDevice &device);

    QTemporaryDir m_images;
    TLinkTftpServerIf *m_server = nullptr;
    quint16 m_port = 0;
};

void TestDeviceUploadDevsim::initTestCase()
{
    if (!testsupport::isRoot())
        QSKIP("port 161 on 127.0.1.x needs root");
    testsupport::setUpApplication();
    setUpDevsimUpdates();
    // Keep a stalled transfer alive longer than the sequence's own limits.
    QSettings().setValue("tftp_server/retry_cnt", 20);
    InfoDeviceModelArray::setModelListFile(testsupport::fixture("devsw_modellist.xml"));

    m_server = startTftpServer(m_port, this);
    QVERIFY(writeImage(m_images.filePath("sw.tiif"), 2000, 'x'));
    // A large image keeps a transfer going long enough to act during it.
    QVERIFY(writeImage(m_images.filePath("large.tiif"), 8 * 1024 * 1024, 'y'));
    // Two published versions of model 4320: 01.08/0042 and 01.08/0043.
    m_server->mapFilename("sw.tiif", m_images.path(), "432001.080042");
    m_server->mapFilename("large.tiif", m_images.path(), "432001.080043");
}

void TestDeviceUploadDevsim::cleanupTestCase()
{
    delete m_server;
    m_server = nullptr;
}

bool TestDeviceUploadDevsim::startDevice(testsupport::Peer &peer, const QString &ip)
{
    return testsupport::startDevsim(peer, {"--address", ip, "--no-slp", "--no-telnet", "--model", "4320", "--product",
                                           "4320", "--restart-ms", "1500"});
}

bool TestDeviceUploadDevsim::waitUntilReady(TLinkDevice &device)
{
    return testsupport::waitFor([&] { return device.getUploadState() == 0; }, 20000);
}

void TestDeviceUploadDevsim::uploadToNewVersion()
{
    const QString ip = QStringLiteral("127.0.1.60");
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, ip));
    EventLog events;
    LiveDevice live(ip, m_server);
    live.activate();
    TLinkDevice &device = live.device;
    QVERIFY(waitUntilReady(device));
    QCOMPARE(device.getSoftwareVersion(), QStringLiteral("01.07"));

    StateTrail trail(&device);
    QSignalSpy complete(&device, &TLinkDeviceIf::softwareUpdateComplete);
    device.initiateSoftwareUpload(TLinkSoftware(1, 8, 42, 0));
    QVERIFY(testsupport::waitFor([&] { return device.getUploadState() == 2; }, 15000));
    // The device fetches the published image (unless it already does so itself).
    if (!testsupport::waitFor([&] { return device.getUploadState() != 2; }, 1000))
        QCOMPARE(fetch(ip, m_port, "432001.080042").size(), 2000);

    QVERIFY(testsupport::waitFor([&] { return complete.count() == 1; }, 40000));
    QCOMPARE(complete.first().at(0).toString(), device.getUniqueId());
    QCOMPARE(trail.states, (QList<int>{1, 2, 3, 4, 5, 0}));
    QCOMPARE(device.getSoftwareVersion(), QStringLiteral("01.08"));
    TLinkSoftware running;
    QVERIFY(device.getCurrentSoftware(running));
    QCOMPARE(running.getBuild(), quint16(42));
    QCOMPARE(device.getUploadProgress(), 0);
    QCOMPARE(events.texts(262), (QStringList{" File ref.: 432001.080042.", " Upload sequence finished."}));
    QVERIFY(!events.ids().contains(258) && !events.ids().contains(261));
}

void TestDeviceUploadDevsim::portNotEchoed()
{
    // The device keeps another port than the program gave it.
    const QString ip = QStringLiteral("127.0.1.61");
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, ip));
    EventLog events;
    LiveDevice live(ip, m_server);
    live.activate();
    TLinkDevice &device = live.device;
    QVERIFY(waitUntilReady(device));
    device.initiateSoftwareUpload(TLinkSoftware(1, 8, 42, 0));
    QSettings().setValue("tftp_server/portnumber", m_port + 1);
    QVERIFY(testsupport::waitFor([&] { return device.getUploadState() == -1; }, 20000));
    QSettings().setValue("tftp_server/portnumber", m_port);
    QCOMPARE(events.texts(257), QStringList{" Error in device settings."});
    // The fetch was never ordered: the device is still idle.
    EnumValue *status = nullptr;
    QCOMPARE(device.readEnumProperty("zkSoftwareDownloadStatus", status), 0);
    QCOMPARE(status->getNumber(), 5);
}

void TestDeviceUploadDevsim::downloadAborted()
{
    const QString ip = QStringLiteral("127.0.1.62");
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, ip));
    EventLog events;
    LiveDevice live(ip, m_server);
    live.activate();
    TLinkDevice &device = live.device;
    QVERIFY(waitUntilReady(device));
    device.initiateSoftwareUpload(TLinkSoftware(1, 8, 43, 0));
    QVERIFY(testsupport::waitFor([&] { return device.getUploadState() == 3; }, 15000));
    // Someone stops the download at the device while it transfers.
    QCOMPARE(device.writeProperty("zkSoftwareDownloadControl", 1), 0);
    QVERIFY(testsupport::waitFor([&] { return device.getUploadState() == -1; }, 10000));
    // The device's error text when it was polled in time, else its status.
    const QStringList failures = events.texts(258);
    QCOMPARE(failures.size(), 1);
    QVERIFY2(failures.first() == " Device report failed upload (1): (Download aborted by the user)"
                 || failures.first() == " Device report failed upload (1): (Device state: Aborted)",
             qPrintable(failures.first()));
    // The error is reset at the device and the device is ready again.
    QVERIFY(waitUntilReady(device));
    QCOMPARE(device.getSoftwareVersion(), QStringLiteral("01.07"));
}

void TestDeviceUploadDevsim::fileNotPublished()
{
    // A version that is not published: the server refuses the device's
    // request and says why.
    const QString ip = QStringLiteral("127.0.1.63");
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, ip));
    EventLog events;
    LiveDevice live(ip, m_server);
    live.activate();
    TLinkDevice &device = live.device;
    QVERIFY(waitUntilReady(device));
    StateTrail trail(&device);
    device.initiateSoftwareUpload(TLinkSoftware(1, 9, 1, 0));
    QVERIFY(testsupport::waitFor([&] { return device.getUploadState() == -1; }, 20000));
    QCOMPARE(trail.states, (QList<int>{1, 2, -1}));
    const QStringList failures = events.texts(263);
    QCOMPARE(failures.size(), 1);
    QVERIFY(!failures.first().isEmpty());
    QVERIFY(waitUntilReady(device));
}

void TestDeviceUploadDevsim::deviceLostDuringTransfer()
{
    const QString ip = QStringLiteral("127.0.1.64");
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, ip));
    EventLog events;
    LiveDevice live(ip, m_server);
    live.activate();
    TLinkDevice &device = live.device;
    QVERIFY(waitUntilReady(device));
    device.initiateSoftwareUpload(TLinkSoftware(1, 8, 43, 0));
    QVERIFY(testsupport::waitFor([&] { return device.getUploadState() == 3; }, 15000));
    // The device drops off the network mid-transfer and the registry takes
    // it offline.
    sim.stop();
    device.setOnline(false);
    QVERIFY(testsupport::waitFor([&] { return device.getUploadState() == -1; }, 25000));
    QCOMPARE(events.texts(261), QStringList{" Lost connection to device."});
    QCOMPARE(events.count(263), 0);
    // 15 s after the error, with the device still silent, the sequence gives up.
    QVERIFY(testsupport::waitFor([&] { return device.getUploadState() == -3; }, 25000));
}

QTEST_GUILESS_MAIN(TestDeviceUploadDevsim)
#include "tst_deviceuploaddevsim.moc"
