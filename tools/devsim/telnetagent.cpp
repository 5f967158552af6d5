#include "telnetagent.h"
#include "tcplistener.h"

#include <QDateTime>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace {

const char iac = char(0xFF);
const char prompt[] = "telnet:/$ ";
const int failedLogonPauseMs = 300;
const int maxLogonAttempts = 3;
const qint64 lifeTimeAtStart = 400 * 24 * 3600;

QByteArray negotiation()
{
    // WILL ECHO, WILL SUPPRESS-GO-AHEAD, DO TERMINAL-TYPE, DO NAWS
    return QByteArray("\xFF\xFB\x01\xFF\xFB\x03\xFF\xFD\x18\xFF\xFD\x1F", 12);
}

} // namespace

TelnetAgent::TelnetAgent(DeviceIdentity &identity, QObject *parent)
    : QObject(parent), m_identity(identity)
{
    m_upTime.start();
}

bool TelnetAgent::start(QString *error)
{
    m_listener = new TcpListener(m_identity, this);
    connect(m_listener, &TcpListener::connected, this, &TelnetAgent::accept);
    return m_listener->listen(m_identity.telnetPort, error);
}

void TelnetAgent::accept(QTcpSocket *socket)
{
    m_connections.insert(socket, Connection());
    connect(socket, &QObject::destroyed, this, [this, socket] { m_connections.remove(socket); });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readInput(socket); });
    if (m_identity.silent)
        return; // takes the connection, says nothing
    send(socket, negotiation() + "\r\n" + m_identity.product.toLatin1() + " telnet service\r\n\r\nUsername: ");
}

void TelnetAgent::readInput(QTcpSocket *socket)
{
    const QByteArray data = socket->readAll();
    if (m_identity.silent || !m_connections.contains(socket))
        return;
    for (const char c : data) {
        Connection &connection = m_connections[socket];
        if (connection.skip > 0) {
            --connection.skip;
            continue;
        }
        if (c == iac) {
            connection.skip = 2;
            continue;
        }
        if (c == '\r' || c == '\n') {
            // CR LF, CR NUL and LF alone each end a line.
            const bool pairEnd = c == '\n' && connection.afterCr;
            connection.afterCr = c == '\r';
            if (pairEnd)
                continue;
            const QByteArray line = connection.input;
            connection.input.clear();
            handleLine(socket, line);
            if (socket->state() != QAbstractSocket::ConnectedState || !m_connections.contains(socket))
                return;
            continue;
        }
        connection.afterCr = false;
        if (c != '\0' && connection.input.size() < maxLine)
            connection.input.append(c);
    }
}

void TelnetAgent::handleLine(QTcpSocket *socket, const QByteArray &line)
{
    Connection &connection = m_connections[socket];
    switch (connection.stage) {
    case Connection::User:
        connection.user = line;
        connection.stage = Connection::Password;
        send(socket, "Password: ");
        break;
    case Connection::Password:
        connection.stage = Connection::User;
        if (connection.user == "admin" && QString::fromLatin1(line) == m_identity.telnetPassword) {
            connection.stage = Connection::Shell;
            const QByteArray welcome = "\r\nWelcome to " + m_identity.product.toLatin1() + " (model "
                                       + m_identity.model.toLatin1() + ")\r\n";
            if (m_identity.telnetSplitPrompt) {
                send(socket, welcome);
                send(socket, prompt, 100);
            } else {
                send(socket, welcome + prompt);
            }
        } else if (++connection.failures >= maxLogonAttempts) {
            send(socket, "\r\nLogin incorrect\r\n", failedLogonPauseMs, true);
        } else {
            send(socket, "\r\nLogin incorrect\r\n\r\nUsername: ", failedLogonPauseMs);
        }
        break;
    case Connection::Shell:
        runCommand(socket, line.trimmed());
        break;
    }
}

void TelnetAgent::runCommand(QTcpSocket *socket, const QByteArray &command)
{
    if (!m_identity.telnetHangUpOn.isEmpty() && command == m_identity.telnetHangUpOn.toLatin1()) {
        socket->disconnectFromHost();
        return;
    }
    QByteArray out;
    if (command == "adu_debug 0x10") {
        out = "ADU debug mask set to 0x10\r\n";
    } else if (command == "date") {
        out = "Real time: " + realTime() + "\r\nLife time: " + lifeTime() + "\r\n";
    } else if (command == "prod pcb") {
        out = "Product: " + m_identity.product.toLatin1() + "\r\nModel: " + m_identity.model.toLatin1()
              + "\r\nSerial No: " + m_identity.serial.toLatin1() + "\r\nPart No: " + m_identity.model.toLatin1()
              + "-100-02\r\n";
    } else if (command == "ver") {
        out = "Bootloader 01.00 build 0003\r\nApplication " + m_identity.swVersion.toLatin1() + " build "
              + m_identity.swBuild.toLatin1() + "\r\n";
        for (int left = m_identity.telnetFloodBytes; left > 0; left -= 64)
            out += QByteArray(qMin(left, 64) - 2, 'v') + "\r\n";
    } else if (command == "eventhandler -l" || command == "eventhandler -a") {
        // A listing comes line by line, as a device's shell writes it.
        const bool all = command.endsWith("-l");
        const QList<QByteArray> lines =
            all ? QList<QByteArray>{"Id   State  Severity  Event\r\n", "101  off    warning   Antenna blocked\r\n",
                                    "102  on     error     GNSS signal lost\r\n", "205  off    info      Software updated\r\n"}
                : QList<QByteArray>{"Id   State  Severity  Event\r\n", "102  on     error     GNSS signal lost\r\n"};
        int after = 0;
        for (const QByteArray &line : lines) {
            send(socket, line, after);
            after += 30;
        }
        send(socket, prompt, after + (m_identity.telnetSplitPrompt ? 100 : 0));
        return;
    } else if (command == "\x03" || command.isEmpty()) {
        out = command.isEmpty() ? "" : "^C\r\n";
    } else {
        out = "sh: " + command.left(64) + ": not found\r\n";
    }
    if (m_identity.telnetSplitPrompt) {
        // The answer, then after a pause the prompt: two segments.
        send(socket, out);
        send(socket, prompt, 100);
        return;
    }
    send(socket, out + prompt);
}

void TelnetAgent::send(QTcpSocket *socket, const QByteArray &data, int extraDelayMs, bool hangUp)
{
    const QPointer<QTcpSocket> target(socket);
    const auto write = [target, data, hangUp] {
        if (!target || target->state() != QAbstractSocket::ConnectedState)
            return;
        target->write(data);
        target->flush();
        if (hangUp)
            target->disconnectFromHost();
    };
    const int delay = m_identity.delayMs + extraDelayMs;
    if (delay <= 0)
        write();
    else
        QTimer::singleShot(delay, socket, write);
}

QByteArray TelnetAgent::realTime() const
{
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1();
}

QByteArray TelnetAgent::lifeTime() const
{
    const qint64 seconds = lifeTimeAtStart + m_upTime.elapsed() / 1000;
    return QByteArray::number(seconds / 86400) + " days "
           + QTime(0, 0).addSecs(int(seconds % 86400)).toString(QStringLiteral("hh:mm:ss")).toLatin1();
}
