#pragma once
// Front object of device discovery: creates the three discovery workers on
// their threads, wires them together and relays their results.

#include "deviceparam.h"
#include "deviceservice.h"

#include <QObject>
#include <QStringList>

class TLinkDeviceDiscoverThread;
class TLinkDeviceAttributeThread;
class TLinkDeviceServiceThread;

class TLinkSLPManagerIf : public QObject
{
    Q_OBJECT
public:
    explicit TLinkSLPManagerIf(QObject *parent = nullptr);
    ~TLinkSLPManagerIf() override;

signals:
    void newDevice(const device_param_t &device);
    void deviceIsOnline(const QString &uniqueId);
    void urlLost(const QString &srvurl);
    void updateDevice(const device_param_t &device);
    void deviceStatus(const QString &uniqueId, bool online);
    void updateService(const device_service_t &service);
    void newService(const device_service_t &service);
    void onlineDevices(const QStringList &onlineDevicesUrl);
    // The device at that URL answers, but with attributes that name no device.
    void deviceRefused(const QString &srvurl);

public slots:
    void initiateDeviceSearch();
    void initiateAttributeSearch();
    void initiateServiceSearch();
    void removeDevice(const QString &uniqueId);

private:
    // Owned by their threads for the life of the process.
    TLinkDeviceDiscoverThread *m_discover = nullptr;
    TLinkDeviceAttributeThread *m_attributes = nullptr;
    TLinkDeviceServiceThread *m_services = nullptr;
};
