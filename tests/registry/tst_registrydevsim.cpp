// The registry against simulated devices that answer SLP and SNMP on
// loopback: discovered devices become device objects, go offline when they
// fall silent and come back, a placeholder serial number merges, a new device
// at a used address takes it over, and a debug device is served like a
// discovered one.
#include "abstractproperty.h"
#include "../slp/slpportlock.h"
#include "deviceevents.h"
#include "quicksnmptries.h"
#include "registrysetup.h"
#include "testsupport.h"
#include "tlinkdevice.h"
#include "tlinkdevicehandler.h"

#include <QSignalSpy>
#include <QtTest>

#include <map>
#include <memory>
#include <optional>

namespace {

const int Timeout = 30000;

TLinkDeviceHandler *registry() { return TLinkDeviceHandler::instance(); }

QString urlOf(int host) { return QStringLiteral("service:device.vantor://127.0.0.%1").arg(host); }

// The newest device object at that service URL, or null.
TLinkDevice *deviceAt(const QString &url)
{
    TLinkDevice *found = nullptr;
    for (TLinkDeviceIf *device : registry()->getDevices()) {
        if (device->getSrvUrl() == url)
            found = static_cast<TLinkDevice *>(device);
    }
    return found;
}

int devicesAt(const QString &url)
{
    int n = 0;
    for (TLinkDeviceIf *device : registry()->getDevices())
        n += device->getSrvUrl() == url ? 1 : 0;
    return n;
}

bool reported(const QSignalSpy &spy, const TLinkDeviceIf *device)
{
    for (const QList<QVariant> &args : spy) {
        // Compared as a plain pointer: the object reported may be gone already.
        if (*static_cast<TLinkDeviceIf *const *>(args.at(0).constData()) == device)
            return true;
    }
    return false;
}

// Known addresses are asked for their attributes only once a minute, and
// services are looked for every two minutes: a device that changed meanwhile,
// or an answer lost under load, is seen sooner when the registry asks now and
// then while the test waits.
bool waitAsking(void (TLinkDeviceHandler::*search)(), const std::function<bool()> &done)
{
    QTimer asker;
    QObject::connect(&asker, &QTimer::timeout, registry(), search);
    asker.start(3000);
    return testsupport::waitFor(done, Timeout);
}

bool waitWithAttributeSearches(const std::function<bool()> &done)
{
    return waitAsking(&TLinkDeviceHandler::initiateAttributeSearch, done);
}

bool waitWithServiceSearches(const std::function<bool()> &done)
{
    return waitAsking(&TLinkDeviceHandler::initiateServiceSearch, done);
}

} // namespace

class TestRegistryDevsim : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void discoveredDevicesLiveAndChange();
    void debugDeviceIsServed();
    void productWithSpecialCharacters();
    void refusedAnswerEndsConnecting();
    void lateSnmpAgentGetsServices();
    void debugDeviceFoundByDiscovery();

private:
    // Held first and released last: no other run's simulated devices answer
    // this test's searches while it lives.
    SlpPortLock m_lock;
    // Starts (or restarts) the simulated device at 127.0.0.<host>.
    bool startDevice(int host, const QStringList &options);
    void stopDevice(int host) { m_devices.erase(host); }

    std::map<int, std::unique_ptr<testsupport::Peer>> m_devices;
};

void TestRegistryDevsim::initTestCase()
{
    if (!testsupport::isRoot())
        QSKIP("SLP port 427 and SNMP port 161 on 127.0.0.x need root");
    setUpRegistryTest();
    qRegisterMetaType<TLinkDeviceIf *>();
    // Simulated devices of other test runs on this machine may answer SLP too:
    // only this test's address range is kept.
    connect(registry(), QOverload<TLinkDeviceIf *>::of(&TLinkDeviceHandler::updated), this,
            [](TLinkDeviceIf *device) {
                const QStringList parts = device->getIpAddress().split('.');
                const int host = parts.value(3).toInt();
                if (device->getIpAddress().startsWith("127.0.0.") && (host < 60 || host > 79))
                    registry()->deleteDevice(device);
            });
}

bool TestRegistryDevsim::startDevice(int host, const QStringList &options)
{
    stopDevice(host);
    auto peer = std::make_unique<testsupport::Peer>();
    const QStringList args = QStringList{"--address", QStringLiteral("127.0.0.%1").arg(host), "--no-telnet"} + options;
    if (!peer->start(ZEL_DEVSIM, args) || !peer->waitForOutput("devsim ready", 10000)) {
        qWarning("devsim: %s", qPrintable(peer->output()));
        return false;
    }
    m_devices[host] = std::move(peer);
    return true;
}

void TestRegistryDevsim::discoveredDevicesLiveAndChange()
{
    QVERIFY(startDevice(60, {"--serial", "600060"}));
    QVERIFY(startDevice(61, {"--serial", "600061", "--model", "4411", "--product", "VANTOR-4411"}));

    DeviceEvents events;
    QSignalSpy updated(registry(), QOverload<TLinkDeviceIf *>::of(&TLinkDeviceHandler::updated));
    QVERIFY(testsupport::waitFor([] { return deviceAt(urlOf(60)) && deviceAt(urlOf(61)); }, Timeout));
    TLinkDevice *terminal = deviceAt(urlOf(60));
    TLinkDevice *supply = deviceAt(urlOf(61));
    QVERIFY(reported(updated, terminal) && reported(updated, supply));

    // Each with its discovery texts, its model-list information and the
    // properties the SNMP engine built from its MIB.
    QCOMPARE(terminal->getUniqueId(), QStringLiteral("Vantor & Vantor4320600060"));
    QCOMPARE(terminal->getAliasName(), QStringLiteral("Bridge terminal"));
    QCOMPARE(supply->getUniqueId(), QStringLiteral("Vantor & Vantor4411600061"));
    QCOMPARE(terminal->getModelName(), QStringLiteral("4320"));
    QCOMPARE(supply->getModelName(), QStringLiteral("4411"));
    QVERIFY(!terminal->getIconName(2).isEmpty());
    QVERIFY(terminal->findProperty("zkSystemConfigAliasName"));
    QVERIFY(supply->findProperty("zkSystemConfigAliasName"));
    // The services discovery finds reach the device at their address.
    QVERIFY(waitWithServiceSearches([&] {
        for (const device_service_entry_t &entry : terminal->getServiceEntries())
            if (entry.available && entry.srvurl == "service:web.vantor:http://127.0.0.60")
                return true;
        return false;
    }));

    // The supply unit falls silent: offline, with event 3; back: online, event 4.
    stopDevice(61);
    QVERIFY(testsupport::waitFor([&] { return !supply->isOnline(); }, Timeout));
    QCOMPARE(events.count(3, supply), 1);
    QVERIFY(terminal->isOnline());
    QVERIFY(startDevice(61, {"--serial", "600061", "--model", "4411", "--product", "VANTOR-4411"}));
    QVERIFY(testsupport::waitFor([&] { return supply->isOnline(); }, Timeout));
    QCOMPARE(events.count(4, supply), 1);
    QCOMPARE(devicesAt(urlOf(61)), 1);

    // At the terminal's address a device of the same model with the serial
    // number "0" answers: it is the same device object under a new id.
    QVERIFY(startDevice(60, {"--serial", "0"}));
    QVERIFY(waitWithAttributeSearches([&] { return terminal->getUniqueId() == "Vantor & Vantor43200"; }));
    QCOMPARE(devicesAt(urlOf(60)), 1);
    QVERIFY(terminal->isOnline());

    // Another device at that address: the old object goes offline, a new one
    // is made for it.
    events.clear();
    QVERIFY(startDevice(60, {"--serial", "700060", "--model", "4330", "--product", "VANTOR-4330"}));
    QVERIFY(waitWithAttributeSearches([&] { return devicesAt(urlOf(60)) == 2; }));
    QVERIFY(!terminal->isOnline());
    QVERIFY(events.texts(3, terminal).contains("New device toke the IP address"));
    TLinkDevice *newcomer = deviceAt(urlOf(60));
    QCOMPARE(newcomer->getUniqueId(), QStringLiteral("Vantor & Vantor4330700060"));
    QVERIFY(newcomer->isOnline());
    QCOMPARE(registry()->getDevices().size(), 3);
}

void TestRegistryDevsim::debugDeviceIsServed()
{
    // The debug device answers SNMP only; it is known from the file alone.
    QVERIFY(startDevice(62, {"--no-slp", "--serial", "900062", "--model", "4411"}));
    QSignalSpy updated(registry(), QOverload<TLinkDeviceIf *>::of(&TLinkDeviceHandler::updated));
    registry()->readDebugDevices(testsupport::fixture("registry_debug_devsim.xml"));
    TLinkDevice *device = deviceAt(QStringLiteral("service://127.0.0.62"));
    QVERIFY(device);
    QVERIFY(reported(updated, device));
    QCOMPARE(device->getUniqueId(), QStringLiteral("Vantor4411900062"));
    QCOMPARE(device->getModelName(), QStringLiteral("4411"));

    // Its values come through the registry's SNMP relays once it is shown.
    device->activateDevice(true);
    const AbstractProperty *model = device->findProperty("zkSystemConfigModelNumber");
    QVERIFY(model);
    QVERIFY(testsupport::waitFor([&] { return model->isValid() && model->getValue() == "4411"; }, Timeout));
    device->activateDevice(false);
}

void TestRegistryDevsim::productWithSpecialCharacters()
{
    // The device escapes the "," of its product on the wire.
    QVERIFY(startDevice(63, {"--serial", "600063", "--product", "Sat, Ku", "--alias", "Mast (fore) = 1\\2"}));
    QVERIFY(testsupport::waitFor([] { return deviceAt(urlOf(63)); }, Timeout));
    TLinkDevice *device = deviceAt(urlOf(63));
    QCOMPARE(device->getProduct(), QStringLiteral("Sat, Ku"));
    QCOMPARE(device->getAliasName(), QStringLiteral("Mast (fore) = 1\\2"));
    QCOMPARE(device->getName(), QStringLiteral("Mast (fore) = 1\\2 (Sat, Ku)"));
    QVERIFY(device->isOnline());
    // With its services, found by SLP and SNMP.
    QVERIFY(waitWithServiceSearches([&] {
        QStringList available;
        for (const device_service_entry_t &entry : device->getServiceEntries())
            if (entry.available)
                available << entry.srvurl;
        return available.contains("service:web.vantor:http://127.0.0.63")
               && available.contains("service:mib.vantor:http://127.0.0.63")
               && (device->getServices() & ServiceReboot);
    }));
    stopDevice(63);
}

void TestRegistryDevsim::refusedAnswerEndsConnecting()
{
    // A device that names no model: discovery sees it but never identifies
    // it, and the program does not wait for it for ever.
    QSignalSpy connecting(registry(), &TLinkDeviceHandler::deviceConnecting);
    QVERIFY(startDevice(64, {"--serial", "600064", "--model", "", "--no-snmp"}));
    QVERIFY(testsupport::waitFor(
        [&] {
            bool seen = false;
            for (const QList<QVariant> &args : connecting)
                seen = seen || args.at(0).toBool();
            return seen && !connecting.last().at(0).toBool();
        },
        Timeout));
    QVERIFY(!deviceAt(urlOf(64)));
    stopDevice(64);
}

void TestRegistryDevsim::lateSnmpAgentGetsServices()
{
    // Failed reads end after one second without retry, so the device's first
    // probe is over well before its agent starts answering, or, when the
    // device is found late on a loaded machine, the agent starts in the
    // middle of that probe: either way each service is asked again once the
    // agent answers.
    std::optional<QuickSnmpTries> quick(std::in_place);

    QVERIFY(startDevice(65, {"--serial", "600065", "--snmp-start-ms", "9000"}));
    QVERIFY(testsupport::waitFor([] { return deviceAt(urlOf(65)); }, Timeout));
    TLinkDevice *device = deviceAt(urlOf(65));
    device->setServiceProbeIntervalMs(1000);
    QVERIFY(m_devices[65]->waitForOutput("devsim SNMP ready", 15000));
    // The agent answers now: later probes get the usual limits, so that a
    // slow answer on a loaded machine is not taken for a missing object.
    quick.reset();
    const Services_t snmpServices = ServiceSoftwareUpdate | ServiceReboot | ServiceLiveLogging | ServiceDiagReport;
    // A generous bound: on a loaded machine the repeated probes come late.
    QVERIFY2(testsupport::waitFor([&] { return (device->getServices() & snmpServices) == snmpServices; }, 3 * Timeout),
             qPrintable(QString::number(device->getServices(), 16)));
    stopDevice(65);
}

void TestRegistryDevsim::debugDeviceFoundByDiscovery()
{
    // Declared in the file, then found by discovery: one device object,
    // which follows discovery from then on.
    QSignalSpy connecting(registry(), &TLinkDeviceHandler::deviceConnecting);
    registry()->readDebugDevices(testsupport::fixture("registry_debug_devsim_clash.xml"));
    TLinkDevice *device = deviceAt(QStringLiteral("service://127.0.0.66"));
    QVERIFY(device);
    QVERIFY(startDevice(66, {"--serial", "600066"}));
    QVERIFY(testsupport::waitFor([&] { return device->getSrvUrl() == urlOf(66); }, Timeout));
    int sameId = 0;
    for (TLinkDeviceIf *other : registry()->getDevices())
        sameId += static_cast<TLinkDevice *>(other)->getUniqueId() == QLatin1String("Vantor & Vantor4320600066") ? 1 : 0;
    QCOMPARE(sameId, 1);
    QCOMPARE(device->getProduct(), QStringLiteral("VANTOR-4320"));
    QVERIFY(testsupport::waitFor([&] { return !connecting.isEmpty() && !connecting.last().at(0).toBool(); }, Timeout));

    // Its URL is lost: it goes offline like any discovered device.
    stopDevice(66);
    QVERIFY(testsupport::waitFor([&] { return !device->isOnline(); }, Timeout));
}

QTEST_GUILESS_MAIN(TestRegistryDevsim)
#include "tst_registrydevsim.moc"
