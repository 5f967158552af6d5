#include "tlinktftpreadsession.h"

#include "tlinktftpserver.h"

#include <QDebug>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>

#include <cstring>

namespace {
// Bytes read from the file at a time (at least one block).
constexpr int windowSize = 128 * 1024;
} // namespace

TLinkTftpReadSession::TLinkTftpReadSession(TransferInfo *peer, const TftpFileMap *fileMap,
                                           const QByteArray &request, TLinkTftpServer *server)
    : TLinkTftpSession(peer, fileMap, server)
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
    if (!openFile())
        return;

    m_retryTimer = new QTimer(this);
    m_retryTimer->setSingleShot(true);
    connect(m_retryTimer, &QTimer::timeout, this, &TLinkTftpReadSession::timeout);

    negotiate(parsed.options);
    m_lastBlock = m_size / m_blockSize + 1;
    m_packet.resize(4 + m_blockSize);
    m_packet[0] = 0;
    m_packet[1] = char(TftpPacket::Data);
    if (!m_options.isEmpty())
        sendOptionAck();
    else
        sendData();
}

bool TLinkTftpReadSession::openFile()
{
    const QFileInfo info(m_path);
    if (!info.exists() || !info.isFile()) {
        qDebug().noquote() << QStringLiteral("TLinkTftpReadSession::loadFile: The File %1 do not exists!").arg(m_path);
        refuse(1, QStringLiteral("File not found"), tr("File not found"));
        return false;
    }
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        qDebug().noquote() << "TLinkTftpReadSession::openFile: cannot open" << m_path << m_file.errorString();
        refuse(2, QStringLiteral("Access violation"), tr("File cannot be read"));
        return false;
    }
    m_size = m_file.size();
    return true;
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
        m_retryTimer->start(m_retryInterval);
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
    const int size = int(qMin<qint64>(m_size - offset, m_blockSize));
    if (size > 0 && (offset < m_windowStart || offset + size > m_windowStart + m_windowLength)) {
        // Move the window on: read from this block's start as much as it holds.
        const int want = int(qMin<qint64>(m_size - offset, qMax(windowSize, m_blockSize)));
        if (m_window.size() < want)
            m_window.resize(want);
        qint64 got = -1;
        if (m_file.seek(offset))
            got = m_file.read(m_window.data(), want);
        if (got < size) {
            // The file shrank or cannot be read any more: never send a short
            // block that would end the transfer as if complete.
            qDebug().noquote() << "TLinkTftpReadSession::sendData: read failed at" << offset << "of" << m_path;
            refuse(3, QStringLiteral("File read error"), tr("File cannot be read"));
            return true;
        }
        m_windowStart = offset;
        m_windowLength = int(got);
    }
    m_outstanding = block;
    m_packet[2] = char((block >> 8) & 0xff);
    m_packet[3] = char(block & 0xff);
    if (size > 0)
        std::memcpy(m_packet.data() + 4, m_window.constData() + (offset - m_windowStart), size_t(size));
    send(m_packet.constData(), 4 + qMax(size, 0), "TLinkTftpReadSession::sendData");
    armRetry();
    return false;
}

void TLinkTftpReadSession::resend()
{
    if (m_outstanding == 0)
        sendOptionAck();
    else
        sendData();
}

bool TLinkTftpReadSession::parseAck(const QByteArray &datagram)
{
    quint16 block = 0;
    if (!TftpPacket::blockNumber(datagram, block)) {
        qDebug("TLinkTftpReadSession::parseAck: short ACK of %d bytes dropped", int(datagram.size()));
        return false;
    }
    // Only the packet outstanding may be acknowledged: a repeated ACK of an
    // earlier block is dropped, so a duplicate never sends a block twice.
    if (m_outstanding < 0 || block != quint16(m_outstanding & 0xffff)) {
        qDebug("TLinkTftpReadSession::parseAck: Expected %d, got %d",
               m_outstanding < 0 ? -1 : int(m_outstanding & 0xffff), int(block));
        return false;
    }
    m_acked = m_outstanding;
    m_retryCounter = 0;
    m_progressReported = true;
    if (m_acked >= m_lastBlock) {
        m_retryTimer->stop();
        return true;
    }
    return sendData();
}

void TLinkTftpReadSession::reportProgress()
{
    if (!m_progressReported || m_failed)
        return;
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

void TLinkTftpReadSession::stopRetries()
{
    if (m_retryTimer)
        m_retryTimer->stop();
}

void TLinkTftpReadSession::timeout()
{
    // Progress does not restart the timer (that would cost a timer per
    // block): the time left since the last send is waited for here.
    const qint64 left = m_retryInterval - m_sinceSend.elapsed();
    if (left > 0) {
        m_retryTimer->start(int(left));
        return;
    }
    if (m_retryCounter >= 0 && uint(m_retryCounter) <= m_retryCount) {
        ++m_retryCounter;
        qDebug("TLinkTftpReadSession::timeout: retry %d", m_retryCounter);
        resend();
        return;
    }
    m_retryCounter = -1;
    emit sessionTimeout(m_peer);
}
