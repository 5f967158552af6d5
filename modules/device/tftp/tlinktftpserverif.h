#pragma once

#include <QObject>
#include <QString>

class SignalEmitter;
class TLinkTftpServer;

// The TFTP server as the rest of the program holds it. It lives on the thread
// that made it (the GUI thread); the server it makes runs on a thread of its
// own and is reached only by queued calls. The server's signals are relayed
// and arrive queued on this object's thread.
//
// Files are served only under a file key published with mapFilename() and
// only while at least one receiver is registered with regForFileInfo(); each
// receiver gets progress reports through the slot it named, such as
// SLOT(updateFileProgress(const QString &, const QString &, const int &))
// (file key, peer address, percent).
class TLinkTftpServerIf : public QObject
{
    Q_OBJECT
public:
    explicit TLinkTftpServerIf(quint16 port, QObject *parent = nullptr);
    // Stops the server, ends its thread and waits for it.
    ~TLinkTftpServerIf() override;

    // Where files that devices send are saved; takes effect for write
    // requests that start afterwards.
    void setUploadDir(const QString &dir);
    QString uploadDir() const { return m_uploadDir; }

    void startServer();
    void mapFilename(const QString &fileName, const QString &absolutePath, const QString &fileKey);
    void unMapFilename(const QString &fileKey);
    // `member` must stay valid until the call has reached the server (a
    // SLOT() literal does); the server keeps its own copy.
    void regForFileInfo(const QString &fileKey, const QObject *object, const char *member);
    void unRegForFileInfo(const QString &fileKey, const QObject *object, const char *member);
    // Ends, without a word to the peer, every read transfer to that address.
    void abortReadSessions(const QString &hostAddress);

signals:
    void sentFile(const QString &fileKey);
    void receivedFile(const QString &fileName);
    void errorFileTransfer(const QString &fileName, const QString &reason);
    void tftpSessionStarted(const QString &srvurl);
    // The same notices with the peer's address (dotted decimal), so that
    // devices sharing a file key each see only their own transfer.
    void sentFileTo(const QString &fileKey, const QString &peerAddress);
    void receivedFileFrom(const QString &fileName, const QString &peerAddress);
    void errorFileTransferWith(const QString &fileName, const QString &peerAddress, const QString &reason);

private:
    TLinkTftpServer *m_server = nullptr;
    SignalEmitter *m_emitter = nullptr;
    QString m_uploadDir;
};
