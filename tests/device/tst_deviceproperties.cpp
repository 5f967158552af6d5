// The device object's property groups and properties: building them from
// records, readings, list results and full refreshes, writes, property
// access and the device status evaluated from the property values.

#include "abstractproperty.h"
#include "enumproperty.h"
#include "enumvalue.h"
#include "eventlog.h"
#include "infodevicemodelarray.h"
#include "infoservice.h"
#include "propertygroup.h"
#include "testdevice.h"
#include "testsupport.h"
#include "tlinkdevice.h"
#include "tlinksnmpif.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

snmp_group_t group(const QString &name)
{
    snmp_group_t g;
    g.name = name;
    g.displayName = name.toUpper();
    return g;
}

snmp_property_t record(const QString &name, int kind, const QString &groupName, bool writable = true)
{
    snmp_property_t r;
    r.mibObjectName = name;
    r.displayName = name;
    r.kind = kind;
    r.groupName = groupName;
    r.writable = writable ? 1 : 0;
    if (kind == 3)
        r.enumValues = {{0, QStringLiteral("off")}, {1, QStringLiteral("on")}};
    return r;
}

snmp_get_value_t reading(const QString &uniqueId, const QString &name, const QString &value, bool ok = true)
{
    snmp_get_value_t v;
    v.uniqueId = uniqueId;
    v.mibObjectName = name;
    v.value = value;
    v.ok = ok;
    return v;
}

// A device with groups "gA" and "gB" and an integer, a text, an enumeration
// and a read-only property.
void buildProperties(TLinkDevice &device)
{
    device.initPropertyGroups({group("gA"), group("gB")});
    device.initProperties({record("intA", 1, "gA"), record("textB", 2, "gB"), record("enumA", 3, "gA"),
                           record("readOnly", 1, "gA", false), record("loose", 4, "noSuchGroup"),
                           record("intA", 2, "gA")});
}

// The status objects of the fixture model 9002.
void buildStatusProperties(TLinkDevice &device)
{
    snmp_property_t status = record("zkSoftwareDownloadStatus", 3, "g");
    status.enumValues.clear();
    const char *const names[] = {"illegal", "init", "started", "aborted", "failed", "ready"};
    for (int i = 0; i < 6; ++i)
        status.enumValues.append({i, QLatin1String(names[i])});
    device.initPropertyGroups({group("g")});
    device.initProperties({status, record("zkSoftwareDownloadErrorDescription", 2, "g"),
                           record("zkZk441xSupplyBranch", 1, "g")});
}

} // namespace

class TestDeviceProperties : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void groupsFromRecords();
    void writesReachSnmpOnlyFromCurrentGroups();
    void readings_data();
    void readings();
    void serviceBitsByReading();
    void listResults_data();
    void listResults();
    void fullRefresh();
    void propertyAccess();
    void deviceStatus_data();
    void deviceStatus();
    void unknownStatusOffline();
};

void TestDeviceProperties::initTestCase()
{
    testsupport::setUpApplication();
    InfoDeviceModelArray::setModelListFile(testsupport::fixture("device_modellist.xml"));
}

void TestDeviceProperties::groupsFromRecords()
{
    TLinkDevice device(makeParam("127.0.2.5", "9002"), nullptr);
    buildProperties(device);
    QList<PropertyGroup *> groups = device.getPropertyGroups();
    QCOMPARE(groups.size(), 3);
    QCOMPARE(groups.last()->getName(), QStringLiteral("orphanPropertyGroup"));
    QCOMPARE(groups.last()->getFlagR(), 1);
    QCOMPARE(groups.at(0)->getProperties().size(), 3);
    QCOMPARE(groups.at(1)->findProperty("intA"), -1);
    QCOMPARE(groups.at(2)->findProperty("loose"), 0);
    QCOMPARE(groups.at(2)->getProperty(0)->getType(), int(AbstractProperty::StringType));
    QCOMPARE(device.findPropertyGroupIndex(QString()), 2);
    QCOMPARE(device.findPropertyGroupIndex("gB"), 1);

    device.setMonitoredProperties({"textB", "missing", "intA"});
    QCOMPARE(device.getMonitoredProperties().size(), 2);
    QCOMPARE(device.getMonitoredProperties().at(0)->getName(), QStringLiteral("textB"));

    // A second group notice leaves exactly the new groups and one catch-all
    // group; the monitored list follows the new properties.
    device.initPropertyGroups({group("gC")});
    groups = device.getPropertyGroups();
    QCOMPARE(groups.size(), 2);
    QCOMPARE(groups.first()->getName(), QStringLiteral("gC"));
    QCOMPARE(groups.last()->getName(), QStringLiteral("orphanPropertyGroup"));
    device.initProperties({record("intA", 1, "gC"), record("textB", 2, "gB")});
    QCOMPARE(device.getMonitoredProperties().size(), 2);
    QCOMPARE(device.getMonitoredProperties().at(1), device.findProperty("intA"));

    device.setMonitoredProperties({});
    QVERIFY(device.getMonitoredProperties().isEmpty());

    // Without groups, records are dropped.
    TLinkDevice bare(makeParam("127.0.2.6", "9002"), nullptr);
    bare.initProperties({record("intA", 1, "gA")});
    QVERIFY(bare.getPropertyGroups().isEmpty());
    QVERIFY(!bare.findProperty("intA"));
}

void TestDeviceProperties::writesReachSnmpOnlyFromCurrentGroups()
{
    // The facade answers every write once, also for a device it does not know.
    TLinkDevice device(makeParam("127.0.2.5", "9002"), nullptr);
    buildProperties(device);
    AbstractProperty *old = device.findProperty("intA");
    device.initPropertyGroups({group("gA")});
    device.initProperties({record("intA", 1, "gA")});
    AbstractProperty *current = device.findProperty("intA");
    QVERIFY(current && current != old);

    QSignalSpy answers(TLinkSNMPIf::instance(), &TLinkSNMPIf::getValueDone);
    QVERIFY(old->writeValue("7"));
    QVERIFY(current->writeValue("8"));
    QVERIFY(testsupport::waitFor([&] { return !answers.isEmpty(); }, 5000));
    QTest::qWait(300);
    QCOMPARE(answers.count(), 1);
    const snmp_get_value_t answer = answers.first().at(0).value<snmp_get_value_t>();
    QCOMPARE(answer.uniqueId, device.getUniqueId());
    QCOMPARE(answer.mibObjectName, QStringLiteral("intA"));
    // The stored value waits for the device's report.
    QVERIFY(current->getValue().isEmpty());
}

void TestDeviceProperties::readings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QString>("valueText");
    QTest::newRow("integer unchanged") << "intA" << "42" << "42" << true << false << "42";
    QTest::newRow("integer changed") << "intA" << "42" << "43" << true << true << "43";
    QTest::newRow("text changed") << "textB" << "a" << "b" << true << true << "b";
    QTest::newRow("enumeration unchanged") << "enumA" << "1" << "1" << true << false << "on";
    QTest::newRow("enumeration without value name") << "enumA" << "1" << "2" << true << true << "on";
    QTest::newRow("enumeration changed") << "enumA" << "1" << "0" << true << true << "off";
    QTest::newRow("failed reading") << "intA" << "" << "5" << false << false << "";
}

void TestDeviceProperties::readings()
{
    QFETCH(QString, name);
    QFETCH(QString, before);
    QFETCH(QString, value);
    QFETCH(bool, ok);
    QFETCH(bool, changed);
    QFETCH(QString, valueText);
    TLinkDevice device(makeParam("127.0.2.5", "9002"), nullptr);
    buildProperties(device);
    if (!before.isEmpty())
        device.propertyUpdated(reading(device.getUniqueId(), name, before));
    QSignalSpy updated(&device, SIGNAL(updated(TLinkDeviceIf *)));
    device.propertyUpdated(reading(device.getUniqueId(), name, value, ok));
    QCOMPARE(updated.count(), changed ? 1 : 0);
    AbstractProperty *property = device.findProperty(name);
    QCOMPARE(property->getValue(), valueText);
    QCOMPARE(property->isValid(), ok);
}

void TestDeviceProperties::serviceBitsByReading()
{
    // Every model has zkSoftwareDownloadStatus as its software update
    // service; model 9002 also as its device status service.
    struct Case { const char *model; Services_t bits; int emissions; };
    for (const Case &c : {Case{"9001", ServiceSoftwareUpdate, 1},
                          Case{"9002", ServiceSoftwareUpdate | ServiceDeviceStatus, 2}}) {
        EventLog events;
        TLinkDevice device(makeParam("127.0.2.5", c.model), nullptr);
        QSignalSpy services(&device, &TLinkDeviceIf::updatedServiceList);
        events.clear();
        device.propertyUpdated(reading(device.getUniqueId(), "zkSoftwareDownloadStatus", "1", false));
        QCOMPARE(device.getServices(), Services_t(0));
        device.propertyUpdated(reading(device.getUniqueId(), "zkSoftwareDownloadStatus", "1"));
        device.propertyUpdated(reading(device.getUniqueId(), "zkSoftwareDownloadStatus", "2"));
        QCOMPARE(device.getServices(), c.bits);
        QCOMPARE(services.count(), c.emissions);
        // The device status service starts once.
        QCOMPARE(events.count(1792), (c.bits & ServiceDeviceStatus) ? 1 : 0);
    }
}

void TestDeviceProperties::listResults_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<int>("configResult");
    QTest::addColumn<int>("event");
    QTest::addColumn<int>("updates");
    QTest::newRow("configuration written") << 4 << 1 << true << 1 << 0 << 1;
    QTest::newRow("configuration refused") << 4 << 3 << false << 3 << 0 << 0;
    QTest::newRow("configuration timed out") << 4 << 4 << false << 4 << 0 << 0;
    QTest::newRow("live logging start failed") << 1 << 3 << false << -1 << 513 << 1;
    QTest::newRow("live logging stop failed") << 2 << 3 << false << -1 << 514 << 1;
    QTest::newRow("diagnostic report written") << 3 << 1 << true << -1 << 0 << 1;
}

void TestDeviceProperties::listResults()
{
    QFETCH(int, kind);
    QFETCH(int, result);
    QFETCH(bool, stored);
    QFETCH(int, configResult);
    QFETCH(int, event);
    QFETCH(int, updates);
    EventLog events;
    TLinkDevice device(makeParam("127.0.2.5", "9002"), nullptr);
    buildProperties(device);
    QSignalSpy config(&device, &TLinkDeviceIf::updatedConfigProperties);
    QSignalSpy updated(&device, SIGNAL(updated(TLinkDeviceIf *)));
    events.clear();
    snmp_req_list_t list;
    list.uniqueId = device.getUniqueId();
    list.kind = kind;
    list.items = {{"intA", "12"}, {"textB", "Bow"}};
    list.result = result;
    device.propertiesUpdated(list);
    QCOMPARE(device.findProperty("intA")->getValue(), stored ? QStringLiteral("12") : QString());
    QCOMPARE(device.findProperty("textB")->getValue(), stored ? QStringLiteral("Bow") : QString());
    QCOMPARE(config.count(), configResult < 0 ? 0 : 1);
    if (configResult >= 0)
        QCOMPARE(config.first().at(0).value<snmp_req_res_t>(), configResult);
    QCOMPARE(events.ids(), event ? QList<int>{event} : QList<int>());
    QCOMPARE(updated.count(), updates);
}

void TestDeviceProperties::fullRefresh()
{
    TLinkDevice device(makeParam("127.0.2.5", "9002"), nullptr);
    buildProperties(device);
    QSignalSpy updated(&device, SIGNAL(updated(TLinkDeviceIf *)));
    snmp_property_t intA = record("intA", 1, "gA");
    intA.value = QStringLiteral("5");
    intA.valueValid = 1;
    snmp_property_t loose = record("loose", 4, QString());
    loose.value = QStringLiteral("10.0.0.1");
    snmp_property_t misplaced = record("textB", 2, "gA"); // only its own group is searched
    misplaced.value = QStringLiteral("x");
    device.allPropertiesUpdated({intA, loose, misplaced});
    QCOMPARE(updated.count(), 1);
    QCOMPARE(device.findProperty("intA")->getValue(), QStringLiteral("5"));
    QVERIFY(device.findProperty("intA")->isValid());
    QCOMPARE(device.findProperty("loose")->getValue(), QStringLiteral("10.0.0.1"));
    QVERIFY(!device.findProperty("loose")->isValid());
    QVERIFY(device.findProperty("textB")->getValue().isEmpty());

    device.allPropertiesUpdated({intA});
    QCOMPARE(updated.count(), 1);
}

void TestDeviceProperties::propertyAccess()
{
    TLinkDevice device(makeParam("127.0.2.5", "9002"), nullptr);
    buildProperties(device);
    qint32 number = -1;
    QString text;
    EnumValue *value = nullptr;
    QCOMPARE(device.readIntProperty("intA", number), 1);
    QCOMPARE(device.readIntProperty("none", number), -1);
    QCOMPARE(device.readStringProperty("textB", text), 1);
    QCOMPARE(device.readEnumProperty("enumA", value), 1);
    QCOMPARE(device.readEnumProperty("intA", value), -1);

    const QString id = device.getUniqueId();
    device.propertyUpdated(reading(id, "intA", "42"));
    device.propertyUpdated(reading(id, "textB", "Bow"));
    device.propertyUpdated(reading(id, "enumA", "1"));
    QCOMPARE(device.readIntProperty("intA", number), 0);
    QCOMPARE(number, 42);
    QCOMPARE(device.readStringProperty("textB", text), 0);
    QCOMPARE(text, QStringLiteral("Bow"));
    QCOMPARE(device.readEnumProperty("enumA", value), 0);
    QCOMPARE(value->getText(), QStringLiteral("on"));
    // A valid value that names no enumeration value is no value.
    device.propertyUpdated(reading(id, "enumA", "9"));
    QCOMPARE(device.readEnumProperty("enumA", value), -1);

    QSignalSpy request(device.findProperty("intA"), &AbstractProperty::setValueRequest);
    QCOMPARE(device.writeProperty("intA", 43), 0);
    QCOMPARE(request.count(), 1);
    QCOMPARE(request.first().at(0).toString(), QStringLiteral("43"));
    QCOMPARE(device.writeProperty("readOnly", QStringLiteral("1")), -1);
    QCOMPARE(device.writeProperty("none", QStringLiteral("1")), -1);
}

void TestDeviceProperties::deviceStatus_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("description");
    const QString download = QStringLiteral("zkSoftwareDownloadStatus=");
    const QString error = QStringLiteral("zkSoftwareDownloadErrorDescription=");
    const QString branch = QStringLiteral("zkZk441xSupplyBranch=");
    QTest::newRow("error with details") << QStringList{download + "4", error + "Flash write", branch + "1"} << 1796
                                        << "Download: failed"
                                        << "Download error= Flash write\nBranches: configured\n";
    QTest::newRow("warning") << QStringList{download + "5", error + "none", branch + "0"} << 1794
                             << "Branches: jumper" << "Download error= none\nBranches: jumper\n";
    QTest::newRow("tie keeps the first") << QStringList{download + "3", branch + "0"} << 1794 << "Download: aborted"
                                         << "Branches: jumper\n";
    QTest::newRow("all ok") << QStringList{download + "5", branch + "1"} << 1793 << "Download: ready" << "";
    QTest::newRow("read but no rule holds") << QStringList{download + "2"} << 1794 << "Warning" << "";
}

void TestDeviceProperties::deviceStatus()
{
    QFETCH(QStringList, values);
    QFETCH(int, status);
    QFETCH(QString, text);
    QFETCH(QString, description);
    TLinkDevice device(makeParam("127.0.2.5", "9002"), nullptr);
    buildStatusProperties(device);
    for (const QString &value : values)
        device.propertyUpdated(reading(device.getUniqueId(), value.section('=', 0, 0), value.section('=', 1)));
    QVERIFY(device.getServices() & ServiceDeviceStatus);
    device.updateDeviceStatus();
    QString statusText;
    QString statusDescription;
    QCOMPARE(device.getConnectionStatus(statusText, statusDescription), status);
    QCOMPARE(statusText, text);
    QCOMPARE(statusDescription, description);
    QVERIFY(testsupport::waitFor([&] { return device.getDeviceStatusService()->getState() == status; }, 3000));
}

void TestDeviceProperties::unknownStatusOffline()
{
    EventLog events;
    TLinkDevice device(makeParam("127.0.2.5", "9002"), nullptr);
    buildStatusProperties(device);
    // Without values the device is just connected.
    device.updateDeviceStatus();
    QCOMPARE(device.getDeviceStatusService()->getState(), 1793);

    device.setOnline(false);
    events.clear();
    device.updateDeviceStatus();
    QVERIFY(testsupport::waitFor([&] { return device.getDeviceStatusService()->getState() == 1792; }, 3000));
    device.updateDeviceStatus();
    QCOMPARE(events.count(1796), 1);
    QCOMPARE(events.events().first().text, QStringLiteral(" Unknown status"));
    QString statusText;
    QString statusDescription;
    QCOMPARE(device.getConnectionStatus(statusText, statusDescription), 1797);
    QCOMPARE(statusText, QStringLiteral("Offline"));
}

QTEST_GUILESS_MAIN(TestDeviceProperties)
#include "tst_deviceproperties.moc"
