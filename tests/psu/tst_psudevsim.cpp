// The power supply interface against a simulated model 4411: reading its
// battery and branch settings, writing a changed record, a refused write.

#include "devicethreads.h"
#include "mibobjectnames.h"
#include "snmppsudevice.h"
#include "testsupport.h"
#include "tlinksnmpif.h"
#include "tpsubatteryif.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

namespace {

const QString DeviceAddress = QStringLiteral("127.0.1.42");

} // namespace

class TestPsuDevsim : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void readStoreAndReadBack();
    void tenthsWrittenExactly();
    void storeWritesOnlyChanges();
    void refusedWrite();

private:
    testsupport::Peer m_device;
};

void TestPsuDevsim::initTestCase()
{
    if (!testsupport::isRoot())
        QSKIP("port 161 on 127.0.1.x needs root");
    testsupport::setUpApplication();
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    QVERIFY(testsupport::startDevsim(m_device, {"--address", DeviceAddress, "--no-slp", "--model", "4411"}));
}

void TestPsuDevsim::readStoreAndReadBack()
{
    {
        SnmpPsuDevice device("psu42", DeviceAddress);
        TPsuBatteryIf psu(&device);
        QVERIFY(testsupport::waitFor([&] { return psu.getConfig().dataValid; }, 10000));
        psu_battery_cfg_t cfg = psu.getConfig();
        QCOMPARE(cfg.maxChargeCurrent, 5.0);
        QCOMPARE(cfg.maxChargeVoltage, 28.8);
        QCOMPARE(cfg.floatVoltage, 27.2);
        QCOMPARE(cfg.minAlarmVoltage, 21.0);
        QCOMPARE(cfg.maxAlarmVoltage, 30.0);
        QCOMPARE(cfg.minAlarmTemp, -10.0);
        QCOMPARE(cfg.maxAlarmTemp, 50.0);
        QCOMPARE(cfg.supplyBranch, 0);

        cfg.maxChargeCurrent = 2.0;
        cfg.maxChargeVoltage = 24.3;
        cfg.floatVoltage = 28.5;
        cfg.minAlarmTemp = -20.5;
        cfg.maxAlarmTemp = 110.0;
        cfg.supplyBranch = 0x8000 | 0x001 | 0x010 | 0x200; // one bit the window does not know
        QSignalSpy written(TLinkSNMPIf::instance(), &TLinkSNMPIf::getValuesDone);
        QSignalSpy completed(&psu, &TPsuBatteryIf::storeCompleted);
        psu.store(cfg);
        QVERIFY(completed.wait(10000));
        QCOMPARE(completed.first().at(0).value<TPsuBatteryIf::Result>(), TPsuBatteryIf::Stored);
        const snmp_req_list_t answer = written.first().at(0).value<snmp_req_list_t>();
        QCOMPARE(answer.kind, 4);
        QStringList texts;
        for (const auto &item : answer.items)
            texts.append(item.second);
        QCOMPARE(texts, (QStringList{"2000", "24300", "28500", "21000", "30000", "253", "383",
                                     QString::number(0x8211)}));
    }
    // A new reader sees what the device now holds.
    SnmpPsuDevice device("psu42b", DeviceAddress);
    TPsuBatteryIf psu(&device);
    QVERIFY(testsupport::waitFor([&] { return psu.getConfig().dataValid; }, 10000));
    QCOMPARE(psu.getConfig().maxChargeVoltage, 24.3);
    QCOMPARE(psu.getConfig().minAlarmTemp, -20.0);
    QCOMPARE(psu.getConfig().supplyBranch, 0x8211);
}

void TestPsuDevsim::tenthsWrittenExactly()
{
    // Every tenth the battery window takes is written as its whole mV or mA.
    SnmpPsuDevice device("psu42d", DeviceAddress);
    TPsuBatteryIf psu(&device);
    QVERIFY(testsupport::waitFor([&] { return psu.getConfig().dataValid; }, 10000));
    for (int tenths = 20; tenths <= 400; tenths += 7) {
        psu_battery_cfg_t cfg = psu.getConfig();
        cfg.maxChargeCurrent = tenths / 10.0;
        cfg.minAlarmTemp = -tenths / 20.0; // halves round away from zero
        QSignalSpy written(TLinkSNMPIf::instance(), &TLinkSNMPIf::getValuesDone);
        psu.store(cfg);
        QVERIFY(written.wait(10000));
        const snmp_req_list_t answer = written.first().at(0).value<snmp_req_list_t>();
        QCOMPARE(answer.items.value(0).second, QString::number(tenths * 100));
        QCOMPARE(answer.items.value(5).second, QString::number(std::llround(273.0 - tenths / 20.0)));
    }
}

void TestPsuDevsim::storeWritesOnlyChanges()
{
    // Against the record an editor started from, only the changed value is
    // written; an unchanged record writes nothing and ends as stored.
    SnmpPsuDevice device("psu42e", DeviceAddress);
    TPsuBatteryIf psu(&device);
    QVERIFY(testsupport::waitFor([&] { return psu.getConfig().dataValid; }, 10000));
    const psu_battery_cfg_t base = psu.getConfig();
    psu_battery_cfg_t cfg = base;
    cfg.floatVoltage = 26.5;
    QSignalSpy written(TLinkSNMPIf::instance(), &TLinkSNMPIf::getValuesDone);
    QSignalSpy completed(&psu, &TPsuBatteryIf::storeCompleted);
    psu.store(cfg, base);
    QVERIFY(completed.wait(10000));
    QCOMPARE(completed.first().at(0).value<TPsuBatteryIf::Result>(), TPsuBatteryIf::Stored);
    QCOMPARE(written.count(), 1);
    const snmp_req_list_t answer = written.first().at(0).value<snmp_req_list_t>();
    QCOMPARE(answer.items.size(), 1);
    QCOMPARE(answer.items.first().first, QStringLiteral("zkZk441xFloatVoltage"));
    QCOMPARE(answer.items.first().second, QStringLiteral("26500"));

    written.clear();
    completed.clear();
    psu.store(base, base);
    QVERIFY(completed.wait(10000));
    QCOMPARE(completed.first().at(0).value<TPsuBatteryIf::Result>(), TPsuBatteryIf::Stored);
    QCOMPARE(written.count(), 0);

    completed.clear();
    psu.store(base, cfg); // back to the unit's first value
    QVERIFY(completed.wait(10000));
}

void TestPsuDevsim::refusedWrite()
{
    SnmpPsuDevice device("psu42c", DeviceAddress);
    TPsuBatteryIf psu(&device);
    QVERIFY(testsupport::waitFor([&] { return psu.getConfig().dataValid; }, 10000));
    psu_battery_cfg_t cfg = psu.getConfig();
    const double before = cfg.maxAlarmTemp;
    cfg.maxAlarmTemp = 300.0; // 573 K: beyond what the unit takes
    QSignalSpy completed(&psu, &TPsuBatteryIf::storeCompleted);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Device data write ERROR"));
    psu.store(cfg);
    QVERIFY(completed.wait(10000));
    QCOMPARE(completed.first().at(0).value<TPsuBatteryIf::Result>(), TPsuBatteryIf::WriteError);
    QCOMPARE(psu.getConfig().maxAlarmTemp, before);
}

void TestPsuDevsim::cleanupTestCase()
{
    QVERIFY(endDeviceThreads());
}

QTEST_GUILESS_MAIN(TestPsuDevsim)
#include "tst_psudevsim.moc"
