#include "tlinktftpsession.h"

#include "tlinktftpserver.h"

#include <QDebug>
#include <QUdpSocket>

TLinkTftpSession::TLinkTftpSession(TransferInfo *peer, const TftpFileMap *fileMap, TLinkTftpServer *server)
    : QObject(server)
    , m_server(server)
    , m_fileMap(fileMap)
    , m_peer(peer)
{
}

TLinkTftpSession::~TLinkTftpSession()
{
    delete m_peer;
}

QString TLinkTftpSession::takeRequest(const TftpPacket::Request &request)
{
    m_fileName = request.fileName;
    if (request.mode == QLatin1String("netascii")) {
        m_mode = ModeNetAscii;
        return QString();
    }
    if (request.mode == QLatin1String("octet")) {
        m_mode = ModeOctet;
        return QString();
    }
    m_failed = true;
    if (request.mode == QLatin1String("mail")) {
        m_server->sendError(*m_peer, 4, QStringLiteral("Mail transfer not supported"));
        return tr("Mail transfer not supported");
    }
    m_server->sendError(*m_peer, 4, QStringLiteral("Illegal transfer mode"));
    return tr("Illegal transfer mode");
}

bool TLinkTftpSession::send(const QByteArray &datagram, const char *what)
{
    if (m_peer->socket->writeDatagram(datagram, m_peer->address, m_peer->port) != datagram.size()) {
        qDebug("%s: Error sending data packet [%d]", what, int(m_peer->socket->error()));
        return false;
    }
    return true;
}
