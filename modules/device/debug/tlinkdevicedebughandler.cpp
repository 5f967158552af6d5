#include "tlinkdevicedebughandler.h"

#include "tlinkdevicedebugsession.h"

#include <QDebug>

TLinkDeviceDebugHandler::TLinkDeviceDebugHandler(QObject *parent)
    : QObject(parent)
{
}

TLinkDeviceDebugHandler::~TLinkDeviceDebugHandler()
{
    for (const Entry &entry : qAsConst(m_entries)) {
        entry.session->disconnect(this);
        delete entry.session;
    }
}

int TLinkDeviceDebugHandler::indexOf(const TLinkDeviceDebugSession *session) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).session == session)
            return i;
    }
    return -1;
}

void TLinkDeviceDebugHandler::openSession(TLinkDeviceDebugSession *pDebugSession)
{
    if (!pDebugSession)
        return;
    if (indexOf(pDebugSession) < 0) {
        m_entries.append(Entry{pDebugSession, {}});
        connect(pDebugSession, &TLinkDeviceDebugSession::disconnected, this,
                &TLinkDeviceDebugHandler::DeviceClosedSession);
        connect(pDebugSession, &TLinkDeviceDebugSession::commandFinished, this,
                &TLinkDeviceDebugHandler::commandEnd);
    }
    pDebugSession->connectToDevice();
}

void TLinkDeviceDebugHandler::closeSession(TLinkDeviceDebugSession *pDebugSession)
{
    // Only sessions still held are touched: the device may have closed this
    // one already, and then the pointer is stale.
    const int i = indexOf(pDebugSession);
    if (i < 0) {
        qDebug() << "TLinkDeviceDebugHandler::closeSession: session already closed";
        return;
    }
    m_entries.removeAt(i);
    pDebugSession->disconnect(this);
    pDebugSession->disconnectFromDevice();
    pDebugSession->deleteLater();
}

void TLinkDeviceDebugHandler::addCommand(TLinkDeviceDebugSession *pDebugSession, int command)
{
    const int i = indexOf(pDebugSession);
    if (i < 0) {
        qDebug() << "TLinkDeviceDebugHandler::addCommand: no such session, command" << command << "dropped";
        return;
    }
    QList<int> &commands = m_entries[i].commands;
    commands.append(command);
    if (commands.size() == 1) {
        pDebugSession->setCommand(command);
        // A session that has finished its last command logs on afresh.
        if (pDebugSession->isFinished())
            pDebugSession->connectToDevice();
    }
}

void TLinkDeviceDebugHandler::commandEnd(TLinkDeviceDebugSession *pDebugSession, int command)
{
    Q_UNUSED(command)
    const int i = indexOf(pDebugSession);
    if (i < 0)
        return;
    QList<int> &commands = m_entries[i].commands;
    if (!commands.isEmpty())
        commands.removeFirst();
    if (commands.isEmpty()) {
        emit sessionIdle(pDebugSession);
        return;
    }
    // The next queued command runs in a conversation of its own.
    pDebugSession->setCommand(commands.first());
    pDebugSession->connectToDevice();
}

void TLinkDeviceDebugHandler::DeviceClosedSession(TLinkDeviceDebugSession *pDebugSession)
{
    const int i = indexOf(pDebugSession);
    if (i < 0)
        return;
    m_entries.removeAt(i);
    emit sessionClosed(pDebugSession);
    pDebugSession->disconnect(this);
    // Called from the session's own signal: delete once it has returned.
    pDebugSession->deleteLater();
}
