// Service entries of the device object: from the model list's web and MIB
// services and from discovery reports; the service bits and states.

#include "eventlog.h"
#include "infodevicemodelarray.h"
#include "infoservice.h"
#include "testdevice.h"
#include "testsupport.h"
#include "tlinkdevice.h"

#include <QSignalSpy>
#include <QtTest>


class TestDeviceServices : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void modelListServices_data();
    void modelListServices();
    void recognisedServices_data();
    void recognisedServices();
    void discoveryReports();
};

void TestDeviceServices::initTestCase()
{
    testsupport::setUpApplication();
    InfoDeviceModelArray::setModelListFile(testsupport::fixture("device_modellist.xml"));
}

void TestDeviceServices::modelListServices_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("webAddress");
    QTest::addColumn<QString>("webApp");
    QTest::addColumn<QString>("mibApp");
    QTest::newRow("path only") << "4320" << "127.0.2.5" << "/index.html" << "/vantor.mib";
    QTest::newRow("host and path") << "9001" << "10.1.1.1:8080" << "/cfg" << "mibfile.mib";
}

void TestDeviceServices::modelListServices()
{
    QFETCH(QString, model);
    QFETCH(QString, webAddress);
    QFETCH(QString, webApp);
    QFETCH(QString, mibApp);
    // The shipped list has model 4320, the fixture the others.
    InfoDeviceModelArray::setModelListFile(model == QLatin1String("4320") ? QString()
                                                                          : testsupport::fixture("device_modellist.xml"));
    EventLog events;
    TLinkDevice device(makeParam("127.0.2.5", model), nullptr);
    QSignalSpy services(&device, &TLinkDeviceIf::updatedServiceList);
    events.clear();
    device.initServices();
    InfoDeviceModelArray::setModelListFile(testsupport::fixture("device_modellist.xml"));

    QCOMPARE(device.getServices(), Services_t(ServiceWebInterface | ServiceMibFile));
    QVERIFY(!services.isEmpty());
    QCOMPARE(services.last().at(0).value<Services_t>(), Services_t(ServiceWebInterface | ServiceMibFile));
    QCOMPARE(device.getServiceProtocol(1824), QStringLiteral("service:web.vantor:http://"));
    QCOMPARE(device.getServiceAddress(1824), webAddress);
    QCOMPARE(device.getServiceApp(1824), webApp);
    QCOMPARE(device.getServiceProtocol(1840), QStringLiteral("service:mib.vantor:http://"));
    QCOMPARE(device.getServiceApp(1840), mibApp);
    QVERIFY(!device.isServiceAvailable(1824));
    QVERIFY(device.getServiceProtocol(256).isEmpty());
    QVERIFY(device.getServiceAddress(1024).isEmpty());

    // Each model-list service is announced twice: once as recognised, once
    // as set up.
    QCOMPARE(events.count(1824), 2);
    QCOMPARE(events.count(1840), 2);
    QVERIFY(testsupport::waitFor([&] { return device.getWebInterfaceService()->getState() == 1
                                              && device.getMibFileService()->getState() == 1; }, 3000));
    // The device announcing a service the model list names as well: its
    // announcement counts, though the model list's record comes first.
    device.updateService(device_service_t{"service:web.vantor:http://127.0.2.5", "default", "127.0.2.5"});
    QVERIFY(device.isServiceAvailable(1824));
    QVERIFY(!device.isServiceAvailable(1840));
}

void TestDeviceServices::recognisedServices_data()
{
    QTest::addColumn<device_service_t>("service");
    QTest::addColumn<int>("bit");
    QTest::addColumn<int>("typeId");
    QTest::addColumn<int>("event");
    QTest::addColumn<QString>("eventText"); // the host is not repeated after a URL that names it
    const QString host = QStringLiteral("127.0.2.5");
    const QString upgrade = QStringLiteral("(service-version=1),(service-protocol=tftp),(meta=x),(meta-version=2)");
    QTest::newRow("web") << device_service_t{"service:web.vantor:http://127.0.2.5", "/index.html", host} << 0x08
                         << 1824 << 1824 << " service:web.vantor:http://127.0.2.5/index.html";
    QTest::newRow("mib") << device_service_t{"service:mib.vantor:http://127.0.2.5", "/m.mib", host} << 0x80 << 1840
                         << 1840 << " service:mib.vantor:http://127.0.2.5/m.mib";
    QTest::newRow("mib, URL without host") << device_service_t{"service:mib.vantor:http://", "/m.mib", host} << 0x80
                                           << 1840 << 1840 << " service:mib.vantor:http://127.0.2.5/m.mib";
    QTest::newRow("reboot") << device_service_t{"service:reboot.vantor://127.0.2.5", "", host} << 0x02 << 1024 << 1026
                            << " service:reboot.vantor://127.0.2.5";
    QTest::newRow("firmware upgrade") << device_service_t{"service:firmware-upgrade.vantor:tftp://127.0.2.5", upgrade, host}
                                      << 0x01 << 256 << 264 << " service:firmware-upgrade.vantor:tftp://127.0.2.5" + upgrade;
    QTest::newRow("upgrade without meta-version")
        << device_service_t{"service:firmware-upgrade.vantor:tftp://127.0.2.5",
                            "(service-version=1),(service-protocol=tftp),(meta=x)", host}
        << 0 << 0 << 0 << QString();
    QTest::newRow("no host") << device_service_t{"service:reboot.vantor://", "", ""} << 0 << 0 << 0 << QString();
    QTest::newRow("unknown") << device_service_t{"service:printer:lpr://127.0.2.5", "", host} << 0 << 0 << 0 << QString();
}

void TestDeviceServices::recognisedServices()
{
    QFETCH(device_service_t, service);
    QFETCH(int, bit);
    QFETCH(int, typeId);
    QFETCH(int, event);
    QFETCH(QString, eventText);
    TLinkDevice device(makeParam("127.0.2.5", "9002"), nullptr);
    QSignalSpy services(&device, &TLinkDeviceIf::updatedServiceList);
    QSignalSpy updated(&device, SIGNAL(updated(TLinkDeviceIf *)));
    EventLog events;
    device.addService(service);
    QCOMPARE(updated.count(), 1);
    QCOMPARE(device.getServices(), Services_t(bit));
    QCOMPARE(services.count(), bit ? 1 : 0);
    if (event)
        QCOMPARE(events.texts(event), QStringList{eventText});
    const QList<device_service_entry_t> entries = device.getServiceEntries();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().serviceBit, bit);
    QCOMPARE(entries.first().serviceTypeId, typeId);
    QVERIFY(entries.first().available);
    // An unrecognised entry is never found by id.
    QCOMPARE(device.getServiceProtocol(0), QString());
    if (typeId) {
        QCOMPARE(device.getServiceProtocol(typeId), service.srvurl);
        QVERIFY(device.isServiceAvailable(typeId));
    }
}

void TestDeviceServices::discoveryReports()
{
    EventLog events;
    TLinkDevice device(makeParam("127.0.2.5", "9002"), nullptr);
    QSignalSpy updated(&device, SIGNAL(updated(TLinkDeviceIf *)));
    const device_service_t reboot{"service:reboot.vantor://127.0.2.5", "NO ATTRIBUTES", "127.0.2.5"};
    const device_service_t web{"service:web.vantor:http://127.0.2.5", "default", "127.0.2.5"};
    events.clear();

    // The first report to an empty list is added.
    device.updateService(reboot);
    QCOMPARE(device.getServiceEntries().size(), 1);
    QCOMPARE(device.getServices(), Services_t(ServiceReboot));

    // An identical report changes nothing.
    events.clear();
    updated.clear();
    device.updateService(reboot);
    QCOMPARE(events.ids(), QList<int>());
    QCOMPARE(updated.count(), 0);
    QCOMPARE(device.getServiceEntries().size(), 1);

    // New attributes replace the entry in place.
    device_service_t changed = reboot;
    changed.attributes = QStringLiteral("(delay=5)");
    device.updateService(changed);
    QCOMPARE(device.getServiceEntries().size(), 1);
    QCOMPARE(device.getServiceApp(1024), changed.attributes);
    QCOMPARE(events.count(16), 1);
    QVERIFY(events.events().first().text.endsWith(QLatin1String("(updated)")));
    QCOMPARE(updated.count(), 1);

    // A URL no entry has (its first report missed the device) is added.
    events.clear();
    device.updateService(web);
    QCOMPARE(device.getServiceEntries().size(), 2);
    QCOMPARE(device.getServiceEntries().last().srvurl, web.srvurl);
    QCOMPARE(events.count(16), 1);

    // Bits are only ever added.
    QCOMPARE(device.getServices(), Services_t(ServiceReboot | ServiceWebInterface));
    device.updateService({reboot.srvurl, reboot.attributes, QString()});
    QCOMPARE(device.getServices(), Services_t(ServiceReboot | ServiceWebInterface));
    QCOMPARE(device.getServiceEntries().size(), 2);
}

QTEST_GUILESS_MAIN(TestDeviceServices)
#include "tst_deviceservices.moc"
