#include "devicethreads.h"

#include "tlinksnmpif.h"
#include "tlinksyslogif.h"

#include <QSignalSpy>

bool endDeviceThreads()
{
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    QSignalSpy done(snmp, &TLinkSNMPIf::getValueDone);
    snmp->sendGetReq(QStringLiteral("nobody"), QStringLiteral("sysDescr"));
    if (!done.wait(10000))
        return false;
    delete snmp;
    delete TLinkSyslogIf::instance();
    return true;
}
