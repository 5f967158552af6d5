#include "snmpdpeer.h"

#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <QStandardPaths>
#include <QThread>

bool SnmpdPeer::start(const QString &passOid, const QString &passScript)
{
    if (!testsupport::haveProgram(QStringLiteral("snmpd")) || !m_dir.isValid())
        return false;
    m_port = testsupport::freeUdpPort();
    QFile conf(m_dir.filePath(QStringLiteral("snmpd.conf")));
    if (!conf.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&conf);
    out << "agentaddress udp:127.0.0.1:" << m_port << "\n"
        << "rwcommunity quarry 127.0.0.0/8\n";
    if (!passOid.isEmpty())
        out << "pass " << passOid << " /bin/sh " << passScript << "\n";
    out.flush();
    conf.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), m_dir.filePath(QStringLiteral("persist")));
    env.insert(QStringLiteral("MIBS"), QString());
    env.insert(QStringLiteral("MIBDIRS"), m_dir.path());
    const QString program = QStandardPaths::findExecutable(QStringLiteral("snmpd"), {"/usr/sbin", "/sbin"});
    if (!m_peer.start(program, {"-f", "-Lo", "-C", "-c", conf.fileName(), "-I", "-smux"}, env))
        return false;
    if (!m_peer.waitForOutput(QStringLiteral("NET-SNMP version"), 10000))
        return false;
    QThread::msleep(50); // the first request to a fresh agent can be lost
    return true;
}
