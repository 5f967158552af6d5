#include "tlinktftpserverif.h"

#include "signalemitter.h"
#include "tlinktftpserver.h"

#include <QDebug>
#include <QMetaMethod>
#include <QMetaType>
#include <QThread>

Q_DECLARE_METATYPE(const QObject *)
Q_DECLARE_METATYPE(const char *)

TLinkTftpServerIf::TLinkTftpServerIf(quint16 port, QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<const QObject *>("const QObject*");
    qRegisterMetaType<const char *>("const char*");

    m_server = new TLinkTftpServer(port);
    m_emitter = new SignalEmitter(this);

    connect(m_server, &TLinkTftpServer::sentFile, this, &TLinkTftpServerIf::sentFile);
    connect(m_server, &TLinkTftpServer::receivedFile, this, &TLinkTftpServerIf::receivedFile);
    connect(m_server, &TLinkTftpServer::errorFileTransfer, this, &TLinkTftpServerIf::errorFileTransfer);
    connect(m_server, &TLinkTftpServer::tftpSessionStarted, this, &TLinkTftpServerIf::tftpSessionStarted);
    connect(m_server, &TLinkTftpServer::sentFileTo, this, &TLinkTftpServerIf::sentFileTo);
    connect(m_server, &TLinkTftpServer::receivedFileFrom, this, &TLinkTftpServerIf::receivedFileFrom);
    connect(m_server, &TLinkTftpServer::errorFileTransferWith, this, &TLinkTftpServerIf::errorFileTransferWith);
    connect(m_server, &TLinkTftpServer::fileProgress, this, &TLinkTftpServerIf::deliverProgress);

    connect(m_emitter, &SignalEmitter::regForFileInfo, m_server, &TLinkTftpServer::regForFileInfo);
    connect(m_emitter, &SignalEmitter::unRegForFileInfo, m_server, &TLinkTftpServer::unRegForFileInfo);
}

TLinkTftpServerIf::~TLinkTftpServerIf()
{
    QThread *thread = m_server->workerThread();
    // The server and its sessions are deleted on their own thread as it ends.
    connect(thread, &QThread::finished, m_server, &QObject::deleteLater);
    thread->quit();
    thread->wait();
    delete thread;
}

void TLinkTftpServerIf::setUploadDir(const QString &dir)
{
    m_uploadDir = dir;
    QMetaObject::invokeMethod(m_server, "setUploadDir", Qt::QueuedConnection, Q_ARG(QString, dir));
}

void TLinkTftpServerIf::startServer()
{
    QMetaObject::invokeMethod(m_server, "startServer", Qt::QueuedConnection);
}

void TLinkTftpServerIf::mapFilename(const QString &fileName, const QString &absolutePath, const QString &fileKey)
{
    QMetaObject::invokeMethod(m_server, "mapFilename", Qt::QueuedConnection, Q_ARG(QString, fileName),
                              Q_ARG(QString, absolutePath), Q_ARG(QString, fileKey));
}

void TLinkTftpServerIf::unMapFilename(const QString &fileKey)
{
    m_receivers.remove(fileKey);
    QMetaObject::invokeMethod(m_server, "unMapFilename", Qt::QueuedConnection, Q_ARG(QString, fileKey));
}

void TLinkTftpServerIf::regForFileInfo(const QString &fileKey, const QObject *object, const char *member)
{
    if (!object || !member)
        return;
    Receiver receiver;
    receiver.object = object;
    receiver.guard = const_cast<QObject *>(object);
    receiver.member = member;
    m_receivers[fileKey].append(receiver);
    connect(object, &QObject::destroyed, this, &TLinkTftpServerIf::receiverDestroyed, Qt::UniqueConnection);
    emit m_emitter->regForFileInfo(fileKey, object, member);
}

void TLinkTftpServerIf::unRegForFileInfo(const QString &fileKey, const QObject *object, const char *member)
{
    auto it = m_receivers.find(fileKey);
    if (it != m_receivers.end() && member) {
        const QByteArray text(member);
        for (int i = it->size() - 1; i >= 0; --i) {
            if (it->at(i).object == object && it->at(i).member == text)
                it->removeAt(i);
        }
        if (it->isEmpty())
            m_receivers.erase(it);
    }
    emit m_emitter->unRegForFileInfo(fileKey, object, member);
}

void TLinkTftpServerIf::receiverDestroyed(QObject *object)
{
    for (auto it = m_receivers.begin(); it != m_receivers.end();) {
        for (int i = it->size() - 1; i >= 0; --i) {
            if (it->at(i).object == object)
                it->removeAt(i);
        }
        if (it->isEmpty())
            it = m_receivers.erase(it);
        else
            ++it;
    }
    // The pointer only names the registrations to drop: the server never
    // touches the object.
    QMetaObject::invokeMethod(m_server, "unRegisterReceiver", Qt::QueuedConnection,
                              Q_ARG(const QObject *, object));
}

void TLinkTftpServerIf::deliverProgress(const QString &fileKey, const QString &ip, int progress)
{
    const QList<Receiver> receivers = m_receivers.value(fileKey);
    for (const Receiver &receiver : receivers) {
        QObject *object = receiver.guard.data();
        if (!object || receiver.member.size() < 2)
            continue;
        // The member is in the form SLOT() gives: a code digit, then the signature.
        const QByteArray signature = QMetaObject::normalizedSignature(receiver.member.constData() + 1);
        const int index = object->metaObject()->indexOfMethod(signature.constData());
        if (index < 0) {
            qWarning().noquote() << "TLinkTftpServerIf: no method" << signature << "to report progress to";
            continue;
        }
        object->metaObject()->method(index).invoke(object, Qt::AutoConnection, Q_ARG(QString, fileKey),
                                                   Q_ARG(QString, ip), Q_ARG(int, progress));
    }
}

void TLinkTftpServerIf::expectUpload(const QString &peerAddress, const QString &fileName, const QString &dir)
{
    if (!dir.isEmpty())
        m_uploadDir = dir;
    QMetaObject::invokeMethod(m_server, "expectUpload", Qt::QueuedConnection, Q_ARG(QString, peerAddress),
                              Q_ARG(QString, fileName), Q_ARG(QString, dir));
}

void TLinkTftpServerIf::cancelUpload(const QString &peerAddress, const QString &fileName)
{
    QMetaObject::invokeMethod(m_server, "cancelUpload", Qt::QueuedConnection, Q_ARG(QString, peerAddress),
                              Q_ARG(QString, fileName));
}

void TLinkTftpServerIf::abortReadSessions(const QString &hostAddress)
{
    QMetaObject::invokeMethod(m_server, "abortReadSessions", Qt::QueuedConnection, Q_ARG(QString, hostAddress));
}
