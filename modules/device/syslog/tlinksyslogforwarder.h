#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QVector>

class SyslogBacklog;

// Sends accepted syslog datagrams on to the external syslog server, with
// their bytes unchanged. Runs on a worker thread of its own, so that the
// sending does not hold up the GUI thread; reached by queued calls.
class TLinkSyslogForwarder : public QObject
{
    Q_OBJECT
public:
    explicit TLinkSyslogForwarder(SyslogBacklog *backlog = nullptr);
    ~TLinkSyslogForwarder() override;

public slots:
    // Sends each datagram to address and port. Datagrams handed over
    // through the backlog are released from it once sent.
    void sendDatagrams(QVector<QByteArray> datagrams, QHostAddress address, quint16 port);

private:
    int socketFor(int family);

    SyslogBacklog *m_backlog = nullptr;
    int m_fd4 = -1;
    int m_fd6 = -1;
};
