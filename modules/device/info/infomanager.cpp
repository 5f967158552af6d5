#include "infomanager.h"

#include "infodevice.h"

#include <QAtomicPointer>
#include <QCoreApplication>
#include <QDebug>
#include <QRecursiveMutex>
#include <QThread>

namespace {

// The creating thread holds this lock while the hub sets itself up; calls of
// instance() from that set-up (same thread) find the stored hub, other
// threads wait until it is ready.
QRecursiveMutex creationLock;
InfoManager *createdHub = nullptr;
QAtomicPointer<InfoManager> readyHub;
// Set by static initialisation, before any hub exists.
InfoManager::SyslogStarter syslogStarter = nullptr;

} // namespace

InfoManager *InfoManager::instance()
{
    if (InfoManager *hub = readyHub.loadAcquire())
        return hub;
    QMutexLocker lock(&creationLock);
    if (createdHub)
        return createdHub;
    createdHub = new InfoManager;
    createdHub->initialise();
    readyHub.storeRelease(createdHub);
    return createdHub;
}

InfoManager::InfoManager()
    : QObject(nullptr)
{
    qRegisterMetaType<InfoEvent>("InfoEvent");
    if (QCoreApplication *app = QCoreApplication::instance()) {
        if (thread() != app->thread())
            moveToThread(app->thread());
    }
}

QString InfoManager::versionText()
{
    return QStringLiteral("%1%2").arg(QStringLiteral("1.07"), QStringLiteral("41"));
}

QString InfoManager::buildText()
{
    return QStringLiteral("%1%2").arg(QStringLiteral("2017-04-26"), versionText());
}

void InfoManager::setSyslogStarter(SyslogStarter starter)
{
    syslogStarter = starter;
}

void InfoManager::initialise()
{
    // The syslog layer's start-up events (516, 517) reach this hub through
    // instance(), which already returns this object, and so become the
    // application's first syslog lines.
    if (syslogStarter)
        syslogStarter(this);
}

void InfoManager::raiseEvent(InfoEventId_t id, InfoDevice *source, const QString &extraText, int state)
{
    const InfoEvent event(id, source, extraText, state);
    if (event.getFlags() & InfoEvent::FlagLog) {
        qDebug().noquote() << "***LOG EVENT***" << event.getSeverityName() << event.getTitle()
                           << event.getSourceName() << event.getDescription();
        emit logEvent(event);
        emit syslogEvent(localUrl(), event);
    }
    if (event.getFlags() & InfoEvent::FlagPopup)
        emit popupEvent(event);
}
