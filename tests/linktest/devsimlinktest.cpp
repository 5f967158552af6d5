#include "devsimlinktest.h"

#include "tlinksnmpif.h"

#include <QSignalSpy>

device_param_t slpRecord(const QString &uniqueId, const QString &address, const QString &model)
{
    device_param_t p;
    p.srvurl = QStringLiteral("service:device.vantor://%1").arg(address);
    p.vendor = QStringLiteral("Vantor & Vantor");
    p.model = model;
    p.serialno = QStringLiteral("100001");
    p.product = QStringLiteral("VANTOR-4320");
    p.swversion = QStringLiteral("01.07");
    p.swbuild = QStringLiteral("0041");
    p.alias = QStringLiteral("Bridge terminal");
    p.uniqueId = uniqueId;
    return p;
}

bool warmUpSnmp(const QString &address, const QString &model)
{
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    QSignalSpy answered(snmp, &TLinkSNMPIf::getValueDone);
    snmp->addDevice(QStringLiteral("warmup"), address, model, QStringLiteral("01.07"));
    snmp->sendGetReq(QStringLiteral("warmup"), QStringLiteral("sysDescr"));
    const bool ok = answered.wait(10000);
    snmp->removeDevice(QStringLiteral("warmup"));
    return ok;
}
