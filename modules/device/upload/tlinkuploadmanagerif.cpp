#include "tlinkuploadmanagerif.h"
#include "infothreads.h"

#include "removablevolumewatcher.h"
#include "tlinktftpserverif.h"
#include "tlinkuploadmanager.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>

namespace {
const int kFirstSearchMs = 30000;
}

TLinkUploadManagerIf::TLinkUploadManagerIf(QObject *parent)
    : TLinkUploadManagerIf(RemovableVolumeWatcher::systemMounts(), kFirstSearchMs, parent)
{
    // The application object watches the removable volumes for the whole
    // program. It belongs to the program, not to this library, so its
    // signals are found by name.
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || app->metaObject()->indexOfSignal("usbDriveFound(QString)") < 0
        || app->metaObject()->indexOfSignal("usbDriveRemoved(QString)") < 0)
        return;
    connect(app, SIGNAL(usbDriveFound(QString)), this, SLOT(externalDiscDeviceDetected(QString)));
    connect(app, SIGNAL(usbDriveRemoved(QString)), this, SLOT(externalDiscDeviceRemoved(QString)));
}

TLinkUploadManagerIf::TLinkUploadManagerIf(const QStringList &mountedVolumes, int firstSearchMs, QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<QList<TLinkUploadManagerIf::firmware_list_entry_t>>(
        "QList<TLinkUploadManagerIf::firmware_list_entry_t>");
    qRegisterMetaType<TLinkTftpServerIf *>("TLinkTftpServerIf *");

    m_manager = new TLinkUploadManager(firstSearchMs);
    m_manager->setFrontObject(this);
    m_manager->setVolumes(mountedVolumes);
    m_thread = new QThread(this);
    InfoThreads::stopAtExit(m_thread);
    m_thread->setObjectName(QStringLiteral("SwUpload"));
    m_manager->moveToThread(m_thread);
    connect(m_thread, &QThread::started, m_manager, &TLinkUploadManager::start);
    // The manager and its timers are deleted on their own thread as it ends.
    connect(m_thread, &QThread::finished, m_manager, &QObject::deleteLater);
    m_thread->start(QThread::InheritPriority);
}

TLinkUploadManagerIf::~TLinkUploadManagerIf()
{
    m_thread->quit();
    m_thread->wait();
}

void TLinkUploadManagerIf::setTftpServerRef(TLinkTftpServerIf *pTftp)
{
    QMetaObject::invokeMethod(m_manager, "setTftpServerRef", Qt::QueuedConnection,
                              Q_ARG(TLinkTftpServerIf *, pTftp));
}

void TLinkUploadManagerIf::initiateManualSearch(const QString &path)
{
    QMetaObject::invokeMethod(m_manager, "initiateManualSearch", Qt::QueuedConnection, Q_ARG(QString, path));
}

void TLinkUploadManagerIf::refreshFirmwareList()
{
    QMetaObject::invokeMethod(m_manager, "fileSearch", Qt::QueuedConnection);
    QMetaObject::invokeMethod(m_manager, "removeGarbageFiles", Qt::QueuedConnection);
}

void TLinkUploadManagerIf::setSearchInterval(bool fromSettings, quint32 searchIntervalMs, quint32 garbageIntervalMs)
{
    QMetaObject::invokeMethod(m_manager, "setSearchInterval", Qt::QueuedConnection, Q_ARG(bool, fromSettings),
                              Q_ARG(quint32, searchIntervalMs), Q_ARG(quint32, garbageIntervalMs));
}

bool TLinkUploadManagerIf::getFirmwareEntry(QString product,
                                            QList<TLinkUploadManagerIf::firmware_list_entry_t> &out) const
{
    while (!product.isEmpty() && !product.at(0).isNumber())
        product.remove(0, 1);
    bool found = false;
    for (const firmware_list_entry_t &entry : m_firmwareList) {
        if (entry.product == product) {
            out.append(entry);
            found = true;
        }
    }
    return found;
}

void TLinkUploadManagerIf::externalDiscDeviceDetected(const QString &mountPath)
{
    QMetaObject::invokeMethod(m_manager, "externalDiscDeviceDetected", Qt::QueuedConnection,
                              Q_ARG(QString, mountPath));
}

void TLinkUploadManagerIf::externalDiscDeviceRemoved(const QString &mountPath)
{
    QMetaObject::invokeMethod(m_manager, "externalDiscDeviceRemoved", Qt::QueuedConnection,
                              Q_ARG(QString, mountPath));
}

// An empty list is taken too: once the last image is gone, the devices must
// not keep offering images the TFTP server no longer serves.
void TLinkUploadManagerIf::updatedFirmwareList(const QList<TLinkUploadManagerIf::firmware_list_entry_t> &pList)
{
    m_firmwareList = pList;
    emit DeviceUpdate();
}

void TLinkUploadManagerIf::searchInitiated(const QString &path)
{
    emit fileSearchInitiated(path);
}

void TLinkUploadManagerIf::searchExecuted(const QString &path)
{
    emit fileSearchFinished(path);
}
