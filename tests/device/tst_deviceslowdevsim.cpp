// The device object against simulated devices that behave like real ones:
// restarts that outlast every settle time and poll time-out, an SNMP agent
// that goes silent while the device stays on the network, a MIB reload, and
// two devices of one model taking the same update at once.

#include "abstractproperty.h"
#include "devicerelay.h"
#include "enumvalue.h"
#include "eventlog.h"
#include "infodevicemodelarray.h"
#include "infoservice.h"
#include "livedevice.h"
#include "propertygroup.h"
#include "quicksnmptries.h"
#include "statetrail.h"
#include "testdevice.h"
#include "testsupport.h"
#include "tlinkdevice.h"
#include "tlinksnmpif.h"
#include "tlinktftpserverif.h"
#include "updatesetup.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <optional>
#include <sys/types.h>

namespace {

snmp_property_t record(const TLinkDevice &device, const char *name)
{
    return TLinkSNMPIf::instance()->getProperty(device.getUniqueId(), QLatin1String(name));
}

bool isValid(const TLinkDevice &device, const char *name)
{
    const AbstractProperty *property = device.findProperty(QLatin1String(name));
    return property && property->isValid();
}

void signalPeer(testsupport::Peer &peer, int signal)
{
    ::kill(pid_t(peer.process().processId()), signal);
}

} // namespace

class TestDeviceSlowDevsim : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void updateOutlastsSlowRestart();
    void updateOfDeviceThatNeverReturns();
    void rebootConfirmedOnlyWhenBack();
    void rebootUnansweredIsNotConfirmed();
    void silentAgentKeepsLastValues();
    void mibReloadReadsAgain();
    void twoDevicesOfOneModel();
    void agentWakingMidProbeFindsEveryService();

private:
    bool startDevice(testsupport::Peer &peer, const QString &ip, int restartMs,
                     const QString &model = QStringLiteral("4320"));
    bool waitUntilReady(TLinkDevice &device);

    QTemporaryDir m_images;
    TLinkTftpServerIf *m_server = nullptr;
    quint16 m_port = 0;
};

void TestDeviceSlowDevsim::initTestCase()
{
    if (!testsupport::isRoot())
        QSKIP("port 161 on 127.0.1.x needs root");
    testsupport::setUpApplication();
    setUpDevsimUpdates();
    InfoDeviceModelArray::setModelListFile(testsupport::fixture("slowdev_modellist.xml"));

    m_server = startTftpServer(m_port, this);
    QVERIFY(writeImage(m_images.filePath("sw.tiif"), 2000, 'x'));
    // A large image keeps two transfers going at once.
    QVERIFY(writeImage(m_images.filePath("large.tiif"), 32 * 1024 * 1024, 'y'));
    m_server->mapFilename("sw.tiif", m_images.path(), "432001.080042");
    m_server->mapFilename("sw.tiif", m_images.path(), "433001.080042");
    m_server->mapFilename("large.tiif", m_images.path(), "432001.080043");
}

void TestDeviceSlowDevsim::cleanupTestCase()
{
    delete m_server;
    m_server = nullptr;
}

bool TestDeviceSlowDevsim::startDevice(testsupport::Peer &peer, const QString &ip, int restartMs,
                                       const QString &model)
{
    return testsupport::startDevsim(peer, {"--address", ip, "--no-slp", "--no-telnet", "--no-http", "--model", model,
                                           "--product", model, "--restart-ms", QString::number(restartMs)});
}

bool TestDeviceSlowDevsim::waitUntilReady(TLinkDevice &device)
{
    return testsupport::waitFor([&] { return device.getUploadState() == 0; }, 20000);
}

void TestDeviceSlowDevsim::updateOutlastsSlowRestart()
{
    // The device stays down after flashing longer than a poll takes to time
    // out and longer than it may take to report another version: what it
    // reported before it went down, or a poll that got no answer, must not
    // count as the version it runs.
    const QString ip = QStringLiteral("127.0.1.90");
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, ip, 17000));
    EventLog events;
    LiveDevice live(ip, m_server);
    TLinkDevice &device = live.device;
    device.setRejectGraceSeconds(10);
    QVERIFY(waitUntilReady(device));

    StateTrail trail(&device);
    QSignalSpy complete(&device, &TLinkDeviceIf::softwareUpdateComplete);
    device.initiateSoftwareUpload(TLinkSoftware(1, 8, 42, 0));
    QVERIFY(testsupport::waitFor([&] { return device.getUploadState() == 5; }, 20000));
    QVERIFY(testsupport::waitFor([&] { return complete.count() == 1 || device.getUploadState() == -1; }, 40000));
    QVERIFY2(sim.output().contains("up again"), "the update ended before the device was back");
    QCOMPARE(events.texts(258), QStringList());
    QCOMPARE(events.texts(260), QStringList());
    QCOMPARE(complete.count(), 1);
    QCOMPARE(trail.states, (QList<int>{1, 2, 3, 4, 5, 0}));
    QCOMPARE(device.getSoftwareVersion(), QStringLiteral("01.08"));
}

void TestDeviceSlowDevsim::updateOfDeviceThatNeverReturns()
{
    // The model's reboot time-out ends the wait for a device that never
    // comes back.
    const QString ip = QStringLiteral("127.0.1.91");
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, ip, 600000, QStringLiteral("4330")));
    EventLog events;
    LiveDevice live(ip, m_server, QStringLiteral("4330"));
    TLinkDevice &device = live.device;
    device.setRejectGraceSeconds(10);
    QVERIFY(waitUntilReady(device));

    device.initiateSoftwareUpload(TLinkSoftware(1, 8, 42, 0));
    QVERIFY(testsupport::waitFor([&] { return device.getUploadState() == 5; }, 20000));
    QElapsedTimer waited;
    waited.start();
    QVERIFY(testsupport::waitFor([&] { return device.getUploadState() == -1; }, 25000));
    QVERIFY2(waited.elapsed() >= 12000, qPrintable(QString::number(waited.elapsed())));
    // Not a refusal of the file: the device did not come back in its time.
    QCOMPARE(events.count(260), 0);
    const QStringList failures = events.texts(258);
    QCOMPARE(failures.size(), 1);
    QVERIFY2(failures.first().startsWith(" Device did not restart within "), qPrintable(failures.first()));
    QCOMPARE(device.getSoftwareVersion(), QStringLiteral("01.07"));
}

void TestDeviceSlowDevsim::rebootConfirmedOnlyWhenBack()
{
    const QString ip = QStringLiteral("127.0.1.92");
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, ip, 12000));
    EventLog events;
    LiveDevice live(ip, m_server);
    TLinkDevice &device = live.device;
    device.activateDevice(true);
    QVERIFY(testsupport::waitFor([&] { return device.getServices() & ServiceReboot; }, 10000));
    QVERIFY(testsupport::waitFor([&] {
        EnumValue *value = nullptr;
        return device.readEnumProperty("zkSystemConfigReset", value) == 0 && value->getNumber() == 1;
    }, 10000));

    device.rebootDevice();
    QVERIFY(testsupport::waitFor([&] { return device.getRebootMode() != TLinkDevice::RebootRequested; }, 40000));
    QCOMPARE(device.getRebootMode(), int(TLinkDevice::RebootConfirmed));
    QVERIFY2(sim.output().contains("up again"), "the reboot was confirmed while the device was down");
    QCOMPARE(events.count(1024), 0);
    device.activateDevice(false);
}

void TestDeviceSlowDevsim::rebootUnansweredIsNotConfirmed()
{
    // The agent is silent when the restart is asked and answers again later,
    // never having restarted: its "not reset" is no proof, the reboot ends
    // in its time-out.
    const QString ip = QStringLiteral("127.0.1.94");
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, ip, 2000));
    EventLog events;
    LiveDevice live(ip, m_server);
    TLinkDevice &device = live.device;
    device.activateDevice(true);
    QVERIFY(testsupport::waitFor([&] { return device.getServices() & ServiceReboot; }, 10000));
    QVERIFY(testsupport::waitFor([&] { return isValid(device, "sysUpTime") && isValid(device, "zkSystemConfigReset"); },
                                 10000));

    device.setRebootTimeoutMs(20000);
    signalPeer(sim, SIGUSR1);
    device.rebootDevice();
    // The request times out unanswered; then the agent speaks again.
    QVERIFY(testsupport::waitFor([&] { return device.getRebootService()->getState() == 1025; }, 15000));
    signalPeer(sim, SIGUSR2);
    QVERIFY(testsupport::waitFor([&] { return isValid(device, "zkSystemConfigReset"); }, 15000));
    QVERIFY(testsupport::waitFor([&] { return device.getRebootMode() != TLinkDevice::RebootRequested; }, 30000));
    QCOMPARE(device.getRebootMode(), int(TLinkDevice::RebootNone));
    QCOMPARE(device.getRebootService()->getState(), -2);
    QCOMPARE(events.count(1024), 1);
    QVERIFY(!sim.output().contains("up again"));
    device.activateDevice(false);
}

void TestDeviceSlowDevsim::silentAgentKeepsLastValues()
{
    // The agent stops answering while the device stays on the network: its
    // values are no longer current, but a time-out is no value.
    const QString ip = QStringLiteral("127.0.1.93");
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, ip, 2000));
    LiveDevice live(ip, m_server);
    TLinkDevice &device = live.device;
    QVERIFY(waitUntilReady(device));
    QVERIFY(isValid(device, "zkSystemConfigSoftwareVersion"));

    QSignalSpy updated(&device, &TLinkDeviceIf::updated);
    signalPeer(sim, SIGUSR1);
    QVERIFY(testsupport::waitFor([&] { return !record(device, "zkSystemConfigSoftwareVersion").valueValid; }, 20000));
    QCOMPARE(record(device, "zkSystemConfigSoftwareVersion").value, QStringLiteral("01.07"));
    QCOMPARE(record(device, "zkSoftwareDownloadStatus").value, QStringLiteral("5"));
    // The device object holds the last good values as not current, and its
    // viewers see a device that does not answer.
    QTRY_VERIFY_WITH_TIMEOUT(!isValid(device, "zkSystemConfigSoftwareVersion"), 5000);
    QCOMPARE(device.findProperty("zkSystemConfigSoftwareVersion")->getValue(), QStringLiteral("01.07"));
    QString status, description;
    QTRY_COMPARE_WITH_TIMEOUT(device.getConnectionStatus(status, description), int(TLinkDevice::StatusOffline), 5000);
    QCOMPARE(status, QStringLiteral("Offline"));
    QVERIFY(updated.count() >= 1);
    QTest::qWait(2500); // an upload tick runs on what it holds
    QCOMPARE(device.getSoftwareVersion(), QStringLiteral("01.07"));

    // Answering again, the device's values come back.
    signalPeer(sim, SIGUSR2);
    QVERIFY(testsupport::waitFor([&] { return isValid(device, "zkSystemConfigSoftwareVersion"); }, 20000));
    QCOMPARE(device.findProperty("zkSystemConfigSoftwareVersion")->getValue(), QStringLiteral("01.07"));
    QTRY_COMPARE_WITH_TIMEOUT(device.getConnectionStatus(status, description), int(TLinkDevice::StatusOk), 5000);
    QVERIFY(waitUntilReady(device));
}

void TestDeviceSlowDevsim::mibReloadReadsAgain()
{
    // After an update the registry reloads the device's MIB: the objects the
    // device object follows stay followed, and every value is read again.
    const QString ip = QStringLiteral("127.0.1.94");
    testsupport::Peer sim;
    QVERIFY(startDevice(sim, ip, 2000));
    LiveDevice live(ip, m_server);
    TLinkDevice &device = live.device;
    QVERIFY(waitUntilReady(device));
    QVERIFY(record(device, "zkSoftwareDownloadStatus").dynamic);
    const QPointer<PropertyGroup> oldGroup = device.getPropertyGroups().first();

    TLinkSNMPIf::instance()->updateDevice(device.getUniqueId(), device.getSrvUrl(), device.getModel(), "01.07");
    QVERIFY(device.getPropertyGroups().first() != oldGroup);
    // The replaced groups are freed.
    QTRY_VERIFY_WITH_TIMEOUT(oldGroup.isNull(), 2000);
    for (const char *name : {"zkSoftwareDownloadStatus", "zkSystemConfigSoftwareVersion",
                             "zkSystemConfigSoftwareBuildNumber"})
        QVERIFY2(record(device, name).dynamic, name);
    QVERIFY(testsupport::waitFor([&] { return isValid(device, "zkSystemConfigSoftwareVersion"); }, 8000));
    // Read once, as every value is after a reload, also what is not followed.
    QVERIFY(testsupport::waitFor([&] { return isValid(device, "zkSystemConfigModelNumber"); }, 8000));
    QCOMPARE(device.findProperty("zkSystemConfigModelNumber")->getValue(), QStringLiteral("4320"));
    QVERIFY(waitUntilReady(device));
}

void TestDeviceSlowDevsim::twoDevicesOfOneModel()
{
    // Two devices of one model fetch the same file at once; one of them
    // stops in the middle. Each device follows only its own transfer.
    QSettings settings;
    settings.setValue("tftp_server/retry_cnt", 1);
    settings.setValue("tftp_server/retry_timer", 500);
    const QString firstIp = QStringLiteral("127.0.1.95");
    const QString secondIp = QStringLiteral("127.0.1.96");
    testsupport::Peer firstSim;
    testsupport::Peer secondSim;
    QVERIFY(startDevice(firstSim, firstIp, 1500));
    QVERIFY(startDevice(secondSim, secondIp, 1500));
    EventLog events;
    LiveDevice first(firstIp, m_server, QStringLiteral("4320"), QStringLiteral("100001"));
    LiveDevice second(secondIp, m_server, QStringLiteral("4320"), QStringLiteral("100002"));
    QVERIFY(waitUntilReady(first.device));
    QVERIFY(waitUntilReady(second.device));

    StateTrail secondTrail(&second.device);
    QSignalSpy secondComplete(&second.device, &TLinkDeviceIf::softwareUpdateComplete);
    first.device.initiateSoftwareUpload(TLinkSoftware(1, 8, 43, 0));
    second.device.initiateSoftwareUpload(TLinkSoftware(1, 8, 43, 0));
    // The first device stops answering in the middle of its transfer, and
    // the server gives that transfer up. Both devices first go through
    // their SNMP steps, which take long on a loaded machine.
    QVERIFY(testsupport::waitFor([&] { return first.device.getUploadState() == 3; }, 60000));
    signalPeer(firstSim, SIGSTOP);
    QVERIFY(testsupport::waitFor([&] { return first.device.getUploadState() == -1; }, 30000));

    QVERIFY(testsupport::waitFor([&] { return secondComplete.count() == 1 || second.device.getUploadState() == -1; },
                                 60000));
    signalPeer(firstSim, SIGCONT);
    QCOMPARE(secondComplete.count(), 1);
    QCOMPARE(secondTrail.states, (QList<int>{1, 2, 3, 4, 5, 0}));
    QCOMPARE(second.device.getSoftwareVersion(), QStringLiteral("01.08"));
    QCOMPARE(first.device.getSoftwareVersion(), QStringLiteral("01.07"));
    // One failure, the first device's.
    const QStringList failures = events.texts(263) + events.texts(261);
    QCOMPARE(failures.size(), 1);
    settings.remove("tftp_server/retry_cnt");
    settings.remove("tftp_server/retry_timer");
}

void TestDeviceSlowDevsim::agentWakingMidProbeFindsEveryService()
{
    // The agent starts a few seconds after the device is known, while the
    // device's first service probe (one try of one second per object) is
    // still asking: the first objects fail, the later ones are answered.
    // Those that failed are asked again once the agent has answered, and
    // every service is found.
    std::optional<QuickSnmpTries> quick(std::in_place);
    const QString ip = QStringLiteral("127.0.1.97");
    testsupport::Peer sim;
    QVERIFY(testsupport::startDevsim(sim, {"--address", ip, "--no-slp", "--no-telnet", "--no-http",
                                           "--snmp-start-ms", "2500"}));
    LiveDevice live(ip, m_server);
    QVERIFY(sim.waitForOutput("devsim SNMP ready", 15000));
    // The agent answers now: the usual limits again, so that a slow answer
    // on a loaded machine is not taken for a missing object.
    quick.reset();
    const Services_t snmpServices = ServiceSoftwareUpdate | ServiceLiveLogging | ServiceDiagReport | ServiceReboot;
    QVERIFY2(testsupport::waitFor([&] { return (live.device.getServices() & snmpServices) == snmpServices; }, 60000),
             qPrintable(QString::number(live.device.getServices(), 16)));
}

QTEST_GUILESS_MAIN(TestDeviceSlowDevsim)
#include "tst_deviceslowdevsim.moc"
