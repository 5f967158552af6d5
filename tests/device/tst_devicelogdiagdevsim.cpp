// Live logging and the diagnostic report against the device simulator: the
// logging client pointed at this program's syslog receiver and followed on
// and off, the device's lines handed to a window, the report ordered over
// SNMP and received by the program's TFTP server, the MIB file from the
// device's web server, and the time-outs of a device that stops answering.

#include "abstractproperty.h"
#include "devicerelay.h"
#include "enumvalue.h"
#include "eventlog.h"
#include "infodevicemodelarray.h"
#include "infoservice.h"
#include "livedevice.h"
#include "servicestates.h"
#include "testdevice.h"
#include "testsupport.h"
#include "tlinkdevice.h"
#include "tlinksnmpif.h"
#include "tlinksyslogif.h"
#include "tlinktftpserverif.h"
#include "zeldownloadpath.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

namespace {

const QString LogAddress = QStringLiteral("127.0.1.80");
const QString DiagAddress = QStringLiteral("127.0.1.81");
const QString DyingAddress = QStringLiteral("127.0.1.82");
// This program's address toward the devices on 127.0.0.0/8.
const QString HostAddress = QStringLiteral("127.0.0.1");
// The bound of every wait for what the device does: the values come in with
// the polling rounds, and one round over all of a device's values takes tens
// of seconds on a loaded machine.
constexpr int Patient = 60000;

QString valueOf(const TLinkDevice &device, const char *name)
{
    const AbstractProperty *property = device.findProperty(QLatin1String(name));
    return property && property->isValid() ? property->getValue() : QString();
}

int enumOf(const TLinkDevice &device, const char *name)
{
    EnumValue *value = nullptr;
    return device.readEnumProperty(QLatin1String(name), value) == 0 ? value->getNumber() : -1;
}

int syslogPort()
{
    return QSettings().value(QStringLiteral("syslog_server/portnumber")).toInt();
}

// Receives a device's log lines the way the live log window does.
class LogWindow : public QObject
{
    Q_OBJECT
public slots:
    void handleInitLogText(const QString &text) { initTexts.append(text); }
    void handleNewLogText(const QString &text) { newTexts.append(text); }

public:
    QStringList initTexts;
    QStringList newTexts;
};

} // namespace

class TestDeviceLogDiagDevsim : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void liveLoggingOnAndOff();
    void clockUnknownAtStartIsSetLater();
    void liveLogLinesReachWindow();
    void diagReportArrivesByTftp_data();
    void diagReportArrivesByTftp();
    void diagReportTimesOut();
    void diagReportNotStored();
    void liveLoggingLooksUpAddressOnce();
    void mibFileFromDevice();
    void silentDeviceTimesOut();

private:
    testsupport::Peer m_logSim;
    testsupport::Peer m_diagSim;
    quint16 m_tftpPort = 0;
};

void TestDeviceLogDiagDevsim::initTestCase()
{
    if (!testsupport::isRoot())
        QSKIP("port 161 on 127.0.1.x needs root");
    testsupport::setUpApplication();
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    m_tftpPort = testsupport::freeUdpPort();
    QSettings().setValue(QStringLiteral("tftp_server/portnumber"), m_tftpPort);
    InfoDeviceModelArray::setModelListFile(testsupport::fixture("device_svc_modellist.xml"));
    QVERIFY(testsupport::startDevsim(m_logSim, {"--address", LogAddress, "--no-slp", "--no-telnet", "--model", "4320"}));
    QVERIFY(testsupport::startDevsim(m_diagSim, {"--address", DiagAddress, "--no-slp", "--no-telnet", "--model", "4320"}));
}

void TestDeviceLogDiagDevsim::liveLoggingOnAndOff()
{
    EventLog events;
    LiveDevice live(LogAddress);
    live.activate();
    TLinkDevice &device = live.device;
    ServiceStates service(device.getLiveLoggingService());
    // The first follow-up finds the logging client off.
    QVERIFY(testsupport::waitFor([&] { return service.last() == 512; }, Patient));
    QVERIFY(!device.isLiveLoggingEnabled());
    // A service shows each state for a second before the next; give each
    // state its second so that every step is seen.
    const int shown = InfoService::MinimumDisplayMs + 100;
    // A device clock that was never set is set with the start.
    QCOMPARE(device.writeProperty("zkSystemConfigISOTime", "1970-01-02 00:00:00"), 0);
    QVERIFY(testsupport::waitFor([&] { return valueOf(device, "zkSystemConfigPosixTime").toInt() < 200000; }, Patient));
    QTest::qWait(shown);

    device.startLiveLogging();
    QVERIFY(testsupport::waitFor([&] { return service.last() == 514; }, Patient));
    QVERIFY(device.isLiveLoggingEnabled());
    QCOMPARE(valueOf(device, "zkLoggingClientDestinationIp"), HostAddress);
    QCOMPARE(valueOf(device, "zkLoggingClientDestinationPort"), QString::number(syslogPort()));
    QCOMPARE(enumOf(device, "zkLoggingClientEventDelivery"), 2);
    QCOMPARE(enumOf(device, "zkLoggingClientTraceDelivery"), 2);
    QVERIFY(testsupport::waitFor([&] {
        return qAbs(valueOf(device, "zkSystemConfigPosixTime").toLongLong() - QDateTime::currentSecsSinceEpoch()
                    - QDateTime::currentDateTime().offsetFromUtc()) < 60;
    }, Patient));

    QTest::qWait(shown);
    device.stopLiveLogging();
    QVERIFY(testsupport::waitFor([&] { return service.last() == 512; }, Patient));
    QCOMPARE(enumOf(device, "zkLoggingClientEnable"), 1);
    QCOMPARE(service.states, (QList<int>{512, 513, 514, 515, 512}));

    // Stopping a client that is already off ends quietly.
    QTest::qWait(shown);
    device.stopLiveLogging();
    QVERIFY(testsupport::waitFor([&] { return service.states.size() == 7; }, Patient));
    QCOMPARE(service.states.mid(5), (QList<int>{515, 512}));
    QCOMPARE(events.count(513) + events.count(514), 0);
}

// A read of the device clock that failed just before the start (a busy
// agent) must not leave the clock unset: it is set once a read succeeds.
void TestDeviceLogDiagDevsim::clockUnknownAtStartIsSetLater()
{
    LiveDevice live(LogAddress);
    live.activate();
    TLinkDevice &device = live.device;
    ServiceStates service(device.getLiveLoggingService());
    QVERIFY(testsupport::waitFor([&] { return service.last() == 512; }, Patient));
    QCOMPARE(device.writeProperty("zkSystemConfigISOTime", "1970-01-02 00:00:00"), 0);
    QVERIFY(testsupport::waitFor([&] { return valueOf(device, "zkSystemConfigPosixTime").toInt() < 200000; }, Patient));

    AbstractProperty *clock = device.findProperty(QStringLiteral("zkSystemConfigPosixTime"));
    QVERIFY(clock);
    clock->setValid(false);
    device.startLiveLogging();
    QVERIFY(testsupport::waitFor([&] { return service.last() == 514; }, Patient));
    QVERIFY(testsupport::waitFor([&] {
        return qAbs(valueOf(device, "zkSystemConfigPosixTime").toLongLong() - QDateTime::currentSecsSinceEpoch()
                    - QDateTime::currentDateTime().offsetFromUtc()) < 60;
    }, Patient));

    QTest::qWait(InfoService::MinimumDisplayMs + 100);
    device.stopLiveLogging();
    QVERIFY(testsupport::waitFor([&] { return service.last() == 512; }, Patient));
}

void TestDeviceLogDiagDevsim::liveLogLinesReachWindow()
{
    LiveDevice live(LogAddress);
    live.activate();
    TLinkDevice &device = live.device;
    TLinkSyslogIf::instance()->addDevice(device.getUniqueId(), device.getProduct(), device.getSerialNumber(),
                                         LogAddress);
    QVERIFY(TLinkSyslogIf::instance()->isReceiving());

    // The device's lines come from its own address.
    QUdpSocket deviceSocket;
    QVERIFY(deviceSocket.bind(QHostAddress(LogAddress), 0));
    const auto send = [&](const QByteArray &line) {
        deviceSocket.writeDatagram(line, QHostAddress(HostAddress), quint16(syslogPort()));
    };
    // Lines of this run only, whatever an earlier run left in the file.
    const QString run = QString::number(QDateTime::currentMSecsSinceEpoch());
    const QString stored = QStringLiteral("stored line ") + run;
    const QString fresh = QStringLiteral("new line ") + run;
    send("<14>1 2026-12-10T14:00:00Z dev app - - - " + stored.toUtf8());

    LogWindow window;
    QVERIFY(testsupport::waitFor([&] {
        window.initTexts.clear();
        window.newTexts.clear();
        device.connectLiveLog(&window, SLOT(handleInitLogText(const QString &)), 999,
                              SLOT(handleNewLogText(const QString &)));
        const bool found = testsupport::waitFor([&] { return !window.initTexts.isEmpty(); }, 2000)
                           && window.initTexts.last().contains(stored);
        if (!found)
            device.disconnectLiveLog(&window, SLOT(handleInitLogText(const QString &)),
                                     SLOT(handleNewLogText(const QString &)));
        return found;
    }, Patient));

    send("<14>1 2026-12-10T14:00:01Z dev app - - - " + fresh.toUtf8());
    QVERIFY(testsupport::waitFor([&] { return !window.newTexts.isEmpty(); }, Patient));
    QCOMPARE(window.newTexts.size(), 1);
    QVERIFY2(window.newTexts.first().contains(fresh), qPrintable(window.newTexts.first()));

    // With live logging on, the device's own lines arrive as well.
    device.startLiveLogging();
    QVERIFY(testsupport::waitFor([&] {
        return !window.newTexts.filter(QStringLiteral("zkd: ")).isEmpty();
    }, Patient));
    // The device sends lines as soon as its client is on, before the start's
    // follow-up has confirmed it: stop only once the start has ended.
    QVERIFY(testsupport::waitFor([&] { return device.getLiveLoggingService()->getState() == 514; }, Patient));
    device.stopLiveLogging();
    QVERIFY(testsupport::waitFor([&] { return device.getLiveLoggingService()->getState() == 512; }, Patient));

    device.disconnectLiveLog(&window, SLOT(handleInitLogText(const QString &)),
                             SLOT(handleNewLogText(const QString &)));
    window.newTexts.clear();
    send("<14>1 2026-12-10T14:00:02Z dev app - - - unseen line");
    QTest::qWait(500);
    QVERIFY(window.newTexts.isEmpty());
    TLinkSyslogIf::instance()->removeDevice(device.getUniqueId());
}

void TestDeviceLogDiagDevsim::diagReportArrivesByTftp_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("stored");
    QTest::newRow("blanks removed") << QStringLiteral("Diag report.txt") << QStringLiteral("Diagreport.txt");
    // The name the diagnostics window proposes for a device whose alias
    // begins with dots: one the server takes, so the report arrives.
    const QString fromAlias = ZelDownloadPath::fileName(QStringLiteral("..hidden(4320)")) + QLatin1String(".diag");
    QTest::newRow("name from an alias beginning with dots") << fromAlias << QStringLiteral("hidden(4320).diag");
}

void TestDeviceLogDiagDevsim::diagReportArrivesByTftp()
{
    QFETCH(QString, chosen);
    QFETCH(QString, stored);
    EventLog events;
    TLinkTftpServerIf server(m_tftpPort);
    server.startServer();
    LiveDevice live(DiagAddress);
    live.activate();
    TLinkDevice &device = live.device;
    device.setTftpServer(&server);
    connect(&server, &TLinkTftpServerIf::receivedFile, &device, &TLinkDevice::tftpFileDownloaded);
    QVERIFY(testsupport::waitFor([&] { return device.getServices() & ServiceDiagReport; }, Patient));
    ServiceStates service(device.getDiagReportService());

    QTemporaryDir folder;
    device.downloadDiagReport(folder.path() + QLatin1Char('/') + chosen);
    QCOMPARE(QSettings().value(QStringLiteral("diag_rep/destination_path")).toString(), folder.path());
    QCOMPARE(server.uploadDir(), folder.path());
    // The device is told where to send the report, and under which name.
    QVERIFY(testsupport::waitFor([&] { return valueOf(device, "zkDiagReportFileName") == stored; }, Patient));
    QCOMPARE(valueOf(device, "zkDiagReportIpAddress"), HostAddress);
    QCOMPARE(valueOf(device, "zkDiagReportPortNumber"), QString::number(m_tftpPort));

    QVERIFY(testsupport::waitFor([&] { return service.last() == 1; }, Patient));
    QCOMPARE(service.states, (QList<int>{769, 1}));
    // The device has sent its report by TFTP into the chosen folder.
    QFile received(folder.filePath(stored));
    QVERIFY(received.open(QIODevice::ReadOnly));
    QVERIFY(received.size() > 0);
    QCOMPARE(events.count(769) + events.count(770), 0);
}

void TestDeviceLogDiagDevsim::diagReportTimesOut()
{
    EventLog events;
    LiveDevice live(DiagAddress);
    live.activate();
    TLinkDevice &device = live.device;
    QVERIFY(testsupport::waitFor([&] { return device.getServices() & ServiceDiagReport; }, Patient));
    ServiceStates service(device.getDiagReportService());
    device.setDiagReportTimeoutMs(2000);
    QTemporaryDir folder;
    device.downloadDiagReport(folder.filePath(QStringLiteral("late.txt")));
    QVERIFY(testsupport::waitFor([&] { return events.count(769) == 1; }, Patient));
    QVERIFY(testsupport::waitFor([&] { return service.last() == 1; }, Patient));
    QCOMPARE(service.states, (QList<int>{769, 1}));
    // A file that arrives afterwards changes nothing.
    device.tftpFileDownloaded(QStringLiteral("late.txt"));
    QTest::qWait(1200);
    QCOMPARE(service.states, (QList<int>{769, 1}));
    QCOMPARE(events.count(769), 1);
}

void TestDeviceLogDiagDevsim::diagReportNotStored()
{
    // The chosen folder is gone when the device sends its report: the
    // server refuses it and the user hears so at once.
    EventLog events;
    TLinkTftpServerIf server(m_tftpPort);
    server.startServer();
    LiveDevice live(DiagAddress);
    live.activate();
    TLinkDevice &device = live.device;
    device.setTftpServer(&server);
    device.setDiagReportTimeoutMs(60000);
    QVERIFY(testsupport::waitFor([&] { return device.getServices() & ServiceDiagReport; }, Patient));
    ServiceStates service(device.getDiagReportService());

    auto folder = std::make_unique<QTemporaryDir>();
    device.downloadDiagReport(folder->filePath(QStringLiteral("lost.txt")));
    folder.reset();
    QVERIFY(testsupport::waitFor([&] { return events.count(769) == 1; }, Patient));
    QVERIFY(testsupport::waitFor([&] { return service.last() == 1; }, Patient));
    QCOMPARE(service.states, (QList<int>{769, 1}));
}

namespace {

int addressLookups = 0;
QtMessageHandler previousHandler = nullptr;

void countAddressLookups(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.contains(QLatin1String("TLinkDevice::getDeviceHostAddress")))
        ++addressLookups;
    if (previousHandler)
        previousHandler(type, context, text);
}

} // namespace

void TestDeviceLogDiagDevsim::liveLoggingLooksUpAddressOnce()
{
    // While live logging is on, each change of the device's values checks
    // the logging client's destination; this computer's address on the
    // device's network is looked up again only when the interfaces change.
    LiveDevice live(LogAddress);
    live.activate();
    TLinkDevice &device = live.device;
    ServiceStates service(device.getLiveLoggingService());
    QVERIFY(testsupport::waitFor([&] { return service.last() == 512; }, Patient));
    QTest::qWait(InfoService::MinimumDisplayMs + 100);
    device.startLiveLogging();
    QVERIFY(testsupport::waitFor([&] { return service.last() == 514; }, Patient));

    previousHandler = qInstallMessageHandler(countAddressLookups);
    addressLookups = 0;
    // The device's clock changes its value every second.
    const QString start = valueOf(device, "zkSystemConfigPosixTime");
    QVERIFY(testsupport::waitFor([&] { return valueOf(device, "zkSystemConfigPosixTime").toLongLong()
                                              >= start.toLongLong() + 3; }, Patient));
    qInstallMessageHandler(previousHandler);
    // At most one look-up (its lines), not one per change.
    QVERIFY2(addressLookups <= 2, qPrintable(QString::number(addressLookups)));
    QVERIFY(device.isLiveLoggingEnabled());

    QTest::qWait(InfoService::MinimumDisplayMs + 100);
    device.stopLiveLogging();
    QVERIFY(testsupport::waitFor([&] { return service.last() == 512; }, Patient));
}

void TestDeviceLogDiagDevsim::mibFileFromDevice()
{
    // The device's web server hands out its MIB file at the path the model
    // list names.
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    LiveDevice live(DiagAddress);
    live.activate();
    TLinkDevice &device = live.device;
    device.setNetworkAccessManager(&manager);
    QVERIFY(device.getServices() & ServiceMibFile);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("device.mib"));
    QSignalSpy finished(&manager, &QNetworkAccessManager::finished);
    device.downloadMibFile(path);
    QVERIFY(finished.wait(Patient));
    QCoreApplication::processEvents();
    QFile mib(path);
    QVERIFY(mib.open(QIODevice::ReadOnly));
    QVERIFY(mib.readAll().contains("VANTOR-ZK4320-MIB DEFINITIONS"));
    QCOMPARE(QSettings().value(QStringLiteral("mibfile/destination_path")).toString(), folder.path());
}

void TestDeviceLogDiagDevsim::silentDeviceTimesOut()
{
    // A device that stops answering sends no values; the start of live
    // logging and the report still end in their failure events.
    testsupport::Peer sim;
    QVERIFY(testsupport::startDevsim(sim, {"--address", DyingAddress, "--no-slp", "--no-telnet", "--model", "4320"}));
    EventLog events;
    LiveDevice live(DyingAddress);
    live.activate();
    TLinkDevice &device = live.device;
    const Services_t wanted = ServiceLiveLogging | ServiceDiagReport;
    QVERIFY(testsupport::waitFor([&] { return (device.getServices() & wanted) == wanted; }, Patient));
    ServiceStates liveLogging(device.getLiveLoggingService());
    ServiceStates report(device.getDiagReportService());
    QVERIFY(testsupport::waitFor([&] { return liveLogging.last() == 512; }, Patient));
    sim.stop();

    device.setLiveLoggingTimeoutMs(2000);
    device.setDiagReportTimeoutMs(2000);
    QTemporaryDir folder;
    device.startLiveLogging();
    device.downloadDiagReport(folder.filePath(QStringLiteral("report.txt")));
    QVERIFY(testsupport::waitFor([&] { return events.count(513) >= 1 && events.count(769) == 1; }, Patient));
    QVERIFY(testsupport::waitFor([&] { return liveLogging.last() == 512 && report.last() == 1; }, Patient));
    QCOMPARE(liveLogging.states.mid(liveLogging.states.indexOf(513)), (QList<int>{513, 512}));
}

QTEST_GUILESS_MAIN(TestDeviceLogDiagDevsim)
#include "tst_devicelogdiagdevsim.moc"
