#include "minitftpserver.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>
#include <QtEndian>

namespace {

QByteArray packet(quint16 opcode, quint16 value, const QByteArray &rest = QByteArray())
{
    QByteArray p(4, '\0');
    qToBigEndian(opcode, p.data());
    qToBigEndian(value, p.data() + 2);
    return p + rest;
}

quint16 word(const QByteArray &p, int at)
{
    return p.size() >= at + 2 ? qFromBigEndian<quint16>(p.constData() + at) : 0;
}

} // namespace

MiniTftpServer::MiniTftpServer(QObject *parent)
    : QObject(parent)
{
}

quint16 MiniTftpServer::listen(const QHostAddress &address)
{
    m_requests = new QUdpSocket(this);
    if (!m_requests->bind(address, 0))
        return 0;
    connect(m_requests, &QUdpSocket::readyRead, this, &MiniTftpServer::readRequest);
    return m_requests->localPort();
}

void MiniTftpServer::readRequest()
{
    while (m_requests->hasPendingDatagrams()) {
        const QNetworkDatagram d = m_requests->receiveDatagram();
        const QList<QByteArray> fields = d.data().mid(2).split('\0');
        const quint16 opcode = word(d.data(), 0);
        if ((opcode != 1 && opcode != 2) || fields.size() < 2)
            continue;
        requesters << d.senderAddress();
        delete m_transfer;
        m_transfer = new QUdpSocket(this);
        m_transfer->bind(m_requests->localAddress(), 0);
        connect(m_transfer, &QUdpSocket::readyRead, this, &MiniTftpServer::readTransfer);
        m_peer = d.senderAddress();
        m_peerPort = quint16(d.senderPort());
        m_fileName = QString::fromUtf8(fields.at(0));
        m_block = 0;
        m_writing = opcode == 2;
        if (m_writing) {
            m_data.clear();
            if (writeErrorCode)
                m_transfer->writeDatagram(packet(5, writeErrorCode, writeErrorText + '\0'), m_peer, m_peerPort);
            else
                m_transfer->writeDatagram(packet(4, 0), m_peer, m_peerPort);
            continue;
        }
        if (!files.contains(m_fileName)) {
            m_transfer->writeDatagram(packet(5, 1, "File not found" + QByteArray(1, '\0')), m_peer, m_peerPort);
            continue;
        }
        m_data = files.value(m_fileName);
        if (offerSize && fields.size() > 3 && fields.at(2).toLower() == "tsize") {
            m_transfer->writeDatagram(packet(6, 0).left(2) + "tsize" + '\0' + QByteArray::number(m_data.size()) + '\0',
                                      m_peer, m_peerPort);
            continue; // data follows the acknowledgement of block 0
        }
        sendBlock();
    }
}

void MiniTftpServer::readTransfer()
{
    while (m_transfer && m_transfer->hasPendingDatagrams()) {
        const QNetworkDatagram d = m_transfer->receiveDatagram();
        const QByteArray p = d.data();
        if (m_writing && word(p, 0) == 3 && word(p, 2) == quint16(m_block + 1)) {
            m_block = word(p, 2);
            m_data += p.mid(4);
            m_transfer->writeDatagram(packet(4, m_block), m_peer, m_peerPort);
            if (p.size() - 4 < 512)
                received.insert(m_fileName, m_data);
        } else if (!m_writing && word(p, 0) == 4 && word(p, 2) == m_block
                   && qint64(m_block) * 512 <= m_data.size()) {
            QTimer::singleShot(blockDelayMs, this, &MiniTftpServer::sendBlock);
        }
    }
}

void MiniTftpServer::sendBlock()
{
    ++m_block;
    m_transfer->writeDatagram(packet(3, m_block, m_data.mid((m_block - 1) * 512, 512)), m_peer, m_peerPort);
}
