// The firmware certificate: the lines of each certificate method and their
// order, the antenna data read over SNMP (from property values, and from a
// 4350 device simulator) and the telnet debug session's production data.

#include "devicerelay.h"
#include "infodevicemodelarray.h"
#include "propertygroup.h"
#include "testdevice.h"
#include "testsupport.h"
#include "tlinkdevice.h"
#include "tlinkdevicedebugif.h"
#include "tlinkdevicedebugsession.h"
#include "tlinksnmpif.h"

#include <QtTest>

namespace {

const QString AntennaAddress = QStringLiteral("127.0.1.83");
const QString TelnetAddress = QStringLiteral("127.0.2.221");
constexpr int DeviceClock = 1500000000; // 2017-07-14 02:40 UTC

snmp_property_t record(const QString &name, int kind)
{
    snmp_property_t r;
    r.mibObjectName = name;
    r.displayName = name;
    r.kind = kind;
    r.groupName = QStringLiteral("g");
    return r;
}

void setValue(TLinkDevice &device, const QString &name, const QString &value)
{
    snmp_get_value_t v;
    v.uniqueId = device.getUniqueId();
    v.mibObjectName = name;
    v.value = value;
    v.ok = true;
    device.propertyUpdated(v);
}

// The device's clock and antenna objects; a null value leaves the object
// out, "?" leaves it without a value.
void buildAntennaProperties(TLinkDevice &device, int clock, const QString &serial, const QString &lifetime)
{
    snmp_group_t group;
    group.name = QStringLiteral("g");
    device.initPropertyGroups({group});
    QList<snmp_property_t> records{record(QStringLiteral("zkSystemConfigPosixTime"), 1)};
    if (!serial.isNull())
        records.append(record(QStringLiteral("zk9xxxAduMainPcbSerial"), 2));
    if (!lifetime.isNull())
        records.append(record(QStringLiteral("zk9xxxAduLifetime"), 1));
    device.initProperties(records);
    setValue(device, QStringLiteral("zkSystemConfigPosixTime"), QString::number(clock));
    if (!serial.isNull() && serial != QLatin1String("?"))
        setValue(device, QStringLiteral("zk9xxxAduMainPcbSerial"), serial);
    if (!lifetime.isNull() && lifetime != QLatin1String("?"))
        setValue(device, QStringLiteral("zk9xxxAduLifetime"), lifetime);
}

// Records what a report window receives, in order.
class CertificateWindow : public QObject
{
    Q_OBJECT
public slots:
    void handleCertificate(const QString &text) { log.append(text); }
    void handleCertificateFinished(TLinkDeviceIf *device)
    {
        log.append(QStringLiteral("finished"));
        finishedBy = device;
    }

public:
    void request(TLinkDevice &device)
    {
        device.requestCertificate(this, SLOT(handleCertificate(QString)),
                                  SLOT(handleCertificateFinished(TLinkDeviceIf *)));
    }
    QStringList log;
    TLinkDeviceIf *finishedBy = nullptr;
};

// The time code of the certificate at the device clock, or of this host's
// clock now when the device clock is not set.
QString timeCode(int clock)
{
    return TLinkDevice::getDateCode(clock > 1317081600 ? QDateTime::fromSecsSinceEpoch(clock)
                                                       : QDateTime::currentDateTime());
}

} // namespace

class TestDeviceCertificate : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void lines_data();
    void lines();
    void antennaDataLater_data();
    void antennaDataLater();
    void antennaDataFromDevsim();
    void telnet_data();
    void telnet();
    void telnetSessionOfRemovedDevice();
};

void TestDeviceCertificate::initTestCase()
{
    testsupport::setUpApplication();
    // The product's model list: 4411 "none", 4350 "snmp" with the antenna
    // unit's subtree, 4320 "telnet".
    InfoDeviceModelArray::setModelListFile(QStringLiteral(ZEL_SOURCE_RES_DIR "/ModelListInfo.xml"));
}

void TestDeviceCertificate::lines_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("clock");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("lifetime");
    // "%base" stands for the base line, "%code" for the time code.
    QTest::addColumn<QStringList>("expected");

    const QString fin = QStringLiteral("finished");
    QTest::newRow("none") << "4411" << "1.7" << true << DeviceClock << "A1" << "5"
                          << QStringList{"%base", fin};
    QTest::newRow("device clock not set") << "4411" << "1.7" << true << 1000 << "A1" << "5"
                                          << QStringList{"%base", fin};
    QTest::newRow("offline") << "4350" << "1.40" << false << DeviceClock << "A1" << "5"
                             << QStringList{"%base", fin};
    QTest::newRow("model not in the list") << "A9" << "1.40" << true << DeviceClock << "A1" << "5"
                                           << QStringList{"%base", fin};
    QTest::newRow("old firmware") << "4350" << "1.39" << true << DeviceClock << "A1" << "5"
                                  << QStringList{"%base4350,100001,,,NO Antenna Data (old firmware 01.39);", fin};
    QTest::newRow("a day short") << "4350" << "1.40" << true << DeviceClock << "A77" << "86399"
                                 << QStringList{"%base", "4350,A77,01.40,0,%code10fe;", fin};
    QTest::newRow("a full day") << "4350" << "2.0" << true << DeviceClock << "A77" << "86400"
                                << QStringList{"%base", "4350,A77,02.00,1,%code10fe;", fin};
    QTest::newRow("life time unreadable") << "4350" << "1.40" << true << DeviceClock << "A77" << "?"
                                          << QStringList{"%base", "4350,A77,01.40,0,%code10fe;", fin};
    QTest::newRow("no antenna objects") << "4350" << "1.40" << true << DeviceClock << QString() << QString()
                                        << QStringList{"%base", "4350,100001,,,NO Antenna Data (snmp);", fin};
}

void TestDeviceCertificate::lines()
{
    QFETCH(QString, model);
    QFETCH(QString, version);
    QFETCH(bool, online);
    QFETCH(int, clock);
    QFETCH(QString, serial);
    QFETCH(QString, lifetime);
    QFETCH(QStringList, expected);

    device_param_t param = makeParam(QStringLiteral("127.0.2.222"), model);
    param.swversion = version;
    TLinkDevice device(param, nullptr);
    buildAntennaProperties(device, clock, serial, lifetime);
    device.setOnline(online);

    const auto fill = [&](const QString &code) {
        bool ok = false;
        const QString modelCode = QStringLiteral("%1").arg(model.toInt(&ok), 4, 16, QLatin1Char('0'));
        const QString base = QStringLiteral("%1,100001,%2,,%3%4;")
                                 .arg(model, device.getSoftwareVersion(), code, ok ? modelCode : "0000");
        QStringList lines;
        for (QString line : expected)
            lines << line.replace(QLatin1String("%base"), base).replace(QLatin1String("%code"), code);
        return lines;
    };
    const QString codeBefore = timeCode(clock);
    CertificateWindow window;
    window.request(device);
    const QString codeAfter = timeCode(clock);
    QVERIFY2(window.log == fill(codeBefore) || window.log == fill(codeAfter), qPrintable(window.log.join('|')));
    QVERIFY(window.finishedBy == &device);
    // Nothing follows.
    QTest::qWait(100);
    QCOMPARE(window.log.size(), expected.size());
}

void TestDeviceCertificate::antennaDataLater_data()
{
    QTest::addColumn<QString>("afterFirstTick"); // "value", "stays", "vanishes"
    QTest::addColumn<QString>("line");

    const QString code = timeCode(DeviceClock);
    QTest::newRow("serial arrives") << "value" << QStringLiteral("4350,A5,01.40,2,%1").arg(code) + QStringLiteral("10fe;");
    QTest::newRow("serial stays without value") << "stays" << "4350,100001,,,NO Antenna Data (timeout);";
    QTest::newRow("serial object vanishes") << "vanishes" << "4350,100001,,,NO Antenna Data (snmp);";
}

void TestDeviceCertificate::antennaDataLater()
{
    QFETCH(QString, afterFirstTick);
    QFETCH(QString, line);

    device_param_t param = makeParam(QStringLiteral("127.0.2.223"), QStringLiteral("4350"));
    param.swversion = QStringLiteral("01.40");
    TLinkDevice device(param, nullptr);
    device.setCertificatePollMs(50);
    buildAntennaProperties(device, DeviceClock, QStringLiteral("?"), QStringLiteral("200000"));
    CertificateWindow window;
    window.request(device);
    QCOMPARE(window.log.size(), 1); // the base line at once
    QTest::qWait(80);

    if (afterFirstTick == QLatin1String("value")) {
        setValue(device, QStringLiteral("zk9xxxAduMainPcbSerial"), QStringLiteral("A5"));
    } else if (afterFirstTick == QLatin1String("vanishes")) {
        snmp_group_t group;
        group.name = QStringLiteral("g");
        device.initPropertyGroups({group});
    }
    QVERIFY(testsupport::waitFor([&] { return window.log.size() == 3; }, 3000));
    QVERIFY2(window.log.mid(1) == (QStringList{line, "finished"}), qPrintable(window.log.join('|')));
    // The antenna data is no longer looked for.
    QTest::qWait(200);
    QCOMPARE(window.log.size(), 3);
}

void TestDeviceCertificate::antennaDataFromDevsim()
{
    if (!testsupport::isRoot())
        QSKIP("port 161 on 127.0.1.x needs root");
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    testsupport::Peer sim;
    QVERIFY(testsupport::startDevsim(sim, {"--address", AntennaAddress, "--no-slp", "--no-telnet", "--model", "4350",
                                           "--serial", "100001", "--sw-version", "01.40"}));

    device_param_t param = makeParam(AntennaAddress, QStringLiteral("4350"));
    param.swversion = QStringLiteral("01.40");
    TLinkDevice device(param, nullptr);
    DeviceRelay relay(&device);
    TLinkSNMPIf::instance()->addDevice(device.getUniqueId(), AntennaAddress, QStringLiteral("4350"),
                                       device.getSoftwareVersion());
    device.setCertificatePollMs(300);

    // Asked before the antenna objects were read: they are read and the
    // antenna line follows.
    CertificateWindow window;
    window.request(device);
    QVERIFY(testsupport::waitFor([&] { return window.log.size() == 3; }, 15000));
    QVERIFY2(window.log.at(0).startsWith(QLatin1String("4350,100001,01.40,,")), qPrintable(window.log.at(0)));
    const QRegularExpression antenna(QStringLiteral("^4350,A100001,01\\.40,\\d+,[ 0-9a-f]{9}10fe;$"));
    QVERIFY2(antenna.match(window.log.at(1)).hasMatch(), qPrintable(window.log.at(1)));
    QCOMPARE(window.log.at(2), QStringLiteral("finished"));
    TLinkSNMPIf::instance()->removeDevice(device.getUniqueId());
}

void TestDeviceCertificate::telnet_data()
{
    QTest::addColumn<QStringList>("devsim");
    QTest::addColumn<QString>("pattern"); // of the second line

    QTest::newRow("production data") << QStringList() << "^4320,100001,01\\.07,\\d+,[ 0-9a-f]{9}10e0;$";
    QTest::newRow("log-on refused") << QStringList{"--telnet-password", "1111"}
                                    << "^4320,100001,,,LOGON failed!!!$";
    QTest::newRow("hang-up mid-series") << QStringList{"--telnet-hangup-on", "prod pcb"}
                                        << "^4320,100001,,,NO Antenna Data\\(rc:-2\\);$";
    QTest::newRow("prompt in a segment of its own") << QStringList{"--telnet-split-prompt"}
                                                    << "^4320,100001,01\\.07,\\d+,[ 0-9a-f]{9}10e0;$";
    QTest::newRow("answer without end") << QStringList{"--telnet-flood-bytes", "1000000"}
                                        << "^4320,100001,,,NO Antenna Data\\(rc:-4\\);$";
}

void TestDeviceCertificate::telnet()
{
    QFETCH(QStringList, devsim);
    QFETCH(QString, pattern);

    const quint16 port = testsupport::freeTcpPort(QHostAddress(TelnetAddress));
    QVERIFY(port);
    testsupport::Peer sim;
    QVERIFY(testsupport::startDevsim(sim, QStringList{"--address", TelnetAddress, "--no-slp", "--no-snmp", "--telnet-port",
                                                      QString::number(port)} + devsim));
    TLinkDeviceDebugSession::setTelnetPort(port);
    TLinkDeviceDebugSession::setTimeouts(2000, 4000, 3000);

    TLinkDevice device(makeParam(TelnetAddress, QStringLiteral("4320")), nullptr);
    CertificateWindow window;
    window.request(device);
    QVERIFY(testsupport::waitFor([&] { return window.log.size() == 2; }, 20000));
    const QStringList lines = window.log.first().split(QLatin1Char(';'));
    QVERIFY2(lines.first().startsWith(QLatin1String("4320,100001,01.07,,")), qPrintable(window.log.first()));
    const QString second = window.log.first().mid(lines.first().size() + 1);
    QVERIFY2(QRegularExpression(pattern).match(second).hasMatch(), qPrintable(second));
    QCOMPARE(window.log.last(), QStringLiteral("finished"));
    // The session is closed once its result is in.
    QVERIFY(testsupport::waitFor([] { return TLinkDeviceDebugIf::instance()->sessionCount() == 0; }, 3000));
}

void TestDeviceCertificate::telnetSessionOfRemovedDevice()
{
    // A device removed while its certificate is read takes its session
    // along; the device found again at that address gets its own.
    const quint16 port = testsupport::freeTcpPort(QHostAddress(TelnetAddress));
    QVERIFY(port);
    testsupport::Peer sim;
    QVERIFY(testsupport::startDevsim(sim, QStringList{"--address", TelnetAddress, "--no-slp", "--no-snmp", "--telnet-port",
                                                      QString::number(port), "--delay-ms", "200"}));
    TLinkDeviceDebugSession::setTelnetPort(port);
    TLinkDeviceDebugSession::setTimeouts(2000, 4000, 3000);

    auto *removed = new TLinkDevice(makeParam(TelnetAddress, QStringLiteral("4320")), nullptr);
    CertificateWindow first;
    first.request(*removed);
    QTest::qWait(100);
    delete removed;
    QVERIFY(testsupport::waitFor([] { return TLinkDeviceDebugIf::instance()->sessionCount() == 0; }, 3000));

    TLinkDevice device(makeParam(TelnetAddress, QStringLiteral("4320")), nullptr);
    CertificateWindow window;
    window.request(device);
    QVERIFY(testsupport::waitFor([&] { return window.log.size() == 2; }, 20000));
    const QString second = window.log.first().section(QLatin1Char(';'), 1);
    QVERIFY2(QRegularExpression("^4320,100001,01\\.07,\\d+,[ 0-9a-f]{9}10e0;$").match(second).hasMatch(),
             qPrintable(second));
    QVERIFY(window.finishedBy == &device);
    QVERIFY(first.log.isEmpty());
}

QTEST_GUILESS_MAIN(TestDeviceCertificate)
#include "tst_devicecertificate.moc"
