#pragma once

#include "syslogdatagram.h"

#include <QAtomicInteger>
#include <QObject>
#include <QVector>

#include <netinet/in.h>
#include <sys/socket.h>

class QSocketNotifier;
class SyslogBacklog;

// Receives syslog datagrams on UDP, on every local IPv4 address, at the port
// "syslog_server/portnumber" (514 when unset or unusable), and hands them on
// in batches. Runs on a worker thread of its own. While the backlog is full
// it stops reading, so a flood waits in (and overflows) the socket buffer
// rather than memory. Datagrams the kernel dropped because that buffer was
// full are counted, and each rise of the count is logged.
class TLinkSyslogMonitor : public QObject
{
    Q_OBJECT
public:
    explicit TLinkSyslogMonitor(SyslogBacklog *backlog = nullptr);
    ~TLinkSyslogMonitor() override;

    bool isBound() const { return m_bound; }
    quint16 port() const { return m_port; }
    // Datagrams lost to a full socket buffer since the receiver started.
    quint32 droppedDatagrams() const { return quint32(m_dropped.loadAcquire()); }

signals:
    void datagramsReceived(SyslogDatagrams datagrams);

public slots:
    void processPendingDatagrams();

private:
    void resume();
    void noteDropped();
    QString senderText(const sockaddr_in &address);

    static constexpr int kSlots = 32;
    static constexpr int kSlotSize = 65536;

    int m_fd = -1;
    bool m_bound = false;
    quint16 m_port = 0;
    SyslogBacklog *m_backlog = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_buffers;
    QVector<mmsghdr> m_headers;
    QVector<iovec> m_iovecs;
    QVector<sockaddr_in> m_senders;
    QAtomicInteger<quint32> m_dropped {0};
    quint32 m_lastSender = 0;
    QString m_lastSenderText;
};
