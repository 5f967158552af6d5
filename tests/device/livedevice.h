#pragma once
// A device object on a device simulator, set up as the registry sets one up:
// known to the SNMP facade, fed by it through a relay, with its services
// read and, when a server is given, told of the program's TFTP server.

#include "devicerelay.h"
#include "tlinkdevice.h"

#include <QString>

class TLinkTftpServerIf;

class LiveDevice
{
public:
    explicit LiveDevice(const QString &ip, TLinkTftpServerIf *server = nullptr,
                        const QString &model = QStringLiteral("4320"), const QString &serial = QStringLiteral("100001"));
    // Removes the device from the facade; the device the user looked at
    // (activate) is given up first.
    ~LiveDevice();
    LiveDevice(const LiveDevice &) = delete;
    LiveDevice &operator=(const LiveDevice &) = delete;

    // Makes it the device the user looks at, until it goes.
    void activate();

    TLinkDevice device;
    DeviceRelay relay;

private:
    bool m_activated = false;
};
