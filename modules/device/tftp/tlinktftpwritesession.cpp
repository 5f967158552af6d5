#include "tlinktftpwritesession.h"

#include "tlinktftpserver.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int writeBlockSize = 512;
// Longest file name a device may send.
constexpr int maxFileNameLength = 128;

// Renames `from` to `to`; with `replace` false an existing `to` is kept and
// the rename fails with EEXIST.
bool renameInto(const QString &from, const QString &to, bool replace, int &error)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (replace) {
        if (::rename(source.constData(), target.constData()) == 0)
            return true;
        error = errno;
        return false;
    }
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        error = errno;
        return false;
    }
    // A file system without RENAME_NOREPLACE: a hard link fails on an
    // existing name just the same.
    if (::link(source.constData(), target.constData()) != 0) {
        error = errno;
        return false;
    }
    ::unlink(source.constData());
    return true;
}
} // namespace

TLinkTftpWriteSession::TLinkTftpWriteSession(TransferInfo *peer, const TftpFileMap *fileMap,
                                             const QByteArray &request, TLinkTftpServer *server)
    : TLinkTftpSession(peer, fileMap, server, server)
{
    // Options of a write request are not acknowledged: no OACK, blocks of 512
    // bytes. Only a size announced with "tsize" is checked.
    const TftpPacket::Request parsed = TftpPacket::parseRequest(request);
    if (!takeRequest(parsed))
        return;
    if (!isPlainFileName(m_fileName)) {
        qDebug().noquote() << "TLinkTftpWriteSession::TLinkTftpWriteSession: refused file name" << m_fileName.left(80);
        refuse(2, QStringLiteral("Access violation"), tr("Illegal file name"));
        return;
    }
    TftpUploadExpectation expected;
    if (!m_server->findExpectation(m_peer->address, m_fileName, expected)) {
        qDebug().noquote() << "TLinkTftpWriteSession::TLinkTftpWriteSession: no upload expected of"
                           << m_peer->addressText() << "for" << m_fileName;
        refuse(2, QStringLiteral("Access violation"), tr("Upload not expected"));
        return;
    }
    m_expectationId = expected.id;
    // A file the caller named is the file it chose to have replaced; under a
    // name the device picked nothing that exists is ever replaced.
    m_replace = !expected.fileName.isEmpty();
    m_uploadDir = m_server->folderFor(expected);
    qDebug().noquote() << "TLinkTftpWriteSession::TLinkTftpWriteSession: Upload Dir: " << m_uploadDir;
    if (m_uploadDir.isEmpty() || !QDir(m_uploadDir).exists()) {
        refuse(0, QStringLiteral("Unable to upload file to the server"), tr("Upload folder missing"));
        return;
    }

    QSettings settings;
    bool ok = false;
    const qint64 cap = settings.value(QStringLiteral("tftp_server/max_upload_size")).toLongLong(&ok);
    if (ok && cap > 0)
        m_maxSize = cap;
    auto tsize = parsed.options.constFind(QStringLiteral("tsize"));
    if (tsize != parsed.options.cend()) {
        const qint64 size = TftpPacket::parseTransferSize(tsize.value());
        if (size < 0) {
            refuse(8, QStringLiteral("Option tsize refused"), tr("Illegal transfer size"));
            return;
        }
        if (size > m_maxSize) {
            refuse(3, QStringLiteral("Disk full or allocation exceeded"), tr("File too large"));
            return;
        }
    }
    const QString target = QStringLiteral("%1/%2").arg(m_uploadDir, m_fileName);
    if (!m_replace && QFileInfo::exists(target)) {
        refuse(6, QStringLiteral("File already exists"), tr("File already exists"));
        return;
    }
    qDebug().noquote() << QStringLiteral("TLinkTftpWriteSession::TLinkTftpWriteSession: Filename: [%1] - Mode: [%2]")
                              .arg(m_fileName, parsed.mode);
    if (const TftpFileEntry *entry = m_fileMap->value(m_fileName, nullptr))
        m_path = entry->path;
}

void TLinkTftpWriteSession::begin()
{
    if (m_failed || m_retryTimer)
        return;
    if (!openTransferSocket()) {
        refuse(0, QStringLiteral("Server busy"), tr("No transfer port"));
        return;
    }
    m_temporary.setFileName(QStringLiteral("%1/.%2.%3.part")
                                .arg(m_uploadDir, m_fileName)
                                .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')));
    if (!m_temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        qDebug().noquote() << "TLinkTftpWriteSession: cannot create" << m_temporary.fileName()
                           << m_temporary.errorString();
        refuse(0, QStringLiteral("Unable to upload file to the server"), tr("File cannot be saved"));
        return;
    }
    int interval = 3000;
    readRetrySettings(m_retryCount, interval);
    m_retryTimer = new QTimer(this);
    connect(m_retryTimer, &QTimer::timeout, this, &TLinkTftpWriteSession::timeout);
    m_retryTimer->start(interval);

    m_block = 0;
    sendAck(0);
}

void TLinkTftpWriteSession::takeDatagram(const QByteArray &datagram)
{
    m_server->takeWriteDatagram(this, datagram);
}

TLinkTftpWriteSession::~TLinkTftpWriteSession()
{
    discardTemporary();
}

bool TLinkTftpWriteSession::isPlainFileName(const QString &name)
{
    if (name.isEmpty() || name.size() > maxFileNameLength || name.startsWith(QLatin1Char('.')))
        return false;
    for (const QChar c : name) {
        if (c < QLatin1Char(' ') || c == QChar(0x7f) || c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return false;
    }
    return true;
}

void TLinkTftpWriteSession::discardTemporary()
{
    if (m_temporary.fileName().isEmpty())
        return;
    m_temporary.close();
    if (m_temporary.exists())
        m_temporary.remove();
    m_temporary.setFileName(QString());
}

TLinkTftpWriteSession::DataResult TLinkTftpWriteSession::parseData(const QByteArray &datagram)
{
    if (m_failed)
        return Failed;
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
        return fail(4, QStringLiteral("Error in block sequence"), tr("Error in block sequence"));
    }
    const int payload = datagram.size() - 4;
    if (payload > writeBlockSize)
        return fail(4, QStringLiteral("Illegal TFTP operation"), tr("Block too large"));
    if (m_received + payload > m_maxSize)
        return fail(3, QStringLiteral("Disk full or allocation exceeded"), tr("File too large"));
    if (payload > 0 && m_temporary.write(datagram.constData() + 4, payload) != payload) {
        qDebug().noquote() << "TLinkTftpWriteSession::parseData: write failed:" << m_temporary.errorString();
        return fail(3, QStringLiteral("Disk full or allocation exceeded"), tr("File cannot be saved"));
    }
    m_block = block;
    ++m_blocksReceived;
    m_received += payload;
    m_retryCounter = 0;
    if (payload == writeBlockSize) {
        m_retryTimer->start();
        sendAck(block);
        return Continue;
    }
    m_retryTimer->stop();
    return finishFile();
}

void TLinkTftpWriteSession::sendAck(quint16 block)
{
    send(TftpPacket::ack(block), "TLinkTftpWriteSession::sendAck");
}

TLinkTftpWriteSession::DataResult TLinkTftpWriteSession::finishFile()
{
    const QString path = QStringLiteral("%1/%2").arg(m_uploadDir, m_fileName);
    qDebug().noquote() << "TLinkTftpWriteSession::saveDataToFile: Filename:" << path;
    if (m_received == 0) {
        // Nothing to save: the transfer itself went well.
        sendAck(m_block);
        discardTemporary();
        m_failed = true;
        m_failureReason = tr("No data received, no file saved");
        return Failed;
    }
    const bool flushed = m_temporary.flush();
    m_temporary.close();
    if (!flushed || m_temporary.error() != QFileDevice::NoError) {
        qDebug().noquote() << "TLinkTftpWriteSession::saveDataToFile: write failed" << m_temporary.errorString();
        return fail(3, QStringLiteral("Disk full or allocation exceeded"), tr("File cannot be saved"));
    }
    int error = 0;
    if (!renameInto(m_temporary.fileName(), path, m_replace, error)) {
        qDebug().noquote() << "TLinkTftpWriteSession::saveDataToFile: cannot rename into" << path << error;
        if (error == EEXIST)
            return fail(6, QStringLiteral("File already exists"), tr("File already exists"));
        return fail(2, QStringLiteral("Access violation"), tr("File cannot be saved"));
    }
    m_temporary.setFileName(QString());
    // Only now is the file complete under its name: the last ACK says so.
    sendAck(m_block);
    qDebug().noquote() << "TLinkTftpWriteSession::saveDataToFile: Write File: " << path;
    emit fileCreated(m_fileName, m_uploadDir, m_fileName);
    return Saved;
}

TLinkTftpWriteSession::DataResult TLinkTftpWriteSession::fail(quint16 code, const QString &message,
                                                               const QString &reason)
{
    refuse(code, message, reason);
    if (m_retryTimer)
        m_retryTimer->stop();
    discardTemporary();
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
    send(TftpPacket::error(0, QStringLiteral("Timeout")), "TLinkTftpWriteSession::timeout");
    emit sessionTimeout(m_peer);
}
