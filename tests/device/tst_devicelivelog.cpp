// The live logging follow-up on fed property values: what the device's
// logging client reports decides the service state, a start or stop ends
// when the device confirms it or with a failure event after its time-out.

#include "eventlog.h"
#include "infodevicemodelarray.h"
#include "infoservice.h"
#include "testdevice.h"
#include "testsupport.h"
#include "tlinkdevice.h"

#include <QtTest>

namespace {

snmp_property_t record(const QString &name, int kind)
{
    snmp_property_t r;
    r.mibObjectName = name;
    r.displayName = name;
    r.kind = kind;
    r.groupName = QStringLiteral("g");
    r.writable = 1;
    if (kind == 3)
        r.enumValues = {{1, QStringLiteral("disabled")}, {2, QStringLiteral("enabled")}};
    return r;
}

// The device reports its logging client: "on" points it at this program
// and switches it on, "off" switches it off, "port" points it elsewhere,
// "quiet" leaves the event delivery off.
void report(TLinkDevice &device, const QString &client)
{
    const QString port = QSettings().value(QStringLiteral("syslog_server/portnumber")).toString();
    const QList<QPair<QString, QString>> values{
        {QStringLiteral("zkLoggingClientDestinationIp"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("zkLoggingClientDestinationPort"), client == QLatin1String("port") ? "1" : port},
        {QStringLiteral("zkLoggingClientEventDelivery"), client == QLatin1String("quiet") ? "1" : "2"},
        {QStringLiteral("zkLoggingClientEnable"), client == QLatin1String("off") ? "1" : "2"}};
    for (const auto &value : values) {
        snmp_get_value_t v;
        v.uniqueId = device.getUniqueId();
        v.mibObjectName = value.first;
        v.value = value.second;
        v.ok = true;
        device.propertyUpdated(v);
    }
}

} // namespace

class TestDeviceLiveLog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void followUp_data();
    void followUp();
};

void TestDeviceLiveLog::initTestCase()
{
    testsupport::setUpApplication();
    InfoDeviceModelArray::setModelListFile(testsupport::fixture("device_svc_modellist.xml"));
}

void TestDeviceLiveLog::followUp_data()
{
    QTest::addColumn<QString>("before");  // the client as first reported
    QTest::addColumn<QString>("action");  // "start", "stop" or nothing
    QTest::addColumn<QString>("after");   // the client reported after the action
    QTest::addColumn<int>("state");       // the service at the end
    QTest::addColumn<int>("event");       // the one failure event, or 0

    QTest::newRow("found off") << "off" << "" << "off" << 512 << 0;
    QTest::newRow("found on") << "on" << "" << "on" << 514 << 0;
    QTest::newRow("other destination is off") << "port" << "" << "port" << 512 << 0;
    QTest::newRow("no event delivery is off") << "quiet" << "" << "quiet" << 512 << 0;
    QTest::newRow("switched on elsewhere") << "off" << "" << "on" << 514 << 0;
    QTest::newRow("switched off elsewhere") << "on" << "" << "off" << 512 << 0;
    QTest::newRow("start confirmed") << "off" << "start" << "on" << 514 << 0;
    QTest::newRow("start not confirmed") << "off" << "start" << "off" << 512 << 513;
    QTest::newRow("stop confirmed") << "on" << "stop" << "off" << 512 << 0;
    QTest::newRow("stop not confirmed") << "on" << "stop" << "on" << 514 << 514;
    QTest::newRow("stop when already off") << "off" << "stop" << "off" << 512 << 0;
}

void TestDeviceLiveLog::followUp()
{
    QFETCH(QString, before);
    QFETCH(QString, action);
    QFETCH(QString, after);
    QFETCH(int, state);
    QFETCH(int, event);

    EventLog events;
    TLinkDevice device(makeParam(QStringLiteral("127.0.2.224")), nullptr);
    snmp_group_t group;
    group.name = QStringLiteral("g");
    device.initPropertyGroups({group});
    device.initProperties({record(QStringLiteral("zkLoggingClientEnable"), 3),
                           record(QStringLiteral("zkLoggingClientDestinationIp"), 2),
                           record(QStringLiteral("zkLoggingClientDestinationPort"), 1),
                           record(QStringLiteral("zkLoggingClientEventDelivery"), 3)});
    device.setLiveLoggingTimeoutMs(300);
    InfoService *service = device.getLiveLoggingService();

    report(device, before);
    QVERIFY(device.getServices() & ServiceLiveLogging);
    if (action == QLatin1String("start"))
        device.startLiveLogging();
    else if (action == QLatin1String("stop"))
        device.stopLiveLogging();
    report(device, after);

    // Past the time-out, with the device still reporting: a failure is seen
    // by its event, whenever the busy machine lets the time-out fire; without
    // a failure the time-out passes quietly.
    if (event)
        QVERIFY(testsupport::waitFor([&] { return events.count(event) > 0; }, 3000));
    else
        QTest::qWait(400);
    report(device, after);
    QVERIFY(testsupport::waitFor([&] { return service->getState() == state; }, 3000));
    QCOMPARE(device.isLiveLoggingEnabled(), state == 514);
    const int failures = events.count(513) + events.count(514);
    QCOMPARE(failures, event ? 1 : 0);
    if (event)
        QCOMPARE(events.count(event), 1);
}

QTEST_GUILESS_MAIN(TestDeviceLiveLog)
#include "tst_devicelivelog.moc"
