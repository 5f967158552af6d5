// Publishes a 64 MiB image on the program's TFTP server and fetches it with
// curl at block sizes 512, 1428, 8192 and 65464 and with atftp at 1428,
// printing for each the median time, MB/s, microseconds per block and the
// server's CPU time per transfer. Where tftpd-hpa's in.tftpd is installed it
// serves the same file on another port in the same run, the two servers
// taking turns, and the ratio of their times is printed (above 1: this
// server is faster). Then a fleet: 8 and 32 clients, each from its own
// address 127.0.0.x, fetch the image at once (a small client of this bench,
// the same for both servers), and the total times are compared the same
// way. Last, four transfers at once show how much memory the process grows
// by while serving one image several times.
//
// Run it alone on a quiet machine, best in a network namespace of its own:
//   unshare -n sh -c 'ip link set lo up && build/bench/tftp/bench_tftp [runs] [MiB]'

#include "tlinktftpserverif.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QUdpSocket>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

const QString Key = QStringLiteral("image.bin");

class Receiver : public QObject
{
    Q_OBJECT
public slots:
    void updateFileProgress(const QString &, const QString &, const int &) {}
};

// CPU seconds of this whole process, where the server's thread is not found.
double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// CPU seconds (user and system) of one task, from /proc; -1 when it is gone.
double taskCpuSeconds(const QString &statPath, QByteArray *name = nullptr)
{
    QFile stat(statPath);
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    if (name)
        *name = text.mid(text.indexOf('(') + 1, text.lastIndexOf(')') - text.indexOf('(') - 1);
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // Counting from the state as field 3: utime is field 14, stime 15.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// The threads the program's TFTP server runs on (its own and its transfer threads).
QStringList serverThreadStats()
{
    QStringList paths;
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        QByteArray name;
        const QString path = QStringLiteral("/proc/self/task/%1/stat").arg(task);
        if (taskCpuSeconds(path, &name) >= 0 && name.startsWith("TFTP "))
            paths << path;
    }
    return paths;
}

// One read of `name` from the server at 127.0.0.1:`port`, sent from
// `local`: RRQ with "blksize", then an ACK for every block at the port the
// server answers from. Returns the bytes received, -1 on failure.
qint64 fetch(const QByteArray &local, quint16 port, int blockSize, const QByteArray &name)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in self{};
    self.sin_family = AF_INET;
    ::inet_pton(AF_INET, local.constData(), &self.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    ::inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&self), sizeof self) != 0) {
        ::close(fd);
        return -1;
    }
    QByteArray last;
    last.append('\0').append('\1').append(name).append('\0').append("octet").append('\0');
    last.append("blksize").append('\0').append(QByteArray::number(blockSize)).append('\0');
    ::sendto(fd, last.constData(), size_t(last.size()), 0, reinterpret_cast<sockaddr *>(&server), sizeof server);
    std::vector<char> buffer(size_t(blockSize) + 4);
    quint16 expected = 1;
    qint64 total = 0;
    bool haveTid = false;
    int silence = 0;
    for (;;) {
        pollfd wait{fd, POLLIN, 0};
        if (::poll(&wait, 1, 2000) <= 0) {
            if (++silence > 5)
                break;
            ::sendto(fd, last.constData(), size_t(last.size()), 0, reinterpret_cast<sockaddr *>(&server), sizeof server);
            continue;
        }
        silence = 0;
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t got = ::recvfrom(fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr *>(&from), &fromLength);
        if (got < 4)
            continue;
        if (!haveTid) {
            server.sin_port = from.sin_port;
            haveTid = true;
        }
        const int opcode = (quint8(buffer[0]) << 8) | quint8(buffer[1]);
        const quint16 block = quint16((quint8(buffer[2]) << 8) | quint8(buffer[3]));
        char ack[4] = {0, 4, 0, 0};
        if (opcode == 6) {
            last = QByteArray(ack, 4);
        } else if (opcode == 3 && block == expected) {
            total += got - 4;
            ack[2] = buffer[2];
            ack[3] = buffer[3];
            last = QByteArray(ack, 4);
            ++expected;
            if (got - 4 < blockSize) {
                ::sendto(fd, ack, 4, 0, reinterpret_cast<sockaddr *>(&server), sizeof server);
                ::close(fd);
                return total;
            }
        } else if (opcode == 3) {
            // A resent block: the ACK of it is sent again below.
        } else {
            break;
        }
        ::sendto(fd, last.constData(), size_t(last.size()), 0, reinterpret_cast<sockaddr *>(&server), sizeof server);
    }
    ::close(fd);
    return -1;
}

// `clients` reads at once, from 127.0.0.2 on; the time until the last one
// ended, -1 when one failed.
double fleet(int clients, quint16 port, int blockSize, qint64 size)
{
    std::atomic<int> finished{0};
    std::atomic<bool> failed{false};
    std::vector<std::thread> threads;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&, i] {
            const QByteArray local = QByteArray("127.0.0.") + QByteArray::number(2 + i);
            if (fetch(local, port, blockSize, Key.toLatin1()) != size)
                failed = true;
            ++finished;
        });
    }
    // The front object relays progress on this thread meanwhile.
    while (finished.load() < clients)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double seconds = clock.nsecsElapsed() / 1e9;
    for (std::thread &thread : threads)
        thread.join();
    return failed ? -1 : seconds;
}

// in.tftpd serves each transfer from a child it forks and does not wait
// for, so the children's CPU time is sampled while they run: the largest
// value seen per child, summed.
struct ChildCpu
{
    qint64 daemon = 0;
    QMap<QString, double> seen;
    void sample()
    {
        QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(daemon));
        if (!children.open(QIODevice::ReadOnly))
            return;
        for (const QByteArray &pid : children.readAll().split(' ')) {
            if (pid.trimmed().isEmpty())
                continue;
            const double cpu = taskCpuSeconds(QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(pid.trimmed())));
            if (cpu > seen.value(QString::fromLatin1(pid), 0))
                seen[QString::fromLatin1(pid)] = cpu;
        }
    }
    double total() const
    {
        double sum = 0;
        for (double cpu : seen)
            sum += cpu;
        return sum;
    }
};

long highWaterKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

quint16 freeUdpPort()
{
    QUdpSocket socket;
    socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
    return socket.localPort();
}

struct Client
{
    QString label;
    QString program;
    int blockSize;
    QStringList args(quint16 port) const
    {
        if (program == QLatin1String("curl"))
            return {QStringLiteral("-s"), QStringLiteral("-S"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                    QStringLiteral("--tftp-blksize"), QString::number(blockSize),
                    QStringLiteral("tftp://127.0.0.1:%1/%2").arg(port).arg(Key)};
        return {QStringLiteral("-g"), QStringLiteral("-r"), Key, QStringLiteral("-l"), QStringLiteral("/dev/null"),
                QStringLiteral("--option"), QStringLiteral("blksize %1").arg(blockSize), QStringLiteral("127.0.0.1"),
                QString::number(port)};
    }
};

struct Sample
{
    double seconds = -1;
    double cpu = 0;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs one client to its end while the main thread's event loop keeps going
// (the front object relays progress on it).
bool runClient(const Client &client, quint16 port, double &seconds, ChildCpu *children = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(client.program, client.args(port));
    if (!process.waitForStarted(5000))
        return false;
    while (process.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        process.waitForFinished(children ? 2 : 5);
        if (children)
            children->sample();
        if (clock.elapsed() > 300000) {
            process.kill();
            process.waitForFinished(2000);
            return false;
        }
    }
    seconds = clock.nsecsElapsed() / 1e9;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        QTextStream(stderr) << client.program << " failed: " << process.readAll() << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.warning=false");
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("zel-bench"));
    QCoreApplication::setApplicationName(QStringLiteral("bench_tftp"));
    QTextStream out(stdout);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    const qint64 mib = argc > 2 ? qMax(1, atoi(argv[2])) : 64;
    const qint64 size = mib * 1024 * 1024;

    if (QStandardPaths::findExecutable(QStringLiteral("curl")).isEmpty()) {
        out << "bench_tftp: needs curl\n";
        return 1;
    }
    const bool haveAtftp = !QStandardPaths::findExecutable(QStringLiteral("atftp")).isEmpty();
    QString tftpd = QStandardPaths::findExecutable(QStringLiteral("in.tftpd"));
    if (tftpd.isEmpty() && QFile::exists(QStringLiteral("/usr/sbin/in.tftpd")))
        tftpd = QStringLiteral("/usr/sbin/in.tftpd");

    QTemporaryDir dir;
    {
        QFile image(dir.filePath(Key));
        if (!image.open(QIODevice::WriteOnly))
            return 1;
        QByteArray chunk(1024 * 1024, '\0');
        quint32 x = 12345;
        for (qint64 written = 0; written < size; written += chunk.size()) {
            for (char &c : chunk) {
                x = x * 1103515245u + 12345u;
                c = char(x >> 24);
            }
            image.write(chunk);
        }
    }
    QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(dir.filePath(Key), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
    // Warm the page cache so that both servers read from memory.
    {
        QFile image(dir.filePath(Key));
        image.open(QIODevice::ReadOnly);
        while (!image.read(1 << 20).isEmpty()) {
        }
    }

    QSettings::setDefaultFormat(QSettings::IniFormat);
    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());

    const quint16 ourPort = freeUdpPort();
    TLinkTftpServerIf server(ourPort);
    server.startServer();
    Receiver receiver;
    server.mapFilename(Key, dir.path(), Key);
    server.regForFileInfo(Key, &receiver, SLOT(updateFileProgress(const QString &, const QString &, const int &)));
    QThread::msleep(50);
    QCoreApplication::processEvents();

    std::unique_ptr<QProcess> daemon;
    quint16 theirPort = 0;
    if (!tftpd.isEmpty()) {
        theirPort = freeUdpPort();
        daemon.reset(new QProcess);
        daemon->setProcessChannelMode(QProcess::MergedChannels);
        // in.tftpd cannot resolve "127.0.0.1" where loopback is the only
        // interface (a network namespace): it listens on every address.
        const QStringList args{QStringLiteral("-L"), QStringLiteral("-a"), QStringLiteral(":%1").arg(theirPort),
                               QStringLiteral("-s"), dir.path()};
        daemon->start(tftpd, args);
        daemon->waitForStarted(5000);
        daemon->waitForFinished(300);
        if (daemon->state() != QProcess::Running) {
            out << "bench_tftp: in.tftpd did not start (exit code " << daemon->exitCode() << ")\n";
            daemon.reset();
        }
    }

    std::vector<Client> clients{{QStringLiteral("curl 512"), QStringLiteral("curl"), 512},
                                {QStringLiteral("curl 1428"), QStringLiteral("curl"), 1428},
                                {QStringLiteral("curl 8192"), QStringLiteral("curl"), 8192},
                                {QStringLiteral("curl 65464"), QStringLiteral("curl"), 65464}};
    if (haveAtftp)
        clients.push_back({QStringLiteral("atftp 1428"), QStringLiteral("atftp"), 1428});

    out << "bench_tftp: " << mib << " MiB, " << runs << " runs each, medians"
        << (daemon ? ", against tftpd-hpa (in.tftpd) taking turns" : ", in.tftpd not installed") << "\n";
    out << QStringLiteral("%1 %2 %3 %4 %5").arg("client", -11).arg("server", -9).arg("s", 8).arg("MB/s", 8).arg("us/block", 9)
        << QStringLiteral(" %1").arg("CPU s", 7) << "\n";
    out.flush();

    const QStringList serverStats = serverThreadStats();
    auto serverCpu = [&] {
        if (serverStats.isEmpty())
            return processCpuSeconds();
        double sum = 0;
        for (const QString &stat : serverStats)
            sum += qMax(0.0, taskCpuSeconds(stat));
        return sum;
    };
    for (const Client &client : clients) {
        std::vector<double> ours, theirs, ourCpu, theirCpu;
        for (int run = 0; run < runs; ++run) {
            double seconds = 0;
            const double cpu = serverCpu();
            if (runClient(client, ourPort, seconds)) {
                ours.push_back(seconds);
                ourCpu.push_back(serverCpu() - cpu);
            }
            if (daemon) {
                ChildCpu children;
                children.daemon = daemon->processId();
                if (runClient(client, theirPort, seconds, &children)) {
                    theirs.push_back(seconds);
                    theirCpu.push_back(children.total());
                }
            }
        }
        const double blocks = double(size / client.blockSize + 1);
        auto line = [&](const char *name, const std::vector<double> &times, const std::vector<double> &cpu) {
            const double t = median(times);
            if (t <= 0) {
                out << QStringLiteral("%1 %2 failed\n").arg(client.label, -11).arg(name, -9);
                return;
            }
            out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                       .arg(client.label, -11)
                       .arg(name, -9)
                       .arg(t, 8, 'f', 3)
                       .arg(size / t / 1e6, 8, 'f', 1)
                       .arg(t * 1e6 / blocks, 9, 'f', 1)
                       .arg(median(cpu), 7, 'f', 3);
        };
        line("zel", ours, ourCpu);
        if (daemon) {
            line("tftpd-hpa", theirs, theirCpu);
            if (median(ours) > 0 && median(theirs) > 0)
                out << QStringLiteral("%1 ratio     %2x (tftpd-hpa time / zel time)\n")
                           .arg(client.label, -11)
                           .arg(median(theirs) / median(ours), 0, 'f', 2);
        }
        out.flush();
    }

    // A fleet fetching the one image at once.
    const int fleetBlockSize = 1428;
    for (int clients : {8, 32}) {
        std::vector<double> ours, theirs;
        for (int run = 0; run < runs; ++run) {
            const double mine = fleet(clients, ourPort, fleetBlockSize, size);
            if (mine > 0)
                ours.push_back(mine);
            if (daemon) {
                const double other = fleet(clients, theirPort, fleetBlockSize, size);
                if (other > 0)
                    theirs.push_back(other);
            }
        }
        const QString label = QStringLiteral("fleet %1").arg(clients);
        auto line = [&](const char *name, const std::vector<double> &times) {
            const double t = median(times);
            if (t <= 0 || int(times.size()) < runs) {
                out << QStringLiteral("%1 %2 failed (%3 of %4 runs)\n").arg(label, -11).arg(name, -9).arg(times.size()).arg(runs);
                return;
            }
            out << QStringLiteral("%1 %2 %3 %4 (total MB/s, blksize %5)\n")
                       .arg(label, -11)
                       .arg(name, -9)
                       .arg(t, 8, 'f', 3)
                       .arg(double(size) * clients / t / 1e6, 8, 'f', 1)
                       .arg(fleetBlockSize);
        };
        line("zel", ours);
        if (daemon) {
            line("tftpd-hpa", theirs);
            if (median(ours) > 0 && median(theirs) > 0)
                out << QStringLiteral("%1 ratio     %2x (tftpd-hpa time / zel time)\n")
                           .arg(label, -11)
                           .arg(median(theirs) / median(ours), 0, 'f', 2);
        }
        out.flush();
    }

    // Four transfers of the one image at once.
    const long before = highWaterKb();
    std::vector<std::unique_ptr<QProcess>> parallel;
    long peak = before;
    for (int i = 0; i < 4; ++i) {
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral("curl"), clients[1].args(ourPort));
        parallel.push_back(std::move(process));
    }
    for (bool running = true; running;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
        peak = qMax(peak, highWaterKb());
        running = false;
        for (auto &process : parallel)
            running = running || process->state() != QProcess::NotRunning;
    }
    out << "4 transfers at once (curl 1428): RSS " << before / 1024 << " MB before, at most " << peak / 1024
        << " MB during (+" << (peak - before) / 1024 << " MB for a " << mib << " MiB image)\n";

    if (daemon) {
        daemon->terminate();
        if (!daemon->waitForFinished(2000))
            daemon->kill();
        daemon->waitForFinished(2000);
    }
    return 0;
}

#include "main.moc"
