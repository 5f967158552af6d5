#include "infomanager.h"

#include "infodevice.h"
#include "tlinksyslogif.h"

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

void InfoManager::initialise()
{
    // The application is a syslog source of its own, and its events with
    // the log flag become its syslog lines. The syslog layer's start-up runs
    // last: its events (516, 517) reach this hub through instance(), which
    // already returns this object, and so become the first such lines.
    TLinkSyslogIf *syslog = TLinkSyslogIf::instance();
    syslog->addDevice(versionText(), QStringLiteral("ZEL"), buildText(), localUrl());
    connect(this, &InfoManager::syslogEvent, syslog, &TLinkSyslogIf::infoEventHandler);
    syslog->init();
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
