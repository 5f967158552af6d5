#include "tftpclient.h"

#include <QDebug>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtEndian>

namespace {

QByteArray header(quint16 opcode, quint16 value)
{
    QByteArray packet(4, '\0');
    qToBigEndian(opcode, packet.data());
    qToBigEndian(value, packet.data() + 2);
    return packet;
}

quint16 word(const QByteArray &packet, int at)
{
    return qFromBigEndian<quint16>(packet.constData() + at);
}

} // namespace

TftpClient::TftpClient(const QHostAddress &localAddress, QObject *parent)
    : QObject(parent), m_local(localAddress)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(timeoutMs);
    connect(&m_timer, &QTimer::timeout, this, &TftpClient::retransmit);
}

bool TftpClient::isAllowedServer(const QHostAddress &address)
{
    bool ok = false;
    const quint32 ip = address.toIPv4Address(&ok);
    return ok && (ip >> 24) == 127;
}

void TftpClient::fetch(const QHostAddress &server, quint16 port, const QString &fileName)
{
    if (!begin(Fetching, server, port, fileName))
        return;
    transmit(header(Rrq, 0).left(2) + fileName.toUtf8() + '\0' + "octet" + '\0' + "tsize" + '\0' + "0" + '\0');
}

void TftpClient::send(const QHostAddress &server, quint16 port, const QString &fileName, const QByteArray &data)
{
    if (!begin(Sending, server, port, fileName))
        return;
    m_data = data;
    m_total = data.size();
    transmit(header(Wrq, 0).left(2) + fileName.toUtf8() + '\0' + "octet" + '\0');
}

bool TftpClient::begin(Mode mode, const QHostAddress &server, quint16 port, const QString &fileName)
{
    abort();
    QString refusal;
    if (!isAllowedServer(server))
        refusal = QStringLiteral("Server address %1 is not reachable").arg(server.toString());
    else if (port == 0)
        refusal = QStringLiteral("No server port given");
    else if (fileName.isEmpty() || fileName.toUtf8().contains('\0'))
        refusal = QStringLiteral("No usable file name given");
    if (!refusal.isEmpty()) {
        qDebug() << "TftpClient::begin:" << refusal;
        // Report after the caller has returned, like any other outcome.
        QTimer::singleShot(0, this, [this, refusal] { emit failed(refusal); });
        return false;
    }
    m_socket = new QUdpSocket(this);
    if (!m_socket->bind(m_local, 0)) {
        const QString reason = QStringLiteral("Cannot open a socket: %1").arg(m_socket->errorString());
        delete m_socket;
        m_socket = nullptr;
        QTimer::singleShot(0, this, [this, reason] { emit failed(reason); });
        return false;
    }
    connect(m_socket, &QUdpSocket::readyRead, this, &TftpClient::readPackets);
    m_mode = mode;
    m_server = server;
    m_serverPort = port;
    m_tidKnown = false;
    m_block = 0;
    m_offset = 0;
    m_moved = 0;
    m_total = -1;
    m_data.clear();
    m_dataSent = false;
    m_lastBlockSent = false;
    return true;
}

void TftpClient::abort()
{
    m_timer.stop();
    m_mode = Idle;
    if (m_socket) {
        m_socket->close();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    m_data.clear();
}

void TftpClient::readPackets()
{
    QUdpSocket *socket = m_socket;
    while (socket && socket == m_socket && socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        if (m_mode == Idle || datagram.senderAddress().toIPv4Address() != m_server.toIPv4Address())
            continue;
        const quint16 port = quint16(datagram.senderPort());
        if (!m_tidKnown) {
            // The server answers from its transfer port; the rest of the
            // transfer stays with it.
            m_tidKnown = true;
            m_serverPort = port;
        } else if (port != m_serverPort) {
            sendError(5, "Unknown transfer ID", port);
            continue;
        }
        handlePacket(datagram.data());
    }
}

void TftpClient::handlePacket(const QByteArray &packet)
{
    if (packet.size() < 4) {
        qDebug() << "TftpClient::handlePacket: dropped a packet of" << packet.size() << "bytes";
        return;
    }
    switch (word(packet, 0)) {
    case Data:
        if (m_mode == Fetching)
            handleData(word(packet, 2), packet.mid(4));
        break;
    case Ack:
        if (m_mode == Sending)
            handleAck(word(packet, 2));
        break;
    case Oack:
        if (m_mode == Fetching && m_block == 0 && m_moved == 0)
            handleOack(packet.mid(2));
        break;
    case Error: {
        const QByteArray message = packet.mid(4).split('\0').value(0);
        fail(QStringLiteral("Server error %1: %2").arg(word(packet, 2)).arg(QString::fromUtf8(message)));
        break;
    }
    default:
        qDebug() << "TftpClient::handlePacket: dropped a packet of opcode" << word(packet, 0);
    }
}

void TftpClient::handleOack(const QByteArray &options)
{
    const QList<QByteArray> parts = options.split('\0');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts.at(i).toLower() == "tsize") {
            bool ok = false;
            const qint64 size = parts.at(i + 1).toLongLong(&ok);
            if (ok && size >= 0)
                m_total = size;
        }
    }
    if (m_total > maxFetchSize) {
        sendError(3, "File too large", m_serverPort);
        fail(QStringLiteral("File too large (%1 bytes)").arg(m_total));
        return;
    }
    transmit(header(Ack, 0));
}

void TftpClient::handleData(quint16 block, const QByteArray &payload)
{
    if (block == m_block && m_moved > 0) {
        transmit(header(Ack, block)); // our acknowledgement got lost
        return;
    }
    if (block != quint16(m_block + 1) || payload.size() > blockSize)
        return;
    if (m_data.size() + payload.size() > maxFetchSize) {
        sendError(3, "File too large", m_serverPort);
        fail(QStringLiteral("File too large"));
        return;
    }
    m_block = block;
    m_data += payload;
    m_moved = m_data.size();
    emit progress(m_moved, m_total);
    if (m_mode != Fetching)
        return;
    if (payload.size() < blockSize) {
        // The last block: acknowledge it once; a server that misses the
        // acknowledgement times out on its own.
        m_socket->writeDatagram(header(Ack, block), m_server, m_serverPort);
        const QByteArray data = m_data;
        abort();
        emit fetched(data);
        return;
    }
    transmit(header(Ack, block));
}

void TftpClient::handleAck(quint16 block)
{
    if (block != m_block)
        return; // a duplicate of an earlier acknowledgement
    if (m_dataSent) {
        // The block at m_offset has arrived.
        m_moved = qMin<qint64>(m_data.size(), m_offset + blockSize);
        m_offset += blockSize;
        emit progress(m_moved, m_total);
        if (m_mode != Sending)
            return;
    }
    if (m_lastBlockSent) {
        abort();
        emit sent();
        return;
    }
    sendBlock(quint16(block + 1));
}

void TftpClient::sendBlock(quint16 block)
{
    const QByteArray payload = m_data.mid(int(m_offset), blockSize);
    m_lastBlockSent = payload.size() < blockSize;
    m_dataSent = true;
    m_block = block;
    transmit(header(Data, block) + payload);
}

void TftpClient::transmit(const QByteArray &packet)
{
    m_lastPacket = packet;
    m_retries = 0;
    m_socket->writeDatagram(packet, m_server, m_serverPort);
    m_timer.start();
}

void TftpClient::retransmit()
{
    if (m_mode == Idle)
        return;
    if (m_retries >= maxRetries) {
        fail(QStringLiteral("Timed out waiting for the server"));
        return;
    }
    ++m_retries;
    m_socket->writeDatagram(m_lastPacket, m_server, m_serverPort);
    m_timer.start();
}

void TftpClient::sendError(quint16 code, const QByteArray &message, quint16 port)
{
    if (m_socket)
        m_socket->writeDatagram(header(Error, code) + message + '\0', m_server, port);
}

void TftpClient::fail(const QString &reason)
{
    qDebug() << "TftpClient::fail:" << reason;
    abort();
    emit failed(reason);
}
