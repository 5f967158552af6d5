#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
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
// (file key, peer address, percent). The reports are handed to each receiver
// from this object's thread, and a receiver that is destroyed is unregistered
// from every key it listened on.
//
// Write requests are taken only while the program expects one: expectUpload()
// names the device, the file (where the caller knows it) and the folder, and
// the expectation ends with the file saved or with cancelUpload(). Any other
// write request is refused with ERROR 2.
class TLinkTftpServerIf : public QObject
{
    Q_OBJECT
public:
    explicit TLinkTftpServerIf(quint16 port, QObject *parent = nullptr);
    // Stops the server, ends its thread and waits for it.
    ~TLinkTftpServerIf() override;

    // The folder for expected uploads that name none; takes effect for write
    // requests that start afterwards. It accepts no write by itself.
    void setUploadDir(const QString &dir);
    // That folder, or the one of the upload expected last.
    QString uploadDir() const { return m_uploadDir; }

    // Takes one write request from `peerAddress` (dotted IPv4 text) named
    // `fileName` and saves it into `dir`, replacing a file of that name (the
    // caller chose it). With an empty `fileName` any plain name is taken but
    // no existing file is replaced. With an empty `dir` the upload directory
    // is used, or a private folder of the server's when there is none. A new
    // expectation for the same address and name replaces the old one.
    Q_INVOKABLE void expectUpload(const QString &peerAddress, const QString &fileName, const QString &dir);
    // Withdraws the expectation of that address and name.
    Q_INVOKABLE void cancelUpload(const QString &peerAddress, const QString &fileName);

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

private slots:
    void deliverProgress(const QString &fileKey, const QString &ip, int progress);
    void receiverDestroyed(QObject *object);

private:
    struct Receiver
    {
        const QObject *object = nullptr;
        QPointer<QObject> guard;
        QByteArray member;
    };

    TLinkTftpServer *m_server = nullptr;
    QHash<QString, QList<Receiver>> m_receivers;
    SignalEmitter *m_emitter = nullptr;
    QString m_uploadDir;
};
