#pragma once

#include "infoevent.h"
#include "syslogbacklog.h"
#include "syslogdatagram.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class InfoDevice;
class QThread;
class TLinkSyslogDevice;
class TLinkSyslogFile;
class TLinkSyslogForwarder;
class TLinkSyslogMonitor;

// The syslog layer's front object: keeps the registered sources, takes the
// datagrams the receiver hands over, names their severity, has them stored
// by the file worker, passes each line to the source's listeners and
// forwards the datagram to an external syslog server when that is on.
// Lives on the GUI thread; the receiver, the file worker and the forwarder
// have a thread each.
class TLinkSyslogIf : public QObject
{
    Q_OBJECT
public:
    // The process-wide front object, made on first use.
    static TLinkSyslogIf *instance();

    // Use instance(); a separate object is only for tests.
    explicit TLinkSyslogIf(QObject *parent = nullptr);
    ~TLinkSyslogIf() override;

    // Start-up, once, after the event hub has registered the application as
    // a source and connected its syslog events: makes the syslog manager,
    // reads the forwarding settings and raises events 516 and 517.
    void init();

    void addDevice(const QString &uniqueId, const QString &namePart1, const QString &namePart2,
                   const QString &hostAddress);
    void changeHostAddress(const QString &uniqueId, const QString &hostAddress);
    void changeUniqueId(const QString &oldUniqueId, const QString &newUniqueId);
    void removeDevice(const QString &uniqueId);

    // Connects a listener to a source: initMember receives the newest stored
    // lines (at most maxLen) once, newLineMember every new line.
    void connectSyslogDevice(const QString &uniqueId, const QObject *receiver, const char *initMember, int maxLen,
                             const char *newLineMember);
    void disconnectSyslogDevice(const QString &uniqueId, const QObject *receiver, const char *initMember,
                                const char *newLineMember);

    // The port the receiver listens on, and whether it could bind it.
    quint16 receivePort() const;
    bool isReceiving() const;
    // Datagrams the receiver lost to a full socket buffer (also logged as
    // they are lost).
    quint32 droppedDatagrams() const;

public slots:
    // An application event as an RFC 5424 line of each source at url.
    void infoEventHandler(QString url, InfoEvent infoEvent);
    void setExternalSyslog(bool bEnable, QString address, quint16 port);
    // One line of a source, by its address: stored, shown and forwarded.
    void syslogReceivedHandler(QString url, QString msg);
    // Datagrams from the receiver: each is handled as a line of its sender,
    // and forwarded with its bytes unchanged.
    void datagramsReceivedHandler(SyslogDatagrams datagrams);
    void readSyslogFileDoneHandler(QString uniqueId, QString fileContent);
    void reportSyslogEvents(InfoEventId_t id, QString extDescription);

private:
    TLinkSyslogDevice *findById(const QString &uniqueId) const;
    TLinkSyslogDevice *findByHost(const QString &hostAddress) const;
    void handleLine(TLinkSyslogDevice *source, const QString &msg);
    void queueLines(const QString &fileName, const QStringList &lines);
    void forward(const QVector<QByteArray> &datagrams);

    InfoDevice *m_syslogManager = nullptr;
    QList<TLinkSyslogDevice *> m_sources;
    QThread *m_monitorThread = nullptr;
    QThread *m_fileThread = nullptr;
    QThread *m_forwardThread = nullptr;
    TLinkSyslogMonitor *m_monitor = nullptr;
    TLinkSyslogFile *m_fileWorker = nullptr;
    TLinkSyslogForwarder *m_forwarder = nullptr;
    QHostAddress m_externalAddress;
    quint16 m_externalPort = 0;
    bool m_forwarding = false;
    quint16 m_receivePort = 0;
    bool m_receiving = false;
    SyslogBacklog m_backlog;
};
