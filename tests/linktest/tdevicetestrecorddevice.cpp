#include "tdevicetestrecorddevice.h"

#include <QNetworkInterface>

TDeviceTestRecordDevice::TDeviceTestRecordDevice(const device_param_t &param, const QString &ipAddress,
                                                 const QList<device_test_service_t> &services, QObject *tftpServer)
    : m_param(param), m_ipAddress(ipAddress), m_services(services), m_tftpServer(tftpServer)
{
}

bool TDeviceTestRecordDevice::isServiceAvailable(int serviceId) const
{
    for (const device_test_service_t &service : m_services)
        if (service.serviceId == serviceId)
            return service.announced;
    return false;
}

QHostAddress TDeviceTestRecordDevice::getDeviceHostAddress() const
{
    const QHostAddress device(m_ipAddress);
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces)
        for (const QNetworkAddressEntry &entry : iface.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && entry.prefixLength() >= 0
                && device.isInSubnet(entry.ip(), entry.prefixLength()))
                return entry.ip();
    return QHostAddress();
}
