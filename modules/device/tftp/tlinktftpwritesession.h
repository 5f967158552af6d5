#pragma once

#include "tlinktftpsession.h"

#include <QFile>

class QTimer;

// Takes one write request that the program expects (see
// TLinkTftpServer::expectUpload): acknowledges DATA blocks of 512 bytes,
// streams them into a hidden temporary file in the upload folder and, once
// the last block is in, renames that file into place, acknowledges the last
// block and publishes the file under its own name.
//
// The file name must be a plain name of a sane length: one with a path
// separator, a leading dot or a control character is refused, so nothing is
// ever written outside the upload folder. An upload larger than
// "tftp_server/max_upload_size" bytes, or one the disk cannot hold, is ended
// with ERROR 3 and leaves no file behind. A peer that falls silent is re-sent
// its last ACK on the retry settings and then timed out.
class TLinkTftpWriteSession : public TLinkTftpSession
{
    Q_OBJECT
public:
    enum DataResult { Continue, Saved, Failed };

    TLinkTftpWriteSession(TransferInfo *peer, const TftpFileMap *fileMap, const QByteArray &request,
                          TLinkTftpServer *server);
    ~TLinkTftpWriteSession() override;

    static bool isPlainFileName(const QString &name);
    // Uploads are capped at this size unless the setting says otherwise.
    static constexpr qint64 DefaultMaxUploadSize = 256LL * 1024 * 1024;

    // Opens the transfer socket, the hidden file and sends ACK 0; failed()
    // tells when that could not be done (the refusal is sent).
    void begin();
    // Takes a DATA packet of the peer. On Failed, failureReason() says why.
    DataResult parseData(const QByteArray &datagram);
    QString uploadDir() const { return m_uploadDir; }
    // The expected upload this write fulfils.
    quint64 expectationId() const { return m_expectationId; }

signals:
    void fileCreated(const QString &fileName, const QString &absolutePath, const QString &fileKey);
    void sessionTimeout(TransferInfo *ti);

private slots:
    void timeout();

private:
    void takeDatagram(const QByteArray &datagram) override;
    void sendAck(quint16 block);
    DataResult finishFile();
    DataResult fail(quint16 code, const QString &message, const QString &reason);
    void discardTemporary();

    QString m_uploadDir;
    QFile m_temporary;
    bool m_replace = false;
    quint64 m_expectationId = 0;
    qint64 m_maxSize = DefaultMaxUploadSize;
    qint64 m_received = 0;
    QTimer *m_retryTimer = nullptr;
    quint16 m_block = 0;
    qint64 m_blocksReceived = 0;
    int m_retryCounter = 0;
    uint m_retryCount = 4;
};
