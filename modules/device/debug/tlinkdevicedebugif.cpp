#include "tlinkdevicedebugif.h"

#include "tlinkdevicedebughandler.h"
#include "tlinkdevicedebugsession.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMutex>

namespace {

QMutex instanceLock;
TLinkDeviceDebugIf *theInstance = nullptr;

void shutDown()
{
    QMutexLocker lock(&instanceLock);
    delete theInstance;
    theInstance = nullptr;
}

} // namespace

TLinkDeviceDebugIf *TLinkDeviceDebugIf::instance()
{
    QMutexLocker lock(&instanceLock);
    if (!theInstance) {
        theInstance = new TLinkDeviceDebugIf;
        // The debug thread ends before the application object goes.
        if (QCoreApplication::instance())
            qAddPostRoutine(shutDown);
    }
    return theInstance;
}

TLinkDeviceDebugIf::TLinkDeviceDebugIf()
{
    qRegisterMetaType<TLinkDeviceDebugSession *>("TLinkDeviceDebugSession*");
    m_thread.setObjectName(QStringLiteral("TLinkDeviceDebug"));
    m_handler = new TLinkDeviceDebugHandler;
    m_handler->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_handler, &QObject::deleteLater);
    connect(m_handler, &TLinkDeviceDebugHandler::sessionClosed, this, &TLinkDeviceDebugIf::DeviceDebugClosed);
    m_thread.start();
}

TLinkDeviceDebugIf::~TLinkDeviceDebugIf()
{
    m_thread.quit();
    m_thread.wait();
}

bool TLinkDeviceDebugIf::holds(const TLinkDeviceDebugSession *session) const
{
    for (const auto &entry : m_sessions) {
        if (entry.first == session)
            return true;
    }
    return false;
}

TLinkDeviceDebugSession *TLinkDeviceDebugIf::openSession(const QString &hostAddress, const QString &text,
                                                         const QObject *receiver, const char *member)
{
    for (const auto &entry : qAsConst(m_sessions)) {
        if (entry.second != hostAddress)
            continue;
        // The session is shared; its results reach every receiver that asked.
        if (receiver && member && entry.first->receiver() != receiver)
            connect(entry.first, SIGNAL(debugResultReceived(QString, int)), receiver, member, Qt::UniqueConnection);
        return entry.first;
    }
    auto *session = new TLinkDeviceDebugSession(hostAddress, text);
    m_sessions.append(qMakePair(session, hostAddress));
    session->setReceiver(receiver, member);
    if (receiver && member)
        connect(session, SIGNAL(debugResultReceived(QString, int)), receiver, member);
    session->moveToThread(&m_thread);
    QMetaObject::invokeMethod(m_handler, "openSession", Qt::QueuedConnection,
                              Q_ARG(TLinkDeviceDebugSession *, session));
    return session;
}

void TLinkDeviceDebugIf::addCommand(TLinkDeviceDebugSession *session, int command)
{
    if (command != 0 || !holds(session))
        return;
    QMetaObject::invokeMethod(m_handler, "addCommand", Qt::QueuedConnection,
                              Q_ARG(TLinkDeviceDebugSession *, session), Q_ARG(int, command));
}

void TLinkDeviceDebugIf::closeSession(TLinkDeviceDebugSession *session)
{
    if (!session)
        return;
    for (int i = 0; i < m_sessions.size(); ++i) {
        if (m_sessions.at(i).first == session) {
            m_sessions.removeAt(i);
            QMetaObject::invokeMethod(m_handler, "closeSession", Qt::QueuedConnection,
                                      Q_ARG(TLinkDeviceDebugSession *, session));
            return;
        }
    }
    qDebug() << "TLinkDeviceDebugIf::closeSession: session already closed";
}

void TLinkDeviceDebugIf::DeviceDebugClosed(TLinkDeviceDebugSession *hndSession)
{
    for (int i = 0; i < m_sessions.size(); ++i) {
        if (m_sessions.at(i).first == hndSession) {
            m_sessions.removeAt(i);
            return;
        }
    }
}
