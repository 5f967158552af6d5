#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSharedPointer>
#include <QString>

// A published file as the read transfers share it: read into memory once
// for every transfer of it at a time, or, when it is too large for that,
// read a block at a time from one open descriptor. Nothing in it changes
// after open(), so transfers on several threads may read it at once.
class TftpImage
{
public:
    // Files up to this size are held in memory.
    static constexpr qint64 MemoryLimit = 512LL * 1024 * 1024;

    enum Failure { NoFailure, Missing, Unreadable };

    ~TftpImage();
    TftpImage(const TftpImage &) = delete;
    TftpImage &operator=(const TftpImage &) = delete;

    // Opens (and where it fits, reads) the file at `path`; null with
    // `failure` set when it is not a readable regular file.
    static QSharedPointer<const TftpImage> open(const QString &path, Failure &failure);

    qint64 size() const { return m_size; }
    // True while the file on disk still has the size and time it had when
    // it was opened: the image may serve another transfer.
    bool isCurrent() const;
    // Copies `length` bytes from `offset` into `out`; false when the file
    // cannot give them all (it shrank or a read failed).
    bool read(qint64 offset, char *out, int length) const;

private:
    TftpImage() = default;

    QString m_path;
    qint64 m_size = 0;
    QDateTime m_modified;
    QByteArray m_bytes;
    int m_fd = -1;
};
