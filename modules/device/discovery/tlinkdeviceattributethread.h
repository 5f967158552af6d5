#pragma once
// Discovery worker that reads the attributes of each online device, forms
// its unique id and reports it as new, changed or still present.

#include "deviceparam.h"

#include <QMap>
#include <QObject>
#include <QStringList>

class QThread;
class QTimer;
class TLinkSLP;

class TLinkDeviceAttributeThread : public QObject
{
    Q_OBJECT
public:
    static constexpr int FirstPeriodMs = 2000;
    static constexpr int PeriodMs = 60000;

    TLinkDeviceAttributeThread();
    ~TLinkDeviceAttributeThread() override;

    static bool validHostAddr(const QString &srvurl);

signals:
    void newDevice(const device_param_t &device);
    void deviceIsOnline(const QString &uniqueId);
    void updateDevice(const device_param_t &device);
    void searchFinished();
    // The device at that URL answered with attributes that name no device.
    void deviceRefused(const QString &srvurl);

public slots:
    void startTimer();
    void initiateSearch(const QString &srvurl = QString());
    void onlineDevices(const QStringList &onlineDevicesUrl);
    void removeDevice(const QString &uniqueId);
    void finished();

private slots:
    void foundAttributs(const QString &srvurl, const QString &attributes);
    void finishAttributsFound(const QString &srvurl);
    void errorSLP(const QString &error_name, const QString &error_description, const QString &error_sender);

private:
    QThread *m_thread = nullptr;
    QTimer *m_timer = nullptr;
    TLinkSLP *m_slp = nullptr;
    QStringList m_online;
    QMap<QString, QString> m_devices; // unique id -> attribute list + service URL
    QStringList m_reported;
    int m_pending = 0;
};
