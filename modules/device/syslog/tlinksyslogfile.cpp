#include "tlinksyslogfile.h"

#include "syslogbacklog.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTextCodec>
#include <QTextStream>

#include <algorithm>
#include <ctime>

namespace {

const char kMaxSizeKey[] = "syslog_server/max_size";
const char kMaxFileNumberKey[] = "syslog_server/max_file_number";
const char kDestinationKey[] = "syslog_server/destination_path";
const char kFileNumberKey[] = "syslog_server/file_number/";
const InfoEventId_t kWriteFailedEvent = 515;

QString defaultDestination()
{
    return QStringLiteral("%1/%2/%3/syslog")
        .arg(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
             QStringLiteral("Vantor"), QStringLiteral("ZEL"));
}

// The value as an integer, or fallback when it is none.
int intValue(const QVariant &value, int fallback)
{
    bool ok = false;
    const int v = value.toInt(&ok);
    return ok ? v : fallback;
}

QStringList readLines(const QString &path, bool *ok)
{
    QStringList lines;
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly | QIODevice::Text);
    if (!*ok)
        return lines;
    QTextStream in(&file);
    in.setCodec("UTF-8");
    while (!in.atEnd())
        lines.append(in.readLine());
    return lines;
}

} // namespace

TLinkSyslogFile::TLinkSyslogFile(SyslogBacklog *backlog)
    : m_backlog(backlog)
{
    qRegisterMetaType<InfoEventId_t>("InfoEventId_t");
    QSettings settings;
    const int maxSize = intValue(settings.value(kMaxSizeKey), 0);
    if (maxSize > 0) {
        m_maxSize = maxSize;
    } else {
        m_maxSize = 1048576;
        settings.setValue(kMaxSizeKey, 1048576);
    }
    const int maxFileNumber = intValue(settings.value(kMaxFileNumberKey), 0);
    if (maxFileNumber >= 1) {
        m_maxFileNumber = maxFileNumber;
    } else {
        m_maxFileNumber = 100;
        settings.setValue(kMaxFileNumberKey, 100);
    }
    const QString stored = settings.value(kDestinationKey).toString();
    if (settings.contains(kDestinationKey) && QDir().mkpath(stored)) {
        m_destinationPath = stored;
    } else {
        m_destinationPath = defaultDestination();
        settings.setValue(kDestinationKey, m_destinationPath);
    }
}

bool TLinkSyslogFile::isSafeFolderName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
           && !name.contains(QChar(0));
}

QString TLinkSyslogFile::filePathFor(const QString &folder, int n) const
{
    return QStringLiteral("%1/%2.txt").arg(folder).arg(n, 3, 10, QLatin1Char('0'));
}

int TLinkSyslogFile::storedFileNumber(const QString &filePath) const
{
    QSettings settings;
    const int n = intValue(settings.value(kFileNumberKey + filePath), 0);
    return (n >= 1 && n <= m_maxFileNumber) ? n : 0;
}

void TLinkSyslogFile::writeSyslogFile(QString filePath, QString text)
{
    writePending();
    writeLines(filePath, QStringList{text});
}

void TLinkSyslogFile::writeSyslogLines(QString filePath, QStringList lines)
{
    auto it = std::find_if(m_pending.begin(), m_pending.end(),
                           [&filePath](const QPair<QString, QStringList> &entry) { return entry.first == filePath; });
    if (it == m_pending.end())
        m_pending.append({filePath, lines});
    else
        it->second.append(lines);
    for (const QString &line : qAsConst(lines))
        m_pendingWeight += SyslogBacklog::weight(line.size());
    if (!m_writeQueued) {
        m_writeQueued = true;
        QMetaObject::invokeMethod(this, &TLinkSyslogFile::writePending, Qt::QueuedConnection);
    }
}

void TLinkSyslogFile::writePending()
{
    m_writeQueued = false;
    const QList<QPair<QString, QStringList>> pending = std::move(m_pending);
    const int weight = m_pendingWeight;
    m_pending.clear();
    m_pendingWeight = 0;
    for (const auto &entry : pending)
        writeLines(entry.first, entry.second);
    if (m_backlog && weight > 0)
        m_backlog->release(weight);
}

void TLinkSyslogFile::reportFailure(const QString &filePath, const QString &text)
{
    if (m_failingFolders.contains(filePath)) {
        qDebug() << "TLinkSyslogFile::writeSyslogFile:" << "still failing, not reported again:" << text;
        return;
    }
    m_failingFolders.insert(filePath);
    emit reportSyslogFileEvent(kWriteFailedEvent, text);
}

// Returns how many of the lines were written.
int TLinkSyslogFile::writeLines(const QString &filePath, const QStringList &lines)
{
    if (lines.isEmpty())
        return 0;
    if (!isSafeFolderName(filePath)) {
        qDebug() << "TLinkSyslogFile::writeSyslogFile:" << "refused folder name" << filePath;
        return 0;
    }
    const QString folder = QStringLiteral("%1/%2").arg(m_destinationPath, filePath);
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        reportFailure(filePath, QStringLiteral(" Make path error. %1").arg(folder));
        return 0;
    }

    const int stored = storedFileNumber(filePath);
    int n = stored;
    bool append = true;
    if (n == 0) {
        // No usable stored number: continue in the smallest numbered file.
        qint64 smallest = -1;
        const QFileInfoList entries = QDir(folder).entryInfoList(
            {QStringLiteral("*.txt")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo &entry : entries) {
            bool ok = false;
            const int number = entry.fileName().section(QLatin1Char('.'), 0, 0).toInt(&ok, 10);
            if (!ok || number < 1 || number > m_maxFileNumber)
                continue;
            if (smallest < 0 || entry.size() <= smallest) {
                smallest = entry.size();
                n = number;
            }
        }
        if (n == 0) {
            n = 1;
            append = false;
        }
    }

    QFile file;
    qint64 size = 0;
    int written = 0;
    int writtenNumber = stored;
    for (const QString &line : lines) {
        if (file.isOpen() && size >= m_maxSize)
            file.close();
        if (!file.isOpen()) {
            if (append) {
                // Move on past a full file. The next number of the ring holds
                // the oldest lines: when it is full as well (left from the
                // last round), it starts afresh instead of being skipped.
                const QFileInfo info(filePathFor(folder, n));
                if (info.exists() && info.size() >= m_maxSize) {
                    if (n < m_maxFileNumber) {
                        ++n;
                        const QFileInfo next(filePathFor(folder, n));
                        append = !next.exists() || next.size() < m_maxSize;
                    } else {
                        n = 1;
                        append = false;
                    }
                }
            }
            file.setFileName(filePathFor(folder, n));
            const QIODevice::OpenMode mode = append ? (QIODevice::WriteOnly | QIODevice::Append)
                                                    : (QIODevice::WriteOnly | QIODevice::Truncate);
            if (!file.open(mode | QIODevice::Text)) {
                reportFailure(filePath, append ? tr(" File append fails: %1").arg(file.fileName())
                                               : tr(" File open fails: %1").arg(file.fileName()));
                break;
            }
            size = file.size();
            append = true;
        }
        QByteArray bytes = line.toUtf8();
        bytes.append('\n');
        if (file.write(bytes) != bytes.size()) {
            reportFailure(filePath, tr(" File append fails: %1").arg(file.fileName()));
            break;
        }
        size += bytes.size();
        ++written;
        writtenNumber = n;
    }
    file.close();

    // The stored number is that of the last file a line went into.
    if (written > 0) {
        m_failingFolders.remove(filePath);
        if (stored != writtenNumber)
            QSettings().setValue(kFileNumberKey + filePath, writtenNumber);
    }
    return written;
}

void TLinkSyslogFile::readSyslogFile(QString uniqueId, QString filePath, int maxLen)
{
    writePending();
    const QString folder = QStringLiteral("%1/%2").arg(m_destinationPath, filePath);
    const int n = isSafeFolderName(filePath) ? storedFileNumber(filePath) : 0;
    if (n == 0 || !QFileInfo(folder).isDir()) {
        emit readSyslogFileDone(uniqueId, QString());
        return;
    }
    const QString current = filePathFor(folder, n);
    const std::clock_t started = std::clock();
    bool ok = false;
    const QStringList lines = readLines(current, &ok);
    if (!ok) {
        emit readSyslogFileDone(uniqueId, QString());
        return;
    }
    qDebug() << "TLinkSyslogFile::readSyslogFile:"
             << QStringLiteral("Reading file (%1) takes %2ms")
                    .arg(current)
                    .arg(qint64(std::clock() - started) * 1000 / CLOCKS_PER_SEC);

    const int wanted = qMax(0, maxLen);
    QString text;
    auto appendLines = [&text](const QStringList &from, int count) {
        for (int i = qMax(0, from.size() - count); i < from.size(); ++i) {
            text += from.at(i);
            text += QLatin1Char('\n');
        }
    };
    if (lines.size() >= wanted) {
        appendLines(lines, wanted);
    } else {
        const int previous = (n == 1) ? m_maxFileNumber : n - 1;
        const QString previousPath = filePathFor(folder, previous);
        bool previousOk = false;
        QStringList older;
        if (previous != n && QFileInfo(previousPath).size() >= m_maxSize)
            older = readLines(previousPath, &previousOk);
        if (previousOk) {
            appendLines(older, wanted - lines.size());
            text += QStringLiteral("Start of file <%1>\n").arg(n);
        }
        appendLines(lines, lines.size());
    }
    text.chop(1);
    emit readSyslogFileDone(uniqueId, text);
}
