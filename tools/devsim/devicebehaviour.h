#pragma once
// What a simulated device does with its MIB values: believable start
// values from its identity, a clock, a restart on reset, a software
// download fetched and a diagnostic report sent over TFTP, and a logging
// client that follows its settings.

#include "deviceidentity.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class SyslogSender;
class TftpClient;
class ValueStore;

class DeviceBehaviour : public QObject
{
    Q_OBJECT
public:
    // sysObjectId: the product's identifier as ".1.3.6...".
    DeviceBehaviour(DeviceIdentity &identity, ValueStore *store, const QString &sysObjectId,
                    QObject *parent = nullptr);

    // True while the device restarts: it answers nothing then.
    bool isRestarting() const { return m_restarting; }

private slots:
    void onWritten(const QString &name, const QVariant &value);

private:
    void publishSoftware();
    void setClock(qint64 secondsSinceEpoch);
    qint64 clock() const;
    void startDownload();
    void onDownloadProgress(qint64 bytes, qint64 total);
    void onImageFetched(const QByteArray &image);
    void endDownload(int status, const QString &error = QString());
    // No download running and none failed: the state after boot.
    void setDownloadIdle();
    void startReport();
    void endReport(int status);
    QByteArray report() const;
    void configureLogging();
    void restart();
    void finishRestart();

    DeviceIdentity &m_identity;
    ValueStore *m_store;
    QElapsedTimer m_upTime;
    QElapsedTimer m_clockTimer;
    qint64 m_clockBase = 0;
    bool m_restarting = false;
    TftpClient *m_download;
    TftpClient *m_report;
    SyslogSender *m_syslog;
    QString m_pendingVersion;
    QString m_pendingBuild;
};
