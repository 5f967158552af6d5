#pragma once
// TDeviceTestLinkDevice: the link test's view of a device object.

#include "tdevicetestdevice.h"

#include <QPointer>

class TLinkDevice;

class TDeviceTestLinkDevice : public TDeviceTestDevice
{
public:
    explicit TDeviceTestLinkDevice(TLinkDevice *device);

    QString getUniqueId() const override;
    QString getIpAddress() const override;
    QString getVendor() const override;
    QString getProduct() const override;
    QString getModel() const override;
    QString getSoftwareVersion() const override;
    QString getSoftwareBuild() const override;
    QString getSerialNumber() const override;
    QString getAliasName() const override;
    QList<device_test_service_t> getServices() const override;
    bool isServiceAvailable(int serviceId) const override;
    int getRebootTimeout() const override;
    QHostAddress getDeviceHostAddress() const override;
    QObject *getTftpServer() const override;

private:
    QPointer<TLinkDevice> m_device;
};
