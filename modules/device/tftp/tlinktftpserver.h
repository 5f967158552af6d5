#pragma once

#include "infodevice.h"
#include "tftpfileentry.h"
#include "tftpimage.h"
#include "transferinfo.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QSharedPointer>
#include <QHostAddress>
#include <QList>
#include <QString>

#include <memory>

class QThread;
class QTemporaryDir;
class QTimer;
class QUdpSocket;
class TLinkTftpReadSession;
class TLinkTftpSession;
class TLinkTftpWriteSession;

// An upload the program asked a device for: a write request from that
// address (under that name, when one is given) is taken and saved into the
// folder; any other write request is refused.
struct TftpUploadExpectation
{
    quint64 id = 0;
    QHostAddress address;
    QString fileName;
    QString dir;
};

// The TFTP server. It binds one UDP socket per local IPv4 address that has a
// netmask, serves read requests for files published under a file key (only
// while someone listens for progress on that key) and takes the write
// requests the program expects (expectUpload), each into its own folder.
//
// Construction starts a worker thread and moves the server there; from then
// on every slot runs on that thread and the rest of the program reaches the
// server only by queued calls (see TLinkTftpServerIf). The thread belongs to
// whoever made the server: it must be quit and waited for, and the server is
// deleted on it when it finishes (TLinkTftpServerIf does both).
//
// Every transfer has a socket of its own. Read transfers run on a few
// transfer threads of the server's, each file read once and shared by all
// transfers of it at a time; write transfers stay on the server's thread.
//
// State is bounded whatever peers send: a refused request keeps no session
// (and is refused with its own ERROR however many transfers run), there are
// at most MaxSessions transfers at a time, MaxSessionsPerHost of them from
// one address, and a read nobody acknowledged gives its place up to another
// host's request when the table is full.
class TLinkTftpServer : public InfoDevice
{
    Q_OBJECT
public:
    static constexpr int MaxSessions = 64;
    static constexpr int MaxSessionsPerHost = 16;
    static constexpr int MaxExpectations = 64;
    // Threads that carry the read transfers: one per processor, within these bounds.
    static constexpr int MinTransferThreads = 2;
    static constexpr int MaxTransferThreads = 8;

    explicit TLinkTftpServer(quint16 port);
    ~TLinkTftpServer() override;

    QString getModelName() const override;

    QThread *workerThread() const { return m_workerThread; }
    QString uploadDir() const { return m_uploadDir; }

    void sendError(const TransferInfo &peer, quint16 code, const QString &message);
    TLinkTftpReadSession *findReadSession(const TransferInfo &peer) const;
    TLinkTftpWriteSession *findWriteSession(const TransferInfo &peer) const;
    // The upload expected of `address` under `fileName`: one for that very
    // name first, else one for any name.
    bool findExpectation(const QHostAddress &address, const QString &fileName, TftpUploadExpectation &found) const;
    // Where an expected upload is saved: its own folder, else the upload
    // directory, else a private folder of the server's.
    QString folderFor(const TftpUploadExpectation &expectation);
    // The file at `path` as the read transfers share it: the one already
    // open while it is unchanged on disk, else read anew.
    QSharedPointer<const TftpImage> image(const QString &path, TftpImage::Failure &failure);
    // A datagram of a write transfer's peer.
    void takeWriteDatagram(TLinkTftpWriteSession *session, const QByteArray &datagram);

signals:
    void sentFile(const QString &fileKey);
    void receivedFile(const QString &fileName);
    void errorFileTransfer(const QString &fileName, const QString &reason);
    void tftpSessionStarted(const QString &srvurl);
    // The same notices with the peer's address, for receivers that share file keys.
    void sentFileTo(const QString &fileKey, const QString &peerAddress);
    void receivedFileFrom(const QString &fileName, const QString &peerAddress);
    void errorFileTransferWith(const QString &fileName, const QString &peerAddress, const QString &reason);
    // Progress of a read transfer, for the front object to hand to the
    // receivers registered for the key.
    void fileProgress(const QString &fileKey, const QString &ip, int progress);

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
    // Drops every registration of a receiver that is gone.
    void unRegisterReceiver(const QObject *object);
    void sessionTimeout(TransferInfo *ti);
    void abortReadSessions(const QString &hostAddress);
    void setUploadDir(const QString &dir);
    // A read transfer ended (queued from its thread).
    void readSessionEnded(quint64 id, int outcome, const QString &reason);
    void expectUpload(const QString &peerAddress, const QString &fileName, const QString &dir);
    void cancelUpload(const QString &peerAddress, const QString &fileName);

private:
    void handleDatagram(QUdpSocket *socket, const QByteArray &datagram, const QHostAddress &address,
                        quint16 port);
    void handleRequest(const TransferInfo &peer, const QByteArray &datagram, bool read);
    // True when a session for `peer` may start: its host is under its share
    // and the table has room. When the table is full, a read that was never
    // answered is ended to make room, from the host with the most transfers,
    // when that is another host with more of them than the peer's.
    bool makeRoomFor(const TransferInfo &peer);
    int sessionsOf(const QHostAddress &address) const;
    bool evictUnanswered(const QHostAddress &address);
    QThread *quietestTransferThread() const;
    // True for an ACK repeating the last one of a read that completed lately.
    bool isLateFinalAck(const TransferInfo &peer);
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
    QList<TftpUploadExpectation> m_expectations;
    quint64 m_nextExpectationId = 1;
    std::unique_ptr<QTemporaryDir> m_scratch;
    QByteArray m_buffer;
    bool m_started = false;
    QList<QThread *> m_transferThreads;
    QHash<QString, QWeakPointer<const TftpImage>> m_images;
    static constexpr int KeepImageMs = 60000;
    QSharedPointer<const TftpImage> m_keptImage;
    QTimer *m_keepTimer = nullptr;
    quint64 m_nextSessionId = 1;
    struct Finished
    {
        QHostAddress address;
        quint16 port;
        qint64 at;
    };
    QList<Finished> m_finished;
    QElapsedTimer m_clock;
};
