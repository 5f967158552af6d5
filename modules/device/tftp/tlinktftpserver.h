#pragma once

#include "infodevice.h"
#include "tftpfileentry.h"
#include "transferinfo.h"

#include <QList>
#include <QString>

class QThread;
class QUdpSocket;
class TLinkTftpReadSession;
class TLinkTftpWriteSession;

// The TFTP server. It binds one UDP socket per local IPv4 address that has a
// netmask, serves read requests for files published under a file key (only
// while someone listens for progress on that key) and saves write requests
// into the upload directory.
//
// Construction starts a worker thread and moves the server there; from then
// on every slot runs on that thread and the rest of the program reaches the
// server only by queued calls (see TLinkTftpServerIf). The thread belongs to
// whoever made the server: it must be quit and waited for, and the server is
// deleted on it when it finishes (TLinkTftpServerIf does both).
class TLinkTftpServer : public InfoDevice
{
    Q_OBJECT
public:
    explicit TLinkTftpServer(quint16 port);
    ~TLinkTftpServer() override;

    QString getModelName() const override;

    QThread *workerThread() const { return m_workerThread; }
    QString uploadDir() const { return m_uploadDir; }

    void sendError(const TransferInfo &peer, quint16 code, const QString &message);
    TLinkTftpReadSession *findReadSession(const TransferInfo &peer) const;
    TLinkTftpWriteSession *findWriteSession(const TransferInfo &peer) const;

signals:
    void sentFile(const QString &fileKey);
    void receivedFile(const QString &fileName);
    void errorFileTransfer(const QString &fileName, const QString &reason);
    void tftpSessionStarted(const QString &srvurl);
    // The same notices with the peer's address, for receivers that share file keys.
    void sentFileTo(const QString &fileKey, const QString &peerAddress);
    void receivedFileFrom(const QString &fileName, const QString &peerAddress);
    void errorFileTransferWith(const QString &fileName, const QString &peerAddress, const QString &reason);

public slots:
    void dataPending();
    void startServer();
    void stopServer();
    void mapFilename(const QString &fileName, const QString &absolutePath, const QString &fileKey);
    // Publishes a file a device uploaded under its own name, unless the key
    // is taken.
    void mapUploadedFile(const QString &fileName, const QString &absolutePath, const QString &fileKey);
    void unMapFilename(const QString &fileKey);
    void regForFileInfo(const QString &fileKey, const QObject *object, const char *member);
    void unRegForFileInfo(const QString &fileKey, const QObject *object, const char *member);
    void sessionTimeout(TransferInfo *ti);
    void abortReadSessions(const QString &hostAddress);
    void setUploadDir(const QString &dir);

private:
    void handleDatagram(QUdpSocket *socket, const QByteArray &datagram, const QHostAddress &address,
                        quint16 port);
    void handleRequest(TransferInfo *peer, const QByteArray &datagram, bool read);
    // Answers a DATA or ACK from a peer without a session of that kind: a
    // stray port of an address that has a transfer running on another port
    // gets "Unknown transfer ID", anyone else (the peer of a transfer of the
    // other kind too) the given refusal.
    void refuseStray(const TransferInfo &peer, const QString &refusal);
    void removeWriteSession(TLinkTftpWriteSession *session);
    void removeReadSession(TLinkTftpReadSession *session);

    QThread *m_workerThread = nullptr;
    QList<QUdpSocket *> m_sockets;
    QList<TLinkTftpReadSession *> m_readSessions;
    QList<TLinkTftpWriteSession *> m_writeSessions;
    TftpFileMap m_fileMap;
    QString m_uploadDir;
    bool m_started = false;
};
