#include "tlinktftpreadsession.h"

#include "tlinktftpserver.h"

#include <QDebug>
#include <QSettings>
#include <QTimer>

TLinkTftpReadSession::TLinkTftpReadSession(TransferInfo *peer, const TftpFileMap *fileMap,
                                           const QByteArray &request, TLinkTftpServer *server)
    : TLinkTftpSession(peer, fileMap, server, nullptr)
{
    const TftpPacket::Request parsed = TftpPacket::parseRequest(request);
    // Settings are read for every request, refused or not.
    readRetrySettings(m_retryCount, m_retryInterval);
    bool ok = false;
    const int max = QSettings().value(QStringLiteral("tftp_server/max_blocksize")).toInt(&ok);
    m_maxBlockSize = ok ? max : -1;

    if (!takeRequest(parsed))
        return;
    qDebug().noquote() << QStringLiteral("TLinkTftpReadSession::TLinkTftpReadSession: Filename: [%1] - Mode: [%2]")
                              .arg(m_fileName, parsed.mode);
    const TftpFileEntry *entry = m_fileMap->value(m_fileName, nullptr);
    if (!entry || entry->receivers.isEmpty()) {
        refuse(1, QStringLiteral("File not found"), tr("File not found"));
        return;
    }
    m_path = entry->path;
    TftpImage::Failure failure = TftpImage::NoFailure;
    m_image = server->image(m_path, failure);
    if (failure == TftpImage::Missing) {
        refuse(1, QStringLiteral("File not found"), tr("File not found"));
        return;
    }
    if (!m_image) {
        refuse(2, QStringLiteral("Access violation"), tr("File cannot be read"));
        return;
    }
    m_size = m_image->size();
    m_asked = parsed.options;
}

void TLinkTftpReadSession::begin()
{
    if (m_failed || m_retryTimer)
        return;
    m_retryTimer = new QTimer(this);
    m_retryTimer->setSingleShot(true);
    connect(m_retryTimer, &QTimer::timeout, this, &TLinkTftpReadSession::timeout);
    if (!openTransferSocket()) {
        refuse(0, QStringLiteral("Server busy"), tr("No transfer port"));
        finish(Failed, m_failureReason);
        return;
    }
    negotiate(m_asked);
    m_lastBlock = m_size / m_blockSize + 1;
    m_packet.resize(4 + m_blockSize);
    m_packet[0] = 0;
    m_packet[1] = char(TftpPacket::Data);
    emit updateFileProgress(m_fileName, m_peer->addressText(), 0);
    if (!m_options.isEmpty())
        sendOptionAck();
    else
        sendData();
}

void TLinkTftpReadSession::negotiate(const QMap<QString, QString> &asked)
{
    // Only the options this server carries out are acknowledged; a client
    // takes any option left out of the OACK as declined (RFC 2347).
    auto blksize = asked.constFind(QStringLiteral("blksize"));
    if (blksize != asked.cend()) {
        const int size = TftpPacket::parseBlockSize(blksize.value());
        if (size < 0) {
            qDebug().noquote() << "TLinkTftpReadSession: blksize declined:" << blksize.value();
        } else {
            m_blockSize = size;
            if (m_maxBlockSize >= 513 && m_blockSize > m_maxBlockSize)
                m_blockSize = qMin(m_maxBlockSize, int(TftpPacket::MaxBlockSize));
            m_options.insert(blksize.key(), QString::number(m_blockSize));
        }
    }
    if (asked.contains(QStringLiteral("tsize")))
        m_options.insert(QStringLiteral("tsize"), QString::number(m_size));
    auto timeout = asked.constFind(QStringLiteral("timeout"));
    if (timeout != asked.cend()) {
        const int seconds = TftpPacket::parseTimeout(timeout.value());
        if (seconds > 0) {
            m_retryInterval = seconds * 1000;
            m_options.insert(timeout.key(), QString::number(seconds));
        } else {
            qDebug().noquote() << "TLinkTftpReadSession: timeout declined:" << timeout.value();
        }
    }
}

void TLinkTftpReadSession::armRetry()
{
    m_sinceSend.start();
    if (!m_retryTimer->isActive())
        m_retryTimer->start(m_answered ? m_retryInterval : qMin(m_retryInterval, FirstAnswerMs));
}

void TLinkTftpReadSession::sendOptionAck()
{
    m_outstanding = 0;
    send(TftpPacket::optionAck(m_options), "TLinkTftpReadSession::sendOptionAck");
    armRetry();
}

bool TLinkTftpReadSession::sendData()
{
    const qint64 block = m_acked + 1;
    const qint64 offset = m_acked * m_blockSize;
    const int size = int(qMax<qint64>(0, qMin<qint64>(m_size - offset, m_blockSize)));
    if (size > 0 && !m_image->read(offset, m_packet.data() + 4, size)) {
        // The file shrank or cannot be read any more: never send a short
        // block that would end the transfer as if complete.
        qDebug().noquote() << "TLinkTftpReadSession::sendData: read failed at" << offset << "of" << m_path;
        refuse(3, QStringLiteral("File read error"), tr("File cannot be read"));
        finish(Failed, m_failureReason);
        return false;
    }
    m_outstanding = block;
    m_packet[2] = char((block >> 8) & 0xff);
    m_packet[3] = char(block & 0xff);
    send(m_packet.constData(), 4 + size, "TLinkTftpReadSession::sendData");
    armRetry();
    return true;
}

void TLinkTftpReadSession::resend()
{
    if (m_outstanding == 0)
        sendOptionAck();
    else
        sendData();
}

void TLinkTftpReadSession::takeDatagram(const QByteArray &datagram)
{
    switch (TftpPacket::opcode(datagram)) {
    case TftpPacket::Ack:
        takeAck(datagram);
        break;
    case TftpPacket::Error:
        qDebug().noquote() << "TLinkTftpReadSession: Error packet received, peer session aborted\n"
                                  + TftpPacket::errorText(datagram);
        finish(PeerError);
        break;
    default:
        qDebug("TLinkTftpReadSession: datagram of %d bytes dropped", int(datagram.size()));
        break;
    }
}

void TLinkTftpReadSession::takeAck(const QByteArray &datagram)
{
    quint16 block = 0;
    if (!TftpPacket::blockNumber(datagram, block)) {
        qDebug("TLinkTftpReadSession::parseAck: short ACK of %d bytes dropped", int(datagram.size()));
        return;
    }
    // Only the packet outstanding may be acknowledged: a repeated ACK of an
    // earlier block is dropped, so a duplicate never sends a block twice.
    if (m_outstanding < 0 || block != quint16(m_outstanding & 0xffff)) {
        qDebug("TLinkTftpReadSession::parseAck: Expected %d, got %d",
               m_outstanding < 0 ? -1 : int(m_outstanding & 0xffff), int(block));
        return;
    }
    m_acked = m_outstanding;
    m_retryCounter = 0;
    if (!m_answered) {
        m_answered = true;
        // The first answer came: from now on the peer gets the full retries.
        m_retryTimer->stop();
    }
    if (m_acked >= m_lastBlock) {
        m_retryTimer->stop();
        reportProgress();
        finish(Complete);
        return;
    }
    if (sendData())
        reportProgress();
}

void TLinkTftpReadSession::reportProgress()
{
    int percent = 100;
    if (m_size > 0) {
        const qint64 bytes = qMin<qint64>(m_acked * m_blockSize, m_size);
        percent = int(bytes * 100 / m_size);
    }
    if (percent != m_lastPercent || percent == 0) {
        m_lastPercent = percent;
        emit updateFileProgress(m_fileName, m_peer->addressText(), percent);
    }
}

void TLinkTftpReadSession::timeout()
{
    if (m_ended)
        return;
    // Progress does not restart the timer (that would cost a timer per
    // block): the time left since the last send is waited for here.
    const int interval = m_answered ? m_retryInterval : qMin(m_retryInterval, FirstAnswerMs);
    const qint64 left = interval - m_sinceSend.elapsed();
    if (left > 0) {
        m_retryTimer->start(int(left));
        return;
    }
    // Before the first answer one resend is all a peer gets.
    const uint resends = m_answered ? m_retryCount + 1 : 1;
    if (m_retryCounter >= 0 && uint(m_retryCounter) < resends) {
        ++m_retryCounter;
        qDebug("TLinkTftpReadSession::timeout: retry %d", m_retryCounter);
        resend();
        return;
    }
    m_retryCounter = -1;
    send(TftpPacket::error(0, QStringLiteral("Timeout")), "TLinkTftpReadSession::timeout");
    finish(TimedOut, QStringLiteral(" File transfer timeout."));
}

void TLinkTftpReadSession::finish(Outcome outcome, const QString &reason)
{
    if (m_ended)
        return;
    if (m_retryTimer)
        m_retryTimer->stop();
    // Nothing more is read: a repeated last ACK is left unanswered.
    close();
    emit ended(m_id, int(outcome), reason);
}
