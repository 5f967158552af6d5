#include "slpportlock.h"

#include <QtGlobal>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// A fixed path: each test runs with a temporary folder of its own.
const char *const LockPath = "/tmp/zel-slp-port-427.lock";
} // namespace

SlpPortLock::SlpPortLock()
{
    m_fd = ::open(LockPath, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        qWarning("SlpPortLock::SlpPortLock: cannot open %s; running unlocked", LockPath);
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
