#pragma once

#include "tftpfileentry.h"
#include "tftppacket.h"
#include "transferinfo.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class TLinkTftpServer;

// One transfer with one peer of the TFTP server. The server makes the session
// for a request on its own thread, hands it the datagrams of its peer and
// deletes it when the transfer ends. A request that is refused is answered
// with its ERROR at once and leaves failed() set: the server keeps no session
// for it.
class TLinkTftpSession : public QObject
{
    Q_OBJECT
public:
    enum Mode { ModeNone = 0, ModeNetAscii = 1, ModeOctet = 2 };

    // Takes ownership of `peer`.
    TLinkTftpSession(TransferInfo *peer, const TftpFileMap *fileMap, TLinkTftpServer *server);
    ~TLinkTftpSession() override;

    const TransferInfo &peer() const { return *m_peer; }
    TransferInfo *peerInfo() const { return m_peer; }
    QString fileName() const { return m_fileName; }
    // True when the request was refused.
    bool failed() const { return m_failed; }
    // Why the request was refused or the transfer failed.
    QString failureReason() const { return m_failureReason; }

protected:
    // Reads file name and mode of the request. Only "octet" is served: on any
    // other mode it sends the ERROR, marks the request failed and returns
    // false.
    bool takeRequest(const TftpPacket::Request &request);
    // Refuses the request or ends the transfer: ERROR `code` with `message`
    // to the peer, `reason` kept for the server's report.
    void refuse(quint16 code, const QString &message, const QString &reason);
    // Sends one datagram to the peer from the socket its request came in on.
    bool send(const char *data, int size, const char *what);
    bool send(const QByteArray &datagram, const char *what) { return send(datagram.constData(), datagram.size(), what); }
    // Retry settings, as the read and write sessions share them.
    void readRetrySettings(uint &count, int &intervalMs);

    TLinkTftpServer *m_server;
    const TftpFileMap *m_fileMap;
    TransferInfo *m_peer;
    int m_mode = ModeNone;
    QString m_fileName;
    QString m_path;
    QString m_failureReason;
    bool m_failed = false;
};
