// Syslog intake benchmark: a sender process on loopback blasts datagrams at
// one registered source at rising rates; for each rate it reports how many
// lines reached the source's files and the external-server socket. Prints
// the highest rate at which nothing was lost, and memory at the end.
//
//   bench_syslog_intake [lines-per-rate]            run the benchmark
//   bench_syslog_intake --send ADDR PORT N RATE     the sender (rate 0: flat out)
#include "tlinksyslogif.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QEventLoop>

#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const int kPayload = 80;

QByteArray lineFor(long seq)
{
    char text[160];
    const int n = std::snprintf(text, sizeof text, "<134>1 2026-12-10T13:00:00Z dev app - - - seq=%09ld %.*s", seq,
                                kPayload, "................................................................................");
    return QByteArray(text, n);
}

double now()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Sends n datagrams from addr to 127.0.0.1:port at rate per second.
int runSender(const char *addr, int port, long n, long rate)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local {};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, addr, &local.sin_addr);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        std::perror("sender bind");
        return 1;
    }
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(quint16(port));
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);

    const int chunk = 32;
    std::vector<QByteArray> lines(chunk);
    std::vector<mmsghdr> headers(chunk);
    std::vector<iovec> iov(chunk);
    const double start = now();
    long sent = 0;
    while (sent < n) {
        const int count = int(std::min<long>(chunk, n - sent));
        for (int i = 0; i < count; ++i) {
            lines[size_t(i)] = lineFor(sent + i);
            iov[size_t(i)] = {lines[size_t(i)].data(), size_t(lines[size_t(i)].size())};
            std::memset(&headers[size_t(i)], 0, sizeof(mmsghdr));
            headers[size_t(i)].msg_hdr.msg_iov = &iov[size_t(i)];
            headers[size_t(i)].msg_hdr.msg_iovlen = 1;
            headers[size_t(i)].msg_hdr.msg_name = &to;
            headers[size_t(i)].msg_hdr.msg_namelen = sizeof to;
        }
        const int done = ::sendmmsg(fd, headers.data(), unsigned(count), 0);
        if (done <= 0) {
            std::perror("sendmmsg");
            return 1;
        }
        sent += done;
        if (rate > 0) {
            const double due = start + double(sent) / double(rate);
            while (now() < due) {
                const double wait = due - now();
                if (wait > 0.0002)
                    usleep(useconds_t(wait * 1e6 / 2));
            }
        }
    }
    std::printf("sent %ld in %.3f s\n", sent, now() - start);
    return 0;
}

// Plays the external syslog server: counts the datagrams that arrive.
class ForwardSink
{
public:
    ForwardSink()
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        const int buffer = 16 * 1024 * 1024;
        if (::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &buffer, sizeof buffer) != 0)
            ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
        timeval timeout {0, 100000};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~ForwardSink()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }
    quint16 port() const { return m_port; }
    long count() const { return m_count.load(); }
    void reset() { m_count = 0; }

private:
    void run()
    {
        std::vector<char> buffers(64 * 2048);
        std::vector<mmsghdr> headers(64);
        std::vector<iovec> iov(64);
        while (!m_stop) {
            for (size_t i = 0; i < 64; ++i) {
                iov[i] = {buffers.data() + i * 2048, 2048};
                std::memset(&headers[i], 0, sizeof(mmsghdr));
                headers[i].msg_hdr.msg_iov = &iov[i];
                headers[i].msg_hdr.msg_iovlen = 1;
            }
            const int got = ::recvmmsg(m_fd, headers.data(), 64, MSG_WAITFORONE, nullptr);
            if (got > 0)
                m_count += got;
        }
    }

    int m_fd = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop {false};
    std::atomic<long> m_count {0};
    std::thread m_thread;
};

qint64 folderBytes(const QString &folder)
{
    qint64 total = 0;
    const QFileInfoList files = QDir(folder).entryInfoList({"*.txt"}, QDir::Files);
    for (const QFileInfo &file : files)
        total += file.size();
    return total;
}

long folderLines(const QString &folder)
{
    long lines = 0;
    const QFileInfoList files = QDir(folder).entryInfoList({"*.txt"}, QDir::Files);
    for (const QFileInfo &info : files) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly))
            lines += file.readAll().count('\n');
    }
    return lines;
}

QString statusField(const char *name)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return QString::fromLatin1(line.mid(int(std::strlen(name)))).simplified();
    }
    return QString();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 6 && std::strcmp(argv[1], "--send") == 0)
        return runSender(argv[2], std::atoi(argv[3]), std::atol(argv[4]), std::atol(argv[5]));

    // Settings and files of this run stay in a temporary folder.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Vantor & Vantor");
    QCoreApplication::setApplicationName("ZEL");
    const long perRate = argc > 1 ? std::atol(argv[1]) : 200000;

    const QString destination = home.filePath("syslog");
    {
        QSettings settings;
        settings.setValue("syslog_server/destination_path", destination);
        settings.setValue("syslog_server/portnumber", 0); // replaced below
        // A port that was free a moment ago.
        const int probe = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        ::bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length);
        ::close(probe);
        settings.setValue("syslog_server/portnumber", ntohs(address.sin_port));
    }

    TLinkSyslogIf front;
    if (!front.isReceiving()) {
        std::printf("receiver could not bind port %u\n", front.receivePort());
        return 1;
    }
    ForwardSink sink;
    front.setExternalSyslog(true, "127.0.0.1", sink.port());
    const qint64 storedLineBytes = lineFor(0).size() - 5 + 6 + 1; // "<134>" becomes "<INFO>", plus "\n"

    std::printf("syslog intake: %ld lines per rate, one source, forwarding on\n", perRate);
    std::printf("%10s %10s %10s %10s %10s %8s\n", "asked/s", "sent/s", "stored", "forwarded", "lost", "time s");
    // The last round is a flood of five times as many lines, flat out:
    // memory must stay where it was.
    const QList<long> rates{50000, 100000, 200000, 300000, 400000, 600000, 0, -1};
    QString rssBeforeFlood;
    long best = 0;
    int round = 0;
    for (long listed : rates) {
        ++round;
        const bool flood = listed < 0;
        const long rate = flood ? 0 : listed;
        const long lines = flood ? 5 * perRate : perRate;
        if (flood)
            rssBeforeFlood = statusField("VmRSS:");
        const QString address = QStringLiteral("127.0.2.%1").arg(50 + round);
        const QString id = QStringLiteral("bench-%1").arg(round);
        front.addDevice(id, "705", QString::number(round), address);
        const QString folder = destination + QStringLiteral("/syslog_705_%1").arg(round);
        sink.reset();

        QProcess sender;
        QElapsedTimer clock;
        clock.start();
        sender.start(QCoreApplication::applicationFilePath(),
                     {"--send", address, QString::number(front.receivePort()), QString::number(lines),
                      QString::number(rate)});
        // Wait in the event loop (the front object works on this thread)
        // until every line is in, or nothing has moved for a second.
        QEventLoop loop;
        QTimer poll;
        qint64 lastBytes = -1;
        long lastForward = -1;
        QElapsedTimer still;
        still.start();
        QObject::connect(&poll, &QTimer::timeout, [&] {
            const qint64 bytes = folderBytes(folder);
            const long forwardedNow = sink.count();
            if (bytes != lastBytes || forwardedNow != lastForward) {
                lastBytes = bytes;
                lastForward = forwardedNow;
                still.restart();
            }
            const bool complete = bytes == lines * storedLineBytes && forwardedNow == lines;
            if (sender.state() == QProcess::NotRunning && (complete || still.elapsed() > 1000))
                loop.quit();
        });
        poll.start(20);
        loop.exec();
        const double seconds = double(clock.elapsed()) / 1000.0;
        const long stored = folderLines(folder);
        const long forwarded = sink.count();
        const long lost = lines - qMin(stored, forwarded);
        // The sender says how long its sending took.
        const QStringList said = QString::fromLatin1(sender.readAllStandardOutput()).split(' ');
        const double sendSeconds = said.value(3).toDouble();
        const long sentRate = sendSeconds > 0 ? long(double(lines) / sendSeconds) : 0;
        std::printf("%10s %10ld %10ld %10ld %10ld %8.2f\n",
                    flood ? "flood" : rate ? qPrintable(QString::number(rate)) : "flat out", sentRate, stored,
                    forwarded, lost, seconds);
        std::fflush(stdout);
        // The sender may not reach the rate asked for: count what it sent.
        if (lost == 0 && !flood && sentRate > best)
            best = sentRate;
        front.removeDevice(id);
    }
    std::printf("highest rate with nothing lost: %ld lines/s (as sent)\n", best);
    std::printf("memory before the flood: VmRSS %s; at the end: VmRSS %s, VmHWM %s\n",
                qPrintable(rssBeforeFlood), qPrintable(statusField("VmRSS:")), qPrintable(statusField("VmHWM:")));
    return 0;
}
