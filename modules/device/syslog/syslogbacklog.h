#pragma once

#include <QAtomicInt>

// Counts the received syslog lines that are still on their way from the
// receiver to the files. The receiver stops reading while the count is at
// its limit, so a flood waits in the socket buffer (and is dropped there by
// the kernel) instead of piling up in memory.
class SyslogBacklog
{
public:
    explicit SyslogBacklog(int limit = 65536) : m_limit(limit) {}

    void add(int lines) { m_count.fetchAndAddOrdered(lines); }
    void release(int lines) { m_count.fetchAndAddOrdered(-lines); }
    int count() const { return m_count.loadAcquire(); }
    bool isFull() const { return count() >= m_limit; }
    int limit() const { return m_limit; }

private:
    QAtomicInt m_count {0};
    const int m_limit;
};
