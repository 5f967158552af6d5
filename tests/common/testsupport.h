#pragma once
// Small helpers for tests that talk to real peers on loopback.

#include <QHostAddress>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

namespace testsupport {

// A UDP/TCP port on the given loopback address that was free a moment ago.
quint16 freeUdpPort(const QHostAddress &address = QHostAddress(QHostAddress::LocalHost));
quint16 freeTcpPort(const QHostAddress &address = QHostAddress(QHostAddress::LocalHost));

// True when the test runs as root (needed for port 161 on 127.0.0.x and namespaces).
bool isRoot();

// True when `program` is found on PATH.
bool haveProgram(const QString &program);

// Path of a file in tests/fixtures.
QString fixture(const QString &name);

// Spins the event loop until `done` holds or `timeoutMs` passes.
bool waitFor(const std::function<bool()> &done, int timeoutMs);

// The application's names and settings folder as the program has them; the
// event hub's syslog receiver is kept off port 514 on a free port.
void setUpApplication();

// A process that is killed by the kernel when the test that started it dies,
// crash or not: no peer keeps its ports after its test.
class PeerProcess : public QProcess
{
public:
    using QProcess::QProcess;

protected:
    void setupChildProcess() override;
};

// A peer program (devsim, snmpd, curl, ...) that lives as long as this object.
// Its output is collected; the process is killed on destruction, and with the
// test when the test dies.
class Peer
{
public:
    Peer() = default;
    ~Peer();
    Peer(const Peer &) = delete;
    Peer &operator=(const Peer &) = delete;

    // Starts the program; returns false when it could not be started.
    bool start(const QString &program, const QStringList &args,
               const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
    // Waits until the collected output contains `text` (or the process ends).
    bool waitForOutput(const QString &text, int timeoutMs = 5000);
    // Waits for the process to end by itself; returns its exit code or -1.
    int waitForExit(int timeoutMs = 10000);
    void stop();
    QString output();
    QProcess &process() { return m_process; }

private:
    PeerProcess m_process;
    QString m_output;
};

// Starts the device simulator with `args` and waits until it says it is
// ready; false when it could not be started or did not get ready in time.
bool startDevsim(Peer &peer, const QStringList &args, int timeoutMs = 10000);

} // namespace testsupport
