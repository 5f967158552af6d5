#include "tlinktftpserverif.h"

#include "signalemitter.h"
#include "tlinktftpserver.h"

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
    QMetaObject::invokeMethod(m_server, "unMapFilename", Qt::QueuedConnection, Q_ARG(QString, fileKey));
}

void TLinkTftpServerIf::regForFileInfo(const QString &fileKey, const QObject *object, const char *member)
{
    emit m_emitter->regForFileInfo(fileKey, object, member);
}

void TLinkTftpServerIf::unRegForFileInfo(const QString &fileKey, const QObject *object, const char *member)
{
    emit m_emitter->unRegForFileInfo(fileKey, object, member);
}

void TLinkTftpServerIf::abortReadSessions(const QString &hostAddress)
{
    QMetaObject::invokeMethod(m_server, "abortReadSessions", Qt::QueuedConnection, Q_ARG(QString, hostAddress));
}
