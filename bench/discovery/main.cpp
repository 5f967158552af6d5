// Plays a fleet of simulated devices (one devsim with --slp-agents, at
// 127.0.1.1 on) and prints how long discovery takes to identify all of them
// and to report all their services, the CPU time this process (the discovery
// workers and the SLP library) used, and its peak of threads and open files.
// Usage: bench_discovery [devices, 250] [SLP answer delay in ms, 0].
// Multicast goes out on the loopback interface only. Needs root (port 427).

#include "../../tests/slp/slpportlock.h"
#include "slp.h"
#include "tlinkslpmanagerif.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

namespace {
const int TimeoutMs = 60000;

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int threads()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed().toInt();
    return -1;
}

int openFiles()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("ZEL_SLP_INTERFACES", "lo");
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QCoreApplication app(argc, argv);
    SLPSetProperty("net.slp.interfaces", "lo");
    const SlpPortLock lock; // no SLP test runs meanwhile
    QTextStream out(stdout);
    const int devices = argc > 1 ? qBound(1, QByteArray(argv[1]).toInt(), 1000) : 250;
    const int delayMs = argc > 2 ? qMax(0, QByteArray(argv[2]).toInt()) : 0;

#ifndef ZEL_DEVSIM
    out << "bench_discovery: built without devsim\n";
    return 1;
#else
    QProcess sim;
    sim.setProcessChannelMode(QProcess::MergedChannels);
    sim.start(ZEL_DEVSIM, {"--address", "127.0.1.1", "--slp-agents", QString::number(devices), "--slp-delay-ms",
                           QString::number(delayMs), "--serial", "200001", "--no-snmp", "--no-telnet", "--no-http"});
    QByteArray simOutput;
    while (!simOutput.contains("devsim ready")) {
        if (!sim.waitForReadyRead(30000)) {
            out << "bench_discovery: devsim did not start: " << simOutput << "\n";
            return 1;
        }
        simOutput += sim.readAll();
    }

    QSet<QString> found, services;
    QElapsedTimer clock;
    const int threadsBefore = threads(), filesBefore = openFiles();
    int peakThreads = threadsBefore, peakFiles = filesBefore;
    const double cpuStart = cpuSeconds();
    clock.start();
    qint64 firstMs = -1, allMs = -1, servicesMs = -1;
    double cpuAll = 0;
    TLinkSLPManagerIf manager;
    QObject::connect(&manager, &TLinkSLPManagerIf::newDevice, &app, [&](const device_param_t &d) {
        if (firstMs < 0)
            firstMs = clock.elapsed();
        found.insert(d.uniqueId);
        if (found.size() == devices && allMs < 0) {
            allMs = clock.elapsed();
            cpuAll = cpuSeconds() - cpuStart;
        }
    });
    QObject::connect(&manager, &TLinkSLPManagerIf::newService, &app, [&](const device_service_t &s) {
        services.insert(s.srvurl);
        if (services.size() == 2 * devices && servicesMs < 0)
            servicesMs = clock.elapsed();
    });
    // Run one whole search cycle (and longer while something is missing), so
    // that the figures include the searches' retransmissions.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        peakThreads = qMax(peakThreads, threads());
        peakFiles = qMax(peakFiles, openFiles());
        const bool done = allMs >= 0 && servicesMs >= 0 && clock.elapsed() >= 6000;
        if (done || clock.elapsed() >= TimeoutMs)
            app.quit();
    });
    poll.start(20);
    app.exec();
    const double cpu = cpuSeconds() - cpuStart;

    out << "devices started:              " << devices << " (SLP answers " << delayMs << " ms late)\n";
    out << "devices identified:           " << found.size() << "\n";
    out << "first device identified after " << firstMs << " ms\n";
    if (allMs >= 0)
        out << "all devices identified after  " << allMs << " ms\n";
    else
        out << "not all devices identified within " << TimeoutMs << " ms\n";
    if (servicesMs >= 0)
        out << "all services reported after   " << servicesMs << " ms\n";
    else
        out << "services reported:            " << services.size() << " of " << 2 * devices << "\n";
    out << "CPU time until all identified: " << QString::number(cpuAll, 'f', 3) << " s\n";
    out << "CPU time over " << clock.elapsed() << " ms:       " << QString::number(cpu, 'f', 3) << " s\n";
    out << "peak threads:                 " << peakThreads << " (" << threadsBefore << " before)\n";
    out << "peak open files:              " << peakFiles << " (" << filesBefore << " before)\n";
    out.flush();
    sim.terminate();
    sim.waitForFinished(2000);
    ::_exit(allMs >= 0 ? 0 : 1); // the discovery threads run for the process's life
#endif
}
