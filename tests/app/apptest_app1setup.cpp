#include "apptest_app1setup.h"

#include "testsupport.h"
#include "tlinkdevicehandler.h"
#include "tlinkdeviceif.h"
#include "tstylesheet.h"
#include "zelapp.h"

#include <QCoreApplication>
#include <QSettings>

void app1SetUp(int &argc, char **argv)
{
    qputenv("ZEL_SLP_INTERFACES", "lo");
    ZelApp::instance(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
    QCoreApplication::setApplicationName(QStringLiteral("ZEL"));
    QSettings settings;
    settings.setValue(QStringLiteral("tftp_server/portnumber"), testsupport::freeUdpPort());
    settings.setValue(QStringLiteral("syslog_server/portnumber"), testsupport::freeUdpPort());
    settings.setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    TStyleSheet::instance()->addStyleSheet(QStringLiteral("zel_stylesheet_ext.css"));
}

QList<TLinkDeviceIf *> app1DevicesAt(const QStringList &addresses)
{
    QList<TLinkDeviceIf *> found;
    const QList<TLinkDeviceIf *> devices = TLinkDeviceHandler::instance()->getDevices();
    for (TLinkDeviceIf *device : devices) {
        if (addresses.contains(device->getIpAddress()))
            found.append(device);
    }
    return found;
}
