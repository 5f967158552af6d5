// The whole application: the executable starts offscreen and builds its
// device list, and the main window lists two simulated devices that
// discovery finds by SLP on the loopback interface.
#include "apptest_app1setup.h"
#include "testsupport.h"
#include "tlinkdeviceif.h"
#include "zeldevicelistitem.h"
#include "zeldevicelistpage.h"
#include "zeldevicepagescreen.h"
#include "zelmainwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

class TestZelStartup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void executableStartsOffscreen();
    void mainWindowListsDevicesFoundBySlp();

private:
    bool startDevice(const QString &address, const QStringList &options);
    std::map<QString, std::unique_ptr<testsupport::Peer>> m_devices;
};

void TestZelStartup::initTestCase()
{
    if (!testsupport::isRoot())
        QSKIP("simulated devices answer SLP on port 427 and SNMP on port 161: root needed");
    QVERIFY(startDevice(QStringLiteral("127.0.2.10"),
                        {"--model", "4320", "--serial", "120010", "--product", "VANTOR-4320", "--alias", "Mast"}));
    QVERIFY(startDevice(QStringLiteral("127.0.2.11"),
                        {"--model", "4330", "--serial", "120011", "--product", "VANTOR-4330", "--alias", ""}));
}

bool TestZelStartup::startDevice(const QString &address, const QStringList &options)
{
    auto peer = std::make_unique<testsupport::Peer>();
    const QStringList args = QStringList{"--address", address, "--no-telnet", "--no-http"} + options;
    if (!peer->start(QStringLiteral(ZEL_DEVSIM), args) || !peer->waitForOutput(QStringLiteral("devsim ready"), 10000)) {
        qWarning("devsim: %s", qPrintable(peer->output()));
        return false;
    }
    m_devices[address] = std::move(peer);
    return true;
}

void TestZelStartup::executableStartsOffscreen()
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../../modules/mmi/zel/main/src/zel");
    if (!QFileInfo(program).isExecutable())
        QSKIP("the zel executable is not built");
    // A settings store of its own, so that its servers take ports of their own.
    QTemporaryDir config;
    QVERIFY(config.isValid());
    {
        QSettings settings(config.path() + QStringLiteral("/Vantor & Vantor/ZEL.conf"), QSettings::IniFormat);
        settings.setValue(QStringLiteral("tftp_server/portnumber"), testsupport::freeUdpPort());
        settings.setValue(QStringLiteral("syslog_server/portnumber"), testsupport::freeUdpPort());
        settings.setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ZEL_SLP_INTERFACES"), QStringLiteral("lo"));
    testsupport::Peer zel;
    QVERIFY(zel.start(program, {}, env));
    QVERIFY2(zel.waitForOutput(QStringLiteral("ZEL starts. Version number:  \"1.07.41\"  build date:  2017-04-26"), 10000),
             qPrintable(zel.output()));
    // The list page is built and laid out, and the device simulators are found.
    QVERIFY(zel.waitForOutput(QStringLiteral("ZelDeviceListPage::handleScrollWidgetWidthChanged"), 10000));
    QVERIFY2(zel.waitForOutput(QStringLiteral("127.0.2.11"), 20000), qPrintable(zel.output().right(2000)));
    QCOMPARE(zel.process().state(), QProcess::Running);
    zel.stop();
    QVERIFY(!zel.output().contains(QStringLiteral("Fatal: ")));
}

void TestZelStartup::mainWindowListsDevicesFoundBySlp()
{
    ZelMainWindow window;
    window.resize(1024, 700);
    window.show();
    auto *screen = qobject_cast<ZelDevicePageScreen *>(window.currentScreen());
    QVERIFY(screen);
    ZelDeviceListPage *list = screen->listPage();
    const QStringList addresses = {QStringLiteral("127.0.2.10"), QStringLiteral("127.0.2.11")};
    QList<TLinkDeviceIf *> devices;
    auto statusShown = [&] {
        devices = app1DevicesAt(addresses);
        if (devices.size() != 2)
            return false;
        for (TLinkDeviceIf *device : qAsConst(devices)) {
            ZelDeviceListItem *row = list->rowOf(device);
            if (!row || row->secondValue().isEmpty() || !device->isOnline())
                return false;
        }
        return true;
    };
    QVERIFY(testsupport::waitFor(statusShown, 40000));
    QVERIFY(!list->discoveryHeader());
    QStringList names;
    for (TLinkDeviceIf *device : qAsConst(devices))
        names << list->rowOf(device)->name();
    names.sort();
    QCOMPARE(names, QStringList({QStringLiteral("Mast (VANTOR-4320)"), QStringLiteral("VANTOR-4330")}));

    const QString shots = qEnvironmentVariable("ZEL_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        QTest::qWait(500);
        window.grab().save(shots + QStringLiteral("/zel_device_list.png"));
        list->handleDeviceSelected(list->rowOf(devices.first()));
        QVERIFY(testsupport::waitFor([&] { return screen->getAnimationState() == 0; }, 5000));
        QTest::qWait(3000);
        window.grab().save(shots + QStringLiteral("/zel_device_details.png"));
    }
}

APP1_TEST_MAIN(TestZelStartup)
#include "tst_zelstartup.moc"
