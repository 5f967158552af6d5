// The software upload sequence driven tick by tick on property values fed
// the way the SNMP engine feeds them, with the TFTP server's reports handed
// to the device object's slots.

#include "eventlog.h"
#include "infodevicemodelarray.h"
#include "infoservice.h"
#include "testdevice.h"
#include "testsupport.h"
#include "tlinkdevice.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const int TftpPort = 6969;

snmp_property_t record(const char *name, int kind)
{
    snmp_property_t r;
    r.mibObjectName = QLatin1String(name);
    r.displayName = r.mibObjectName;
    r.kind = kind;
    r.groupName = QStringLiteral("sw");
    r.writable = 1;
    if (kind == 3) {
        const char *const names[] = {"illegal", "init", "started", "aborted", "failed", "ready"};
        for (int i = 0; i < 6; ++i)
            r.enumValues.append({i, QLatin1String(names[i])});
    }
    return r;
}

// A device with the software download objects; values arrive through report().
struct Rig
{
    explicit Rig(const QString &ip = QStringLiteral("127.0.2.61"), const QString &model = QStringLiteral("4320"))
        : device(makeParam(ip, model), nullptr)
    {
        snmp_group_t group;
        group.name = QStringLiteral("sw");
        device.initPropertyGroups({group});
        device.initProperties({record("zkSoftwareDownloadStatus", 3), record("zkSoftwareDownloadIpAddress", 2),
                               record("zkSoftwareDownloadPortNumber", 1), record("zkSoftwareDownloadFileName", 2),
                               record("zkSoftwareDownloadControl", 1),
                               record("zkSoftwareDownloadErrorDescription", 2),
                               record("zkSoftwareDownloadProgress", 1), record("zkSystemConfigSoftwareVersion", 2),
                               record("zkSystemConfigSoftwareBuildNumber", 1)});
    }
    void report(const char *name, const QString &value)
    {
        snmp_get_value_t v;
        v.uniqueId = device.getUniqueId();
        v.mibObjectName = QLatin1String(name);
        v.value = value;
        v.ok = true;
        device.propertyUpdated(v);
    }
    // The device is ready for an upload and runs 01.07 build 41.
    void makeReady()
    {
        report("zkSystemConfigSoftwareVersion", "01.07");
        report("zkSystemConfigSoftwareBuildNumber", "41");
        report("zkSoftwareDownloadStatus", "5"); // offers the upload service
        device.updateUploadState();
    }
    // Echoes what the sequence wrote, as the device does.
    void echo(const QString &key)
    {
        report("zkSoftwareDownloadIpAddress", "127.0.0.1");
        report("zkSoftwareDownloadPortNumber", QString::number(TftpPort));
        report("zkSoftwareDownloadFileName", key);
    }
    int serviceState() { return device.getSoftwareUpdateService()->getState(); }

    TLinkDevice device;
};

TLinkSoftware target()
{
    return TLinkSoftware(1, 8, 42, 0);
}

const QString TargetKey = QStringLiteral("432001.080042");

} // namespace

class TestDeviceUpload : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void stateNames_data();
    void stateNames();
    void idleStatus_data();
    void idleStatus();
    void refusedStart();
    void noHostAddress();
    void sequenceToNewVersion_data();
    void sequenceToNewVersion();
    void failingStatus_data();
    void failingStatus();
    void tftpReports();
    void offlineErrorIsNotReset();
    void timeOuts_data();
    void timeOuts();
};

void TestDeviceUpload::initTestCase()
{
    testsupport::setUpApplication();
    InfoDeviceModelArray::setModelListFile(testsupport::fixture("devsw_modellist.xml"));
}

void TestDeviceUpload::init()
{
    QSettings settings;
    settings.setValue("tftp_server/portnumber", TftpPort);
    settings.remove("debug");
}

void TestDeviceUpload::stateNames_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("name");
    const QStringList names = {"Device Busy", "Device Offline", "Not Supported", "Illegal operation",
                               "Unknown state", "Error", "Device Ready", "Initiated", "Started", "Inprogress",
                               "Device Flashing data", "Device Reboot"};
    for (int state = -6; state <= 5; ++state)
        QTest::addRow("%d", state) << state << names.at(state + 6);
    QTest::newRow("7") << 7 << "unknown";
    QTest::newRow("-7") << -7 << "unknown";
}

void TestDeviceUpload::stateNames()
{
    QFETCH(int, state);
    QFETCH(QString, name);
    QCOMPARE(TLinkDevice::getUploadStateText(state), name);
}

void TestDeviceUpload::idleStatus_data()
{
    QTest::addColumn<QString>("status"); // empty: the status object never reported
    QTest::addColumn<bool>("debugSkip");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("event");
    QTest::addColumn<int>("serviceState");
    QTest::newRow("ready") << "5" << false << 0 << 0 << 1;
    QTest::newRow("init") << "1" << false << -6 << 0 << -2;
    QTest::newRow("init, readiness check skipped") << "1" << true << 0 << 0 << 1;
    QTest::newRow("started") << "2" << false << -6 << 0 << -2;
    QTest::newRow("illegal") << "0" << false << -1 << 256 << -2;
    QTest::newRow("outside the enumeration") << "9" << false << -3 << 259 << -2;
    QTest::newRow("no value yet") << "" << false << -2 << 259 << -1;
}

void TestDeviceUpload::idleStatus()
{
    QFETCH(QString, status);
    QFETCH(bool, debugSkip);
    QFETCH(int, state);
    QFETCH(int, event);
    QFETCH(int, serviceState);
    if (debugSkip) {
        QSettings settings;
        settings.setValue("debug/device_manager/cmd", 1);
        settings.setValue("debug/device_manager/sw_upload_cmd", "7342_sensor_readiness_skip");
    }
    EventLog events;
    Rig rig;
    if (status.isEmpty()) {
        // Started as the service list would start it; the device itself has
        // not said a word, so the service is not offered yet.
        rig.device.initiateUploadState(ServiceSoftwareUpdate);
    } else {
        // The first value offers the service, whose first tick comes before
        // the value is stored; the next tick reads it.
        rig.report("zkSoftwareDownloadStatus", status);
        events.clear();
        rig.device.updateUploadState();
    }
    QCOMPARE(rig.device.getUploadState(), state);
    QCOMPARE(rig.serviceState(), serviceState);
    if (event)
        QCOMPARE(events.count(event), 1);
    else
        QCOMPARE(events.count(256), 0);
}

void TestDeviceUpload::refusedStart()
{
    EventLog events;
    Rig rig;
    // Never offered the service: "Not Supported".
    rig.device.initiateSoftwareUpload(target());
    QCOMPARE(rig.device.getUploadState(), -4);
    QCOMPARE(events.texts(258), QStringList{" Device upload state: Not Supported"});

    // While an upload runs, a second start is refused and the first goes on.
    rig.makeReady();
    rig.device.initiateSoftwareUpload(target());
    rig.echo(TargetKey);
    rig.device.updateUploadState();
    QCOMPARE(rig.device.getUploadState(), 2);
    QVERIFY(rig.device.getUploadProgress() > 0);
    events.clear();
    rig.device.initiateSoftwareUpload(TLinkSoftware(1, 9, 1, 0));
    QCOMPARE(events.texts(258), QStringList{" Device upload state: Started"});
    QCOMPARE(rig.device.getUploadProgress(), 0);
    QCOMPARE(rig.device.getUploadState(), 2);
    rig.device.updateUploadState();
    QCOMPARE(rig.device.getUploadState(), 2);
}

void TestDeviceUpload::noHostAddress()
{
    // No local interface shares the device's subnet (documentation range).
    EventLog events;
    Rig rig(QStringLiteral("198.51.100.7"));
    rig.makeReady();
    QCOMPARE(rig.device.getUploadState(), 0);
    QSignalSpy updated(&rig.device, &TLinkDeviceIf::updated);
    rig.device.initiateSoftwareUpload(target());
    QCOMPARE(rig.device.getUploadState(), -1);
    QCOMPARE(rig.device.getUploadProgress(), 0);
    QCOMPARE(events.texts(257), QStringList{QString()});
    QCOMPARE(events.count(262), 0);
    // Nothing was written: no value went out to be echoed.
    QString key;
    QCOMPARE(rig.device.readStringProperty("zkSoftwareDownloadFileName", key), 1);
    QVERIFY(updated.count() >= 1);
}

void TestDeviceUpload::sequenceToNewVersion_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("rebootOnComplete");
    QTest::newRow("stays up") << "4320" << false;
    QTest::newRow("reboots on completion") << "4330" << true;
}

void TestDeviceUpload::sequenceToNewVersion()
{
    QFETCH(QString, model);
    QFETCH(bool, rebootOnComplete);
    EventLog events;
    Rig rig(QStringLiteral("127.0.2.61"), model);
    TLinkDevice &device = rig.device;
    const QString key = (model == "4320") ? TargetKey : QStringLiteral("433001.080042");
    rig.makeReady();
    QCOMPARE(device.getUploadState(), 0);
    QCOMPARE(device.getSoftwareVersion(), QStringLiteral("01.07"));

    QSignalSpy complete(&device, &TLinkDeviceIf::softwareUpdateComplete);
    QSignalSpy version(&device, &TLinkDeviceIf::updatedSoftwareVersion);
    device.initiateSoftwareUpload(target());
    QCOMPARE(device.getUploadState(), 1);
    QCOMPARE(device.getUploadProgress(), 1);
    QCOMPARE(events.texts(262), QStringList{" File ref.: " + key + "."});

    // The writes are not echoed yet: the state waits.
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), 1);
    QCOMPARE(device.getUploadProgress(), 3);
    rig.echo(key);
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), 2);
    QCOMPARE(device.getUploadProgress(), 5);

    rig.report("zkSoftwareDownloadStatus", "2");
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), 2);
    QCOMPARE(device.getUploadProgress(), 6);
    // The service shows each state for a second at least; the upload timer
    // may tick meanwhile (in state 2 it only raises the progress).
    QTRY_COMPARE(rig.serviceState(), 256);

    // The TFTP transfer: 1 %, 50 %, 100 % give 10, 50, 92; a lower report
    // keeps the progress.
    const QList<QPair<int, int>> steps = {{1, 10}, {50, 50}, {100, 92}, {20, 92}};
    for (const auto &step : steps) {
        device.updateFileProgress(key, "127.0.2.61", step.first);
        QCOMPARE(device.getUploadState(), 3);
        QCOMPARE(device.getUploadProgress(), step.second);
    }
    QTRY_COMPARE(rig.serviceState(), 257);
    QCOMPARE(device.getSoftwareUpdateService()->getValue(), 92);

    device.tftpFileUploaded("other-key");
    QCOMPARE(device.getUploadState(), 3);
    device.tftpFileUploaded(key);
    QCOMPARE(device.getUploadState(), 4);
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), 4);
    QCOMPARE(device.getUploadProgress(), 94);

    rig.report("zkSoftwareDownloadStatus", "5");
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), 5);
    // Still the old version: the device has not restarted yet.
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), 5);
    QTRY_COMPARE(rig.serviceState(), 258);
    QCOMPARE(complete.count(), 0);

    rig.report("zkSystemConfigSoftwareVersion", "01.08");
    rig.report("zkSystemConfigSoftwareBuildNumber", "42");
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), 0);
    QCOMPARE(device.getUploadProgress(), 0);
    QCOMPARE(complete.count(), 1);
    QCOMPARE(complete.first().at(0).toString(), device.getUniqueId());
    QCOMPARE(version.count(), 1);
    QCOMPARE(device.getSoftwareVersion(), QStringLiteral("01.08"));
    QTRY_COMPARE(rig.serviceState(), 1);
    QList<int> states262;
    for (const LoggedEvent &event : events.events())
        if (event.id == 262)
            states262 << event.state;
    QCOMPARE(states262, (QList<int>{1, 2}));
    QCOMPARE(events.texts(262).last(), QStringLiteral(" Upload sequence finished."));
    QCOMPARE(device.getRebootMode() == TLinkDevice::RebootRequested, rebootOnComplete);

    // Reports of the finished transfer that arrive late change nothing.
    device.updateFileProgress(key, "127.0.2.61", 60);
    device.tftpFileUploaded(key);
    QCOMPARE(device.getUploadState(), 0);
    QCOMPARE(device.getUploadProgress(), 0);

    // The device's own version now wins over discovery texts.
    device.setSoftwareVersion("01.07", "0041");
    QCOMPARE(device.getSoftwareVersion(), QStringLiteral("01.08"));
}

void TestDeviceUpload::failingStatus_data()
{
    QTest::addColumn<int>("state"); // where the failing status is seen
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("event");
    QTest::addColumn<QString>("text");
    QTest::newRow("started, failed, described") << 2 << "4" << "Flash write error" << 258
                                                << " Device failed upload: (Flash write error)";
    QTest::newRow("started, failed, short description") << 2 << "4" << "abc" << 258
                                                        << " Device failed upload: (Device state: Failed)";
    QTest::newRow("started, aborted") << 2 << "3" << "" << 258 << " Device failed upload: (Device state: Aborted)";
    QTest::newRow("transfer, illegal") << 3 << "0" << "" << 258
                                       << " Device report failed upload (1): (Device state: Illegal)";
    QTest::newRow("flashing, failed") << 4 << "4" << "Bad image CRC" << 258
                                      << " Device report failed upload (2): (Bad image CRC)";
}

void TestDeviceUpload::failingStatus()
{
    QFETCH(int, state);
    QFETCH(QString, status);
    QFETCH(QString, description);
    QFETCH(int, event);
    QFETCH(QString, text);
    Rig rig;
    TLinkDevice &device = rig.device;
    rig.makeReady();
    device.initiateSoftwareUpload(target());
    rig.echo(TargetKey);
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), 2);
    if (state >= 3)
        device.updateFileProgress(TargetKey, "127.0.2.61", 30);
    if (state >= 4)
        device.tftpFileUploaded(TargetKey);
    QCOMPARE(device.getUploadState(), state);

    EventLog events;
    rig.report("zkSoftwareDownloadErrorDescription", description);
    rig.report("zkSoftwareDownloadStatus", status);
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), -1);
    QCOMPARE(device.getUploadProgress(), 0);
    QCOMPARE(events.texts(event), QStringList{text});

    // Within 15 s the device's status still reads: the error is reset.
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), 0);
}

void TestDeviceUpload::tftpReports()
{
    EventLog events;
    Rig rig;
    TLinkDevice &device = rig.device;
    rig.makeReady();

    // A time-out report of the server while the device fetches.
    device.initiateSoftwareUpload(target());
    rig.echo(TargetKey);
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), 2);
    device.updateFileProgress(TargetKey, "127.0.2.61", 0);
    QCOMPARE(device.getUploadState(), 2);
    device.updateFileProgress(TargetKey, "127.0.2.61", -1);
    QCOMPARE(device.getUploadState(), -1);
    QCOMPARE(events.texts(261), QStringList{QString()});
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), 0);

    // A transfer error: another device's file key changes nothing, this
    // one's ends the upload with the server's reason.
    events.clear();
    device.initiateSoftwareUpload(target());
    device.updateUploadState();
    device.updateFileProgress(TargetKey, "127.0.2.61", 40);
    QCOMPARE(device.getUploadState(), 3);
    device.errorFileTransfer("999901.000001", "Disk full");
    QCOMPARE(device.getUploadState(), 3);
    device.errorFileTransfer(TargetKey, "Disk full");
    QCOMPARE(device.getUploadState(), -1);
    QCOMPARE(events.texts(263), QStringList{" Disk full"});

    // Late reports of the failed transfer leave the error state alone.
    device.updateFileProgress(TargetKey, "127.0.2.61", 80);
    device.tftpFileUploaded(TargetKey);
    QCOMPARE(device.getUploadState(), -1);
    QCOMPARE(device.getUploadProgress(), 0);
}

void TestDeviceUpload::offlineErrorIsNotReset()
{
    // The cached status of a device that went offline still reads; the error
    // must not be reset to "Device Ready" on it.
    Rig rig;
    TLinkDevice &device = rig.device;
    rig.makeReady();
    device.initiateSoftwareUpload(target());
    rig.echo(TargetKey);
    device.updateUploadState();
    device.updateFileProgress(TargetKey, "127.0.2.61", -1);
    QCOMPARE(device.getUploadState(), -1);
    device.setOnline(false);
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), -1);
    device.setOnline(true);
    device.updateUploadState();
    QCOMPARE(device.getUploadState(), 0);
}

void TestDeviceUpload::timeOuts_data()
{
    // The model's time-outs (fixture): start-up 5 s, progress 6 s.
    QTest::addColumn<int>("state"); // where the sequence waits
    QTest::addColumn<int>("event");
    QTest::addColumn<QString>("text");
    QTest::newRow("settings never read back") << 1 << 256 << " Check the connection!";
    QTest::newRow("file never requested") << 2 << 258 << " Device did not request file from server";
    QTest::newRow("transfer stalls") << 3 << 261 << " Upload progress timeout  (State: Uploading)";
    QTest::newRow("flashing never ends") << 4 << 258 << " Upload progress timeout (State: Flashing)";
}

void TestDeviceUpload::timeOuts()
{
    QFETCH(int, state);
    QFETCH(int, event);
    QFETCH(QString, text);
    Rig rig;
    TLinkDevice &device = rig.device;
    rig.makeReady();
    device.initiateSoftwareUpload(target());
    if (state >= 2) {
        rig.echo(TargetKey);
        device.updateUploadState();
        rig.report("zkSoftwareDownloadStatus", "2"); // the device is fetching
    }
    if (state >= 3)
        device.updateFileProgress(TargetKey, "127.0.2.61", 30);
    if (state >= 4)
        device.tftpFileUploaded(TargetKey);
    QCOMPARE(device.getUploadState(), state);
    EventLog events;
    // The upload timer ticks on its own from here.
    QTRY_VERIFY_WITH_TIMEOUT(device.getUploadState() == -1, 20000);
    QCOMPARE(events.texts(event), QStringList{text});
}

QTEST_GUILESS_MAIN(TestDeviceUpload)
#include "tst_deviceupload.moc"
