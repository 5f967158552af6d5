#pragma once
// TDeviceTestDevice: what the link test needs to know of the device it tests.
// The window hands the front object one of these (TDeviceTestLinkDevice, the
// view of a device object).

#include <QHostAddress>
#include <QList>
#include <QString>

class QObject;

// One service the device lists, in the device's order.
struct device_test_service_t
{
    int serviceId = 0;      // 256 software update, 512 live logging, 768 diagnostic report,
                            // 1024 reboot, 1824 web interface, 1840 MIB file
    bool announced = false; // reported by discovery (not only known from the model list)
    QString url;            // "service:web.vantor:http://"
    QString attributes;     // the service's attribute text, "default" when there is none
    QString address;
};

class TDeviceTestDevice
{
public:
    virtual ~TDeviceTestDevice() = default;

    virtual QString getUniqueId() const = 0;
    virtual QString getIpAddress() const = 0;
    virtual QString getVendor() const = 0;
    virtual QString getProduct() const = 0;
    virtual QString getModel() const = 0;
    virtual QString getSoftwareVersion() const = 0;
    virtual QString getSoftwareBuild() const = 0;
    virtual QString getSerialNumber() const = 0;
    virtual QString getAliasName() const = 0;
    virtual QList<device_test_service_t> getServices() const = 0;
    // The announced flag of the first service with that id; false when there is none.
    virtual bool isServiceAvailable(int serviceId) const = 0;
    // How long the model takes at most to restart, in seconds; 0 or less
    // when its model list entry does not say.
    virtual int getRebootTimeout() const { return -1; }
    // Address of the local interface whose network holds the device.
    virtual QHostAddress getDeviceHostAddress() const = 0;
    // The TFTP server front object (signal receivedFile(QString)); may be null.
    virtual QObject *getTftpServer() const = 0;
};
