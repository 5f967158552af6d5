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
    // ---- Syslog layer hook-up -------------------------------------------
    // The syslog layer is obtained here, once, in this order:
    //   1. TLinkSyslogIf *syslog = TLinkSyslogIf::instance();
    //   2. register the application as a source: unique id versionText(),
    //      name parts "ZEL" and buildText(), host localUrl();
    //   3. connect(this, &InfoManager::syslogEvent, syslog, &TLinkSyslogIf::infoEventHandler);
    //   4. syslog->init();  (its start-up events reach this hub through
    //      instance(), which already returns this object)
    // Until the syslog layer is wired in, events are logged and emitted only.
    // ----------------------------------------------------------------------
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
