#pragma once
// TLinkDevice: one device found on the network. It keeps the discovery
// record, the services the device offers with their states, the device's
// property groups fed by the SNMP engine, and follows the reboot and the
// device status. Lives and is used on the GUI thread only.

#include "deviceserviceentry.h"
#include "deviceservice.h"
#include "snmpgroup.h"
#include "snmpproperty.h"
#include "tlinkdeviceif.h"
#include "tlinksw.h"
#include "tlinkuploadmanagerif.h"

#include <QDateTime>
#include <QHash>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QSettings>
#include <QTime>

class EnumValue;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class TLinkDeviceDebugSession;
class TLinkTftpServerIf;

class TLinkDevice : public TLinkDeviceIf
{
    Q_OBJECT
public:
    // Status levels of the device status service, and the offline answer of
    // getConnectionStatus().
    enum DeviceStatus { StatusUnknown = 1792, StatusOk = 1793, StatusWarning = 1794, StatusDegraded = 1795,
                        StatusError = 1796, StatusOffline = 1797 };
    // Reboot under way: none, confirmed by the device, requested.
    enum RebootMode { RebootNone = 0, RebootConfirmed = 1, RebootRequested = 2 };
    // Times of the reboot follow-up.
    static constexpr qint64 RebootSettleMs = 3000;
    static constexpr qint64 RebootTimeoutMs = 90000;
    static constexpr int StatusIntervalMs = 4000;

    TLinkDevice(const device_param_t &param, QObject *parent);
    ~TLinkDevice() override;

    // InfoDevice
    QString getName() const override;
    int getStartupTimeout() const override;
    int getProgressTimeout() const override;
    int getTftpTimeout() const override;
    int getRebootOnComplete() const override;

    // TLinkDeviceIf
    bool getCurrentSoftware(TLinkSoftware &out) const override;
    bool getNewestSoftware(TLinkSoftware &out) const override;
    bool isSoftwareUpToDate() const override;
    bool getSoftwareList(QList<TLinkSoftware> &out) const override;
    int getUploadProgress() const override;
    int getUploadState() const override;
    QString getSoftwareVersion() const override;
    QString getModel() const override;
    QString getSerialNumber() const override;
    QString getProduct() const override;
    QString getVendor() const override;
    QString getSrvUrl() const override;
    QString getAliasName() const override;
    QString getSoftwareBuild() const override;
    QString getIpAddress() const override;
    Services_t getServices() const override;
    QString getServiceProtocol(int serviceId) const override;
    QString getServiceApp(int serviceId) const override;
    QString getServiceAddress(int serviceId) const override;
    void postWebServiceEvent(const QString &text) override;
    QList<PropertyGroup *> getPropertyGroups() const override;
    QList<AbstractProperty *> getMonitoredProperties() const override;
    void setMonitoredProperties(const QStringList &names) override;
    device_param_t getDeviceParam() const override;
    bool isOnline() const override;
    void connectLiveLog(QObject *receiver, const char *initSlot, int maxLines, const char *newTextSlot) override;
    void disconnectLiveLog(QObject *receiver, const char *initSlot, const char *newTextSlot) override;
    bool isLiveLoggingEnabled() const override;
    void startLiveLogging() override;
    void stopLiveLogging() override;
    void initiateSoftwareUpload(TLinkSoftware software) override;
    InfoService *getLiveLoggingService() override;
    InfoService *getRebootService() override;
    InfoService *getDiagReportService() override;
    InfoService *getSoftwareUpdateService() override;
    InfoService *getDeviceStatusService() override;
    InfoService *getConfigurationService() override;
    InfoService *getWebInterfaceService() override;
    InfoService *getMibFileService() override;
    void downloadDiagReport(const QString &path) override;
    void rebootDevice() override;
    void activateDevice(bool activate) override;
    void requestCertificate(QObject *receiver, const char *textSlot, const char *finishedSlot) override;
    void closeDebugSession() override;
    int getConnectionStatus(QString &status, QString &description) override;
    void downloadMibFile(const QString &path) override;

    // Identity and discovery updates.
    QString getUniqueId() const;
    void updateDevice(const device_param_t &param);
    void updateHostAddress(const QString &srvUrl);
    QHostAddress getDeviceHostAddress() const;
    QString getKeyFileName(const TLinkSoftware *software) const;
    static QString getDateCode(const QDateTime &time);
    static bool isNewerSoftware(const TLinkSoftware &a, const TLinkSoftware &b);
    void setSoftwareVersion(const QString &version, const QString &build);

    // Software list and upload sequence.
    void updateSoftwareList(const QList<TLinkUploadManagerIf::firmware_list_entry_t> &list);
    bool addSoftware(quint8 major, quint8 minor, quint16 build, quint32 date, const QString &buildId,
                     const QString &fileName, const QString &absolutePath);
    TLinkSw *getNewestSoftwareEntry() const;
    void connectTftpServer(TLinkTftpServerIf *server);
    void setUploadState2Error(int eventId, const QString &text, const QString &logText);
    static QString getUploadStateText(int state);

    // Links the registry fills in.
    // Stores the server and follows its transfer reports.
    void setTftpServer(TLinkTftpServerIf *server) { connectTftpServer(server); }
    TLinkTftpServerIf *getTftpServer() const { return m_tftpServer; }
    void setNetworkAccessManager(QNetworkAccessManager *manager) { m_networkAccessManager = manager; }

    // Services.
    void initServices();
    // The first wait before the SNMP services are probed again while the
    // device's SNMP agent has not answered; it doubles up to a minute.
    void setServiceProbeIntervalMs(int ms) { m_serviceProbeMs = m_serviceProbeWaitMs = ms; }
    device_service_entry_t parseServiceAttributes(const device_service_t &service, bool available);
    void addService(const device_service_t &service);
    void updateService(const device_service_t &service);
    bool isServiceAvailable(int serviceId) const;
    QList<device_service_entry_t> getServiceEntries() const { return m_serviceList; }

    // Properties, fed by the SNMP engine through the registry.
    void initPropertyGroups(const QList<snmp_group_t> &groups);
    void initProperties(const QList<snmp_property_t> &records);
    int findPropertyGroupIndex(const QString &groupName) const;
    void propertyUpdated(const snmp_get_value_t &value);
    void propertiesUpdated(const snmp_req_list_t &result);
    void allPropertiesUpdated(const QList<snmp_property_t> &records);
    void setLiveLogPropertiesDynamic(bool dynamic);

    // Property access: 0 value delivered, 1 property known without a valid
    // value yet, -1 no such property.
    AbstractProperty *findProperty(const QString &name) const;
    int readIntProperty(const QString &name, qint32 &value) const;
    int readStringProperty(const QString &name, QString &value) const;
    int readEnumProperty(const QString &name, EnumValue *&value) const;
    // 0 when a property of that name accepted the write, else -1.
    int writeProperty(const QString &name, const QString &value);
    int writeProperty(const QString &name, int value);

    // Online state and service follow-ups.
    void setOnline(bool online);
    void checkServiceStates();
    QString formatStatusDetail(const QString &format, const QString &object, const QString &type,
                               const QString &description) const;
    int getRebootMode() const { return m_rebootMode; }
    // How long a requested reboot may take before it counts as failed.
    void setRebootTimeoutMs(int ms) { m_rebootTimeoutMs = ms; }
    // How long a live logging start or stop, and a diagnostic report, may
    // take before they count as failed.
    void setLiveLoggingTimeoutMs(int ms) { m_liveLoggingTimeoutMs = ms; }
    void setDiagReportTimeoutMs(int ms) { m_diagReportTimeoutMs = ms; }
    // How often the certificate looks again for antenna data not read yet.
    void setCertificatePollMs(int ms) { m_certificatePollMs = ms; }
    // How long after flashing a device may report another version before
    // the update counts as rejected.
    void setRejectGraceSeconds(int seconds) { m_rejectGraceSeconds = seconds; }

public slots:
    void setProperty(const QString &value) override;
    void initiateUploadState(Services_t services);
    void updateUploadState();
    void updateFileProgress(const QString &filename, const QString &ip, int progress);
    void tftpFileUploaded(const QString &keyFileName);
    void tftpFileDownloaded(const QString &keyFileName);
    void errorFileTransfer(const QString &keyFileName, const QString &reason);
    // The TFTP server's notices with the peer's address: only this device's
    // own transfers count.
    void tftpFileSentTo(const QString &keyFileName, const QString &peerAddress);
    void tftpFileReceivedFrom(const QString &keyFileName, const QString &peerAddress);
    void errorFileTransferWith(const QString &keyFileName, const QString &peerAddress, const QString &reason);
    void initiateDeviceStatus(Services_t services, bool async_call = false);
    void initiateDeviceStatus();
    void updateDeviceStatus();
    void handleTelnetCertificate(const QString &text, int rc);
    void fetchAduSnmpData();
    void handleMibReply(QNetworkReply *reply);

private slots:
    void rebootTimedOut();

private:
    void addServiceBit(Services_t bit);
    void probeSnmpServices(bool all);
    void noteServiceProbe(const snmp_get_value_t &value);
    void setServiceReady(InfoService *service);
    bool checkLiveLoggingState();
    bool setDeviceClockIfUnset();
    void watchLiveLoggingTimeout();
    void checkDiagReportState();
    bool diagReportFailed(const QString &keyFileName, const QString &reason);
    void mibFileFailed(const QString &reason);
    // Cuts a chosen path into folder and file name and keeps the folder as
    // the setting `folderKey`; false (event 770) when the folder is missing.
    bool takeDestination(const QString &path, const QString &folderKey, QString &folder, QString &fileName);
    bool checkRebootState();
    bool rebootEvidenceSeen() const;
    void endReboot(int serviceState);
    bool propertyChangedBy(const AbstractProperty *property, const QString &valueText) const;
    // Forgets the value the device object holds: only a later answer of the
    // device makes it valid again.
    void invalidateProperty(const QString &name);
    bool isOwnPeer(const QString &peerAddress) const;
    // Firmware certificate.
    QDateTime certificateTime() const;
    QString certificateModelCode() const;
    QString certificateBaseLine(const QDateTime &time) const;
    void stopAduPolling();

    // Steps of the upload sequence's tick, one per upload state.
    void uploadIdleStep();
    void uploadInitiatedStep();
    void uploadStartedStep();
    void uploadInProgressStep(int secondsSinceOnline);
    void uploadFlashingStep();
    void uploadRebootStep();
    void uploadErrorStep();
    int readDownloadStatus() const;
    int secondsSinceProgress() const;
    bool readReportedSoftware(TLinkSoftware &out) const;
    QString uploadFailureDescription(const QString &lead, int status) const;

    TLinkSw m_currentSoftware;
    QList<TLinkSw *> m_softwareList;
    device_param_t m_param;
    QString m_ipAddress;
    QHostAddress m_hostAddress;
    bool m_online = true;
    Services_t m_services = 0;
    QList<device_service_entry_t> m_serviceList;
    QList<PropertyGroup *> m_propertyGroups;
    QList<AbstractProperty *> m_monitoredProperties;
    QStringList m_monitoredNames;
    TLinkTftpServerIf *m_tftpServer = nullptr;
    int m_uploadState = -4;
    int m_uploadProgress = 0;
    int m_deviceStatus = StatusOk;
    QString m_statusText;
    QString m_statusDescription;
    QTimer *m_uploadTimer = nullptr;
    QTimer *m_statusTimer = nullptr;
    QTimer *m_rebootTimer = nullptr;
    // SNMP service probe: repeated until the agent has answered once.
    QTimer *m_serviceProbeTimer = nullptr;
    QStringList m_serviceProbesPending;
    int m_serviceProbeMs = 5000;
    int m_serviceProbeWaitMs = 0;
    int m_serviceProbeRound = 0;
    bool m_snmpAnswered = false;
    int m_serviceProbeRetries = 0; // re-asks left for probes that failed after the agent answered
    QStringList m_serviceProbesFailed; // probes that failed before the agent first answered
    int m_rebootTimeoutMs = int(RebootTimeoutMs);
    QElapsedTimer m_rebootClock;
    QElapsedTimer m_liveLoggingClock;
    QElapsedTimer m_diagReportClock;
    // Upload clocks: monotonic, so a change of the wall clock or midnight
    // cannot hold a time-out off.
    QElapsedTimer m_phaseStartTime;
    QElapsedTimer m_lastProgressTime;
    QElapsedTimer m_lastOnlineTime;
    TLinkSoftware m_uploadSoftware;
    InfoService *m_liveLoggingService = nullptr;
    InfoService *m_rebootService = nullptr;
    InfoService *m_diagReportService = nullptr;
    InfoService *m_softwareUpdateService = nullptr;
    InfoService *m_deviceStatusService = nullptr;
    InfoService *m_configurationService = nullptr;
    InfoService *m_webInterfaceService = nullptr;
    InfoService *m_mibFileService = nullptr;
    QSettings m_settings;
    int m_liveLoggingStep = 0;
    // The device clock was unknown when live logging started: it is looked
    // at again with the next values.
    bool m_liveLoggingClockPending = false;
    int m_diagReportStep = 0;
    int m_rebootMode = RebootNone;
    // Evidence that the device restarted after the last reboot request: its
    // up time (seconds, -1 unknown) when asked, whether it answered the
    // request, and whether it was seen gone since.
    qint64 m_rebootUpTime = -1;
    // The SNMP agent answered the last polling cycle that asked it; a device
    // whose agent is silent counts as not reachable, whatever discovery says.
    bool m_snmpAnswering = true;
    bool m_rebootSetAnswered = false;
    bool m_rebootSeenGone = false;
    QString m_diagReportFileKey;
    QString m_mibFileName;
    QTimer *m_certificateSource = nullptr;
    int m_certificateRetryCount = 0;
    QNetworkAccessManager *m_networkAccessManager = nullptr;
    bool m_diagReportReceived = false;
    int m_uploadElapsedSeconds = 0;
    TLinkDeviceDebugSession *m_debugSession = nullptr;
    // Live logging, diagnostic report and MIB file.
    qint64 m_liveLoggingTimeoutMs = 10000;
    qint64 m_diagReportTimeoutMs = 120000;
    int m_certificatePollMs = 3000;
    int m_rejectGraceSeconds = 60;
    // This computer's address on the device's network, looked up again only
    // when the network interfaces change.
    mutable QHostAddress m_localAddress;
    mutable quint64 m_localAddressGeneration = 0;
    mutable bool m_localAddressKnown = false;
    QHash<QNetworkReply *, QString> m_mibReplies;
};
