#include "tlinksyslogif.h"
#include "infothreads.h"

#include "infodevice.h"
#include "infomanager.h"
#include "syslogline.h"
#include "syslogmanagerdevice.h"
#include "tlinksyslogdevice.h"
#include "tlinksyslogfile.h"
#include "tlinksyslogforwarder.h"
#include "tlinksyslogmonitor.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSettings>
#include <QThread>

namespace {

// How the event hub makes the syslog layer at its first creation: the
// application becomes a syslog source of its own, its events with the log
// flag become its syslog lines, and the start-up runs last, once the hub is
// connected.
void startWithHub(InfoManager *hub)
{
    TLinkSyslogIf *syslog = TLinkSyslogIf::instance();
    syslog->addDevice(InfoManager::versionText(), QStringLiteral("ZEL"), InfoManager::buildText(),
                      InfoManager::localUrl());
    QObject::connect(hub, &InfoManager::syslogEvent, syslog, &TLinkSyslogIf::infoEventHandler);
    syslog->init();
}

// Registered before main runs, in every program that uses this front object.
struct HubRegistration
{
    HubRegistration() { InfoManager::setSyslogStarter(&startWithHub); }
} hubRegistration;

} // namespace

TLinkSyslogIf *TLinkSyslogIf::instance()
{
    // Lives for the whole process, together with its worker threads.
    static TLinkSyslogIf *const front = [] {
        auto *created = new TLinkSyslogIf;
        // Its home is the GUI thread, whichever thread asks first.
        if (QCoreApplication *app = QCoreApplication::instance()) {
            if (created->thread() != app->thread())
                created->moveToThread(app->thread());
        }
        return created;
    }();
    return front;
}

TLinkSyslogIf::TLinkSyslogIf(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<SyslogDatagrams>("SyslogDatagrams");

    m_monitor = new TLinkSyslogMonitor(&m_backlog);
    m_receivePort = m_monitor->port();
    m_receiving = m_monitor->isBound();
    m_monitorThread = new QThread;
    InfoThreads::stopAtExit(m_monitorThread);
    m_monitorThread->setObjectName(QStringLiteral("syslog receiver"));
    m_monitor->moveToThread(m_monitorThread);
    connect(m_monitorThread, &QThread::finished, m_monitor, &QObject::deleteLater);
    connect(m_monitor, &TLinkSyslogMonitor::datagramsReceived, this, &TLinkSyslogIf::datagramsReceivedHandler);

    m_fileWorker = new TLinkSyslogFile(&m_backlog);
    m_fileThread = new QThread;
    InfoThreads::stopAtExit(m_fileThread);
    m_fileThread->setObjectName(QStringLiteral("syslog files"));
    m_fileWorker->moveToThread(m_fileThread);
    connect(m_fileThread, &QThread::finished, m_fileWorker, &QObject::deleteLater);
    connect(m_fileWorker, &TLinkSyslogFile::readSyslogFileDone, this, &TLinkSyslogIf::readSyslogFileDoneHandler);
    connect(m_fileWorker, &TLinkSyslogFile::reportSyslogFileEvent, this, &TLinkSyslogIf::reportSyslogEvents);

    m_forwarder = new TLinkSyslogForwarder(&m_backlog);
    m_forwardThread = new QThread;
    InfoThreads::stopAtExit(m_forwardThread);
    m_forwardThread->setObjectName(QStringLiteral("syslog forward"));
    m_forwarder->moveToThread(m_forwardThread);
    connect(m_forwardThread, &QThread::finished, m_forwarder, &QObject::deleteLater);

    m_monitorThread->start(QThread::InheritPriority);
    m_fileThread->start(QThread::InheritPriority);
    m_forwardThread->start(QThread::InheritPriority);
}

TLinkSyslogIf::~TLinkSyslogIf()
{
    for (QThread *thread : {m_monitorThread, m_fileThread, m_forwardThread}) {
        thread->quit();
        thread->wait();
    }
    // The workers are gone with their threads' ends.
    delete m_monitorThread;
    delete m_fileThread;
    delete m_forwardThread;
    qDeleteAll(m_sources);
    delete m_syslogManager;
}

void TLinkSyslogIf::init()
{
    if (m_syslogManager)
        return;
    m_syslogManager = new SyslogManagerDevice(tr("Syslog manager"));
    m_syslogManager->moveToThread(thread());
    m_syslogManager->postEvent(516, QString(), InfoEvent::StateNone);

    QSettings settings;
    m_forwarding = settings.value(QStringLiteral("syslog_server/ext_server_state"), false).toBool();
    if (settings.contains(QStringLiteral("syslog_server/ext_server_address")))
        m_externalAddress = QHostAddress(settings.value(QStringLiteral("syslog_server/ext_server_address")).toString());
    m_externalPort = quint16(settings.value(QStringLiteral("syslog_server/ext_server_port_no"), 0).toInt());
    m_syslogManager->postEvent(517, QStringLiteral(" %1:%2").arg(m_externalAddress.toString()).arg(m_externalPort),
                               m_forwarding ? InfoEvent::StateOn : InfoEvent::StateOff);
}

quint16 TLinkSyslogIf::receivePort() const
{
    return m_receivePort;
}

bool TLinkSyslogIf::isReceiving() const
{
    return m_receiving;
}

quint32 TLinkSyslogIf::droppedDatagrams() const
{
    return m_monitor ? m_monitor->droppedDatagrams() : 0;
}

TLinkSyslogDevice *TLinkSyslogIf::findById(const QString &uniqueId) const
{
    for (TLinkSyslogDevice *source : m_sources) {
        if (source->uniqueId() == uniqueId)
            return source;
    }
    return nullptr;
}

TLinkSyslogDevice *TLinkSyslogIf::findByHost(const QString &hostAddress) const
{
    for (TLinkSyslogDevice *source : m_sources) {
        if (source->hostAddress() == hostAddress)
            return source;
    }
    return nullptr;
}

void TLinkSyslogIf::addDevice(const QString &uniqueId, const QString &namePart1, const QString &namePart2,
                              const QString &hostAddress)
{
    if (findById(uniqueId))
        return;
    // The name parts come from what devices announce: keep them to plain
    // folder-name characters so no source can write outside its folder.
    const QString fileName = QStringLiteral("syslog_") + SyslogLine::safeNamePart(namePart1) + QLatin1Char('_')
                             + SyslogLine::safeNamePart(namePart2);
    m_sources.append(new TLinkSyslogDevice(uniqueId, hostAddress, fileName));
}

void TLinkSyslogIf::changeHostAddress(const QString &uniqueId, const QString &hostAddress)
{
    if (TLinkSyslogDevice *source = findById(uniqueId))
        source->setHostAddress(hostAddress);
}

void TLinkSyslogIf::changeUniqueId(const QString &oldUniqueId, const QString &newUniqueId)
{
    if (TLinkSyslogDevice *source = findById(oldUniqueId))
        source->setUniqueId(newUniqueId);
}

void TLinkSyslogIf::removeDevice(const QString &uniqueId)
{
    TLinkSyslogDevice *source = findById(uniqueId);
    if (!source)
        return;
    m_sources.removeOne(source);
    // A live log window may still be connected: delete once control is back
    // in the event loop, which also cuts those connections.
    source->deleteLater();
}

void TLinkSyslogIf::connectSyslogDevice(const QString &uniqueId, const QObject *receiver, const char *initMember,
                                        int maxLen, const char *newLineMember)
{
    TLinkSyslogDevice *source = findById(uniqueId);
    if (!source)
        return;
    connect(source, SIGNAL(initLogTextRead(QString)), receiver, initMember);
    connect(source, SIGNAL(syslogReceived(QString)), receiver, newLineMember);
    QMetaObject::invokeMethod(m_fileWorker, "readSyslogFile", Qt::QueuedConnection, Q_ARG(QString, uniqueId),
                              Q_ARG(QString, source->fileName()), Q_ARG(int, maxLen));
}

void TLinkSyslogIf::disconnectSyslogDevice(const QString &uniqueId, const QObject *receiver,
                                           const char *initMember, const char *newLineMember)
{
    TLinkSyslogDevice *source = findById(uniqueId);
    if (!source)
        return;
    disconnect(source, SIGNAL(initLogTextRead(QString)), receiver, initMember);
    disconnect(source, SIGNAL(syslogReceived(QString)), receiver, newLineMember);
}

void TLinkSyslogIf::setExternalSyslog(bool bEnable, QString address, quint16 port)
{
    m_forwarding = bEnable;
    m_externalAddress = QHostAddress(address);
    m_externalPort = port;
    if (m_syslogManager) {
        m_syslogManager->postEvent(517, QStringLiteral(" %1:%2").arg(address).arg(port),
                                   bEnable ? InfoEvent::StateOn : InfoEvent::StateOff);
    }
}

void TLinkSyslogIf::forward(const QVector<QByteArray> &datagrams)
{
    if (datagrams.isEmpty() || !m_forwarding || m_externalAddress.isNull() || m_externalPort == 0)
        return;
    int weight = 0;
    for (const QByteArray &bytes : datagrams)
        weight += SyslogBacklog::weight(bytes.size());
    m_backlog.add(weight);
    QMetaObject::invokeMethod(m_forwarder, "sendDatagrams", Qt::QueuedConnection,
                              Q_ARG(QVector<QByteArray>, datagrams), Q_ARG(QHostAddress, m_externalAddress),
                              Q_ARG(quint16, m_externalPort));
}

void TLinkSyslogIf::queueLines(const QString &fileName, const QStringList &lines)
{
    QMetaObject::invokeMethod(m_fileWorker, "writeSyslogLines", Qt::QueuedConnection, Q_ARG(QString, fileName),
                              Q_ARG(QStringList, lines));
}

void TLinkSyslogIf::infoEventHandler(QString url, InfoEvent infoEvent)
{
    const QDateTime utc = QDateTime::currentDateTimeUtc();
    SyslogLine::AppEvent event;
    event.severity = infoEvent.getSeverity();
    event.serviceType = infoEvent.getServiceType();
    event.id = infoEvent.getId();
    event.stateText = infoEvent.getStateText();
    if (InfoDevice *source = infoEvent.getSource())
        event.deviceModel = source->getModelName();
    event.title = infoEvent.getTitle();
    event.description = infoEvent.getDescription();
    const QString line = SyslogLine::applicationLine(event, url, utc);
    // Every source at that address gets the line once.
    const QList<TLinkSyslogDevice *> sources = m_sources;
    for (TLinkSyslogDevice *source : sources) {
        if (source->hostAddress() == url)
            handleLine(source, line);
    }
}

void TLinkSyslogIf::reportSyslogEvents(InfoEventId_t id, QString extDescription)
{
    if (m_syslogManager)
        m_syslogManager->postEvent(id, extDescription, InfoEvent::StateNone);
}

void TLinkSyslogIf::syslogReceivedHandler(QString url, QString msg)
{
    if (TLinkSyslogDevice *source = findByHost(url))
        handleLine(source, msg);
}

void TLinkSyslogIf::handleLine(TLinkSyslogDevice *source, const QString &msg)
{
    // One message is one stored line: line breaks and other control
    // characters are written escaped.
    const QString line = SyslogLine::withSeverityName(SyslogLine::escapeControls(msg));
    m_backlog.add(SyslogBacklog::weight(line.size()));
    queueLines(source->fileName(), QStringList{line});
    emit source->syslogReceived(line);
    forward({msg.toUtf8()});
}

void TLinkSyslogIf::datagramsReceivedHandler(SyslogDatagrams datagrams)
{
    // Lines of one source go to its files together, in the order received.
    QList<QPair<QString, QStringList>> byFolder;
    QVector<QByteArray> accepted;
    accepted.reserve(datagrams.size());
    // The receiver's weight of each datagram gives way to the weight of its
    // line on the way to the files.
    int received = 0;
    int lines = 0;
    for (const SyslogDatagram &datagram : qAsConst(datagrams)) {
        received += SyslogBacklog::weight(datagram.bytes.size());
        TLinkSyslogDevice *source = findByHost(datagram.sender);
        if (!source)
            continue;
        const QString line = SyslogLine::withSeverityName(SyslogLine::datagramText(datagram.bytes));
        lines += SyslogBacklog::weight(line.size());
        const QString folder = source->fileName();
        auto it = std::find_if(byFolder.begin(), byFolder.end(),
                               [&folder](const QPair<QString, QStringList> &entry) { return entry.first == folder; });
        if (it == byFolder.end())
            byFolder.append({folder, QStringList{line}});
        else
            it->second.append(line);
        emit source->syslogReceived(line);
        accepted.append(datagram.bytes);
    }
    m_backlog.add(lines);
    m_backlog.release(received);
    forward(accepted);
    for (const auto &entry : qAsConst(byFolder))
        queueLines(entry.first, entry.second);
}

void TLinkSyslogIf::readSyslogFileDoneHandler(QString uniqueId, QString fileContent)
{
    if (TLinkSyslogDevice *source = findById(uniqueId))
        emit source->initLogTextRead(fileContent);
}
