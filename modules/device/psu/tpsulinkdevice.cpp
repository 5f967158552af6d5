#include "tpsulinkdevice.h"

#include "tlinkdeviceif.h"

TPsuLinkDevice::TPsuLinkDevice(TLinkDeviceIf *device, QObject *parent)
    : TPsuDevice(parent), m_device(device)
{
    connect(device, &TLinkDeviceIf::updated, this, [this] { emit updated(); });
    connect(device, &TLinkDeviceIf::updatedConfigProperties, this, &TPsuDevice::updatedConfigProperties);
}

QString TPsuLinkDevice::getUniqueId() const
{
    return m_device ? m_device->getDeviceParam().uniqueId : QString();
}

void TPsuLinkDevice::setMonitoredProperties(const QStringList &names)
{
    if (m_device)
        m_device->setMonitoredProperties(names);
}

QList<AbstractProperty *> TPsuLinkDevice::getMonitoredProperties() const
{
    return m_device ? m_device->getMonitoredProperties() : QList<AbstractProperty *>();
}
