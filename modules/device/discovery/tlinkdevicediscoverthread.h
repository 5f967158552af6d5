#pragma once
// Discovery worker that finds the service URLs of the maker's devices, keeps
// those in a local subnet, and tells the other workers which are online.

#include <QObject>
#include <QStringList>

class QThread;
class QTimer;
class TLinkSLP;

class TLinkDeviceDiscoverThread : public QObject
{
    Q_OBJECT
public:
    static constexpr int SearchPeriodMs = 6000;

    TLinkDeviceDiscoverThread();
    ~TLinkDeviceDiscoverThread() override;

    static bool validHostAddr(const QString &srvurl);

signals:
    void onlineDevices(const QStringList &onlineDevicesUrl);
    void urlLost(const QString &srvurl);
    void searchForServices();
    void searchForAttributes(const QString &srvurl);

private slots:
    void foundDevice(const QString &srvurl);
    void finishDeviceDisc(const QString &srvurl);
    void errorSLP(const QString &error_name, const QString &error_description, const QString &error_sender);

public slots:
    void startTimer();
    void initiateSearch();

private:
    QThread *m_thread = nullptr;
    QTimer *m_timer = nullptr;
    TLinkSLP *m_slp = nullptr;
    QStringList m_found;
    QStringList m_online;
};
