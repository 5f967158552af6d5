#pragma once
// TDeviceTestIf: the link test's front object on the GUI thread. It owns the
// worker (TDeviceTestHandler) and its thread, and chains the steps of a run:
// each step's reads, then the test that judges them. The window receives the
// rows with updated, the log entries with sendLogEntry and the end with finished.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QTemporaryDir;
class QThread;
class QTimer;
class TDeviceTestDevice;
class TDeviceTestHandler;

class TDeviceTestIf : public QObject
{
    Q_OBJECT
public:
    // The device must outlive this object.
    TDeviceTestIf(TDeviceTestDevice *device, QObject *parent = nullptr);
    ~TDeviceTestIf() override;

    void startTest();
    void startTftpDownload();
    void rebootDevice();
    void startMibTreeTest();

    // How long the web page and MIB file requests and the wait for the
    // diagnostics report may take.
    void setTimeouts(int httpMs, int downloadMs);

    // The id of the test device the MIB tree test adds to the SNMP engine.
    QString testDeviceId() const;

    // The step label the rows of the next result belong to.
    QString currentAction() const { return m_action; }
    // The worker thread; it deletes itself once its event loop has ended.
    QThread *workerThread() const { return m_thread; }

signals:
    void updated(const QStringList &test_name_list, const QList<QStringList> &result_list);
    void finished();
    void sendLogEntry(const QStringList &logEntry);

public slots:
    void handleUpdated(const QList<QStringList> &result_list);
    void handleReady(const QString &action);
    void tftpFileDownloaded(const QString &keyFileName);
    void tftpFileDownloadedFrom(const QString &keyFileName, const QString &peerAddress);
    void tftpSessionStarted(const QString &srvurl);
    void receiveLogEntry(const QStringList &logEntry);

private:
    // The service step's rows with the "<ip>" of an address filled in.
    QList<QStringList> withDeviceAddress(QList<QStringList> rows) const;
    void queue(const char *slot, QGenericArgument a0 = QGenericArgument(), QGenericArgument a1 = QGenericArgument(),
               QGenericArgument a2 = QGenericArgument(), QGenericArgument a3 = QGenericArgument());

    // Ends the download step with its row.
    void endTftpDownload(const QList<QStringList> &rows);
    // The server no longer expects the device's report.
    void withdrawUploadExpectation();

    TDeviceTestDevice *m_device = nullptr;
    QString m_uniqueId;
    QString m_ipAddress;
    QString m_action;
    QThread *m_thread = nullptr;
    TDeviceTestHandler *m_handler = nullptr;
    QPointer<QObject> m_tftpServer;        // connected while a download waits for its file
    QTimer *m_downloadTimer = nullptr;
    QString m_expectedFrom;                // the device whose report the server expects
    QTemporaryDir *m_uploadDir = nullptr;  // where the link test's reports arrive
    bool m_downloadActive = false;
    bool m_deviceSentFile = false;          // the device opened a transfer to the server
};
