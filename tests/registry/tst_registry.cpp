// The device registry driven by discovery reports made by hand: creation,
// merge, take-over of an address, online and offline, the connecting notice,
// deleting, the software search state and the debug device file.
#include "../slp/slpportlock.h"
#include "deviceevents.h"
#include "infoservice.h"
#include "registrysetup.h"
#include "testsupport.h"
#include "tlinkdevice.h"
#include "tlinkdevicehandler.h"
#include "tlinksnmpif.h"

#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

TLinkDeviceHandler *registry() { return TLinkDeviceHandler::instance(); }

TLinkDevice *deviceAt(int index) { return static_cast<TLinkDevice *>(registry()->getDevices().value(index)); }

QStringList uniqueIds()
{
    QStringList ids;
    for (TLinkDeviceIf *device : registry()->getDevices())
        ids << static_cast<TLinkDevice *>(device)->getUniqueId();
    return ids;
}

// True when the spy of updated(TLinkDeviceIf*) saw that device.
bool reported(const QSignalSpy &spy, const TLinkDeviceIf *device)
{
    for (const QList<QVariant> &args : spy) {
        // Compared as a plain pointer: the object reported may be gone already.
        if (*static_cast<TLinkDeviceIf *const *>(args.at(0).constData()) == device)
            return true;
    }
    return false;
}

} // namespace

class TestRegistry : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void constructionSettings();
    void newDeviceIsSetUp();
    void mergeAndTakeOver();
    void onlyOneDeviceTakesMergedId();
    void onlineAndLost();
    void updateDevice();
    void connectingNotice();
    void servicesBeforeTheirDevice();
    void debugAndDiscoveredDeviceAreOne();
    void deleteDevice();
    void softwareSearchState();
    void debugDeviceFile();
    void debugDeviceFileErrors_data();
    void debugDeviceFileErrors();
    void debugDeviceAddresses();

private:
    // Discovery runs in the registry: no simulated devices of other runs may answer it.
    SlpPortLock m_lock;
};

void TestRegistry::initTestCase()
{
    setUpRegistryTest();
    qRegisterMetaType<TLinkDeviceIf *>();
    QSettings().remove(QStringLiteral("device_rep/destination_path"));
    QVERIFY(registry());
}

void TestRegistry::cleanup()
{
    for (TLinkDeviceIf *device : registry()->getDevices())
        registry()->deleteDevice(device);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestRegistry::constructionSettings()
{
    QSettings settings;
    QCOMPARE(registry()->tftpPort(), quint16(settings.value("tftp_server/portnumber").toUInt()));
    QVERIFY(registry()->tftpPort() != 69);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/Vantor/ZEL";
    QCOMPARE(settings.value("diag_rep/destination_path").toString(), folder);
    QCOMPARE(settings.value("device_rep/destination_path").toString(), folder + "/DeviceReport.pdf");
    QVERIFY(settings.value("syslog_server/portnumber").toInt() > 1024); // set by the test, kept
    QCOMPARE(registry()->getName(), QStringLiteral("Device Handler"));
    QVERIFY(registry()->networkAccessManager());
}

void TestRegistry::newDeviceIsSetUp()
{
    QSignalSpy updated(registry(), QOverload<TLinkDeviceIf *>::of(&TLinkDeviceHandler::updated));
    registry()->newDevice(deviceRecord("127.0.2.10", "4320", "11"));
    QCOMPARE(registry()->getDevices().size(), 1);
    TLinkDevice *device = deviceAt(0);
    QVERIFY(reported(updated, device));
    QCOMPARE(device->getUniqueId(), QStringLiteral("Vantor432011"));
    QCOMPARE(device->getModelName(), QStringLiteral("4320")); // from the model list
    QCOMPARE(device->getTftpServer(), registry()->tftpServer());
    QVERIFY(device->isOnline());
    // The SNMP engine knows it and its property records reached it.
    QVERIFY(!TLinkSNMPIf::instance()->getProperties("Vantor432011").isEmpty());
    QVERIFY(!device->getPropertyGroups().isEmpty());

    // The device's own updates are the registry's.
    updated.clear();
    emit device->updated(device);
    QCOMPARE(updated.size(), 1);

    // Services reported for its address reach it.
    device_service_t service{"service:web.vantor:http://127.0.2.10", "/index.html", "127.0.2.10"};
    const int before = device->getServiceEntries().size();
    registry()->newService(service);
    const int entries = device->getServiceEntries().size();
    QCOMPARE(entries, before + 1);
    QVERIFY(device->getServiceEntries().last().available);
    device_service_t other{"service:web.vantor:http://127.0.2.1", "/index.html", "127.0.2.1"};
    registry()->newService(other);
    QCOMPARE(device->getServiceEntries().size(), entries);
}

void TestRegistry::mergeAndTakeOver()
{
    DeviceEvents events;
    registry()->newDevice(deviceRecord("127.0.2.11", "4320", "0"));
    TLinkDevice *first = deviceAt(0);

    // The same model at the same URL with a real serial number: the placeholder
    // device takes its unique id.
    QSignalSpy updated(registry(), QOverload<TLinkDeviceIf *>::of(&TLinkDeviceHandler::updated));
    registry()->newDevice(deviceRecord("127.0.2.11", "4320", "5511"));
    QCOMPARE(registry()->getDevices().size(), 1);
    QCOMPARE(first->getUniqueId(), QStringLiteral("Vantor43205511"));
    QCOMPARE(first->getSerialNumber(), QStringLiteral("5511"));
    QVERIFY(first->isOnline());
    QVERIFY(reported(updated, first));
    QVERIFY(TLinkSNMPIf::instance()->getProperties("Vantor43200").isEmpty());
    QVERIFY(!TLinkSNMPIf::instance()->getProperties("Vantor43205511").isEmpty());
    QCOMPARE(events.count(3), 0);

    // Another model at that URL: the old device goes offline, a new one is made.
    registry()->newDevice(deviceRecord("127.0.2.11", "4330", "77"));
    QCOMPARE(uniqueIds(), (QStringList{"Vantor43205511", "Vantor433077"}));
    QVERIFY(!first->isOnline());
    QVERIFY(deviceAt(1)->isOnline());
    QCOMPARE(events.texts(3, first), QStringList{"New device toke the IP address"});
}

void TestRegistry::onlyOneDeviceTakesMergedId()
{
    registry()->newDevice(deviceRecord("127.0.2.12", "4320", "1"));
    registry()->newDevice(deviceRecord("127.0.2.12", "4320", "2"));
    QCOMPARE(registry()->getDevices().size(), 2);
    // Both devices could take a placeholder's id; only the first does.
    registry()->newDevice(deviceRecord("127.0.2.12", "4320", "0"));
    QCOMPARE(uniqueIds(), (QStringList{"Vantor43200", "Vantor43202"}));
    QVERIFY(deviceAt(0)->isOnline());
    QVERIFY(!deviceAt(1)->isOnline());
}

void TestRegistry::onlineAndLost()
{
    DeviceEvents events;
    const QString url = "service:device.vantor://127.0.2.13";
    registry()->newDevice(deviceRecord("127.0.2.13", "4320", "31"));
    registry()->newDevice(deviceRecord("127.0.2.13", "4330", "32"));
    TLinkDevice *old = deviceAt(0);
    TLinkDevice *current = deviceAt(1);
    QVERIFY(!old->isOnline());
    events.clear();

    // Discovery sees the old one again: the other device at the URL goes offline.
    registry()->deviceIsOnlineHandler("Vantor432031");
    QVERIFY(old->isOnline());
    QVERIFY(!current->isOnline());
    QCOMPARE(events.count(4, old), 1);
    QCOMPARE(events.texts(3, current), QStringList{""});

    // Reported online while online: nothing changes.
    events.clear();
    registry()->deviceIsOnlineHandler("Vantor432031");
    registry()->deviceIsOnlineHandler("nobody");
    QCOMPARE(events.count(3) + events.count(4), 0);

    // The URL is lost: the online device at it goes offline, once.
    registry()->urlLostHandler(url);
    QVERIFY(!old->isOnline());
    QCOMPARE(events.texts(3, old), QStringList{""});
    registry()->urlLostHandler(url);
    registry()->urlLostHandler("service:device.vantor://127.0.2.99");
    QCOMPARE(events.count(3), 1);

    // A TFTP transfer only wakes a device that is uploading its software.
    registry()->tftpSessionStarted("127.0.2.13");
    QVERIFY(!old->isOnline() && !current->isOnline());
}

void TestRegistry::updateDevice()
{
    registry()->newDevice(deviceRecord("127.0.2.14", "4320", "41"));
    device_param_t record = deviceRecord("127.0.2.14", "4320", "41");
    record.alias = "Foredeck";
    record.swversion = "02.01";
    registry()->updateDevice(record);
    QCOMPARE(deviceAt(0)->getAliasName(), QStringLiteral("Foredeck"));
    QCOMPARE(deviceAt(0)->getSoftwareVersion(), QStringLiteral("02.01"));

    registry()->updateDevice(deviceRecord("127.0.2.15", "4320", "42"));
    QCOMPARE(registry()->getDevices().size(), 1);
}

void TestRegistry::connectingNotice()
{
    QSignalSpy connecting(registry(), &TLinkDeviceHandler::deviceConnecting);
    registry()->newDevice(deviceRecord("127.0.2.16", "4320", "51"));
    const QString known = "service:device.vantor://127.0.2.16";
    const QString coming = "service:device.vantor://127.0.2.17";

    registry()->detectConnectingDevices({known});
    QCOMPARE(connecting.last().at(0).toBool(), false);
    registry()->detectConnectingDevices({known, coming});
    QCOMPARE(connecting.last().at(0).toBool(), true);
    // The device at the coming URL is created: nothing is connecting any more.
    registry()->newDevice(deviceRecord("127.0.2.17", "4320", "52"));
    QCOMPARE(connecting.last().at(0).toBool(), false);

    // A URL whose device is offline counts as connecting.
    registry()->urlLostHandler(known);
    registry()->detectConnectingDevices({known});
    QCOMPARE(connecting.last().at(0).toBool(), true);
    registry()->deviceIsOnlineHandler("Vantor432051");
    registry()->updateDevice(deviceRecord("127.0.2.99", "4320", "nobody"));
    QCOMPARE(connecting.last().at(0).toBool(), false);

    // Discovery refuses what a device answers: the notice ends, also over
    // the next reports of online URLs, until the URL is lost and comes back.
    const QString refused = "service:device.vantor://127.0.2.98";
    registry()->detectConnectingDevices({known, refused});
    QCOMPARE(connecting.last().at(0).toBool(), true);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^TLinkDeviceHandler::deviceRefusedHandler: .*127.0.2.98"));
    registry()->deviceRefusedHandler(refused);
    QCOMPARE(connecting.last().at(0).toBool(), false);
    registry()->detectConnectingDevices({known, refused});
    QCOMPARE(connecting.last().at(0).toBool(), false);
    registry()->urlLostHandler(refused);
    registry()->detectConnectingDevices({known, refused});
    QCOMPARE(connecting.last().at(0).toBool(), true);
    // It answers properly at last.
    registry()->newDevice(deviceRecord("127.0.2.98", "4320", "53"));
    QCOMPARE(connecting.last().at(0).toBool(), false);
}

void TestRegistry::servicesBeforeTheirDevice()
{
    // The service search reports a device's services before the attribute
    // search reports the device.
    const QString ip = "127.0.2.30";
    const device_service_t upgrade{"service:firmware-upgrade.vantor:tftp://" + ip,
                                   "(service-version=1),(service-protocol=tftp),(meta=image),(meta-version=1)", ip};
    const device_service_t reboot{"service:reboot.vantor://" + ip, "", ip};
    registry()->newService(upgrade);
    registry()->updateService(reboot); // its first report was missed altogether
    registry()->newService({"service:web.vantor:http://127.0.2.31", "/index.html", "127.0.2.31"});

    registry()->newDevice(deviceRecord(ip, "4320", "71"));
    TLinkDevice *device = deviceAt(0);
    QStringList urls;
    for (const device_service_entry_t &entry : device->getServiceEntries())
        if (entry.available)
            urls << entry.srvurl;
    QCOMPARE(urls, (QStringList{upgrade.srvurl, reboot.srvurl}));
    QVERIFY(device->getServices() & ServiceSoftwareUpdate);
    QVERIFY(device->getServices() & ServiceReboot);

    // A service the device does not list yet, reported as an update, is added.
    const device_service_t web{"service:web.vantor:http://" + ip, "/index.html", ip};
    registry()->updateService(web);
    QCOMPARE(device->getServiceEntries().last().srvurl, web.srvurl);
    QVERIFY(device->getServiceEntries().last().available);
    const int entries = device->getServiceEntries().size();
    registry()->updateService(web); // unchanged: nothing new
    QCOMPARE(device->getServiceEntries().size(), entries);

    // The other address's service waits for its own device.
    registry()->newDevice(deviceRecord("127.0.2.31", "4320", "72"));
    QCOMPARE(deviceAt(1)->getServiceEntries().last().srvurl, QStringLiteral("service:web.vantor:http://127.0.2.31"));
}

void TestRegistry::debugAndDiscoveredDeviceAreOne()
{
    QSignalSpy connecting(registry(), &TLinkDeviceHandler::deviceConnecting);
    const QString discoveredUrl = "service:device.vantor://127.0.2.40";

    // First from the file, then from discovery: one device, at discovery's URL.
    registry()->readDebugDevices(testsupport::fixture("registry_debug_clash.xml"));
    QCOMPARE(uniqueIds(), (QStringList{"Vantor4320C40", "Vantor4320C41"}));
    TLinkDevice *device = deviceAt(0);
    QCOMPARE(device->getSrvUrl(), QStringLiteral("service://127.0.2.40"));
    registry()->detectConnectingDevices({discoveredUrl});
    registry()->newDevice(deviceRecord("127.0.2.40", "4320", "C40"));
    QCOMPARE(uniqueIds(), (QStringList{"Vantor4320C40", "Vantor4320C41"}));
    QCOMPARE(device->getSrvUrl(), discoveredUrl);
    QCOMPARE(device->getProduct(), QStringLiteral("VANTOR-4320"));
    QCOMPARE(connecting.last().at(0).toBool(), false);
    // Discovery's URL now rules it: lost, it goes offline.
    registry()->urlLostHandler(discoveredUrl);
    QVERIFY(!device->isOnline());
    registry()->deviceIsOnlineHandler("Vantor4320C40");
    QVERIFY(device->isOnline());

    // First from discovery, then from the file: the file does not take it over.
    registry()->deleteDevice(deviceAt(1));
    registry()->newDevice(deviceRecord("127.0.2.41", "4320", "C41"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^TLinkDeviceHandler::readDebugDevices: device "
                                                        "\"Vantor4320C40\" is known from discovery"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^TLinkDeviceHandler::readDebugDevices: device "
                                                        "\"Vantor4320C41\" is known from discovery"));
    registry()->readDebugDevices(testsupport::fixture("registry_debug_clash.xml"));
    QCOMPARE(uniqueIds(), (QStringList{"Vantor4320C40", "Vantor4320C41"}));
    QCOMPARE(deviceAt(1)->getSrvUrl(), QStringLiteral("service:device.vantor://127.0.2.41"));
    QCOMPARE(deviceAt(1)->getProduct(), QStringLiteral("VANTOR-4320"));
    registry()->detectConnectingDevices({discoveredUrl, "service:device.vantor://127.0.2.41"});
    QCOMPARE(connecting.last().at(0).toBool(), false);
}

void TestRegistry::deleteDevice()
{
    registry()->newDevice(deviceRecord("127.0.2.18", "4320", "61"));
    registry()->newDevice(deviceRecord("127.0.2.19", "4320", "62"));
    QPointer<TLinkDevice> first = deviceAt(0);

    // A window that deletes the device while handling the device's own update.
    connect(registry(), QOverload<TLinkDeviceIf *>::of(&TLinkDeviceHandler::updated), this,
            [](TLinkDeviceIf *device) { registry()->deleteDevice(device); });
    emit first->updated(first);
    disconnect(registry(), nullptr, this, nullptr);

    QCOMPARE(uniqueIds(), QStringList{"Vantor432062"});
    QVERIFY(TLinkSNMPIf::instance()->getProperties("Vantor432061").isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    // Notices for the deleted id find nobody; a null pointer is refused.
    registry()->deviceIsOnlineHandler("Vantor432061");
    registry()->deleteDevice(nullptr);
    QCOMPARE(registry()->getDevices().size(), 1);
}

void TestRegistry::softwareSearchState()
{
    InfoService *service = registry()->softwareSearchService();
    QCOMPARE(service->getServiceType(), 1280);
    QCOMPARE(service->getState(), 1280);
    auto stateIs = [&](int state) { return testsupport::waitFor([&] { return service->getState() == state; }, 3000); };

    // A folder search while the initial search runs leaves the initial state.
    registry()->handleSwSearchInit("/media/sw");
    QTest::qWait(50);
    QCOMPARE(service->getState(), 1280);
    // The initial (periodic) search ends: the folder's search shows.
    registry()->handleSwSearchEnd(QString());
    QVERIFY(stateIs(1282));
    registry()->handleSwSearchEnd("/media/sw");
    QVERIFY(stateIs(1));

    struct Step
    {
        bool start;
        const char *path;
        int state;
    };
    const Step steps[] = {
        {true, "E:", 1281},       // a drive on an idle registry
        {true, "/srv/images", 1281}, // a second search changes nothing
        {false, "E:", 1282},      // the remaining search is a folder
        {false, "/srv/images", 1},
        {true, "/srv/images", 1282},
        {false, "/srv/images", 1},
    };
    for (const Step &step : steps) {
        if (step.start)
            registry()->handleSwSearchInit(step.path);
        else
            registry()->handleSwSearchEnd(step.path);
        QVERIFY2(stateIs(step.state), qPrintable(QString("%1 %2").arg(step.path).arg(service->getState())));
    }

    // A folder the user asks for: shown at once, and over when the upload
    // manager has searched it (its own report of the start is not a second search).
    QTemporaryDir folder;
    QTest::qWait(1100); // past the time the last state is shown at least
    registry()->initiateManualSoftwareSearch(folder.path());
    QVERIFY(stateIs(1282));
    QVERIFY(stateIs(1));
    QTest::qWait(1100);
    QCOMPARE(service->getState(), 1);
}

void TestRegistry::debugDeviceFile()
{
    QSignalSpy updated(registry(), QOverload<TLinkDeviceIf *>::of(&TLinkDeviceHandler::updated));
    registry()->readDebugDevices(testsupport::fixture("registry_debug.xml"));
    QCOMPARE(uniqueIds(), (QStringList{"Vantor & Vantor4320D1", "4330D2", "Vantor4320D3"}));
    QVERIFY(updated.size() >= 3);

    const device_param_t full = deviceAt(0)->getDeviceParam();
    QCOMPARE(full.srvurl, QStringLiteral("service://127.0.2.20"));
    QCOMPARE(full.vendor, QStringLiteral("Vantor & Vantor"));
    QCOMPARE(full.swversion, QStringLiteral("1.07"));
    QCOMPARE(full.product, QStringLiteral("Bridge unit"));
    QCOMPARE(full.swbuild, QStringLiteral("0041"));
    // Declared a second time: the device is updated, not doubled.
    QCOMPARE(full.alias, QStringLiteral("Mast again"));
    QCOMPARE(deviceAt(0)->getIpAddress(), QStringLiteral("127.0.2.20"));

    const device_param_t minimal = deviceAt(1)->getDeviceParam();
    QCOMPARE(minimal.srvurl, QStringLiteral("service://127.0.2.21"));
    for (const QString &text : {minimal.vendor, minimal.product, minimal.swversion, minimal.swbuild, minimal.alias})
        QVERIFY(text.isEmpty());

    const device_param_t empties = deviceAt(2)->getDeviceParam();
    QCOMPARE(empties.swversion, QStringLiteral("1.00"));
    QCOMPARE(empties.product, QStringLiteral("debug device"));
    // The vendor of the shipped model list, whose entry it then has.
    QCOMPARE(empties.vendor, QStringLiteral("Vantor"));
    QCOMPARE(deviceAt(2)->getModelId(), 1);
    QCOMPARE(empties.swbuild, QStringLiteral("000"));
    QCOMPARE(empties.alias, QString());

    // Reading the file again makes no new devices.
    registry()->readDebugDevices(testsupport::fixture("registry_debug.xml"));
    QCOMPARE(registry()->getDevices().size(), 3);
}

void TestRegistry::debugDeviceFileErrors_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("malformed") << testsupport::fixture("registry_debug_malformed.xml")
                               << "TLinkDebugDeviceFile::read: malformed file" << QStringList();
    // Devices completed before the error stay.
    QTest::newRow("cut off") << testsupport::fixture("registry_debug_truncated.xml")
                             << "TLinkDebugDeviceFile::read: malformed file" << QStringList{"4320T1"};
    QTest::newRow("missing") << QDir::temp().filePath("no-such-debug.xml") << "TLinkDebugDeviceFile::read: no such file"
                             << QStringList();
    QTest::newRow("a folder") << QDir::tempPath() << "TLinkDebugDeviceFile::read: " << QStringList();
}

void TestRegistry::debugDeviceFileErrors()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    QFETCH(QStringList, kept);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^" + QRegularExpression::escape(message)));
    registry()->readDebugDevices(file);
    QCOMPARE(uniqueIds(), kept);
}

void TestRegistry::debugDeviceAddresses()
{
    // Only IPv4 addresses make devices, written without leading zeros; the
    // others are refused, each with a debug line.
    for (int i = 0; i < 6; ++i)
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^TLinkDebugDeviceFile::read: device without a valid "
                                                            "IPv4 address skipped"));
    registry()->readDebugDevices(testsupport::fixture("registry_debug_addresses.xml"));
    QCOMPARE(uniqueIds(), (QStringList{"4320A1", "4320A2"}));
    QCOMPARE(deviceAt(0)->getSrvUrl(), QStringLiteral("service://127.0.2.24"));
    QCOMPARE(deviceAt(1)->getSrvUrl(), QStringLiteral("service://127.0.2.25"));
    QCOMPARE(deviceAt(1)->getIpAddress(), QStringLiteral("127.0.2.25"));
}

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
