#include "slpportlock.h"

#include <QByteArray>
#include <QtGlobal>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A fixed folder (each test runs with a temporary folder of its own) and one
// lock per network namespace: runs in namespaces of their own cannot hear
// each other's multicast and need not wait for each other.
QByteArray lockPath()
{
    QByteArray path("/tmp/zel-slp-port-427");
    struct stat ns;
    if (::stat("/proc/self/ns/net", &ns) == 0)
        path += '.' + QByteArray::number(quint64(ns.st_ino));
    return path + ".lock";
}
} // namespace

SlpPortLock::SlpPortLock()
{
    const QByteArray path = lockPath();
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        qWarning("SlpPortLock::SlpPortLock: cannot open %s; running unlocked", path.constData());
        return;
    }
    while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

SlpPortLock::~SlpPortLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}
