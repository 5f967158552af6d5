#pragma once
// TPsuLinkDevice: the power supply interface's view of a device object.

#include "tpsudevice.h"

#include <QPointer>

class TLinkDeviceIf;

class TPsuLinkDevice : public TPsuDevice
{
    Q_OBJECT
public:
    explicit TPsuLinkDevice(TLinkDeviceIf *device, QObject *parent = nullptr);

    QString getUniqueId() const override;
    void setMonitoredProperties(const QStringList &names) override;
    QList<AbstractProperty *> getMonitoredProperties() const override;

private:
    QPointer<TLinkDeviceIf> m_device;
};
