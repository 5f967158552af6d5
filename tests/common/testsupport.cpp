#include "testsupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
#include <QUdpSocket>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace testsupport {

quint16 freeUdpPort(const QHostAddress &address)
{
    QUdpSocket socket;
    if (!socket.bind(address, 0))
        return 0;
    return socket.localPort();
}

quint16 freeTcpPort(const QHostAddress &address)
{
    QTcpServer server;
    if (!server.listen(address, 0))
        return 0;
    return server.serverPort();
}

bool isRoot()
{
    return ::geteuid() == 0;
}

bool haveProgram(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty()
           || !QStandardPaths::findExecutable(program, {"/usr/sbin", "/sbin"}).isEmpty();
}

QString fixture(const QString &name)
{
#ifdef ZEL_TEST_FIXTURES
    return QStringLiteral(ZEL_TEST_FIXTURES "/") + name;
#else
    return name;
#endif
}

void setUpApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
    QCoreApplication::setApplicationName(QStringLiteral("ZEL"));
    // The event hub starts the syslog layer; keep its receiver off port 514.
    QSettings().setValue(QStringLiteral("syslog_server/portnumber"), freeUdpPort());
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

QT_WARNING_PUSH
QT_WARNING_DISABLE_DEPRECATED
void PeerProcess::setupChildProcess()
{
    // Runs in the child before exec: its parent's death kills it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
}
QT_WARNING_POP

Peer::~Peer()
{
    stop();
}

bool Peer::start(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    m_output.clear();
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program, args);
    return m_process.waitForStarted(5000);
}

QString Peer::output()
{
    m_output += QString::fromUtf8(m_process.readAll());
    return m_output;
}

bool Peer::waitForOutput(const QString &text, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!output().contains(text)) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return output().contains(text);
        m_process.waitForReadyRead(20);
    }
    return true;
}

int Peer::waitForExit(int timeoutMs)
{
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(timeoutMs))
        return -1;
    output();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void Peer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(2000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool startDevsim(Peer &peer, const QStringList &args, int timeoutMs)
{
#ifdef ZEL_DEVSIM
    return peer.start(QStringLiteral(ZEL_DEVSIM), args) && peer.waitForOutput(QStringLiteral("devsim ready"), timeoutMs);
#else
    Q_UNUSED(peer)
    Q_UNUSED(args)
    Q_UNUSED(timeoutMs)
    return false;
#endif
}

} // namespace testsupport
