// Benchmark of the SNMP polling cycle against devsim devices at 127.0.1.2 ...
// Prints, for 1, 10 and 50 devices with the full property set of model 4411,
// the time of one full polling cycle (every property of every device read
// once), the requests per second, and the CPU the SNMP thread uses while the
// facade polls once a second between full reads.

#include "snmphelper.h"
#include "tlinkdevicecomm.h"
#include "tlinksnmpif.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const char Model[] = "4411";

// SNMP_POLL_PORT picks another port than 161 (no root needed, no clash with
// tests that hold 127.0.1.x:161); the peer name then carries the port.
int snmpPort()
{
    const int port = qEnvironmentVariableIntValue("SNMP_POLL_PORT");
    return port > 0 ? port : 161;
}

QString deviceIp(int i)
{
    return QStringLiteral("127.0.1.%1").arg(2 + i);
}

QString deviceAddress(int i)
{
    return snmpPort() == 161 ? deviceIp(i) : QStringLiteral("%1:%2").arg(deviceIp(i)).arg(snmpPort());
}

class Devices
{
public:
    // Devices first .. first + count - 1; extra switches go to each.
    bool start(int count, int first = 0, const QStringList &extra = {})
    {
        const size_t started = m_processes.size();
        for (int i = first; i < first + count; ++i) {
            auto process = std::make_unique<QProcess>();
            process->setProcessChannelMode(QProcess::MergedChannels);
            const QStringList arguments{"--address", deviceIp(i), "--snmp-port", QString::number(snmpPort()), "--no-slp",
                                        "--model", Model, "--serial", QString::number(200000 + i)};
            process->start(QStringLiteral(ZEL_DEVSIM), arguments + extra);
            m_processes.push_back(std::move(process));
        }
        for (size_t p = started; p < m_processes.size(); ++p) {
            QProcess *process = m_processes[p].get();
            QByteArray output;
            QElapsedTimer clock;
            clock.start();
            while (!output.contains("devsim ready")) {
                if (clock.elapsed() > 15000 || process->state() == QProcess::NotRunning) {
                    fprintf(stderr, "devsim did not start: %s\n", output.constData());
                    return false;
                }
                process->waitForReadyRead(50);
                output += process->readAll();
            }
        }
        return true;
    }
    ~Devices()
    {
        for (auto &process : m_processes) {
            process->terminate();
            process->waitForFinished(2000);
        }
    }

private:
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// CPU seconds (user + system) of one thread of this process.
double threadCpuSeconds(long tid)
{
    QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(tid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // After the command: state is field 3; utime and stime are fields 14 and 15.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
    QCoreApplication::setApplicationName(QStringLiteral("ZEL-bench"));
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    if (geteuid() != 0 && snmpPort() < 1024) {
        fprintf(stderr, "snmp_poll: devsim needs root for port 161\n");
        return 1;
    }
    qSetMessagePattern(QStringLiteral("%{if-critical}%{message}%{endif}%{if-fatal}%{message}%{endif}"));

    printf("%-8s %10s %10s %12s %10s %10s %12s\n", "devices", "requests", "cycle ms", "requests/s", "vs 1 dev", "cpu ms",
           "cpu us/req");
    double single = 0;
    // SNMP_POLL_SILENT_ONLY=1 runs only the last part (an answering device beside a silent one).
    const bool silentOnly = qEnvironmentVariableIntValue("SNMP_POLL_SILENT_ONLY") > 0;
    for (int count : {1, 10, 50}) {
        if (silentOnly)
            break;
        Devices devices;
        if (!devices.start(count))
            return 1;
        TLinkDeviceComm engine;
        for (int i = 0; i < count; ++i)
            engine.addDevice(QStringLiteral("dev%1").arg(i), deviceAddress(i), Model, "01.07", false);
        const int perDevice = SNMPHelper::instance()->getRequests("dev0").size();
        SNMPHelper::instance()->sendAsync(); // warm-up: every agent has answered once
        std::vector<double> cycles;
        std::vector<double> cpu; // CPU ms of this (the polling) thread per cycle
        const int rounds = qEnvironmentVariableIntValue("SNMP_POLL_ROUNDS") > 0 ? qEnvironmentVariableIntValue("SNMP_POLL_ROUNDS") : 7;
        for (int round = 0; round < rounds; ++round) {
            for (int i = 0; i < count; ++i)
                engine.reReadAllProperties(QStringLiteral("dev%1").arg(i));
            QElapsedTimer clock;
            timespec cpuStart, cpuEnd;
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStart);
            clock.start();
            SNMPHelper::instance()->sendAsync();
            cycles.push_back(clock.nsecsElapsed() / 1e6);
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuEnd);
            cpu.push_back((cpuEnd.tv_sec - cpuStart.tv_sec) * 1e3 + (cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e6);
        }
        const double cycle = median(cycles);
        if (count == 1)
            single = cycle;
        const int requests = perDevice * count;
        printf("%-8d %10d %10.2f %12.0f %9.2fx %10.2f %12.1f\n", count, requests, cycle, requests / (cycle / 1000.0),
               cycle / single, median(cpu), 1000.0 * median(cpu) / requests);
        fflush(stdout);
        for (int i = 0; i < count; ++i)
            engine.removeDevice(QStringLiteral("dev%1").arg(i));
    }

    // The facade's SNMP thread between full reads: 50 devices, one active.
    if (!silentOnly) {
        const int count = 50;
        Devices devices;
        if (!devices.start(count))
            return 1;
        TLinkSNMPIf *facade = TLinkSNMPIf::instance();
        long tid = 0;
        QMetaObject::invokeMethod(SNMPHelper::instance(), [&tid] { tid = syscall(SYS_gettid); },
                                  Qt::BlockingQueuedConnection);
        for (int i = 0; i < count; ++i)
            facade->addDevice(QStringLiteral("dev%1").arg(i), deviceAddress(i), Model, "01.07");
        facade->setActiveDevice(QStringLiteral("dev0"));
        QThread::sleep(3); // the first cycles read everything once
        const double before = threadCpuSeconds(tid);
        QElapsedTimer clock;
        clock.start();
        QThread::sleep(10);
        const double used = threadCpuSeconds(tid) - before;
        printf("SNMP thread CPU with %d devices polled each second (one active): %.2f %% of a core over %.1f s\n",
               count, 100.0 * used / (clock.elapsed() / 1000.0), clock.elapsed() / 1000.0);
        for (int i = 0; i < count; ++i)
            facade->removeDevice(QStringLiteral("dev%1").arg(i));
    }

    // An answering device beside one whose agent is silent: how often the
    // answering one's values are refreshed by the facade's polling.
    {
        Devices devices;
        if (!devices.start(1) || !devices.start(1, 1, {"--silent"}))
            return 1;
        TLinkSNMPIf *facade = TLinkSNMPIf::instance();
        facade->addDevice(QStringLiteral("live"), deviceAddress(0), Model, "01.07");
        facade->addDevice(QStringLiteral("mute"), deviceAddress(1), Model, "01.07");
        facade->setActiveDevice(QStringLiteral("live"));
        std::vector<double> gaps;
        QElapsedTimer clock;
        clock.start();
        qint64 last = -1;
        QObject::connect(facade, &TLinkSNMPIf::updated, &app, [&](const QString &id) {
            if (id != QLatin1String("live"))
                return;
            const qint64 now = clock.elapsed();
            if (last >= 0 && now > 5000) // after the first full reads
                gaps.push_back(double(now - last));
            last = now;
        });
        QEventLoop loop;
        QTimer::singleShot(25000, &loop, &QEventLoop::quit);
        loop.exec();
        if (gaps.empty()) {
            printf("refresh beside a silent device: none in 20 s\n");
        } else {
            printf("refresh of an answering device beside a silent one: median %.0f ms, longest %.0f ms (%zu refreshes)\n",
                   median(gaps), *std::max_element(gaps.begin(), gaps.end()), gaps.size());
        }
        facade->setActiveDevice(QString());
        facade->removeDevice(QStringLiteral("live"));
        facade->removeDevice(QStringLiteral("mute"));
    }
    fflush(stdout);
    _exit(0); // the facade and its thread live until the process ends
}
