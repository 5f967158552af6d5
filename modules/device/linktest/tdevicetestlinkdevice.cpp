#include "tdevicetestlinkdevice.h"

#include "tlinkdevice.h"
#include "tlinktftpserverif.h"

TDeviceTestLinkDevice::TDeviceTestLinkDevice(TLinkDevice *device)
    : m_device(device)
{
}

QString TDeviceTestLinkDevice::getUniqueId() const
{
    return m_device ? m_device->getUniqueId() : QString();
}

QString TDeviceTestLinkDevice::getIpAddress() const
{
    return m_device ? m_device->getIpAddress() : QString();
}

QString TDeviceTestLinkDevice::getVendor() const
{
    return m_device ? m_device->getVendor() : QString();
}

QString TDeviceTestLinkDevice::getProduct() const
{
    return m_device ? m_device->getProduct() : QString();
}

QString TDeviceTestLinkDevice::getModel() const
{
    return m_device ? m_device->getModel() : QString();
}

QString TDeviceTestLinkDevice::getSoftwareVersion() const
{
    return m_device ? m_device->getSoftwareVersion() : QString();
}

QString TDeviceTestLinkDevice::getSoftwareBuild() const
{
    return m_device ? m_device->getSoftwareBuild() : QString();
}

QString TDeviceTestLinkDevice::getSerialNumber() const
{
    return m_device ? m_device->getSerialNumber() : QString();
}

QString TDeviceTestLinkDevice::getAliasName() const
{
    return m_device ? m_device->getAliasName() : QString();
}

QList<device_test_service_t> TDeviceTestLinkDevice::getServices() const
{
    QList<device_test_service_t> services;
    if (!m_device)
        return services;
    const QList<device_service_entry_t> entries = m_device->getServiceEntries();
    for (const device_service_entry_t &entry : entries)
        services.append({entry.serviceTypeId, entry.available, entry.srvurl, entry.attributes, entry.host});
    return services;
}

int TDeviceTestLinkDevice::getRebootTimeout() const
{
    return m_device ? m_device->getRebootTimeout() : -1;
}

bool TDeviceTestLinkDevice::isServiceAvailable(int serviceId) const
{
    return m_device && m_device->isServiceAvailable(serviceId);
}

QHostAddress TDeviceTestLinkDevice::getDeviceHostAddress() const
{
    return m_device ? m_device->getDeviceHostAddress() : QHostAddress();
}

QObject *TDeviceTestLinkDevice::getTftpServer() const
{
    return m_device ? m_device->getTftpServer() : nullptr;
}
