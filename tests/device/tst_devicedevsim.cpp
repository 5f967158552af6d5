// The device object against the device simulator's SNMP agent: property
// groups and values from the engine, writes and list writes, the device
// status every few seconds and a reboot followed to its end.

#include "abstractproperty.h"
#include "devicerelay.h"
#include "enumvalue.h"
#include "eventlog.h"
#include "infodevicemodelarray.h"
#include "infoservice.h"
#include "livedevice.h"
#include "propertygroup.h"
#include "testdevice.h"
#include "testsupport.h"
#include "tlinkdevice.h"
#include "tlinksnmpif.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const QString SupplyAddress = QStringLiteral("127.0.1.20");
const QString RebootAddress = QStringLiteral("127.0.1.21");

QString valueOf(const TLinkDevice &device, const char *name)
{
    const AbstractProperty *property = device.findProperty(QLatin1String(name));
    return property && property->isValid() ? property->getValue() : QString();
}

} // namespace

class TestDeviceDevsim : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void propertiesAndWrites();
    void deviceStatusFollowsDevice();
    void rebootToReady();

private:
    testsupport::Peer m_supply;
    testsupport::Peer m_reboot;
};

void TestDeviceDevsim::initTestCase()
{
    if (!testsupport::isRoot())
        QSKIP("port 161 on 127.0.1.x needs root");
    testsupport::setUpApplication();
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    QVERIFY(testsupport::startDevsim(m_supply, {"--address", SupplyAddress, "--no-slp", "--model", "4411"}));
    QVERIFY(testsupport::startDevsim(m_reboot, {"--address", RebootAddress, "--no-slp", "--model", "4320", "--restart-ms", "2000"}));
}

void TestDeviceDevsim::propertiesAndWrites()
{
    LiveDevice live(SupplyAddress, nullptr, "4411");
    TLinkDevice &device = live.device;
    const QList<PropertyGroup *> groups = device.getPropertyGroups();
    QVERIFY(groups.size() > 1);
    QCOMPARE(groups.last()->getName(), QStringLiteral("orphanPropertyGroup"));
    QVERIFY(device.findProperty("zkSystemConfigAliasName"));

    // The model's SNMP services answer and announce themselves.
    const Services_t wanted = ServiceReboot | ServiceDeviceStatus | ServiceConfiguration;
    QVERIFY(testsupport::waitFor([&] { return (device.getServices() & wanted) == wanted; }, 10000));

    // As the active device its values are polled.
    live.activate();
    QVERIFY(testsupport::waitFor([&] { return valueOf(device, "zkSystemConfigModelNumber") == "4411"; }, 10000));

    // A property's write request becomes a SET; the value is stored when the
    // device reports it back.
    AbstractProperty *alias = device.findProperty("zkSystemConfigAliasName");
    QVERIFY(alias->writeValue("Aft mast"));
    QVERIFY(testsupport::waitFor([&] { return alias->getValue() == "Aft mast"; }, 10000));

    // List writes report their outcome.
    QSignalSpy config(&device, &TLinkDeviceIf::updatedConfigProperties);
    snmp_req_list_t request;
    request.uniqueId = device.getUniqueId();
    request.kind = 4;
    request.items = {{"zkSystemConfigAliasName", "Bow"}, {"zkLoggingClientDestinationPort", "5514"}};
    TLinkSNMPIf::instance()->setProperties(request);
    QVERIFY(testsupport::waitFor([&] { return config.count() == 1; }, 10000));
    QCOMPARE(config.first().at(0).value<snmp_req_res_t>(), 1);
    QCOMPARE(alias->getValue(), QStringLiteral("Bow"));
    QCOMPARE(valueOf(device, "zkLoggingClientDestinationPort"), QStringLiteral("5514"));

    request.items = {{"zkSystemConfigSerialNumber", "1"}};
    TLinkSNMPIf::instance()->setProperties(request);
    QVERIFY(testsupport::waitFor([&] { return config.count() == 2; }, 10000));
    QCOMPARE(config.last().at(0).value<snmp_req_res_t>(), 3);
}

void TestDeviceDevsim::deviceStatusFollowsDevice()
{
    // The supply unit starts with its branches chosen by jumper (a warning);
    // once they are configured the next evaluation reports it ok.
    EventLog events;
    LiveDevice live(SupplyAddress, nullptr, "4411");
    TLinkDevice &device = live.device;
    live.activate();
    QVERIFY(testsupport::waitFor([&] { return device.getServices() & ServiceDeviceStatus; }, 10000));
    QVERIFY(testsupport::waitFor([&] { return valueOf(device, "zkZk441xSupplyBranch") == "0"; }, 10000));
    QString text;
    QString description;
    QVERIFY(testsupport::waitFor([&] { return device.getConnectionStatus(text, description) == 1794; }, 10000));
    QCOMPARE(text, QStringLiteral("Supply branches: Supply branches chosen by jumper"));
    // The status text says what the mask means; its number is no detail for the user.
    QVERIFY2(description.isEmpty(), qPrintable(description));

    events.clear();
    QCOMPARE(device.writeProperty("zkZk441xSupplyBranch", 1), 0);
    QVERIFY(testsupport::waitFor([&] { return device.getConnectionStatus(text, description) == 1793; }, 12000));
    QCOMPARE(text, QStringLiteral("Supply branches: Supply branches configured"));
    QVERIFY(description.isEmpty());
    QVERIFY(testsupport::waitFor([&] { return device.getDeviceStatusService()->getState() == 1793; }, 3000));
    QCOMPARE(events.count(1793), 1);
    QCOMPARE(device.writeProperty("zkZk441xSupplyBranch", 0), 0);
}

void TestDeviceDevsim::rebootToReady()
{
    EventLog events;
    LiveDevice live(RebootAddress, nullptr, "4320");
    TLinkDevice &device = live.device;
    live.activate();
    QVERIFY(testsupport::waitFor([&] { return device.getServices() & ServiceReboot; }, 10000));
    QVERIFY(testsupport::waitFor([&] {
        EnumValue *value = nullptr;
        return device.readEnumProperty("zkSystemConfigReset", value) == 0 && value->getNumber() == 1;
    }, 10000));

    QList<int> states;
    InfoService *reboot = device.getRebootService();
    connect(reboot, &InfoService::stateUpdated, this, [&] {
        if (states.isEmpty() || states.last() != reboot->getState())
            states.append(reboot->getState());
    });
    events.clear();
    device.rebootDevice();
    QVERIFY(testsupport::waitFor([&] { return device.getRebootMode() == TLinkDevice::RebootConfirmed; }, 30000));
    QVERIFY(testsupport::waitFor([&] { return reboot->getState() == 1; }, 3000));
    QCOMPARE(states, (QList<int>{1024, 1025, 1}));
    QVERIFY(m_reboot.output().contains("up again"));

    QList<int> rebootEvents;
    for (const LoggedEvent &event : events.events())
        if (event.id == 1025 || event.id == 1024)
            rebootEvents << event.id * 10 + event.state;
    QCOMPARE(rebootEvents, (QList<int>{10251, 10252}));
}

QTEST_GUILESS_MAIN(TestDeviceDevsim)
#include "tst_devicedevsim.moc"
