#pragma once
// The device's logging client: while enabled with a destination, it sends
// BSD-style syslog lines (RFC 3164) from the device's own address, a
// routine line at a steady pace and a line for each thing that happens,
// each only when its severity is within the configured event severity.

#include "deviceidentity.h"

#include <QDateTime>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <functional>

class QUdpSocket;

class SyslogSender : public QObject
{
    Q_OBJECT
public:
    enum Severity { Emergency, Alert, Critical, ErrorLevel, Warning, Notice, Info, Debug };
    static constexpr int facility = 16; // local0

    // clock: the device's time in seconds since 1970.
    SyslogSender(const DeviceIdentity &identity, std::function<qint64()> clock, QObject *parent = nullptr);

    // Sends while enabled and the destination is on 127.0.0.0/8 with a port.
    void configure(bool enabled, const QHostAddress &destination, quint16 port, int severity);
    bool isSending() const { return m_timer.isActive(); }
    // A line for something that happened, sent now when sending.
    void log(int severity, const QString &message);

    // "<PRI>Mmm dd hh:mm:ss host tag: message"
    static QByteArray format(int severity, const QDateTime &time, const QString &host, const QString &message);

private:
    void sendRoutine();
    void send(int severity, const QString &message);

    const DeviceIdentity &m_identity;
    std::function<qint64()> m_clock;
    QUdpSocket *m_socket = nullptr;
    QTimer m_timer;
    QHostAddress m_destination;
    quint16 m_port = 0;
    int m_severity = 0;
    int m_next = 0; // next routine line
};
