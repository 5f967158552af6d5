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
// deletes it when the transfer ends.
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

protected:
    // Reads file name and mode of the request. On a mode that is not served it
    // sends the ERROR, marks the request failed and returns the reason text
    // (empty when the mode is served).
    QString takeRequest(const TftpPacket::Request &request);
    // Sends one datagram to the peer from the socket its request came in on.
    bool send(const QByteArray &datagram, const char *what);

    TLinkTftpServer *m_server;
    const TftpFileMap *m_fileMap;
    TransferInfo *m_peer;
    int m_mode = ModeNone;
    QString m_fileName;
    QString m_path;
    QByteArray m_data;
    bool m_failed = false;
};
