#include "registrysetup.h"

#include "testsupport.h"

#include <QCoreApplication>
#include <QSettings>

void setUpRegistryTest()
{
    qputenv("ZEL_SLP_INTERFACES", "lo");
    QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
    QCoreApplication::setApplicationName(QStringLiteral("ZEL"));
    QSettings settings;
    settings.setValue(QStringLiteral("tftp_server/portnumber"), testsupport::freeUdpPort());
    settings.setValue(QStringLiteral("syslog_server/portnumber"), testsupport::freeUdpPort());
    settings.setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
}

device_param_t deviceRecord(const QString &ip, const QString &model, const QString &serial)
{
    device_param_t p;
    p.srvurl = QStringLiteral("service:device.vantor://") + ip;
    p.vendor = QStringLiteral("Vantor");
    p.model = model;
    p.serialno = serial;
    p.product = QStringLiteral("VANTOR-") + model;
    p.swversion = QStringLiteral("01.07");
    p.swbuild = QStringLiteral("0041");
    p.alias = QStringLiteral("Bridge");
    p.uniqueId = p.vendor + p.model + p.serialno;
    return p;
}
