#include "livedevice.h"

#include "testdevice.h"
#include "tlinksnmpif.h"

LiveDevice::LiveDevice(const QString &ip, TLinkTftpServerIf *server, const QString &model, const QString &serial)
    : device(makeParam(ip, model, serial), nullptr)
    , relay(&device)
{
    TLinkSNMPIf::instance()->addDevice(device.getUniqueId(), ip, device.getModel(), device.getSoftwareVersion());
    if (server)
        device.connectTftpServer(server);
    device.initServices();
}

LiveDevice::~LiveDevice()
{
    if (m_activated)
        device.activateDevice(false);
    TLinkSNMPIf::instance()->removeDevice(device.getUniqueId());
}

void LiveDevice::activate()
{
    m_activated = true;
    device.activateDevice(true);
}
