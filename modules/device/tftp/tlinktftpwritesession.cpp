#include "tlinktftpwritesession.h"

#include "tlinktftpserver.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>

namespace {
constexpr int writeBlockSize = 512;
}

TLinkTftpWriteSession::TLinkTftpWriteSession(TransferInfo *peer, const TftpFileMap *fileMap,
                                             const QByteArray &request, TLinkTftpServer *server)
    : TLinkTftpSession(peer, fileMap, server)
{
    // Options of a write request are ignored: no OACK, blocks of 512 bytes.
    const TftpPacket::Request parsed = TftpPacket::parseRequest(request);
    if (!takeRequest(parsed).isEmpty())
        return;

    m_uploadDir = m_server->uploadDir();
    qDebug().noquote() << "TLinkTftpWriteSession::TLinkTftpWriteSession: Upload Dir: " << m_uploadDir;

    if (!isPlainFileName(m_fileName)) {
        qDebug().noquote() << "TLinkTftpWriteSession::TLinkTftpWriteSession: refused file name" << m_fileName;
        m_failed = true;
        m_server->sendError(*m_peer, 2, QStringLiteral("Access violation"));
        return;
    }
    if (m_uploadDir.isEmpty() || !QDir(m_uploadDir).exists()) {
        m_failed = true;
        m_server->sendError(*m_peer, 0, QStringLiteral("Unable to upload file to the server"));
        return;
    }
    qDebug().noquote() << QStringLiteral("TLinkTftpWriteSession::TLinkTftpWriteSession: Filename: [%1] - Mode: [%2]")
                              .arg(m_fileName, parsed.mode);
    if (const TftpFileEntry *entry = m_fileMap->value(m_fileName, nullptr))
        m_path = entry->path;

    QSettings settings;
    m_retryCount = settings.value(QStringLiteral("tftp_server/retry_cnt")).toUInt();
    if (m_retryCount == 0)
        m_retryCount = 4;
    int interval = settings.value(QStringLiteral("tftp_server/retry_timer")).toInt();
    if (interval <= 0)
        interval = 3000;
    m_retryTimer = new QTimer(this);
    connect(m_retryTimer, &QTimer::timeout, this, &TLinkTftpWriteSession::timeout);
    m_retryTimer->start(interval);

    m_block = 0;
    sendAck(0);
}

bool TLinkTftpWriteSession::isPlainFileName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && !name.contains(QLatin1String(".."));
}

TLinkTftpWriteSession::DataResult TLinkTftpWriteSession::parseData(const QByteArray &datagram)
{
    if (m_failed)
        return fail(tr("Write request refused"));
    quint16 block = 0;
    if (!TftpPacket::blockNumber(datagram, block)) {
        qDebug("TLinkTftpWriteSession::parseData: short DATA of %d bytes dropped", int(datagram.size()));
        return Continue;
    }
    if (block == m_block && m_blocksReceived > 0) {
        // The peer missed our ACK and sent the block again: acknowledge it
        // again, keep the bytes once.
        qDebug("TLinkTftpWriteSession::parseData: block %d repeated", int(block));
        sendAck(block);
        return Continue;
    }
    if (block != quint16(m_block + 1)) {
        qDebug("TLinkTftpWriteSession::parseData: Expected %d, got %d", int(quint16(m_block + 1)), int(block));
        m_server->sendError(*m_peer, 4, QStringLiteral("Error in block sequence"));
        return fail(tr("Error in block sequence"));
    }
    m_block = block;
    ++m_blocksReceived;
    const int payload = datagram.size() - 4;
    if (m_mode == ModeOctet)
        m_data.append(datagram.constData() + 4, payload);
    else
        qDebug("TLinkTftpWriteSession::parseData: NetAscii transfers not supported");
    m_retryCounter = 0;
    m_retryTimer->start();
    sendAck(block);
    if (payload == writeBlockSize)
        return Continue;
    m_retryTimer->stop();
    return saveDataToFile();
}

void TLinkTftpWriteSession::sendAck(quint16 block)
{
    send(TftpPacket::ack(block), "TLinkTftpWriteSession::sendAck");
}

TLinkTftpWriteSession::DataResult TLinkTftpWriteSession::saveDataToFile()
{
    qDebug().noquote() << "TLinkTftpWriteSession::saveDataToFile()" << m_uploadDir;
    const QString path = QStringLiteral("%1/%2").arg(m_uploadDir, m_fileName);
    qDebug().noquote() << "TLinkTftpWriteSession::saveDataToFile: Filename:" << path;
    if (m_data.isEmpty())
        return fail(tr("No data received, no file saved"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qDebug().noquote() << "TLinkTftpWriteSession::saveDataToFile: File cannot be openned: "
                           << QFileInfo(file).absoluteFilePath();
        return fail(tr("File cannot be saved"));
    }
    qDebug().noquote() << "TLinkTftpWriteSession::saveDataToFile: Write File: " << QFileInfo(file).absoluteFilePath();
    const bool written = file.write(m_data) == m_data.size();
    file.close();
    if (!written) {
        qDebug().noquote() << "TLinkTftpWriteSession::saveDataToFile: write failed" << path;
        file.remove();
        return fail(tr("File cannot be saved"));
    }
    emit fileCreated(m_fileName, m_uploadDir, m_fileName);
    return Saved;
}

TLinkTftpWriteSession::DataResult TLinkTftpWriteSession::fail(const QString &reason)
{
    m_failureReason = reason;
    if (m_retryTimer)
        m_retryTimer->stop();
    return Failed;
}

void TLinkTftpWriteSession::timeout()
{
    if (m_retryCounter >= 0 && uint(m_retryCounter) <= m_retryCount) {
        ++m_retryCounter;
        qDebug("TLinkTftpWriteSession::timeout: retry %d", m_retryCounter);
        sendAck(m_block);
        return;
    }
    m_retryTimer->stop();
    m_retryCounter = -1;
    emit sessionTimeout(m_peer);
}
