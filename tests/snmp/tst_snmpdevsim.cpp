// The request layer and the engine against the device simulator on port 161,
// with the shipped MIB files.

#include "snmphelper.h"
#include "tlinkdevicecomm.h"
#include "tlinksnmpif.h"
#include "testsupport.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <memory>

namespace {

const QString DeviceAddress = QStringLiteral("127.0.1.10");
const QString SilentAddress = QStringLiteral("127.0.1.11");
const QString LackingAddress = QStringLiteral("127.0.1.12");
const QString LackedObject = QStringLiteral("zkLoggingClientDestinationPort");

} // namespace

class TestSnmpDevsim : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void requestLayer();
    void engineReadsEveryProperty();
    void listWrites_data();
    void listWrites();
    void changingValueReachesFacade();
    void errorAnswersAreNoValues();

private:
    testsupport::Peer m_device;
    testsupport::Peer m_silent;
    testsupport::Peer m_lacking;
};

void TestSnmpDevsim::initTestCase()
{
    if (!testsupport::isRoot())
        QSKIP("port 161 on 127.0.1.x needs root");
    QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
    QCoreApplication::setApplicationName(QStringLiteral("ZEL"));
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    QVERIFY(m_device.start(ZEL_DEVSIM, {"--address", DeviceAddress, "--no-slp", "--model", "4411"}));
    QVERIFY(m_device.waitForOutput("devsim ready", 10000));
    QVERIFY(m_silent.start(ZEL_DEVSIM, {"--address", SilentAddress, "--no-slp", "--silent"}));
    QVERIFY(m_silent.waitForOutput("devsim ready", 10000));
    QVERIFY(m_lacking.start(ZEL_DEVSIM, {"--address", LackingAddress, "--no-slp", "--model", "4411", "--missing",
                                         LackedObject + QStringLiteral(",sysContact")}));
    QVERIFY(m_lacking.waitForOutput("devsim ready", 10000));
}

void TestSnmpDevsim::requestLayer()
{
    // The object identifiers come from the shipped MIB files.
    TLinkDeviceComm engine;
    engine.addDevice("ids", DeviceAddress, "4411", "01.07", false);
    auto fromMib = [&](const char *name, const QString &value = QString()) {
        const snmp_property_t record = engine.getProperty("ids", name);
        return std::unique_ptr<snmp_req_t>(TLinkDeviceComm::buildRequest(record, value));
    };
    SNMPHelper *helper = SNMPHelper::instance();
    auto descr = fromMib("sysDescr");
    QVERIFY(descr->oidLength > 0);
    QCOMPARE(helper->get(DeviceAddress, descr.get()), 0);
    QVERIFY(descr->value.contains(QLatin1String("4411")));

    // GET-NEXT on the branch above an object gives the branch's first object.
    auto next = fromMib("zkSystemConfigAliasName");
    next->oidLength -= 2;
    QCOMPARE(helper->getNext(DeviceAddress, next.get()), 0);
    QVERIFY(next->index > 0);
    QVERIFY(next->done);
    QVERIFY(!next->value.isEmpty());

    auto alias = fromMib("zkSystemConfigAliasName", "Aft mast");
    QCOMPARE(helper->set(DeviceAddress, alias.get()), 0);
    alias->value.clear();
    QCOMPARE(helper->get(DeviceAddress, alias.get()), 0);
    QCOMPARE(alias->value, QStringLiteral("Aft mast"));

    auto address = fromMib("zkLoggingClientDestinationIp", "127.0.0.77");
    QCOMPARE(int(address->type), int(ASN_IPADDRESS));
    QCOMPARE(helper->set(DeviceAddress, address.get()), 0);
    QCOMPARE(helper->get(DeviceAddress, address.get()), 0);
    QCOMPARE(int(address->type), int(ASN_IPADDRESS));
    QCOMPARE(address->value, QStringLiteral("127.0.0.77"));

    auto lost = fromMib("sysDescr");
    QCOMPARE(helper->get(SilentAddress, lost.get()), int(STAT_TIMEOUT));
    engine.removeDevice("ids");
}

void TestSnmpDevsim::engineReadsEveryProperty()
{
    TLinkDeviceComm engine;
    engine.init();
    engine.stopTimer();
    engine.addDevice("dev", DeviceAddress, "4411", "01.07", false);
    QSignalSpy updated(&engine, &TLinkDeviceComm::updated);
    engine.timerOneSecTimeOut();
    QCOMPARE(updated.count(), 1);
    const QList<snmp_property_t> records = engine.getProperties("dev");
    QCOMPARE(records.size(), 49);
    for (const snmp_property_t &r : records)
        QVERIFY2(r.valueValid && !r.value.isEmpty(), qPrintable(r.mibObjectName));
    QCOMPARE(engine.getProperty("dev", "zkSystemConfigModelNumber").value, QStringLiteral("4411"));
    engine.removeDevice("dev");
}

void TestSnmpDevsim::listWrites_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("result");
    QTest::newRow("written and read back") << DeviceAddress
                                           << QStringList{"zkSystemConfigAliasName=Bow", "zkLoggingClientDestinationPort=5514"} << 1;
    QTest::newRow("read-only object") << DeviceAddress << QStringList{"zkSystemConfigSerialNumber=1"} << 3;
    QTest::newRow("unknown name") << DeviceAddress << QStringList{"zkNoSuchThing=1"} << 0;
    QTest::newRow("silent device") << SilentAddress << QStringList{"zkSystemConfigAliasName=Bow"} << 4;
}

void TestSnmpDevsim::listWrites()
{
    QFETCH(QString, address);
    QFETCH(QStringList, items);
    QFETCH(int, result);
    TLinkDeviceComm engine;
    engine.addDevice("dev", address, "4411", "01.07", false);
    QSignalSpy done(&engine, &TLinkDeviceComm::getValuesDone);
    snmp_req_list_t req;
    req.uniqueId = "dev";
    req.kind = 4;
    for (const QString &item : items)
        req.items.append({item.section('=', 0, 0), item.section('=', 1)});
    engine.setProperties(req);
    QCOMPARE(done.count(), 1);
    const snmp_req_list_t answer = done.first().at(0).value<snmp_req_list_t>();
    QCOMPARE(answer.result, result);
    if (result == 1)
        for (int i = 0; i < items.size(); ++i)
            QCOMPARE(answer.items.at(i).second, items.at(i).section('=', 1));
    engine.removeDevice("dev");
}

void TestSnmpDevsim::changingValueReachesFacade()
{
    // The device's clock object is polled every cycle while the device is active.
    TLinkSNMPIf *facade = TLinkSNMPIf::instance();
    QSignalSpy updated(facade, &TLinkSNMPIf::updated);
    facade->addDevice("active", DeviceAddress, "4411", "01.07");
    facade->setActiveDevice("active");
    QVERIFY(testsupport::waitFor([&] { return facade->getProperty("active", "zkSystemConfigPosixTime").valueValid; }, 5000));
    const QString first = facade->getProperty("active", "zkSystemConfigPosixTime").value;
    updated.clear();
    QVERIFY(testsupport::waitFor([&] { return facade->getProperty("active", "zkSystemConfigPosixTime").value != first; },
                                 3500));
    QVERIFY(testsupport::waitFor([&] { return !updated.isEmpty(); }, 1000));
    QCOMPARE(updated.first().at(0).toString(), QStringLiteral("active"));
    facade->setActiveDevice(QString());
    facade->removeDevice("active");
}

void TestSnmpDevsim::errorAnswersAreNoValues()
{
    // A device that lacks objects answers them with an error: no value is
    // made of that, neither by polling nor by a single read or a write.
    TLinkDeviceComm engine;
    engine.init();
    engine.stopTimer();
    engine.addDevice("lacking", LackingAddress, "4411", "01.07", false);
    QSignalSpy updated(&engine, &TLinkDeviceComm::updated);
    engine.timerOneSecTimeOut();
    QCOMPARE(updated.count(), 1);
    for (const snmp_property_t &r : engine.getProperties("lacking")) {
        const bool lacked = r.mibObjectName == LackedObject || r.mibObjectName == QLatin1String("sysContact");
        QVERIFY2(bool(r.valueValid) != lacked, qPrintable(r.mibObjectName));
        if (lacked)
            QVERIFY2(r.value.isEmpty(), qPrintable(r.mibObjectName + " = " + r.value));
    }

    QSignalSpy single(&engine, &TLinkDeviceComm::getValueDone);
    engine.sendGetReq("lacking", LackedObject);
    engine.setProperty("lacking", LackedObject, "5514");
    QCOMPARE(single.count(), 2);
    for (const QList<QVariant> &args : qAsConst(single)) {
        const snmp_get_value_t answer = args.at(0).value<snmp_get_value_t>();
        QVERIFY(!answer.ok);
        QVERIFY(answer.value.isEmpty());
    }
    QVERIFY(!engine.getProperty("lacking", LackedObject).valueValid);

    QSignalSpy list(&engine, &TLinkDeviceComm::getValuesDone);
    snmp_req_list_t req;
    req.uniqueId = "lacking";
    req.kind = 4;
    req.items = {{"zkSystemConfigAliasName", "Stern"}, {LackedObject, "5514"}};
    engine.setProperties(req);
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.first().at(0).value<snmp_req_list_t>().result, 3);
    engine.removeDevice("lacking");
}

QTEST_GUILESS_MAIN(TestSnmpDevsim)
#include "tst_snmpdevsim.moc"
