#pragma once
// One telnet conversation with one device: log on with the service account,
// run one debug command and, for command 0, the series "date", "prod pcb",
// "ver" whose answers become the production-data line of the firmware
// certificate. Lives on the debug thread, driven by TLinkDeviceDebugHandler.

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>

class QDeviceTelnet;
class QTimer;

class TLinkDeviceDebugSession : public QObject
{
    Q_OBJECT
public:
    enum State { Idle = 0, Connecting = 1, WaitingForAnswer = 2, LoggingOn = 3 };

    TLinkDeviceDebugSession(const QString &hostAddress, const QString &text, QObject *parent = nullptr);
    ~TLinkDeviceDebugSession() override;

    QString hostAddress() const { return m_hostAddress; }
    QString text() const { return m_text; }

    void setReceiver(const QObject *receiver, const char *member);
    const QObject *receiver() const { return m_receiver; }

    int command() const { return m_command; }
    void setCommand(int command) { m_command = command; }
    int state() const { return m_state; }
    // True between a command's final result and the next connectToDevice().
    bool isFinished() const { return m_finished; }

    // (Re)connects to the device and starts the dialogue for the command.
    void connectToDevice();
    // Closes the telnet connection without reporting anything more.
    void disconnectFromDevice();

    // The production-data line of command 0 ("serial,version,life time,stamp");
    // any other command's answer text is returned unchanged.
    static QString parseProductionData(const QString &answer, int command);

    // The device's telnet port (23). Tests point sessions at a simulator on
    // a free port; the value is read when a session connects.
    static void setTelnetPort(quint16 port);
    static quint16 telnetPort();
    // Time-outs of connecting (20000 ms), logging on (15000 ms) and of each
    // answer (10000 ms). Tests shorten them; read when a timer starts.
    static void setTimeouts(int connectMs, int logonMs, int commandMs);

    // True when the series' answer holds every field of the production
    // data, each in its form.
    static bool productionDataComplete(const QString &answer);

    // Most answer text taken for one command; a device that sends more has
    // failed (AnswerFailed), as has one whose answer lacks a field.
    static constexpr int maxAnswer = 64 * 1024;
    static constexpr int AnswerFailed = -4;

signals:
    void debugResultReceived(const QString &result, int rc);
    void connected(TLinkDeviceDebugSession *session);
    void disconnected(TLinkDeviceDebugSession *session);
    // The command's last result has been emitted (success or failure).
    void commandFinished(TLinkDeviceDebugSession *session, int command);

public slots:
    void sockConnected();
    void sockDisconnected();
    void processIncomingData(const QByteArray &data);
    void timeoutSession();

private:
    void sendLine(const QByteArray &line);
    void sendEndOfText();
    bool collectUpToPrompt(const QString &chunk);
    void nextStep(const QByteArray &line, int step);
    void finish(const QString &result, int rc);
    void releaseTelnet();

    QString m_hostAddress;
    QString m_text;
    const QObject *m_receiver = nullptr;
    QByteArray m_member;
    QDeviceTelnet *m_telnet = nullptr;
    int m_command = 0;
    int m_step = 0;
    QString m_answer;
    // The answer to the last line sent, collected until the shell's prompt.
    QString m_pending;
    bool m_welcomed = false;
    QTimer *m_timer = nullptr;
    int m_state = Idle;
    bool m_finished = false;
};

Q_DECLARE_METATYPE(TLinkDeviceDebugSession *)
