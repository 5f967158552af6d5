#pragma once
// Front object of the debug sessions, a singleton on the caller's thread.
// It owns the worker (TLinkDeviceDebugHandler) on a thread of its own and
// forwards every call to it by queued invocation; results reach the
// receiver given to openSession through the session's debugResultReceived.

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QThread>

class TLinkDeviceDebugHandler;
class TLinkDeviceDebugSession;

class TLinkDeviceDebugIf : public QObject
{
    Q_OBJECT
public:
    static TLinkDeviceDebugIf *instance();
    ~TLinkDeviceDebugIf() override;

    // The open session to `hostAddress`, or a new one whose results go to
    // `member` of `receiver` (a SLOT() text taking (QString, int)).
    TLinkDeviceDebugSession *openSession(const QString &hostAddress, const QString &text, const QObject *receiver,
                                         const char *member);
    // Queues a command on the session; only command 0 is passed on.
    void addCommand(TLinkDeviceDebugSession *session, int command);
    // Closes the session and forgets it.
    void closeSession(TLinkDeviceDebugSession *session);

    int sessionCount() const { return m_sessions.size(); }

public slots:
    void DeviceDebugClosed(TLinkDeviceDebugSession *hndSession);

private:
    TLinkDeviceDebugIf();
    bool holds(const TLinkDeviceDebugSession *session) const;

    QThread m_thread;
    TLinkDeviceDebugHandler *m_handler = nullptr;
    QList<QPair<TLinkDeviceDebugSession *, QString>> m_sessions;
};
