#pragma once
// Passes a device object's new unique id or address on to the syslog layer.

#include "tlinkdevicesysloglink.h"

class TLinkSyslogRelay : public TLinkDeviceSyslogLink
{
public:
    void changeUniqueId(const QString &oldUniqueId, const QString &newUniqueId) override;
    void changeHostAddress(const QString &uniqueId, const QString &hostAddress) override;
};
