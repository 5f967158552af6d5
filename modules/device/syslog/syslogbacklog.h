#pragma once

#include <QAtomicInt>

// Weighs the received syslog lines that are still on their way from the
// receiver to the files and the forward socket. The receiver stops reading
// while the weight is at its limit, so a flood waits in the socket buffer
// (and is dropped there by the kernel) instead of piling up in memory.
// A line weighs 1 plus 1 for every 512 bytes or characters, so large
// datagrams are bounded by their size, not only by their count.
class SyslogBacklog
{
public:
    explicit SyslogBacklog(int limit = 65536) : m_limit(limit) {}

    // The weight of one line or datagram of the given size; whoever adds a
    // line's weight releases it later from the same size.
    static int weight(int size) { return 1 + size / 512; }

    void add(int lines) { m_count.fetchAndAddOrdered(lines); }
    void release(int lines) { m_count.fetchAndAddOrdered(-lines); }
    int count() const { return m_count.loadAcquire(); }
    bool isFull() const { return count() >= m_limit; }
    int limit() const { return m_limit; }

private:
    QAtomicInt m_count {0};
    const int m_limit;
};
