#pragma once
// TLinkDeviceIf: the abstract device interface. Every window reaches a
// device only through it: getters, services, actions and the signals below.

#include "infodevice.h"
#include "services.h"
#include "deviceparam.h"
#include "snmpvalues.h"
#include "tlinksoftware.h"

#include <QList>
#include <QString>
#include <QStringList>

class AbstractProperty;
class InfoService;
class PropertyGroup;

class TLinkDeviceIf : public InfoDevice
{
    Q_OBJECT
public:
    explicit TLinkDeviceIf(QObject *parent);

    // The name to show: the alias followed by the product in parentheses, or
    // the product alone.
    QString getDisplayName() const { return getName(); }

    // Software.
    virtual bool getCurrentSoftware(TLinkSoftware &out) const = 0;
    virtual bool getNewestSoftware(TLinkSoftware &out) const = 0;
    virtual bool isSoftwareUpToDate() const = 0;
    virtual bool getSoftwareList(QList<TLinkSoftware> &out) const = 0;
    virtual int getUploadProgress() const = 0;
    virtual int getUploadState() const = 0;

    // The device's discovery texts.
    virtual QString getSoftwareVersion() const = 0;
    virtual QString getModel() const = 0;
    virtual QString getSerialNumber() const = 0;
    virtual QString getProduct() const = 0;
    virtual QString getVendor() const = 0;
    virtual QString getSrvUrl() const = 0;
    virtual QString getAliasName() const = 0;
    virtual QString getSoftwareBuild() const = 0;
    virtual QString getIpAddress() const = 0;

    // Services.
    virtual Services_t getServices() const = 0;
    virtual QString getServiceProtocol(int serviceId) const = 0;
    virtual QString getServiceApp(int serviceId) const = 0;
    virtual QString getServiceAddress(int serviceId) const = 0;
    virtual void postWebServiceEvent(const QString &text) = 0;

    // Properties.
    virtual QList<PropertyGroup *> getPropertyGroups() const = 0;
    virtual QList<AbstractProperty *> getMonitoredProperties() const = 0;
    virtual void setMonitoredProperties(const QStringList &names) = 0;

    virtual device_param_t getDeviceParam() const = 0;
    virtual bool isOnline() const = 0;

    // Live logging.
    virtual void connectLiveLog(QObject *receiver, const char *initSlot, int maxLines, const char *newTextSlot) = 0;
    virtual void disconnectLiveLog(QObject *receiver, const char *initSlot, const char *newTextSlot) = 0;
    virtual bool isLiveLoggingEnabled() const = 0;
    virtual void startLiveLogging() = 0;
    virtual void stopLiveLogging() = 0;

    virtual void initiateSoftwareUpload(TLinkSoftware software) = 0;

    // Service states; never null.
    virtual InfoService *getLiveLoggingService() = 0;
    virtual InfoService *getRebootService() = 0;
    virtual InfoService *getDiagReportService() = 0;
    virtual InfoService *getSoftwareUpdateService() = 0;
    virtual InfoService *getDeviceStatusService() = 0;
    virtual InfoService *getConfigurationService() = 0;
    virtual InfoService *getWebInterfaceService() = 0;
    virtual InfoService *getMibFileService() = 0;

    // Actions.
    virtual void downloadDiagReport(const QString &path) = 0;
    virtual void rebootDevice() = 0;
    virtual void activateDevice(bool activate) = 0;
    virtual void requestCertificate(QObject *receiver, const char *textSlot, const char *finishedSlot) = 0;
    virtual void closeDebugSession() = 0;
    // Fills the status text and description; returns the device status state
    // id (1792..1796), or 1797 while the device is offline.
    virtual int getConnectionStatus(QString &status, QString &description) = 0;
    virtual void downloadMibFile(const QString &path) = 0;

signals:
    void updated(TLinkDeviceIf *device = nullptr);
    void updatedServiceList(Services_t services);
    void updatedSoftwareVersion();
    void softwareUpdateComplete(const QString &uniqueId);
    void updatedConfigProperties(snmp_req_res_t res);
    void certificateReady(const QString &certificate);
    void certificateFinished(TLinkDeviceIf *pDevice);

public slots:
    // Turns the calling property's write request into an SNMP SET.
    virtual void setProperty(const QString &value) = 0;
};
