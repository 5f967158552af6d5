#pragma once
// The worker of the debug sessions, on the debug thread: keeps each open
// session with its queue of commands, runs the commands one after the other
// and deletes sessions when they are closed by the program or the device.

#include <QList>
#include <QObject>

class TLinkDeviceDebugSession;

class TLinkDeviceDebugHandler : public QObject
{
    Q_OBJECT
public:
    explicit TLinkDeviceDebugHandler(QObject *parent = nullptr);
    ~TLinkDeviceDebugHandler() override;

signals:
    void sessionIdle(TLinkDeviceDebugSession *session);
    void sessionClosed(TLinkDeviceDebugSession *session);

public slots:
    void openSession(TLinkDeviceDebugSession *pDebugSession);
    void closeSession(TLinkDeviceDebugSession *pDebugSession);
    void addCommand(TLinkDeviceDebugSession *pDebugSession, int command);
    void commandEnd(TLinkDeviceDebugSession *pDebugSession, int command);
    void DeviceClosedSession(TLinkDeviceDebugSession *pDebugSession);

private:
    struct Entry
    {
        TLinkDeviceDebugSession *session;
        QList<int> commands;
    };

    int indexOf(const TLinkDeviceDebugSession *session) const;

    QList<Entry> m_entries;
};
