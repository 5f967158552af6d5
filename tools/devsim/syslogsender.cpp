#include "syslogsender.h"
#include "tftpclient.h"

#include <QDebug>
#include <QLocale>
#include <QUdpSocket>

namespace {

struct RoutineLine
{
    int severity;
    const char *text;
};

// What a terminal says about itself when nothing in particular happens.
const RoutineLine routineLines[] = {
    {SyslogSender::Info, "link: carrier locked, signal level %1 dB"},
    {SyslogSender::Debug, "snmp: %1 requests served"},
    {SyslogSender::Notice, "temp: board temperature %1 C"},
    {SyslogSender::Info, "net: eth0 rx %1 packets"},
    {SyslogSender::Warning, "link: signal level low (%1 dB)"},
    {SyslogSender::ErrorLevel, "link: %1 frames with bad checksum dropped"},
};
const int routineCount = int(sizeof routineLines / sizeof routineLines[0]);

} // namespace

SyslogSender::SyslogSender(const DeviceIdentity &identity, std::function<qint64()> clock, QObject *parent)
    : QObject(parent), m_identity(identity), m_clock(std::move(clock))
{
    connect(&m_timer, &QTimer::timeout, this, &SyslogSender::sendRoutine);
}

void SyslogSender::configure(bool enabled, const QHostAddress &destination, quint16 port, int severity)
{
    m_destination = destination;
    m_port = port;
    m_severity = qBound(0, severity, 7);
    const bool usable = enabled && TftpClient::isAllowedServer(destination) && port != 0;
    if (enabled && !usable)
        qDebug() << "SyslogSender::configure: not sending to" << destination.toString() << port;
    if (!usable) {
        m_timer.stop();
        return;
    }
    if (!m_socket) {
        m_socket = new QUdpSocket(this);
        // From the device's own address: the receiver knows devices by it.
        if (!m_socket->bind(m_identity.address, 0))
            qDebug() << "SyslogSender::configure: cannot bind:" << m_socket->errorString();
    }
    m_timer.setInterval(qMax(10, m_identity.syslogIntervalMs));
    if (!m_timer.isActive())
        m_timer.start();
}

void SyslogSender::log(int severity, const QString &message)
{
    if (isSending())
        send(severity, message);
}

QByteArray SyslogSender::format(int severity, const QDateTime &time, const QString &host, const QString &message)
{
    // The day of month is padded with a blank, the month name is English
    // whatever the locale.
    const QLocale c(QLocale::C);
    const QString stamp = c.toString(time, QStringLiteral("MMM ")) + QString::number(time.date().day()).rightJustified(2)
                          + c.toString(time, QStringLiteral(" hh:mm:ss"));
    return QStringLiteral("<%1>%2 %3 %4")
        .arg(facility * 8 + severity)
        .arg(stamp, host, message)
        .toUtf8();
}

void SyslogSender::sendRoutine()
{
    for (int tries = 0; tries < routineCount; ++tries) {
        const RoutineLine &line = routineLines[m_next];
        m_next = (m_next + 1) % routineCount;
        if (line.severity <= m_severity) {
            send(line.severity, QString::fromLatin1(line.text).arg(10 + (m_clock() % 30)));
            return;
        }
    }
}

void SyslogSender::send(int severity, const QString &message)
{
    if (severity > m_severity || m_identity.silent || m_identity.restarting || !m_socket)
        return;
    const QString host = m_identity.product + QLatin1Char('-') + m_identity.serial;
    const QByteArray line = format(severity, QDateTime::fromSecsSinceEpoch(m_clock(), Qt::UTC), host,
                                   QStringLiteral("zkd: ") + message);
    const QHostAddress destination = m_destination;
    const quint16 port = m_port;
    if (m_identity.delayMs <= 0) {
        m_socket->writeDatagram(line, destination, port);
        return;
    }
    QTimer::singleShot(m_identity.delayMs, m_socket, [socket = m_socket, line, destination, port] {
        socket->writeDatagram(line, destination, port);
    });
}
