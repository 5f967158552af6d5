#pragma once

#include "tlinktftpsession.h"

#include <QMap>

class QTimer;

// Serves one read request: checks it, loads the published file, negotiates
// "blksize" and "tsize", sends one DATA block at a time, resends on silence
// and reports progress to the receivers registered for the file key.
//
// Block numbers on the wire are 16 bits and roll over from 65535 to 0, so a
// file of any size can be sent; the session counts blocks in 64 bits.
class TLinkTftpReadSession : public TLinkTftpSession
{
    Q_OBJECT
public:
    // The peer's address as dotted decimal, for the notices that name it.
    QString peerAddressText() const;
    TLinkTftpReadSession(TransferInfo *peer, const TftpFileMap *fileMap, const QByteArray &request,
                         TLinkTftpServer *server);

    // Takes an ACK of the peer; true when the whole file has been acknowledged.
    bool parseAck(const QByteArray &datagram);
    void reportProgress();
    void stopRetries();

signals:
    void updateFileProgress(const QString &filename, const QString &ip, const int &progress);
    void sessionTimeout(TransferInfo *ti);

private slots:
    void timeout();

private:
    void readSettings();
    void loadFile();
    void sendOptionAck();
    // Sends the block after the acknowledged ones; true when there is none
    // left, i.e. the file is complete.
    bool sendData();
    void resend();

    QTimer *m_retryTimer = nullptr;
    int m_lastPercent = -1;
    int m_blockSize = TftpPacket::DefaultBlockSize;
    int m_maxBlockSize = -1;
    int m_retryCounter = 0;
    int m_retryInterval = 3000;
    uint m_retryCount = 4;
    QMap<QString, QString> m_options;
    bool m_loaded = false;
    // Blocks acknowledged, and the number of the packet outstanding: -1 when
    // nothing was sent, 0 for the OACK, n for DATA block n.
    qint64 m_acked = 0;
    qint64 m_outstanding = -1;
    bool m_progressReported = false;
};
