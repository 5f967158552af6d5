#pragma once
// Hands the SNMP facade's notices of one device to its device object, the
// way the device registry does in the program.

#include <QObject>
#include <QPointer>

class TLinkDevice;

class DeviceRelay : public QObject
{
    Q_OBJECT
public:
    explicit DeviceRelay(TLinkDevice *device, QObject *parent = nullptr);

private:
    bool isMine(const QString &uniqueId) const;

    QPointer<TLinkDevice> m_device;
};
