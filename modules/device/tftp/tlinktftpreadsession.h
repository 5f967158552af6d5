#pragma once

#include "tlinktftpsession.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMap>

class QTimer;

// Serves one read request: checks it, opens the published file, negotiates
// "blksize", "tsize" and "timeout" (RFC 2347, 2348, 2349), sends one DATA
// block at a time, resends on silence and reports progress.
//
// The file is read as it is sent, through a window of its bytes that moves
// with the transfer, so that a session holds no copy of the whole file.
// Block numbers on the wire are 16 bits and roll over from 65535 to 0, so a
// file of any size can be sent; the session counts blocks in 64 bits.
class TLinkTftpReadSession : public TLinkTftpSession
{
    Q_OBJECT
public:
    TLinkTftpReadSession(TransferInfo *peer, const TftpFileMap *fileMap, const QByteArray &request,
                         TLinkTftpServer *server);

    // Takes an ACK of the peer; true when the whole file has been acknowledged.
    // A read error on the file ends the transfer too: failed() tells.
    bool parseAck(const QByteArray &datagram);
    void reportProgress();
    void stopRetries();

signals:
    void updateFileProgress(const QString &filename, const QString &ip, const int &progress);
    void sessionTimeout(TransferInfo *ti);

private slots:
    void timeout();

private:
    bool openFile();
    void negotiate(const QMap<QString, QString> &asked);
    void sendOptionAck();
    // Sends the block after the acknowledged ones.
    bool sendData();
    void resend();
    void armRetry();

    QFile m_file;
    qint64 m_size = 0;
    // Bytes [m_windowStart, m_windowStart + m_windowLength) of the file.
    QByteArray m_window;
    qint64 m_windowStart = 0;
    int m_windowLength = 0;
    QByteArray m_packet;

    QTimer *m_retryTimer = nullptr;
    QElapsedTimer m_sinceSend;
    int m_lastPercent = -1;
    int m_blockSize = TftpPacket::DefaultBlockSize;
    int m_maxBlockSize = -1;
    int m_retryCounter = 0;
    int m_retryInterval = 3000;
    uint m_retryCount = 4;
    QMap<QString, QString> m_options;
    // Blocks acknowledged, the number of the packet outstanding (-1 when
    // nothing was sent, 0 for the OACK, n for DATA block n) and the number
    // of the last block (the short or empty one).
    qint64 m_acked = 0;
    qint64 m_outstanding = -1;
    qint64 m_lastBlock = 1;
    bool m_progressReported = false;
};
