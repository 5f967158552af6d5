#pragma once

#include "tlinktftpsession.h"

class QTimer;

// Takes one write request: acknowledges DATA blocks of 512 bytes, saves the
// file into the upload directory and publishes it under its own name.
//
// The file name must be a plain name: one with a path separator or ".." is
// refused, so nothing is ever written outside the upload directory. A peer
// that falls silent is re-sent its last ACK on the read sessions' retry
// settings and then timed out, so an abandoned write does not stay forever.
class TLinkTftpWriteSession : public TLinkTftpSession
{
    Q_OBJECT
public:
    enum DataResult { Continue, Saved, Failed };

    TLinkTftpWriteSession(TransferInfo *peer, const TftpFileMap *fileMap, const QByteArray &request,
                          TLinkTftpServer *server);

    // Takes a DATA packet of the peer. On Failed, failureReason() says why.
    DataResult parseData(const QByteArray &datagram);
    QString failureReason() const { return m_failureReason; }
    QString uploadDir() const { return m_uploadDir; }

signals:
    void fileCreated(const QString &fileName, const QString &absolutePath, const QString &fileKey);
    void sessionTimeout(TransferInfo *ti);

private slots:
    void timeout();

private:
    static bool isPlainFileName(const QString &name);
    void sendAck(quint16 block);
    DataResult saveDataToFile();
    DataResult fail(const QString &reason);

    QString m_uploadDir;
    QString m_failureReason;
    QTimer *m_retryTimer = nullptr;
    quint16 m_block = 0;
    qint64 m_blocksReceived = 0;
    int m_retryCounter = 0;
    uint m_retryCount = 4;
};
