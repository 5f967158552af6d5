#pragma once

#include "tftpfileentry.h"
#include "tftppacket.h"
#include "transferinfo.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

class QUdpSocket;
class TLinkTftpServer;

// One transfer with one peer of the TFTP server. The server makes the session
// for a request on its own thread; a request that is refused is answered with
// its ERROR from the server's socket at once and leaves failed() set, and the
// server keeps no session for it. A transfer that goes ahead gets a socket of
// its own (a fresh port: the transfer ID of RFC 1350) which carries all its
// further packets both ways.
class TLinkTftpSession : public QObject
{
    Q_OBJECT
public:
    enum Mode { ModeNone = 0, ModeNetAscii = 1, ModeOctet = 2 };

    // Takes ownership of `peer`. A session that moves to another thread is
    // made without a parent.
    TLinkTftpSession(TransferInfo *peer, const TftpFileMap *fileMap, TLinkTftpServer *server, QObject *parent);
    ~TLinkTftpSession() override;

    // The peer as its request came in (the server's socket it came in on,
    // its address and port); never changes.
    const TransferInfo &peer() const { return *m_peer; }
    // Tells transfers apart in the server's bookkeeping.
    quint64 id() const { return m_id; }
    void setId(quint64 id) { m_id = id; }
    TransferInfo *peerInfo() const { return m_peer; }
    QString fileName() const { return m_fileName; }
    // True when the request was refused.
    bool failed() const { return m_failed; }
    // Why the request was refused or the transfer failed.
    QString failureReason() const { return m_failureReason; }
    // Ends the transfer on the session's side: its socket takes nothing more.
    void close();

protected:
    // Reads file name and mode of the request. Only "octet" is served: on any
    // other mode it sends the ERROR, marks the request failed and returns
    // false.
    bool takeRequest(const TftpPacket::Request &request);
    // Refuses the request or ends the transfer: ERROR `code` with `message`
    // to the peer, `reason` kept for the server's report.
    void refuse(quint16 code, const QString &message, const QString &reason);
    // Binds the transfer's own socket to the address the request came in on,
    // any free port; its datagrams go to datagramsPending(). False when no
    // port can be had.
    bool openTransferSocket();
    // Reads the datagrams of the transfer socket: those of the peer go to
    // takeDatagram(), any other sender gets ERROR 5 "Unknown transfer ID".
    void datagramsPending();
    virtual void takeDatagram(const QByteArray &datagram) = 0;
    // Sends one datagram to the peer: from the transfer's socket once it has
    // one, else from the socket its request came in on.
    bool send(const char *data, int size, const char *what);
    bool send(const QByteArray &datagram, const char *what) { return send(datagram.constData(), datagram.size(), what); }
    // Retry settings, as the read and write sessions share them.
    void readRetrySettings(uint &count, int &intervalMs);

    TLinkTftpServer *m_server;
    const TftpFileMap *m_fileMap;
    TransferInfo *m_peer;
    QUdpSocket *m_transport = nullptr;
    QUdpSocket *m_own = nullptr;
    QHostAddress m_localAddress;
    // Set when the transfer is over: later datagrams are left unread.
    bool m_ended = false;
    QByteArray m_buffer;
    quint64 m_id = 0;
    int m_mode = ModeNone;
    QString m_fileName;
    QString m_path;
    QString m_failureReason;
    bool m_failed = false;
};
