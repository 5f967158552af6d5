// The device object's software: the running version and the software list
// that follows the upload manager's firmware entries.

#include "eventlog.h"
#include "testdevice.h"
#include "testsupport.h"
#include "tlinkdevice.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

namespace {

using Image = TLinkUploadManagerIf::firmware_list_entry_t;

Image image(quint8 major, quint8 minor, quint16 build, const QString &dir, const QString &file = "sw.tiif")
{
    Image entry;
    entry.major = major;
    entry.minor = minor;
    entry.build = build;
    entry.date = 0x20261210;
    entry.build_id = QStringLiteral("id-%1").arg(build);
    entry.fileName = file;
    entry.absolutePath = dir;
    entry.product = QStringLiteral("4320");
    return entry;
}

QStringList versions(const TLinkDevice &device)
{
    QList<TLinkSoftware> list;
    device.getSoftwareList(list);
    QStringList result;
    for (const TLinkSoftware &entry : list)
        result << entry.getVersionText() + '/' + entry.getBuildText();
    return result;
}

QStringList eventTexts(const EventLog &log, int id)
{
    QStringList result;
    for (const LoggedEvent &event : log.events())
        if (event.id == id)
            result << event.text;
    return result;
}

} // namespace

class TestDeviceSoftware : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { testsupport::setUpApplication(); }
    void listFollowsFirmwareList();
    void duplicateVersionsKeepFirstImage();
    void newestAndUpToDate_data();
    void newestAndUpToDate();
    void currentSoftware();
};

void TestDeviceSoftware::listFollowsFirmwareList()
{
    const QString temp = QDir::tempPath();
    const QString usb = QStringLiteral("/media/usb0");
    TLinkDevice device(makeParam("127.0.2.60"), nullptr);
    EventLog events;
    QSignalSpy updated(&device, &TLinkDeviceIf::updated);

    const QList<Image> list = {image(1, 7, 41, temp, "a.tiif"), image(2, 0, 1, usb), image(1, 9, 99, temp)};
    device.updateSoftwareList(list);
    QCOMPARE(versions(device), (QStringList{"01.07/0041", "02.00/0001", "01.09/0099"}));
    QCOMPARE(updated.count(), 3);
    QCOMPARE(eventTexts(events, 272), (QStringList{" Ver:1.7-41 " + temp, " Ver:2.0-1 " + usb, " Ver:1.9-99 " + temp}));
    TLinkSoftware first;
    QList<TLinkSoftware> entries;
    device.getSoftwareList(entries);
    first = entries.first();
    QCOMPARE(first.getText1(), QStringLiteral("a.tiif"));
    QCOMPARE(first.getText2(), temp);
    QCOMPARE(first.getText3(), QStringLiteral("id-41"));
    QCOMPARE(first.getValue(), quint32(0x20261210));

    // The same list again changes nothing.
    events.clear();
    updated.clear();
    device.updateSoftwareList(list);
    QVERIFY(events.events().isEmpty());
    QCOMPARE(updated.count(), 0);

    // A list without the first two images removes them, in list order, and
    // keeps the third.
    device.updateSoftwareList({image(1, 9, 99, temp)});
    QCOMPARE(versions(device), QStringList{"01.09/0099"});
    QCOMPARE(eventTexts(events, 273), (QStringList{" Ver:01.07-0041 " + temp, " Ver:02.00-0001 " + usb}));
    QCOMPARE(events.count(272), 0);

    // An empty list removes everything.
    events.clear();
    device.updateSoftwareList({});
    QVERIFY(versions(device).isEmpty());
    QCOMPARE(events.ids(), QList<int>{273});
    TLinkSoftware newest;
    QVERIFY(!device.getNewestSoftware(newest));
    QVERIFY(!device.getNewestSoftwareEntry());
    QVERIFY(device.isSoftwareUpToDate());
}

void TestDeviceSoftware::duplicateVersionsKeepFirstImage()
{
    // The same version on a removable drive and in the search path: one
    // entry, with the first image's texts, which stays while either is listed.
    TLinkDevice device(makeParam("127.0.2.60"), nullptr);
    EventLog events;
    const Image onDrive = image(1, 7, 41, "/media/usb0", "drive.tiif");
    const Image inPath = image(1, 7, 41, QDir::tempPath(), "path.tiif");
    device.updateSoftwareList({onDrive, inPath});
    QCOMPARE(versions(device), QStringList{"01.07/0041"});
    device.updateSoftwareList({inPath});
    QList<TLinkSoftware> entries;
    QVERIFY(device.getSoftwareList(entries));
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().getText1(), QStringLiteral("drive.tiif"));
    QCOMPARE(entries.first().getText2(), QStringLiteral("/media/usb0"));
    QCOMPARE(events.ids(), QList<int>{272});
}

void TestDeviceSoftware::newestAndUpToDate_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("build");
    QTest::addColumn<bool>("upToDate");
    QTest::newRow("equal to newest") << "02.00" << "0001" << true;
    QTest::newRow("newer build") << "02.00" << "0002" << true;
    QTest::newRow("older minor, higher build") << "01.09" << "0099" << false;
    QTest::newRow("older build") << "02.00" << "0000" << false;
    QTest::newRow("newer major") << "03.00" << "0000" << true;
}

void TestDeviceSoftware::newestAndUpToDate()
{
    QFETCH(QString, version);
    QFETCH(QString, build);
    QFETCH(bool, upToDate);
    device_param_t param = makeParam("127.0.2.60");
    param.swversion = version;
    param.swbuild = build;
    TLinkDevice device(param, nullptr);
    device.updateSoftwareList({image(1, 7, 41, "/a"), image(2, 0, 1, "/b"), image(1, 9, 99, "/c")});
    TLinkSoftware newest;
    QVERIFY(device.getNewestSoftware(newest));
    QCOMPARE(newest.getVersionText() + '/' + newest.getBuildText(), QStringLiteral("02.00/0001"));
    QCOMPARE(newest.getText2(), QStringLiteral("/b"));
    QCOMPARE(device.getNewestSoftwareEntry()->getText2(), QStringLiteral("/b"));
    QCOMPARE(device.isSoftwareUpToDate(), upToDate);
}

void TestDeviceSoftware::currentSoftware()
{
    device_param_t param = makeParam("127.0.2.60");
    param.swversion.clear();
    param.swbuild.clear();
    TLinkDevice device(param, nullptr);
    TLinkSoftware out(9, 9, 9, 9);
    QVERIFY(!device.getCurrentSoftware(out));
    QCOMPARE(out.getMajor(), quint8(9));

    QSignalSpy changed(&device, &TLinkDeviceIf::updatedSoftwareVersion);
    device.setSoftwareVersion("01.07", "0041");
    device.setSoftwareVersion("01.07", "0041");
    QCOMPARE(changed.count(), 1);
    QVERIFY(device.getCurrentSoftware(out));
    QCOMPARE(out.getVersionText() + '/' + out.getBuildText(), QStringLiteral("01.07/0041"));
}

QTEST_GUILESS_MAIN(TestDeviceSoftware)
#include "tst_devicesoftware.moc"
