#include "tlinkdevicedebugsession.h"

#include "qdevicetelnet.h"

#include <QDebug>
#include <QRegularExpression>
#include <QTimer>

#include <atomic>

namespace {

std::atomic<int> port{23};
std::atomic<int> connectTimeoutMs{20000};
std::atomic<int> logonTimeoutMs{15000};
std::atomic<int> commandTimeoutMs{10000};

const char *const userName = "admin";
const char *const configPassword = "3958";
const char *const shellPrompt = "telnet:/$";

struct CommandLine
{
    const char *line;
    int firstStep;
};

CommandLine commandLine(int command)
{
    switch (command) {
    case 0:
        return {"adu_debug 0x10", 3};
    case 1:
        return {"eventhandler -l", 0};
    case 2:
        return {"eventhandler -a", 0};
    default:
        return {"", 0};
    }
}

// The text after `label` up to the next line feed (or `end`, when that comes
// first), trimmed; false when the label is missing.
bool valueAfter(const QString &text, const QString &label, QString *value, const QString &end = QString())
{
    const int at = text.indexOf(label);
    if (at < 0)
        return false;
    const int start = at + label.size();
    int stop = text.indexOf(QLatin1Char('\n'), start);
    if (!end.isEmpty()) {
        const int marker = text.indexOf(end, start);
        if (marker >= 0 && (stop < 0 || marker < stop))
            stop = marker;
    }
    *value = text.mid(start, stop < 0 ? -1 : stop - start).trimmed();
    return true;
}

int field(const QString &stamp, int from, int length)
{
    bool ok = false;
    const int value = stamp.mid(from, length).toInt(&ok);
    return ok ? value : 0;
}

} // namespace

TLinkDeviceDebugSession::TLinkDeviceDebugSession(const QString &hostAddress, const QString &text, QObject *parent)
    : QObject(parent), m_hostAddress(hostAddress), m_text(text), m_timer(new QTimer(this))
{
    connect(m_timer, &QTimer::timeout, this, &TLinkDeviceDebugSession::timeoutSession);
}

TLinkDeviceDebugSession::~TLinkDeviceDebugSession()
{
    if (m_telnet)
        m_telnet->disconnect(this);
}

void TLinkDeviceDebugSession::setReceiver(const QObject *receiver, const char *member)
{
    m_receiver = receiver;
    m_member = member;
}

void TLinkDeviceDebugSession::setTelnetPort(quint16 value)
{
    port = value;
}

quint16 TLinkDeviceDebugSession::telnetPort()
{
    return quint16(port.load());
}

void TLinkDeviceDebugSession::setTimeouts(int connectMs, int logonMs, int commandMs)
{
    connectTimeoutMs = connectMs;
    logonTimeoutMs = logonMs;
    commandTimeoutMs = commandMs;
}

void TLinkDeviceDebugSession::connectToDevice()
{
    releaseTelnet();
    m_telnet = new QDeviceTelnet(this);
    m_finished = false;
    m_step = 0;
    m_answer.clear();
    m_pending.clear();
    m_welcomed = false;
    m_state = Connecting;
    m_timer->start(connectTimeoutMs);
    m_telnet->connectToHost(m_hostAddress, telnetPort());
    connect(m_telnet, &QDeviceTelnet::sockConnected, this, &TLinkDeviceDebugSession::sockConnected);
}

void TLinkDeviceDebugSession::disconnectFromDevice()
{
    m_timer->stop();
    m_finished = true;
    releaseTelnet();
}

void TLinkDeviceDebugSession::releaseTelnet()
{
    if (!m_telnet)
        return;
    // Detach first: closing must not look like the device hanging up.
    m_telnet->disconnect(this);
    m_telnet->disconnectFromHost();
    // Possibly inside one of its own signals: delete once it has returned.
    m_telnet->deleteLater();
    m_telnet = nullptr;
}

void TLinkDeviceDebugSession::sockConnected()
{
    m_timer->stop();
    m_state = LoggingOn;
    m_timer->start(logonTimeoutMs);
    connect(m_telnet, &QDeviceTelnet::message, this, &TLinkDeviceDebugSession::processIncomingData);
    connect(m_telnet, &QDeviceTelnet::sockDisconnected, this, &TLinkDeviceDebugSession::sockDisconnected);
    emit connected(this);
}

void TLinkDeviceDebugSession::sockDisconnected()
{
    if (!m_finished) {
        // The device hung up before the command's result: say so, with the
        // code a time-out in the same state would give.
        const int rc = m_state == Connecting ? -10
                       : m_state == LoggingOn ? -1
                       : m_state == WaitingForAnswer ? -2
                                                     : -3;
        qDebug() << "TLinkDeviceDebugSession::sockDisconnected:" << m_hostAddress << "closed the connection in state"
                 << m_state;
        m_timer->stop();
        m_finished = true;
        m_step = -1;
        emit debugResultReceived(QStringLiteral("Telnet connection closed"), rc);
    }
    emit disconnected(this);
}

void TLinkDeviceDebugSession::processIncomingData(const QByteArray &data)
{
    if (m_finished)
        return;
    // Telnet sends a bare carriage return as CR NUL: NUL bytes carry nothing.
    QByteArray bytes;
    bytes.reserve(data.size());
    for (const char c : data) {
        if (c != '\0')
            bytes.append(c);
    }
    const QString chunk = QString::fromLocal8Bit(bytes);
    if (chunk.isEmpty())
        return;

    // The log-on prompts count only while logging on: command output that
    // happens to hold them must not send the password into the device's
    // shell or start the series again.
    if (m_state == LoggingOn) {
        if (!m_welcomed) {
            if (chunk.contains(QLatin1String("Username:"))) {
                sendLine(userName);
                return;
            }
            if (chunk.contains(QLatin1String("Password:"))) {
                sendLine(configPassword);
                return;
            }
            const int welcome = chunk.indexOf(QLatin1String("Welcome"));
            if (welcome < 0) {
                // Banners and "Login incorrect" are no command output: the
                // log-on time-out goes on.
                qDebug() << "TLinkDeviceDebugSession::processIncomingData:" << m_hostAddress << "log-on text"
                         << chunk.left(80);
                return;
            }
            m_welcomed = true;
            m_pending.clear();
            if (!collectUpToPrompt(chunk.mid(welcome)))
                return;
        } else if (!collectUpToPrompt(chunk)) {
            return;
        }
        // The shell is ready for the command.
        m_timer->stop();
        m_state = Idle;
        m_answer.clear();
        m_pending.clear();
        const CommandLine command = commandLine(m_command);
        nextStep(command.line, command.firstStep);
        return;
    }
    switch (m_step) {
    case 3:
    case 2:
    case 1:
    case 101:
    case 1000: {
        // Each answer of the series is taken whole, up to the shell's prompt,
        // before the next line goes out.
        if (!collectUpToPrompt(chunk))
            return;
        m_timer->stop();
        m_state = Idle;
        m_answer += m_pending;
        m_pending.clear();
        if (m_step == 3) {
            nextStep("date", 2);
        } else if (m_step == 2) {
            nextStep("prod pcb", 1);
        } else if (m_step != 1000) {
            nextStep("ver", 1000);
        } else {
            sendEndOfText();
            if (m_command == 0 && !productionDataComplete(m_answer)) {
                qDebug() << "TLinkDeviceDebugSession::processIncomingData:" << m_hostAddress
                         << "production data incomplete:" << m_answer.left(400);
                finish(QStringLiteral("Telnet answer incomplete"), AnswerFailed);
            } else {
                finish(parseProductionData(m_answer, m_command), 0);
            }
        }
        break;
    }
    case 0: {
        m_timer->stop();
        m_state = Idle;
        const int prompt = chunk.indexOf(QLatin1String(shellPrompt));
        if (prompt >= 0) {
            finish(chunk.left(chunk.indexOf(QLatin1String("teln"))) + QLatin1String("<<<"), 0);
        } else {
            emit debugResultReceived(chunk, 0);
            // A listing that stops half-way must not leave its receiver waiting.
            m_state = WaitingForAnswer;
            m_timer->start(commandTimeoutMs);
        }
        break;
    }
    case 100:
        m_timer->stop();
        m_state = Idle;
        m_answer += chunk.left(maxAnswer - m_answer.size());
        sendEndOfText();
        m_step = 101;
        break;
    default:
        break;
    }
}

// Adds chunk to the pending answer; true once the answer is whole (the
// shell's prompt came). A device that sends more than maxAnswer without a
// prompt has failed: the session ends with AnswerFailed.
bool TLinkDeviceDebugSession::collectUpToPrompt(const QString &chunk)
{
    // Only the new text, and the end of the old where a prompt may have
    // been cut, is searched: a long answer is not scanned again and again.
    const QLatin1String prompt(shellPrompt);
    const int from = qMax(0, m_pending.size() - prompt.size() + 1);
    m_pending += chunk;
    if (m_pending.indexOf(prompt, from) >= 0)
        return true;
    if (m_answer.size() + m_pending.size() > maxAnswer) {
        qDebug() << "TLinkDeviceDebugSession::collectUpToPrompt:" << m_hostAddress << "answer over" << maxAnswer
                 << "characters without a prompt";
        m_pending.clear();
        sendEndOfText();
        finish(QStringLiteral("Telnet answer too long"), AnswerFailed);
    }
    return false;
}

void TLinkDeviceDebugSession::timeoutSession()
{
    QString text;
    int rc;
    switch (m_state) {
    case Connecting:
        text = QStringLiteral("Telnet connect Failed");
        rc = -10;
        // Abandon the attempt: a late connection must not start a dialogue.
        releaseTelnet();
        break;
    case WaitingForAnswer:
        text = QStringLiteral("Telnet command timeout");
        rc = -2;
        break;
    case LoggingOn:
        text = QStringLiteral("Telnet logon timeout");
        rc = -1;
        break;
    default:
        text = QStringLiteral("Telnet timeout");
        rc = -3;
        break;
    }
    qDebug() << "TLinkDeviceDebugSession::timeoutSession:" << m_hostAddress << text;
    finish(text, rc);
}

void TLinkDeviceDebugSession::sendLine(const QByteArray &line)
{
    if (m_telnet)
        m_telnet->sendText(QString::fromLatin1(line) + QLatin1Char('\r'));
}

void TLinkDeviceDebugSession::sendEndOfText()
{
    if (m_telnet)
        m_telnet->sendData(QByteArray("\x03\r"));
}

void TLinkDeviceDebugSession::nextStep(const QByteArray &line, int step)
{
    sendLine(line);
    m_step = step;
    m_state = WaitingForAnswer;
    m_timer->start(commandTimeoutMs);
}

void TLinkDeviceDebugSession::finish(const QString &result, int rc)
{
    // One final result per command: time-outs and late data stay silent.
    m_timer->stop();
    m_finished = true;
    m_step = -1;
    emit debugResultReceived(result, rc);
    emit commandFinished(this, m_command);
}

bool TLinkDeviceDebugSession::productionDataComplete(const QString &answer)
{
    QString serial, application, lifeTime, stamp;
    if (!valueAfter(answer, QStringLiteral("Serial No:"), &serial) || serial.isEmpty())
        return false;
    if (!valueAfter(answer, QStringLiteral("Application"), &application) || application.isEmpty())
        return false;
    bool ok = false;
    if (!valueAfter(answer, QStringLiteral("Life time:"), &lifeTime, QStringLiteral("days")))
        return false;
    lifeTime.toLongLong(&ok);
    if (!ok)
        return false;
    if (!valueAfter(answer, QStringLiteral("Real time:"), &stamp))
        return false;
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}"));
    return form.match(stamp).hasMatch();
}

QString TLinkDeviceDebugSession::parseProductionData(const QString &answer, int command)
{
    if (command != 0)
        return answer;
    QString result;
    QString value;
    if (valueAfter(answer, QStringLiteral("Serial No:"), &value))
        result += value + QLatin1Char(',');
    if (valueAfter(answer, QStringLiteral("Application"), &value)) {
        const int blank = value.indexOf(QLatin1Char(' '));
        if (blank >= 0)
            value.truncate(blank);
        result += value + QLatin1Char(',');
    }
    if (valueAfter(answer, QStringLiteral("Life time:"), &value, QStringLiteral("days")))
        result += value + QLatin1Char(',');
    QString stamp;
    if (valueAfter(answer, QStringLiteral("Real time:"), &stamp)) {
        result += QStringLiteral("%1%2%3%4%5")
                      .arg(field(stamp, 0, 4) - 2013, 2, 16, QLatin1Char(' '))
                      .arg(field(stamp, 5, 2), 1, 16)
                      .arg(field(stamp, 8, 2), 2, 16, QLatin1Char('0'))
                      .arg(field(stamp, 11, 2), 2, 16, QLatin1Char('0'))
                      .arg(field(stamp, 14, 2), 2, 16, QLatin1Char('0'));
    }
    return result;
}
