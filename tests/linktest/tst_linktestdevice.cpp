// The link test's view of a device object: identity texts and the service
// list with its announced flags.

#include "devicethreads.h"
#include "tdevicetestlinkdevice.h"
#include "tlinkdevice.h"
#include "tlinksnmpif.h"
#include "testsupport.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

class TestLinkTestDevice : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void viewOfDeviceObject();
};

void TestLinkTestDevice::initTestCase()
{
    testsupport::setUpApplication();
}

void TestLinkTestDevice::cleanupTestCase()
{
    QVERIFY(endDeviceThreads());
}

void TestLinkTestDevice::viewOfDeviceObject()
{
    device_param_t p;
    p.srvurl = QStringLiteral("service:device.vantor://127.0.2.60");
    p.vendor = QStringLiteral("Vantor & Vantor");
    p.model = QStringLiteral("4411");
    p.serialno = QStringLiteral("100007");
    p.product = QStringLiteral("VANTOR-4411");
    p.swversion = QStringLiteral("01.07");
    p.swbuild = QStringLiteral("0041");
    p.alias = QStringLiteral("Mast");
    p.uniqueId = QStringLiteral("Vantor4411100007");
    TLinkDevice device(p, nullptr);
    device.addService({QStringLiteral("service:reboot.vantor://127.0.2.60"), QString(), QStringLiteral("127.0.2.60")});
    TDeviceTestLinkDevice view(&device);

    QCOMPARE(view.getUniqueId(), p.uniqueId);
    QCOMPARE(view.getIpAddress(), device.getIpAddress());
    QCOMPARE((QStringList{view.getVendor(), view.getProduct(), view.getModel(), view.getSoftwareVersion(),
                          view.getSoftwareBuild(), view.getSerialNumber(), view.getAliasName()}),
             (QStringList{p.vendor, p.product, p.model, p.swversion, p.swbuild, p.serialno, p.alias}));
    QVERIFY(view.isServiceAvailable(1024));
    QVERIFY(!view.isServiceAvailable(256));

    const QList<device_service_entry_t> entries = device.getServiceEntries();
    const QList<device_test_service_t> services = view.getServices();
    QCOMPARE(services.size(), entries.size());
    bool sawReboot = false;
    for (int i = 0; i < services.size(); ++i) {
        QCOMPARE(services.at(i).url, entries.at(i).srvurl);
        QCOMPARE(services.at(i).attributes, entries.at(i).attributes);
        QCOMPARE(services.at(i).announced, entries.at(i).available);
        QCOMPARE(services.at(i).serviceId, entries.at(i).serviceTypeId);
        sawReboot = sawReboot || (services.at(i).serviceId == 1024 && services.at(i).announced);
    }
    QVERIFY(sawReboot);
}

QTEST_GUILESS_MAIN(TestLinkTestDevice)
#include "tst_linktestdevice.moc"
