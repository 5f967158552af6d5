#pragma once

#include "tftpimage.h"
#include "tlinktftpsession.h"

#include <QElapsedTimer>
#include <QMap>
#include <QSharedPointer>

#include <atomic>

class QTimer;

// Serves one read request. It is made on the server's thread, where it checks
// the request and takes the published file as a shared image; the server
// then moves it to one of its transfer threads and calls begin() there. From
// then on it runs on that thread alone, with its own socket: it negotiates
// "blksize", "tsize" and "timeout" (RFC 2347, 2348, 2349), sends one DATA
// block at a time, resends on silence, reports progress and tells the server
// how the transfer ended with ended().
//
// A peer that never acknowledges the first packet is given up on quickly:
// one resend, then the session ends, so that requests nobody answers hold
// no place for long. Block numbers on the wire are 16 bits and roll over
// from 65535 to 0, so a file of any size can be sent.
class TLinkTftpReadSession : public TLinkTftpSession
{
    Q_OBJECT
public:
    enum Outcome { Complete, TimedOut, PeerError, Failed };
    // Longest wait for the first acknowledgement, per attempt.
    static constexpr int FirstAnswerMs = 3000;

    TLinkTftpReadSession(TransferInfo *peer, const TftpFileMap *fileMap, const QByteArray &request,
                         TLinkTftpServer *server);

    // True once the peer acknowledged anything; may be read on any thread.
    bool answered() const { return m_answered.load(); }

public slots:
    // On the transfer thread: opens the transfer socket and sends the OACK
    // or the first block.
    void begin();

signals:
    void updateFileProgress(const QString &filename, const QString &ip, const int &progress);
    // The transfer is over; the server removes and deletes the session.
    void ended(quint64 id, int outcome, const QString &reason);

private slots:
    void timeout();

private:
    void takeDatagram(const QByteArray &datagram) override;
    void takeAck(const QByteArray &datagram);
    void reportProgress();
    void negotiate(const QMap<QString, QString> &asked);
    void sendOptionAck();
    // Sends the block after the acknowledged ones; false when the file
    // cannot give it (the transfer has then failed).
    bool sendData();
    void resend();
    void armRetry();
    void finish(Outcome outcome, const QString &reason = QString());

    QSharedPointer<const TftpImage> m_image;
    qint64 m_size = 0;
    QByteArray m_packet;
    QMap<QString, QString> m_asked;

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
    std::atomic<bool> m_answered{false};
};
