// Starts 50 simulated devices on 127.0.0.2 to 127.0.0.51 and prints how long
// discovery takes to report all of them with their attributes, and the CPU
// time this process (the discovery workers and the SLP library) used for it.
// Multicast goes out on the loopback interface only. Needs root (port 427).

#include "../../tests/slp/slpportlock.h"
#include "slp.h"
#include "tlinkslpmanagerif.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QTextStream>
#include <QTimer>

#include <memory>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {
const int Devices = 50;
const int TimeoutMs = 30000;

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
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

#ifndef ZEL_DEVSIM
    out << "bench_discovery: built without devsim\n";
    return 1;
#else
    std::vector<std::unique_ptr<QProcess>> sims;
    for (int i = 0; i < Devices; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(ZEL_DEVSIM, {"--address", QStringLiteral("127.0.0.%1").arg(i + 2), "--no-snmp", "--serial",
                              QString::number(200000 + i)});
        sims.push_back(std::move(p));
    }
    for (auto &p : sims) {
        while (!p->readAll().contains("devsim ready")) {
            if (!p->waitForReadyRead(5000)) {
                out << "bench_discovery: a devsim did not start\n";
                return 1;
            }
        }
    }

    QSet<QString> found;
    QElapsedTimer clock;
    const double cpuStart = cpuSeconds();
    clock.start();
    qint64 firstMs = -1, allMs = -1;
    double cpuAll = 0;
    TLinkSLPManagerIf manager;
    QObject::connect(&manager, &TLinkSLPManagerIf::newDevice, &app, [&](const device_param_t &d) {
        if (firstMs < 0)
            firstMs = clock.elapsed();
        found.insert(d.uniqueId);
        if (found.size() == Devices) {
            allMs = clock.elapsed();
            cpuAll = cpuSeconds() - cpuStart;
        }
    });
    // Run one whole search cycle (and longer while devices are missing), so
    // that the figure includes the searches' retransmissions and the first
    // service search.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if ((allMs >= 0 && clock.elapsed() >= 6000) || clock.elapsed() >= TimeoutMs)
            app.quit();
    });
    poll.start(100);
    app.exec();
    const double cpu = cpuSeconds() - cpuStart;

    out << "devices started:            " << Devices << "\n";
    out << "devices reported:           " << found.size() << "\n";
    out << "first device reported after " << firstMs << " ms\n";
    if (allMs >= 0)
        out << "all devices reported after  " << allMs << " ms (search cycle 6000 ms: "
            << (allMs <= 6000 ? "within" : "beyond") << " the first cycle)\n";
    else
        out << "not all devices reported within " << TimeoutMs << " ms\n";
    out << "CPU time until all reported: " << QString::number(cpuAll, 'f', 3) << " s\n";
    out << "CPU time over " << clock.elapsed() << " ms:     " << QString::number(cpu, 'f', 3) << " s\n";
    out.flush();
    for (auto &p : sims) {
        p->terminate();
        p->waitForFinished(2000);
    }
    ::_exit(allMs >= 0 ? 0 : 1); // the discovery threads run for the process's life
#endif
}
