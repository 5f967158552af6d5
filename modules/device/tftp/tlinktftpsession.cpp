#include "tlinktftpsession.h"

#include "tlinktftpserver.h"

#include <QDebug>
#include <QSettings>
#include <QUdpSocket>

TLinkTftpSession::TLinkTftpSession(TransferInfo *peer, const TftpFileMap *fileMap, TLinkTftpServer *server,
                                   QObject *parent)
    : QObject(parent)
    , m_server(server)
    , m_fileMap(fileMap)
    , m_peer(peer)
    , m_transport(peer->socket)
    , m_localAddress(peer->socket ? peer->socket->localAddress() : QHostAddress())
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
    qDebug().noquote() << QStringLiteral("TLinkTftpSession::refuse: About to send error %1 [%2]").arg(code).arg(message);
    send(TftpPacket::error(code, message), "TLinkTftpSession::refuse");
}

void TLinkTftpSession::close()
{
    m_ended = true;
    if (m_own)
        m_own->close();
}

bool TLinkTftpSession::openTransferSocket()
{
    m_own = new QUdpSocket(this);
    if (!m_own->bind(m_localAddress, 0)) {
        qDebug().noquote() << "TLinkTftpSession: no transfer port on" << m_localAddress.toString()
                           << m_own->errorString();
        return false;
    }
    m_transport = m_own;
    connect(m_own, &QUdpSocket::readyRead, this, &TLinkTftpSession::datagramsPending);
    return true;
}

void TLinkTftpSession::datagramsPending()
{
    const int capacity = 4 + TftpPacket::MaxBlockSize + 1;
    if (m_buffer.size() < capacity)
        m_buffer.resize(capacity);
    // `this` may be ended by a datagram: the socket is its child and goes with it.
    // Read until nothing is left: see TLinkTftpServer::dataPending.
    while (!m_ended && m_own && m_own->state() == QAbstractSocket::BoundState) {
        QHostAddress address;
        quint16 port = 0;
        const qint64 read = m_own->readDatagram(m_buffer.data(), capacity, &address, &port);
        if (read < 0)
            return;
        if (port != m_peer->port || !address.isEqual(m_peer->address, QHostAddress::TolerantConversion)) {
            const QByteArray error = TftpPacket::error(5, QStringLiteral("Unknown transfer ID"));
            m_own->writeDatagram(error, address, port);
            continue;
        }
        takeDatagram(QByteArray::fromRawData(m_buffer.constData(), int(read)));
    }
}

bool TLinkTftpSession::send(const char *data, int size, const char *what)
{
    if (m_transport->writeDatagram(data, size, m_peer->address, m_peer->port) != size) {
        qDebug("%s: Error sending data packet [%d]", what, int(m_transport->error()));
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
