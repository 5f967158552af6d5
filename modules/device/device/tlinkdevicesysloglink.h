#pragma once
// What a device object tells the syslog layer about itself: a new unique id
// or a new address. The registry hands the device an implementation.

#include <QString>

class TLinkDeviceSyslogLink
{
public:
    virtual ~TLinkDeviceSyslogLink() = default;
    virtual void changeUniqueId(const QString &oldUniqueId, const QString &newUniqueId) = 0;
    virtual void changeHostAddress(const QString &uniqueId, const QString &hostAddress) = 0;
};
