#pragma once
// TLinkDeviceHandler: the device registry. Owns every device object, builds
// the device layer's services on first use and turns what discovery reports
// into device objects that are created, merged, updated, taken online or
// offline and deleted. Relays the SNMP layer's notices to the right device.
// Lives on the GUI thread for the whole process.

#include "deviceparam.h"
#include "deviceservice.h"
#include "infodevice.h"
#include "snmpvalues.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class InfoService;
class QNetworkAccessManager;
class TLinkDevice;
class TLinkDeviceIf;
class TLinkSLPManagerIf;
class TLinkTftpServerIf;
class TLinkUploadManagerIf;

class TLinkDeviceHandler : public InfoDevice
{
    Q_OBJECT
public:
    // The registry, built on first use (on the GUI thread).
    static TLinkDeviceHandler *instance();

    // A copy of the device list, in order of creation.
    QList<TLinkDeviceIf *> getDevices();
    // Removes the device from discovery, the SNMP and the syslog layers and
    // from the registry, and deletes it once control is back in the event loop.
    void deleteDevice(TLinkDeviceIf *device);
    // Creates the devices of a debug device file as if discovered.
    void readDebugDevices(const QString &fileName);
    // Software image searches of the upload manager.
    void rescanSoftware();
    void setSoftwareSearchInterval(bool fromSettings, quint32 searchIntervalMs, quint32 garbageIntervalMs);
    void initiateManualSoftwareSearch(const QString &path);

    // The one network access manager of the program (GUI thread only).
    QNetworkAccessManager *networkAccessManager() const { return m_networkAccessManager; }
    TLinkTftpServerIf *tftpServer() const { return m_tftpServer; }
    // The state of the software image searches (service type 1280).
    InfoService *softwareSearchService() const { return m_softwareSearchService; }
    quint16 tftpPort() const { return m_tftpPort; }

signals:
    void updated(TLinkDeviceIf *device);
    void updated();
    void deviceConnecting(bool connecting);

public slots:
    void initiateDeviceSearch();
    void initiateAttributeSearch();
    void initiateServiceSearch();
    void initiateDeviceSoftwareUpdate();
    void removeDevice(const QString &uniqueId);
    void tftpSessionStarted(const QString &srvurl);
    void detectConnectingDevices(const QStringList &onlineDevicesUrl);
    void newDevice(const device_param_t &perams);
    void updateDevice(const device_param_t &perams);
    void deviceIsOnlineHandler(const QString &uniqueId);
    void urlLostHandler(const QString &url);
    // Discovery refused what the device at that URL answered: it is no longer
    // counted as connecting until it answers anew.
    void deviceRefusedHandler(const QString &url);
    void updateService(const device_service_t &serv);
    void newService(const device_service_t &serv);
    void devicePropertyGroupInit(const QString &uniqueId);
    void devicePropertyInit(const QString &uniqueId);
    void allPropertiesUpdated(const QString &uniqueId);
    void propertyUpdated(const snmp_get_value_t &snmpValue);
    void propertiesUpdated(const snmp_req_list_t &snmpValues);
    void handleSwSearchInit(const QString &path);
    void handleSwSearchEnd(const QString &path);
    void softwareUpdateComplete(const QString &uniqueId);

private:
    TLinkDeviceHandler();
    ~TLinkDeviceHandler() override;

    TLinkDevice *findDevice(const QString &uniqueId) const;
    void setDeviceOnline(TLinkDevice *device, bool online);
    void takeOffline(TLinkDevice *device, const QString &eventText);
    void checkConnecting();
    void handSoftwareImages(TLinkDevice *device);
    void keepPendingService(const device_service_t &serv);
    void handPendingServices(TLinkDevice *device);
    void takeDiscoveredRecord(TLinkDevice *device, const device_param_t &perams);
    void setSearchState(const QString &path);
    static bool isDrive(const QString &path);

    QList<TLinkDevice *> m_devices;
    QList<TLinkDeviceIf *> m_snapshot;
    TLinkSLPManagerIf *m_slpManager = nullptr;
    TLinkTftpServerIf *m_tftpServer = nullptr;
    TLinkUploadManagerIf *m_uploadManager = nullptr;
    InfoService *m_softwareSearchService = nullptr;
    QStringList m_searchPaths;
    // Manual searches already counted in m_searchPaths whose start the upload
    // manager has not reported yet.
    QStringList m_manualSearches;
    QNetworkAccessManager *m_networkAccessManager = nullptr;
    QStringList m_connectingUrls;
    // URLs whose answers discovery refused; not counted as connecting.
    QStringList m_refusedUrls;
    // Services reported for an address no device has yet, handed to the
    // device when it arrives.
    QList<device_service_t> m_pendingServices;
    // Unique ids of the devices made from the debug device file and not
    // (yet) reported by discovery.
    QSet<QString> m_debugIds;
    quint16 m_tftpPort = 69;
};
