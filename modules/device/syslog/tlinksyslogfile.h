#pragma once

#include "infoevent.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class SyslogBacklog;

// Stores the syslog lines of every source in numbered text files of bounded
// size below one destination folder, reused in a ring, and reads the newest
// stored lines back. Lives on a worker thread of its own; reached only by
// queued calls.
class TLinkSyslogFile : public QObject
{
    Q_OBJECT
public:
    // Reads (and writes back where missing or unusable) the folder, file
    // size and file count settings.
    explicit TLinkSyslogFile(SyslogBacklog *backlog = nullptr);

    QString destinationPath() const { return m_destinationPath; }
    qint64 maxSize() const { return m_maxSize; }
    int maxFileNumber() const { return m_maxFileNumber; }

    // True when name is one plain folder name (no separators, not "." or "..").
    static bool isSafeFolderName(const QString &name);

signals:
    void readSyslogFileDone(QString uniqueId, QString fileContent);
    void reportSyslogFileEvent(InfoEventId_t id, QString extDescription);

public slots:
    void writeSyslogFile(QString filePath, QString text);
    void readSyslogFile(QString uniqueId, QString filePath, int maxLen);
    // Appends several lines of one source; each line is placed as
    // writeSyslogFile places it. Lines that arrive while earlier ones wait
    // are written together, once the calls queued so far are taken in, so a
    // busy source costs one file opening per round instead of one per line.
    // Lines handed over through the backlog are released from it once
    // written.
    void writeSyslogLines(QString filePath, QStringList lines);

private slots:
    void writePending();

private:
    QString filePathFor(const QString &folder, int n) const;
    int storedFileNumber(const QString &filePath) const;
    int writeLines(const QString &filePath, const QStringList &lines);
    void reportFailure(const QString &filePath, const QString &text);

    QString m_destinationPath;
    qint64 m_maxSize = 1048576;
    int m_maxFileNumber = 100;
    SyslogBacklog *m_backlog = nullptr;
    // Lines waiting to be written, per folder in the order first seen.
    QList<QPair<QString, QStringList>> m_pending;
    int m_pendingWeight = 0;
    bool m_writeQueued = false;
    // Folders whose last write failed: their next failures are not reported
    // again, so a failure report that is itself stored there cannot loop.
    QSet<QString> m_failingFolders;
};
