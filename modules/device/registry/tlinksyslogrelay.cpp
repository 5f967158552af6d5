#include "tlinksyslogrelay.h"

#include "tlinksyslogif.h"

void TLinkSyslogRelay::changeUniqueId(const QString &oldUniqueId, const QString &newUniqueId)
{
    TLinkSyslogIf::instance()->changeUniqueId(oldUniqueId, newUniqueId);
}

void TLinkSyslogRelay::changeHostAddress(const QString &uniqueId, const QString &hostAddress)
{
    TLinkSyslogIf::instance()->changeHostAddress(uniqueId, hostAddress);
}
