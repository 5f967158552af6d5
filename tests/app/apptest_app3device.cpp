#include "apptest_app3device.h"

#include "testsupport.h"
#include "tlinkdevice.h"
#include "tlinkdevicehandler.h"
#include "tmainwindow.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace app3test {

void prepareRegistrySettings()
{
    QSettings settings;
    settings.setValue(QStringLiteral("tftp_server/portnumber"), testsupport::freeUdpPort());
    settings.setValue(QStringLiteral("syslog_server/portnumber"), testsupport::freeUdpPort());
    settings.setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
}

ServedDevice::~ServedDevice()
{
    if (device)
        TLinkDeviceHandler::instance()->deleteDevice(device);
    if (peer)
        peer->stop();
}

std::unique_ptr<ServedDevice> serveDevice(const QString &address, const QString &model, const QString &serial,
                                          const QString &alias)
{
    auto served = std::make_unique<ServedDevice>();
    served->peer = std::make_unique<testsupport::Peer>();
    if (!served->peer->start(ZEL_DEVSIM, {"--address", address, "--no-slp", "--no-telnet", "--model", model,
                                          "--serial", serial, "--alias", alias})
        || !served->peer->waitForOutput(QStringLiteral("devsim ready"), 10000)) {
        qWarning("devsim: %s", qPrintable(served->peer->output()));
        return nullptr;
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("devices.xml"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return nullptr;
    out.write(QStringLiteral("<debug_devices><device><vendor>Vantor &amp; Vantor</vendor><model>%1</model>"
                             "<serialno>%2</serialno><ip_address>%3</ip_address><version>01.07</version>"
                             "<product>VANTOR-%1</product><build>0041</build><alias>%4</alias></device>"
                             "</debug_devices>")
                  .arg(model, serial, address, alias)
                  .toUtf8());
    out.close();
    TLinkDeviceHandler::instance()->readDebugDevices(file);
    for (TLinkDeviceIf *device : TLinkDeviceHandler::instance()->getDevices())
        if (device->getIpAddress() == address)
            served->device = qobject_cast<TLinkDevice *>(device);
    if (!served->device)
        return nullptr;
    served->device->activateDevice(true);
    return served;
}

TMainWindow *makeMainWindow()
{
    auto *main = new TMainWindow(nullptr, QStringLiteral("MainWindowView"), false);
    main->resize(800, 600);
    main->show();
    if (!QTest::qWaitForWindowExposed(main))
        qWarning("app3test::makeMainWindow: main window not exposed");
    settle(main);
    return main;
}

bool settle(TMainWindow *main)
{
    return QTest::qWaitFor([main] { return !main->isAnimating(); }, 5000);
}

} // namespace app3test
