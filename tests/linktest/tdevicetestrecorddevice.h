#pragma once
// TDeviceTestRecordDevice: a TDeviceTestDevice made of the discovery record,
// the device's service list, its address and (optionally) the TFTP server.

#include "deviceparam.h"
#include "tdevicetestdevice.h"

#include <QPointer>

class TDeviceTestRecordDevice : public TDeviceTestDevice
{
public:
    TDeviceTestRecordDevice(const device_param_t &param, const QString &ipAddress,
                            const QList<device_test_service_t> &services = {}, QObject *tftpServer = nullptr);

    void setParam(const device_param_t &param) { m_param = param; }
    void setServices(const QList<device_test_service_t> &services) { m_services = services; }

    QString getUniqueId() const override { return m_param.uniqueId; }
    QString getIpAddress() const override { return m_ipAddress; }
    QString getVendor() const override { return m_param.vendor; }
    QString getProduct() const override { return m_param.product; }
    QString getModel() const override { return m_param.model; }
    QString getSoftwareVersion() const override { return m_param.swversion; }
    QString getSoftwareBuild() const override { return m_param.swbuild; }
    QString getSerialNumber() const override { return m_param.serialno; }
    QString getAliasName() const override { return m_param.alias; }
    QList<device_test_service_t> getServices() const override { return m_services; }
    bool isServiceAvailable(int serviceId) const override;
    QHostAddress getDeviceHostAddress() const override;
    QObject *getTftpServer() const override { return m_tftpServer; }
    int getRebootTimeout() const override { return m_rebootTimeout; }
    void setRebootTimeout(int seconds) { m_rebootTimeout = seconds; }

private:
    device_param_t m_param;
    QString m_ipAddress;
    QList<device_test_service_t> m_services;
    QPointer<QObject> m_tftpServer;
    int m_rebootTimeout = -1;
};
