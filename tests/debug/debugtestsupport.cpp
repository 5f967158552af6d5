#include "debugtestsupport.h"

#include <QDateTime>

namespace debugtest {

quint16 startDevsim(testsupport::Peer &sim, const QString &address, const QStringList &extra)
{
    const quint16 port = testsupport::freeTcpPort(QHostAddress(address));
    if (port == 0)
        return 0;
    QStringList args{"--address", address, "--no-slp", "--no-snmp", "--telnet-port", QString::number(port)};
    args += extra;
    if (!sim.start(ZEL_DEVSIM, args) || !sim.waitForOutput("devsim ready"))
        return 0;
    return port;
}

QString stampCode(const QDateTime &utc)
{
    const QDate d = utc.date();
    const QTime t = utc.time();
    return QStringLiteral("%1%2%3%4%5")
        .arg(d.year() - 2013, 2, 16, QLatin1Char(' '))
        .arg(d.month(), 1, 16)
        .arg(d.day(), 2, 16, QLatin1Char('0'))
        .arg(t.hour(), 2, 16, QLatin1Char('0'))
        .arg(t.minute(), 2, 16, QLatin1Char('0'));
}

} // namespace debugtest
