#pragma once
#include "deviceidentity.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>

class QTcpSocket;
class TcpListener;

// The device's telnet service: log-on with "admin" and the configuration
// password, then a small shell that knows the debug commands.
class TelnetAgent : public QObject
{
    Q_OBJECT
public:
    explicit TelnetAgent(DeviceIdentity &identity, QObject *parent = nullptr);
    bool start(QString *error);

    // Longest input line kept; longer lines are dropped.
    static constexpr int maxLine = 512;

private:
    // Where one connection's log-on stands and the line being typed.
    struct Connection
    {
        enum Stage { User, Password, Shell } stage = User;
        QByteArray user;
        int failures = 0;
        QByteArray input;
        int skip = 0;        // bytes left of a telnet command sequence
        bool afterCr = false;
    };

    void accept(QTcpSocket *socket);
    void readInput(QTcpSocket *socket);
    void handleLine(QTcpSocket *socket, const QByteArray &line);
    void runCommand(QTcpSocket *socket, const QByteArray &command);
    // Writes after the configured delay, then optionally hangs up.
    void send(QTcpSocket *socket, const QByteArray &data, int extraDelayMs = 0, bool hangUp = false);
    QByteArray realTime() const;
    QByteArray lifeTime() const;

    DeviceIdentity &m_identity;
    TcpListener *m_listener = nullptr;
    QHash<QTcpSocket *, Connection> m_connections;
    QElapsedTimer m_upTime;
};
