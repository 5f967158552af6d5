#pragma once
// Discovery worker that finds every service type, the URLs of each type and
// their attributes, and reports the services of online devices.

#include "deviceparam.h"
#include "deviceservice.h"

#include <QList>
#include <QObject>
#include <QStringList>

class QThread;
class QTimer;
class TLinkSLP;

class TLinkDeviceServiceThread : public QObject
{
    Q_OBJECT
public:
    static constexpr int PeriodMs = 120000;

    TLinkDeviceServiceThread();
    ~TLinkDeviceServiceThread() override;

signals:
    void updateService(const device_service_t &service);
    void newService(const device_service_t &service);
    void searchFinished();

public slots:
    void startTimer();
    void initiateSearch();
    void newOnlineDevice(const device_param_t &device);
    void onlineDevices(const QStringList &onlineDevicesUrl);
    void finished();

private slots:
    void foundServices(const QStringList &serviceList);
    void finishServicesFound(const QString &srvurl);
    void foundDevice(const QString &device);
    void finishDeviceDisc(const QString &srvurl);
    void foundAttributs(const QString &srvurl, const QString &srvAtt);
    void finishAttributsFound(const QString &srvurl);
    void errorSLP(const QString &error_name, const QString &error_description, const QString &error_sender);

private:
    void emitService(const device_service_t &service);
    // Ends the search once the type search and every URL and attribute
    // search started from it have ended or failed.
    void endSearchWhenDone();
    void clearDb();

    QThread *m_thread = nullptr;
    QTimer *m_timer = nullptr;
    bool m_newDevice = false;
    QStringList m_online;
    TLinkSLP *m_slp = nullptr;
    QStringList m_searchedTypes;
    QList<device_service_t> m_services;
    QList<device_service_t> m_reported;
    int m_pending = 0;            // attribute searches running
    QStringList m_typesSearching; // URL searches running, by type
    bool m_typeSearchOpen = false;
};
