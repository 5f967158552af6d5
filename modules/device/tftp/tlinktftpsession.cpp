#include "tlinktftpsession.h"

#include "tlinktftpserver.h"

#include <QDebug>
#include <QSettings>
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

bool TLinkTftpSession::takeRequest(const TftpPacket::Request &request)
{
    m_fileName = request.fileName;
    if (request.mode == QLatin1String("octet")) {
        m_mode = ModeOctet;
        return true;
    }
    if (request.mode == QLatin1String("netascii")) {
        // Line ends would have to be converted on the way: not done, so
        // refused rather than sent or saved wrongly.
        m_mode = ModeNetAscii;
        refuse(4, QStringLiteral("NetAscii transfers not supported"), tr("NetAscii transfers not supported"));
    } else if (request.mode == QLatin1String("mail")) {
        refuse(4, QStringLiteral("Mail transfer not supported"), tr("Mail transfer not supported"));
    } else {
        refuse(4, QStringLiteral("Illegal transfer mode"), tr("Illegal transfer mode"));
    }
    return false;
}

void TLinkTftpSession::refuse(quint16 code, const QString &message, const QString &reason)
{
    m_failed = true;
    m_failureReason = reason;
    m_server->sendError(*m_peer, code, message);
}

bool TLinkTftpSession::send(const char *data, int size, const char *what)
{
    if (m_peer->socket->writeDatagram(data, size, m_peer->address, m_peer->port) != size) {
        qDebug("%s: Error sending data packet [%d]", what, int(m_peer->socket->error()));
        return false;
    }
    return true;
}

void TLinkTftpSession::readRetrySettings(uint &count, int &intervalMs)
{
    QSettings settings;
    count = settings.value(QStringLiteral("tftp_server/retry_cnt")).toUInt();
    if (count == 0) {
        count = 4;
        settings.setValue(QStringLiteral("tftp_server/retry_cnt"), 4);
    }
    intervalMs = settings.value(QStringLiteral("tftp_server/retry_timer")).toInt();
    if (intervalMs <= 0) {
        intervalMs = 3000;
        settings.setValue(QStringLiteral("tftp_server/retry_timer"), 3000);
    }
}
