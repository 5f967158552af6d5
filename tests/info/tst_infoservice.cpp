// Service states: the tables, the minimum display time of a state and the
// icon names.
#include "infodevice.h"
#include "infoservice.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

class TestInfoService : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void serviceTypeTable_data();
    void serviceTypeTable();
    void stateTable_data();
    void stateTable();
    void initialStateComesFromTheTable_data();
    void initialStateComesFromTheTable();
    void changeWithinOneSecondIsHeld();
    void heldChangeIsReplacedByTheLatest();
    void sameStateNewValueOrText();
    void unknownStateKeepsStateTakesValue();
    void iconNames_data();
    void iconNames();
    void stateAndDescriptionTexts();
};

void TestInfoService::initTestCase()
{
    QCoreApplication::setOrganizationName("Vantor & Vantor");
    QCoreApplication::setApplicationName("ZEL");
}

void TestInfoService::serviceTypeTable_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("icon");
    QTest::newRow("0") << 0 << "" << "";
    QTest::newRow("256") << 256 << "Software update" << "i_service_sw_update";
    QTest::newRow("512") << 512 << "Live logging" << "i_service_live_log";
    QTest::newRow("768") << 768 << "Download diagnostic report" << "i_service_diag_rep";
    QTest::newRow("1024") << 1024 << "Reboot" << "i_service_reboot";
    QTest::newRow("1280") << 1280 << "Software search" << "i_service_sw_update";
    QTest::newRow("1792") << 1792 << "Device status" << "";
    QTest::newRow("1808") << 1808 << "Configuration" << "zel_button_setting";
    QTest::newRow("1824") << 1824 << "Web interface" << "zel_button_web";
    QTest::newRow("1840") << 1840 << "Download mib file" << "i_service_mibfile";
    QTest::newRow("unknown") << 999 << "" << "";
}

void TestInfoService::serviceTypeTable()
{
    QFETCH(int, type);
    QFETCH(QString, name);
    QFETCH(QString, icon);
    QObject owner;
    InfoService service(&owner, type, 1);
    QCOMPARE(service.getServiceType(), type == 999 ? 0 : type);
    QCOMPARE(service.getName(), name);
    QCOMPARE(service.getIcon(), icon);
    QCOMPARE(InfoService::getServiceName(type), name);
}

void TestInfoService::stateTable_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const QString notAvailable = "The service is not available at the moment.";
    const QString reboot = "The device is requested to reboot.\n\nThere is no communication with the device during reboot.";
    const QString search = "Software search in progress";
    QTest::newRow("-3") << -3 << 0 << "Service not available" << notAvailable;
    QTest::newRow("-2") << -2 << 0 << "Service not available" << notAvailable;
    QTest::newRow("-1") << -1 << 0 << "Service not supported" << "The device does not support this service.";
    QTest::newRow("1") << 1 << 1 << "" << "";
    QTest::newRow("256") << 256 << 2 << "Initiating software update"
                         << "It can take a few minutes before the software update is started.";
    QTest::newRow("257") << 257 << 2 << "Uploading software" << "The new software is being uploaded to the device.";
    QTest::newRow("258") << 258 << 2 << "Completing software update"
                         << "The new software has been uploaded. Waiting to complete software update.";
    QTest::newRow("512") << 512 << 1 << "Live logging - Off" << "";
    QTest::newRow("513") << 513 << 2 << "Live logging - Starting" << "";
    QTest::newRow("514") << 514 << 5 << "Live logging - On" << "";
    QTest::newRow("515") << 515 << 2 << "Live logging - Stopping" << "";
    QTest::newRow("768") << 768 << 2 << "Generating diagnostic report"
                         << "The device has been requested to generate a diagnostic report.";
    QTest::newRow("769") << 769 << 2 << "Downloading diagnostic report"
                         << "The diagnostic report is being downloaded from the device.";
    QTest::newRow("1024") << 1024 << 2 << "Initiating reboot" << reboot;
    QTest::newRow("1025") << 1025 << 2 << "Rebooting" << reboot;
    QTest::newRow("1280") << 1280 << 2 << search << "Please wait for the initial software search to complete.";
    QTest::newRow("1281") << 1281 << 2 << search
                          << "Searching for software on the newly attached USB device. Please wait.";
    QTest::newRow("1282") << 1282 << 2 << search
                          << "Searching for software at the requested path, including sub folders. Please wait.";
    QTest::newRow("1792") << 1792 << 0 << "Service not available" << "Device Status: unknown.";
    QTest::newRow("1793") << 1793 << 0 << "ok" << "Device Status: ok.";
    QTest::newRow("1794") << 1794 << 0 << "warning" << "Device Status: warning.";
    QTest::newRow("1795") << 1795 << 0 << "degraded" << "Device Status: degraded.";
    QTest::newRow("1796") << 1796 << 0 << "error" << "Device Status: error.";
    QTest::newRow("1797") << 1797 << 0 << "offline" << "Device Status: offline.";
}

void TestInfoService::stateTable()
{
    QFETCH(int, state);
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QString, text);
    // Constructed in the state: the first state is applied at once.
    InfoDevice device(nullptr, "owner");
    InfoService *service = device.createInfoService(256, state);
    QCOMPARE(service->parent(), &device);
    QCOMPARE(service->getState(), state);
    QCOMPARE(service->getFlags(), kind);
    QCOMPARE(service->getTitle(), title);
    QCOMPARE(service->getLongText(), text);
    QCOMPARE(service->getValue(), -1);
    QVERIFY(!InfoService::lookupState(2, nullptr, nullptr, nullptr));
}

void TestInfoService::initialStateComesFromTheTable_data()
{
    QTest::addColumn<int>("initial");
    QTest::addColumn<int>("expectedState");
    QTest::addColumn<QString>("title");
    QTest::newRow("-3") << -3 << -3 << "Service not available";
    QTest::newRow("-1") << -1 << -1 << "Service not supported";
    QTest::newRow("not in table") << 4711 << -3 << "Service not available";
}

void TestInfoService::initialStateComesFromTheTable()
{
    QFETCH(int, initial);
    QFETCH(int, expectedState);
    QFETCH(QString, title);
    QObject owner;
    InfoService service(&owner, 1024, initial);
    QCOMPARE(service.getState(), expectedState);
    QCOMPARE(service.getTitle(), title);
    QVERIFY(!service.getLongText().isEmpty());
}

void TestInfoService::changeWithinOneSecondIsHeld()
{
    QObject owner;
    InfoService service(&owner, 1024, -3);
    QSignalSpy spy(&service, &InfoService::stateUpdated);

    // No state was applied yet: the first change shows at once.
    QElapsedTimer clock;
    clock.start();
    service.setState(1, -1, QString());
    QCOMPARE(service.getState(), 1);
    QCOMPARE(spy.count(), 1);

    QTest::qWait(300);
    service.setState(1024, -1, QString());
    QCOMPARE(service.getState(), 1);
    QVERIFY(service.isHeld());
    QCOMPARE(spy.count(), 1);

    QTRY_COMPARE_WITH_TIMEOUT(service.getState(), 1024, 3000);
    QVERIFY2(clock.elapsed() >= InfoService::MinimumDisplayMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(spy.count(), 2);
    QVERIFY(!service.isHeld());
}

void TestInfoService::heldChangeIsReplacedByTheLatest()
{
    QObject owner;
    InfoService service(&owner, 512, 1);
    QCOMPARE(service.getState(), 1);
    QSignalSpy spy(&service, &InfoService::stateUpdated);

    // Within the first second after construction: held, then replaced.
    service.setState(513, -1, QString());
    service.setState(514, 7, "on");
    QCOMPARE(service.getState(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(service.getState(), 514, 3000);
    QTest::qWait(100);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(service.getValue(), 7);
    QCOMPARE(service.getText(), QString("on"));
    QCOMPARE(service.getFlags(), 5);
}

void TestInfoService::sameStateNewValueOrText()
{
    QObject owner;
    InfoService service(&owner, 256, 257);
    QSignalSpy spy(&service, &InfoService::stateUpdated);

    service.setState(257, -1, QString());
    QCOMPARE(spy.count(), 0);

    // Same state, within the display time: value and text are taken at once.
    service.setState(257, 40, QString());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(service.getValue(), 40);
    service.setState(257, 40, " image.tiif");
    QCOMPARE(spy.count(), 2);
    QCOMPARE(service.getText(), QString(" image.tiif"));
    // A new text replaces the old one.
    service.setState(257, 40, " other.tiif");
    QCOMPARE(service.getText(), QString(" other.tiif"));
}

void TestInfoService::unknownStateKeepsStateTakesValue()
{
    QObject owner;
    InfoService service(&owner, 256, -3);
    QSignalSpy spy(&service, &InfoService::stateUpdated);
    service.setState(4711, 12, QString());
    QCOMPARE(service.getState(), -3);
    QCOMPARE(service.getValue(), 12);
    QCOMPARE(spy.count(), 1);
}

void TestInfoService::iconNames_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("icon");
    QTest::newRow("512 size 1") << 512 << 1 << "i_service_live_log_30";
    QTest::newRow("256 size 0") << 256 << 0 << "i_service_sw_update_21";
    QTest::newRow("768 size 2") << 768 << 2 << "i_service_diag_rep_40";
    QTest::newRow("1024 size 4") << 1024 << 4 << "i_service_reboot_button_120x86";
    QTest::newRow("1840 size 3") << 1840 << 3 << "i_service_mibfile_50";
    QTest::newRow("1792 has none") << 1792 << 1 << "";
    QTest::newRow("unknown type") << 4711 << 1 << "";
}

void TestInfoService::iconNames()
{
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(QString, icon);
    QCOMPARE(InfoService::getServiceIconName(type, size), icon);
}

void TestInfoService::stateAndDescriptionTexts()
{
    QObject owner;
    InfoService logging(&owner, 512, 514);
    QCOMPARE(logging.getIconName(2, true), QString("i_service_live_log_40_active"));
    QCOMPARE(logging.getIconName(2, false), QString("i_service_live_log_40"));
    QCOMPARE(InfoService::iconNameForSize(QString(), 2, 4), QString());

    InfoService update(&owner, 256, 257);
    QCOMPARE(update.getStateText(), QString("Uploading software"));
    QCOMPARE(update.getIconName(2, true), QString("i_service_sw_update_40"));
    update.setState(257, 42, " v1.07");
    QCOMPARE(update.getStateText(), QString("Uploading software 42%"));
    QCOMPARE(update.getDescription(), QString("The new software is being uploaded to the device. v1.07"));
}

QTEST_GUILESS_MAIN(TestInfoService)
#include "tst_infoservice.moc"
