#include "tlinktftpreadsession.h"

#include "tlinktftpserver.h"

#include <QDebug>
#include <QFile>
#include <QSettings>
#include <QTimer>

namespace {

bool isV4(const QHostAddress &address)
{
    bool v4 = false;
    address.toIPv4Address(&v4);
    return v4;
}

} // namespace

QString TLinkTftpReadSession::peerAddressText() const
{
    const QHostAddress &address = m_peer->address;
    return isV4(address) ? QHostAddress(address.toIPv4Address()).toString() : address.toString();
}

TLinkTftpReadSession::TLinkTftpReadSession(TransferInfo *peer, const TftpFileMap *fileMap,
                                           const QByteArray &request, TLinkTftpServer *server)
    : TLinkTftpSession(peer, fileMap, server)
{
    const TftpPacket::Request parsed = TftpPacket::parseRequest(request);
    const QString modeError = takeRequest(parsed);
    if (!modeError.isEmpty()) {
        emit m_server->errorFileTransfer(m_fileName, modeError);
        emit m_server->errorFileTransferWith(m_fileName, peerAddressText(), modeError);
    } else {
        qDebug().noquote() << QStringLiteral("TLinkTftpReadSession::TLinkTftpReadSession: Filename: [%1] - Mode: [%2]")
                                  .arg(m_fileName, parsed.mode);
        m_options = parsed.options;
        const TftpFileEntry *entry = m_fileMap->value(m_fileName, nullptr);
        bool anyReceiver = false;
        if (entry) {
            for (const TftpReceiver &receiver : entry->receivers)
                anyReceiver = anyReceiver || receiver.guard;
        }
        if (!anyReceiver) {
            m_failed = true;
            m_server->sendError(*m_peer, 1, QStringLiteral("File not found"));
            emit m_server->errorFileTransfer(m_fileName, tr("File not found"));
            emit m_server->errorFileTransferWith(m_fileName, peerAddressText(), tr("File not found"));
        } else {
            m_path = entry->path;
            for (const TftpReceiver &receiver : entry->receivers) {
                if (receiver.guard)
                    connect(this, SIGNAL(updateFileProgress(QString, QString, int)), receiver.object,
                            receiver.member.constData(), Qt::UniqueConnection);
            }
        }
    }

    readSettings();
    m_retryTimer = new QTimer(this);
    connect(m_retryTimer, &QTimer::timeout, this, &TLinkTftpReadSession::timeout);
    m_retryTimer->start(m_retryInterval);
    m_retryCounter = 0;

    if (m_failed)
        return;
    emit updateFileProgress(m_fileName, m_peer->address.toString(), 0);
    loadFile();
    m_acked = 0;
    if (!m_options.isEmpty()) {
        auto blksize = m_options.find(QStringLiteral("blksize"));
        if (blksize != m_options.end()) {
            const int asked = TftpPacket::parseBlockSize(blksize.value());
            if (asked < 0) {
                // Not a usable size: the option is declined, blocks stay 512.
                qDebug().noquote() << "TLinkTftpReadSession::TLinkTftpReadSession: blksize ignored:"
                                   << blksize.value();
                m_options.erase(blksize);
            } else {
                m_blockSize = asked;
                if (m_maxBlockSize >= 513 && m_blockSize > m_maxBlockSize)
                    m_blockSize = qMin(m_maxBlockSize, int(TftpPacket::MaxBlockSize));
                blksize.value() = QString::number(m_blockSize);
            }
        }
        auto tsize = m_options.find(QStringLiteral("tsize"));
        if (tsize != m_options.end() && m_loaded)
            tsize.value() = QString::number(m_data.size());
    }
    if (!m_options.isEmpty())
        sendOptionAck();
    else
        sendData();
}

void TLinkTftpReadSession::readSettings()
{
    QSettings settings;
    m_retryCount = settings.value(QStringLiteral("tftp_server/retry_cnt")).toUInt();
    if (m_retryCount == 0) {
        m_retryCount = 4;
        settings.setValue(QStringLiteral("tftp_server/retry_cnt"), 4);
    }
    m_retryInterval = settings.value(QStringLiteral("tftp_server/retry_timer")).toInt();
    if (m_retryInterval <= 0) {
        m_retryInterval = 3000;
        settings.setValue(QStringLiteral("tftp_server/retry_timer"), 3000);
    }
    bool ok = false;
    const int max = settings.value(QStringLiteral("tftp_server/max_blocksize")).toInt(&ok);
    m_maxBlockSize = ok ? max : -1;
}

void TLinkTftpReadSession::loadFile()
{
    if (m_mode == ModeNetAscii) {
        qDebug("TLinkTftpReadSession::loadFile: NetAscii transfers not supported");
        return;
    }
    if (!QFile::exists(m_path)) {
        qDebug().noquote() << QStringLiteral("TLinkTftpReadSession::loadFile: The File %1 do not exists!").arg(m_path);
        return;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        // Nothing is loaded: an empty file must not be sent in its place.
        qDebug().noquote() << "TLinkTftpReadSession::loadFile: cannot open" << m_path;
        return;
    }
    qDebug("TLinkTftpReadSession::loadFile: File opened");
    m_data = file.readAll();
    m_loaded = true;
    qDebug() << "TLinkTftpReadSession::loadFile: ByreArray Size = " << m_data.size();
}

void TLinkTftpReadSession::sendOptionAck()
{
    m_outstanding = 0;
    send(TftpPacket::optionAck(m_options), "TLinkTftpReadSession::sendOptionAck");
}

bool TLinkTftpReadSession::sendData()
{
    if (!m_loaded)
        return false;
    const qint64 offset = m_acked * m_blockSize;
    if (offset > m_data.size())
        return true;
    const int size = int(qMin<qint64>(m_data.size() - offset, m_blockSize));
    m_outstanding = m_acked + 1;
    send(TftpPacket::data(quint16(m_outstanding & 0xffff), m_data.constData() + offset, size),
         "TLinkTftpReadSession::sendData");
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
    m_retryTimer->start(m_retryInterval);
    m_retryCounter = 0;
    m_progressReported = true;
    return sendData();
}

void TLinkTftpReadSession::reportProgress()
{
    if (!m_loaded || !m_progressReported)
        return;
    int percent = 100;
    if (!m_data.isEmpty()) {
        const qint64 bytes = qMin<qint64>(m_acked * m_blockSize, m_data.size());
        percent = int(bytes * 100 / m_data.size());
    }
    if (percent != m_lastPercent || percent == 0) {
        m_lastPercent = percent;
        emit updateFileProgress(m_fileName, m_peer->address.toString(), percent);
    }
}

void TLinkTftpReadSession::stopRetries()
{
    m_retryTimer->stop();
}

void TLinkTftpReadSession::timeout()
{
    if (m_retryCounter >= 0 && uint(m_retryCounter) <= m_retryCount) {
        ++m_retryCounter;
        qDebug("TLinkTftpReadSession::timeout: retry %d", m_retryCounter);
        if (m_outstanding >= 0)
            resend();
        return;
    }
    m_retryTimer->stop();
    m_retryCounter = -1;
    emit sessionTimeout(m_peer);
}
