#pragma once
// TDeviceTestIf: the link test's front object on the GUI thread. It owns the
// worker (TDeviceTestHandler) and its thread, and chains the steps of a run:
// each step's reads, then the test that judges them. The window receives the
// rows with updated, the log entries with sendLogEntry and the end with finished.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QThread;
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
    void receiveLogEntry(const QStringList &logEntry);

private:
    void queue(const char *slot, QGenericArgument a0 = QGenericArgument(), QGenericArgument a1 = QGenericArgument(),
               QGenericArgument a2 = QGenericArgument(), QGenericArgument a3 = QGenericArgument());

    TDeviceTestDevice *m_device = nullptr;
    QString m_uniqueId;
    QString m_ipAddress;
    QString m_action;
    QThread *m_thread = nullptr;
    TDeviceTestHandler *m_handler = nullptr;
};
