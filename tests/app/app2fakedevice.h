#pragma once
// A device object for the window tests: fixed texts, service objects whose
// state the test sets, and a record of the operations the windows call.

#include "infoservice.h"
#include "tlinkdeviceif.h"

#include <QMap>
#include <QPointer>
#include <QStringList>

class App2FakeDevice : public TLinkDeviceIf
{
public:
    explicit App2FakeDevice(const QString &name = QStringLiteral("Alias One (Product X)"))
        : TLinkDeviceIf(nullptr), displayName(name)
    {
        for (int type : {256, 512, 768, 1024, 1840, 1792, 1808, 1824})
            services.insert(type, new InfoService(this, type, -3));
        setServiceState(512, 512);
    }

    // Replaces the service of that type by a fresh one in the given state
    // (a fresh object takes the state at once, without the display hold).
    void setServiceState(int type, int state, int value = -1)
    {
        delete services.value(type);
        auto *service = new InfoService(this, type, -3);
        service->setState(state, value, QString());
        services.insert(type, service);
    }

    QString getName() const override { return displayName; }

    bool getCurrentSoftware(TLinkSoftware &out) const override
    {
        if (current.isVersion(0, 0, 0))
            return false;
        out = current;
        return true;
    }
    bool getNewestSoftware(TLinkSoftware &out) const override
    {
        if (images.isEmpty())
            return false;
        TLinkSoftware newest = images.first();
        for (const TLinkSoftware &sw : images)
            if (sw.isNewerThan(newest))
                newest = sw;
        out = newest;
        return true;
    }
    bool isSoftwareUpToDate() const override
    {
        TLinkSoftware newest;
        return images.isEmpty() || (getNewestSoftware(newest) && !newest.isNewerThan(current));
    }
    bool getSoftwareList(QList<TLinkSoftware> &out) const override
    {
        out.append(images);
        return !images.isEmpty();
    }
    int getUploadProgress() const override { return 0; }
    int getUploadState() const override { return 0; }

    QString getSoftwareVersion() const override { return QString(); }
    QString getModel() const override { return QStringLiteral("M1"); }
    QString getSerialNumber() const override { return QStringLiteral("S1"); }
    QString getProduct() const override { return QStringLiteral("Product X"); }
    QString getVendor() const override { return QStringLiteral("Vantor"); }
    QString getSrvUrl() const override { return QString(); }
    QString getAliasName() const override { return QString(); }
    QString getSoftwareBuild() const override { return QString(); }
    QString getIpAddress() const override { return QStringLiteral("127.0.2.30"); }

    Services_t getServices() const override { return serviceWord; }
    QString getServiceProtocol(int) const override { return QString(); }
    QString getServiceApp(int serviceId) const override { return serviceId == 1840 ? mibApp : QString(); }
    QString getServiceAddress(int) const override { return getIpAddress(); }
    void postWebServiceEvent(const QString &) override {}

    QList<PropertyGroup *> getPropertyGroups() const override { return {}; }
    QList<AbstractProperty *> getMonitoredProperties() const override { return {}; }
    void setMonitoredProperties(const QStringList &) override {}
    device_param_t getDeviceParam() const override { return device_param_t(); }
    bool isOnline() const override { return online; }

    void connectLiveLog(QObject *receiver, const char *initSlot, int maxLines, const char *newTextSlot) override
    {
        calls << QStringLiteral("connectLiveLog %1").arg(maxLines);
        logReceiver = receiver;
        initSlotName = QString::fromLatin1(initSlot);
        newSlotName = QString::fromLatin1(newTextSlot);
    }
    void disconnectLiveLog(QObject *receiver, const char *, const char *) override
    {
        calls << QStringLiteral("disconnectLiveLog");
        if (logReceiver == receiver)
            logReceiver = nullptr;
    }
    bool isLiveLoggingEnabled() const override { return false; }
    void startLiveLogging() override { calls << QStringLiteral("startLiveLogging"); }
    void stopLiveLogging() override { calls << QStringLiteral("stopLiveLogging"); }

    void initiateSoftwareUpload(TLinkSoftware software) override
    {
        calls << QStringLiteral("initiateSoftwareUpload %1 %2").arg(software.getVersionText(), software.getBuildText());
    }

    InfoService *getLiveLoggingService() override { return services.value(512); }
    InfoService *getRebootService() override { return services.value(1024); }
    InfoService *getDiagReportService() override { return services.value(768); }
    InfoService *getSoftwareUpdateService() override { return services.value(256); }
    InfoService *getDeviceStatusService() override { return services.value(1792); }
    InfoService *getConfigurationService() override { return services.value(1808); }
    InfoService *getWebInterfaceService() override { return services.value(1824); }
    InfoService *getMibFileService() override { return services.value(1840); }

    void downloadDiagReport(const QString &path) override { calls << QStringLiteral("downloadDiagReport ") + path; }
    void rebootDevice() override { calls << QStringLiteral("rebootDevice"); }
    void activateDevice(bool) override {}
    void requestCertificate(QObject *, const char *, const char *) override {}
    void closeDebugSession() override {}
    int getConnectionStatus(QString &status, QString &description) override
    {
        status = QStringLiteral("OK");
        description.clear();
        return 1793;
    }
    void downloadMibFile(const QString &path) override { calls << QStringLiteral("downloadMibFile ") + path; }
    void setProperty(const QString &) override {}

    // Delivers text through the slots the window handed to connectLiveLog.
    bool deliverInit(const QString &text) { return deliver(initSlotName, text); }
    bool deliverLine(const QString &text) { return deliver(newSlotName, text); }

    QString displayName;
    QString mibApp;
    bool online = true;
    Services_t serviceWord = 0xff;
    TLinkSoftware current;
    QList<TLinkSoftware> images;
    QStringList calls;
    QMap<int, InfoService *> services;
    QPointer<QObject> logReceiver;
    QString initSlotName;
    QString newSlotName;

private:
    bool deliver(const QString &signature, const QString &text)
    {
        if (!logReceiver)
            return false;
        const QString name = signature.mid(1).section(QLatin1Char('('), 0, 0);
        return QMetaObject::invokeMethod(logReceiver, name.toLatin1().constData(), Q_ARG(QString, text));
    }
};
