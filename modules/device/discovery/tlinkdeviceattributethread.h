#pragma once
// Discovery worker that reads the attributes of each online device, forms
// its unique id and reports it as new, changed or still present.

#include "deviceparam.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QSet>
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
    // A search that has run this long without its final call is taken as
    // stuck and started afresh: well beyond the longest wait of an SLP
    // search.
    static constexpr int StuckMs = 35000;
    // A device that has not answered is asked again after these pauses,
    // doubling up to the last, for as long as its URL is online.
    static constexpr int RetryFirstMs = 2000;
    static constexpr int RetryMaxMs = 16000;

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
    // Starts the attribute search of one URL unless one is still under way.
    void ask(const QString &srvurl, const char *what);
    // The search of that URL has ended, with or without an answer.
    void searchEnded(const QString &srvurl);
    void askAgainLater(const QString &srvurl);

    QThread *m_thread = nullptr;
    QTimer *m_timer = nullptr;
    TLinkSLP *m_slp = nullptr;
    QStringList m_online;
    QMap<QString, QString> m_devices; // unique id -> attribute list + service URL
    QStringList m_reported;
    int m_pending = 0;
    QSet<QString> m_answered;       // online URLs whose device has answered
    QSet<QString> m_answeredNow;    // URLs whose current search got an answer
    QHash<QString, int> m_retryMs;  // URL -> pause before its next retry
    QSet<QString> m_retryPlanned;
};
