#include "tftpimage.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

TftpImage::~TftpImage()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QSharedPointer<const TftpImage> TftpImage::open(const QString &path, Failure &failure)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        qDebug().noquote() << QStringLiteral("TftpImage::open: The File %1 do not exists!").arg(path);
        failure = Missing;
        return {};
    }
    QSharedPointer<TftpImage> image(new TftpImage);
    image->m_path = path;
    image->m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (image->m_fd < 0) {
        qDebug().noquote() << "TftpImage::open: cannot open" << path << std::strerror(errno);
        failure = Unreadable;
        return {};
    }
    const off_t end = ::lseek(image->m_fd, 0, SEEK_END);
    if (end < 0) {
        failure = Unreadable;
        return {};
    }
    image->m_size = qint64(end);
    image->m_modified = info.lastModified();
    if (image->m_size <= MemoryLimit) {
        image->m_bytes.resize(int(image->m_size));
        if (!image->read(0, image->m_bytes.data(), int(image->m_size))) {
            qDebug().noquote() << "TftpImage::open: cannot read" << path;
            failure = Unreadable;
            return {};
        }
        ::close(image->m_fd);
        image->m_fd = -1;
    }
    failure = NoFailure;
    return image;
}

bool TftpImage::isCurrent() const
{
    const QFileInfo info(m_path);
    return info.exists() && info.size() == m_size && info.lastModified() == m_modified;
}

bool TftpImage::read(qint64 offset, char *out, int length) const
{
    if (offset < 0 || length < 0 || offset + length > m_size)
        return false;
    if (m_fd < 0) {
        std::memcpy(out, m_bytes.constData() + offset, size_t(length));
        return true;
    }
    int done = 0;
    while (done < length) {
        const ssize_t got = ::pread(m_fd, out + done, size_t(length - done), off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += int(got);
    }
    return true;
}
