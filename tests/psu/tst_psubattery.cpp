// The power supply interface over a device whose values the test sets:
// unit conversion when reading, the data valid flag, and what each write
// outcome does.

#include "devicethreads.h"
#include "fakepsudevice.h"
#include "mibobjectnames.h"
#include "tlinkdevice.h"
#include "tpsubatteryif.h"
#include "tpsulinkdevice.h"

#include "testsupport.h"
#include "tlinksnmpif.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

namespace {

// The record field that the object at this position of the list fills.
double field(const psu_battery_cfg_t &cfg, int position)
{
    switch (position) {
    case 0: return cfg.maxChargeCurrent;
    case 1: return cfg.maxChargeVoltage;
    case 2: return cfg.floatVoltage;
    case 3: return cfg.minAlarmVoltage;
    case 4: return cfg.maxAlarmVoltage;
    case 5: return cfg.minAlarmTemp;
    case 6: return cfg.maxAlarmTemp;
    default: return cfg.supplyBranch;
    }
}

void fillAll(FakePsuDevice &device)
{
    const QStringList values = {"5000", "28800", "27200", "21000", "30000", "263", "323", "0"};
    for (int i = 0; i < psuPropertyNames.size(); ++i)
        device.setValue(psuPropertyNames.at(i), values.at(i));
}

} // namespace

class TestPsuBattery : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void readConversions_data();
    void readConversions();
    void dataValid();
    void deviceLackingObjects();
    void writeOutcome_data();
    void writeOutcome();
    void deviceObject();
};

void TestPsuBattery::initTestCase()
{
    testsupport::setUpApplication();
}

void TestPsuBattery::readConversions_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("mV to V") << 1 << "24000" << 24.0;
    QTest::newRow("mV fraction") << 2 << "27250" << 27.25;
    QTest::newRow("mA to A") << 0 << "1500" << 1.5;
    QTest::newRow("K to C") << 5 << "253" << -20.0;
    QTest::newRow("zero K") << 6 << "0" << -273.0;
    QTest::newRow("no number, current") << 0 << "lots" << 0.0;
    QTest::newRow("no number, temperature") << 5 << "warm" << -273.0;
    QTest::newRow("mask") << 7 << "1137" << 1137.0;
}

void TestPsuBattery::readConversions()
{
    QFETCH(int, position);
    QFETCH(QString, text);
    QFETCH(double, expected);
    FakePsuDevice device;
    fillAll(device);
    device.setValue(psuPropertyNames.at(position), text);
    TPsuBatteryIf psu(&device);
    QCOMPARE(field(psu.getConfig(), position), expected);
    QVERIFY(psu.getConfig().dataValid);
}

void TestPsuBattery::dataValid()
{
    FakePsuDevice device;
    device.setValue(psuPropertyNames.at(0), "5000");
    TPsuBatteryIf psu(&device);
    QSignalSpy updated(&psu, &TPsuBatteryIf::updated);
    QVERIFY(!psu.getConfig().dataValid);
    QCOMPARE(psu.getConfig().maxChargeVoltage, 0.0);

    fillAll(device);
    device.announce();
    QCOMPARE(updated.count(), 1);
    QVERIFY(psu.getConfig().dataValid);
    QCOMPARE(psu.getConfig().maxChargeVoltage, 28.8);

    // Complete, and still following: what another window stored shows here.
    device.setValue(psuPropertyNames.at(1), "24000");
    device.announce();
    QCOMPARE(updated.count(), 2);
    QCOMPARE(psu.getConfig().maxChargeVoltage, 24.0);
}

void TestPsuBattery::deviceLackingObjects()
{
    FakePsuDevice device(psuPropertyNames.mid(0, 3) + QStringList{psuPropertyNames.at(7)});
    for (const QString &name : psuPropertyNames)
        device.setValue(name, "1000");
    TPsuBatteryIf psu(&device);
    const psu_battery_cfg_t cfg = psu.getConfig();
    QVERIFY(!cfg.dataValid);
    QCOMPARE(cfg.floatVoltage, 1.0);
    QCOMPARE(cfg.minAlarmVoltage, 0.0);
    QCOMPARE(cfg.supplyBranch, 1000);
}

void TestPsuBattery::writeOutcome_data()
{
    QTest::addColumn<int>("res");
    QTest::addColumn<int>("result");
    QTest::addColumn<double>("voltageAfterWrite");   // record right after the outcome
    QTest::addColumn<double>("voltageAfterUpdate");  // record after the device's next update
    QTest::newRow("written") << 1 << int(TPsuBatteryIf::Stored) << 24.0 << 24.0;
    QTest::newRow("read back later") << 2 << int(TPsuBatteryIf::Stored) << 28.8 << 24.0;
    QTest::newRow("refused") << 3 << int(TPsuBatteryIf::WriteError) << 28.8 << 28.8;
    QTest::newRow("timed out") << 4 << int(TPsuBatteryIf::WriteTimeout) << 28.8 << 28.8;
    QTest::newRow("unknown device") << 0 << int(TPsuBatteryIf::WriteTimeout) << 28.8 << 28.8;
}

void TestPsuBattery::writeOutcome()
{
    QFETCH(int, res);
    QFETCH(int, result);
    QFETCH(double, voltageAfterWrite);
    QFETCH(double, voltageAfterUpdate);
    FakePsuDevice device;
    fillAll(device);
    TPsuBatteryIf psu(&device);
    QSignalSpy completed(&psu, &TPsuBatteryIf::storeCompleted);
    psu_battery_cfg_t cfg = psu.getConfig();
    cfg.maxChargeVoltage = 24.0;
    psu.store(cfg);
    QCOMPARE(psu.getConfig().maxChargeVoltage, 28.8); // the record changes only when read again

    if (res == 1 || res == 2)
        device.setValue(psuPropertyNames.at(1), "24000");
    device.finishWrite(res);
    QCOMPARE(completed.count(), 1);
    QCOMPARE(completed.first().at(0).value<TPsuBatteryIf::Result>(), TPsuBatteryIf::Result(result));
    QCOMPARE(psu.getConfig().maxChargeVoltage, voltageAfterWrite);
    device.announce();
    QCOMPARE(psu.getConfig().maxChargeVoltage, voltageAfterUpdate);

    // Whatever the outcome, the record goes on following the device.
    device.setValue(psuPropertyNames.at(1), "25000");
    device.announce();
    QCOMPARE(psu.getConfig().maxChargeVoltage, 25.0);
}

void TestPsuBattery::deviceObject()
{
    // Through a device object: its signals reach the interface, its id goes with the write.
    device_param_t p;
    p.srvurl = QStringLiteral("service:device.vantor://127.0.2.61");
    p.model = QStringLiteral("4411");
    p.uniqueId = QStringLiteral("psu-device-object");
    TLinkDevice device(p, nullptr);
    TPsuLinkDevice view(&device);
    QCOMPARE(view.getUniqueId(), p.uniqueId);
    TPsuBatteryIf psu(&view);
    QSignalSpy updated(&psu, &TPsuBatteryIf::updated);
    QSignalSpy completed(&psu, &TPsuBatteryIf::storeCompleted);
    emit device.updated(&device);
    QCOMPARE(updated.count(), 1);
    QVERIFY(!psu.getConfig().dataValid); // the device knows none of the unit's objects
    psu.store(psu.getConfig());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Device data write ERROR"));
    emit device.updatedConfigProperties(3);
    QCOMPARE(completed.count(), 1);
    QCOMPARE(completed.first().at(0).value<TPsuBatteryIf::Result>(), TPsuBatteryIf::WriteError);
}

void TestPsuBattery::cleanupTestCase()
{
    QVERIFY(endDeviceThreads());
}

QTEST_GUILESS_MAIN(TestPsuBattery)
#include "tst_psubattery.moc"
