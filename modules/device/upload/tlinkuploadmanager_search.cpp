// The upload manager's thread, searches and publishing. The image reader is
// in tlinkuploadmanager.cpp.
#include "tlinkuploadmanager.h"

#include "tlinktftpserverif.h"
#include "tlinkuploadmanagerif.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QThread>
#include <QTimer>

#include <climits>

namespace {

const quint32 kDefaultIntervalMs = 180000;
const char kSearchPathKey[] = "upload_manager/search_path";
const char kSearchIntervalKey[] = "upload_manager/search_interval";

QString withoutLeadingNonNumbers(QString text)
{
    while (!text.isEmpty() && !text.at(0).isNumber())
        text.remove(0, 1);
    return text;
}

// True when `path` is `root` or lies below it.
bool liesUnder(const QString &path, const QString &root)
{
    if (path == root)
        return true;
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    return path.startsWith(prefix);
}

} // namespace

TLinkUploadManager::TLinkUploadManager(int firstSearchMs, QObject *parent)
    : QObject(parent), m_firstSearchMs(firstSearchMs)
{
}

void TLinkUploadManager::start()
{
    m_searchInterval = searchIntervalSetting();
    m_searchTimer = new QTimer(this);
    m_searchTimer->setSingleShot(true);
    connect(m_searchTimer, &QTimer::timeout, this, &TLinkUploadManager::fileSearchTimeout);
    m_searchTimer->start(m_firstSearchMs);
    m_garbageTimer = new QTimer(this);
    m_garbageTimer->setSingleShot(true);
    connect(m_garbageTimer, &QTimer::timeout, this, &TLinkUploadManager::removeGarbageTimeout);
    m_garbageInterval = kDefaultIntervalMs;
    m_garbageTimer->start(int(m_garbageInterval));
}

QString TLinkUploadManager::searchPath()
{
    QSettings settings;
    QString path = settings.value(QLatin1String(kSearchPathKey)).toString();
    if (path.size() < 2) {
        path = QDir::tempPath();
        settings.setValue(QLatin1String(kSearchPathKey), path);
    }
    return path;
}

// The default is stored only when no period is stored. A stored period of 0
// (or one that is not a number) would search without pause: the timer then
// runs with the default, and the stored value is left as the user set it.
quint32 TLinkUploadManager::searchIntervalSetting()
{
    QSettings settings;
    if (!settings.contains(QLatin1String(kSearchIntervalKey))) {
        settings.setValue(QLatin1String(kSearchIntervalKey), kDefaultIntervalMs);
        return kDefaultIntervalMs;
    }
    bool ok = false;
    const quint32 interval = settings.value(QLatin1String(kSearchIntervalKey)).toUInt(&ok);
    if (ok && interval > 0)
        return interval;
    qDebug() << "TLinkUploadManager::searchIntervalSetting:" << "unusable search interval"
             << settings.value(QLatin1String(kSearchIntervalKey)).toString() << ", using" << kDefaultIntervalMs;
    return kDefaultIntervalMs;
}

void TLinkUploadManager::fileSearchTimeout()
{
    m_searchTimer->start(int(qMin<quint32>(m_searchInterval, INT_MAX)));
    fileSearch();
}

void TLinkUploadManager::removeGarbageTimeout()
{
    m_garbageTimer->start(int(qMin<quint32>(m_garbageInterval, INT_MAX)));
    removeGarbageFiles();
}

void TLinkUploadManager::setSearchInterval(bool fromSettings, quint32 searchIntervalMs, quint32 garbageIntervalMs)
{
    if (fromSettings) {
        m_searchInterval = searchIntervalSetting();
        m_garbageInterval = kDefaultIntervalMs;
    } else {
        m_searchInterval = searchIntervalMs > 0 ? searchIntervalMs : kDefaultIntervalMs;
        m_garbageInterval = garbageIntervalMs > 0 ? garbageIntervalMs : kDefaultIntervalMs;
    }
    if (!m_searchTimer || !m_garbageTimer)
        return;
    fileSearchTimeout();
    removeGarbageTimeout();
}

void TLinkUploadManager::setTftpServerRef(TLinkTftpServerIf *pTftp)
{
    m_tftp = pTftp;
    // Images recorded before the server was known are mapped on it now.
    if (m_tftp) {
        for (const PublishedImage &image : qAsConst(m_published)) {
            for (const SwEntry &entry : qAsConst(m_swEntries)) {
                if (entry.fileKey == image.fileKey) {
                    m_tftp->mapFilename(entry.fileName, entry.absolutePath, entry.fileKey);
                    break;
                }
            }
        }
    }
}

void TLinkUploadManager::fileSearch()
{
    m_searchAll();
    m_syncAndPublish();
    m_tellFront("searchExecuted", QString());
}

void TLinkUploadManager::m_searchAll()
{
    m_searchTree(searchPath());
    for (const QString &volume : qAsConst(m_volumes))
        m_searchTree(volume);
}

void TLinkUploadManager::initiateManualSearch(const QString &path)
{
    qDebug() << "TLinkUploadManager::initiateManualSearch:" << ":Disk search manual: " << path;
    m_tellFront("searchInitiated", path);
    m_searchTree(path);
    m_syncAndPublish();
    m_tellFront("searchExecuted", path);
}

void TLinkUploadManager::externalDiscDeviceDetected(const QString &mountPath)
{
    qDebug() << "TLinkUploadManager::externalDiscDeviceDetected:" << "Device detected: " << mountPath
             << " Thread: " << QThread::currentThread();
    if (!m_volumes.contains(mountPath))
        m_volumes.append(mountPath);
    m_tellFront("searchInitiated", mountPath);
    m_searchTree(mountPath);
    m_syncAndPublish();
    m_tellFront("searchExecuted", mountPath);
}

void TLinkUploadManager::externalDiscDeviceRemoved(const QString &mountPath)
{
    m_volumes.removeAll(mountPath);
    int removed = 0;
    for (int i = m_swEntries.size() - 1; i >= 0; --i) {
        if (liesUnder(m_swEntries.at(i).absolutePath, mountPath)) {
            m_swEntries.removeAt(i);
            ++removed;
        }
    }
    qDebug() << "TLinkUploadManager::externalDiscDeviceRemoved:" << mountPath << "images withdrawn:" << removed;
    if (removed == 0) {
        m_syncAndPublish();
        return;
    }
    // The volume's keys are withdrawn first; a copy of a withdrawn image
    // elsewhere (left out as a duplicate while the volume's copy was listed)
    // then takes its place at once, under the same key.
    m_syncTftp();
    m_searchAll();
    m_syncTftp();
    publishFirmwareList();
}

void TLinkUploadManager::removeGarbageFiles()
{
    for (int i = m_swEntries.size() - 1; i >= 0; --i) {
        const SwEntry &entry = m_swEntries.at(i);
        if (!QFileInfo::exists(QStringLiteral("%1/%2").arg(entry.absolutePath, entry.fileName))) {
            qDebug() << "TLinkUploadManager::removeGarbageFiles:" << "image gone:" << entry.absolutePath
                     << entry.fileName << entry.fileKey;
            m_swEntries.removeAt(i);
        }
    }
    m_syncAndPublish();
}

void TLinkUploadManager::m_searchTree(const QString &root)
{
    QStringList dirs{root};
    QSet<QString> visited;
    const QString canonical = QFileInfo(root).canonicalFilePath();
    if (!canonical.isEmpty())
        visited.insert(canonical);
    m_findSubDirs(root, dirs, visited);
    for (const QString &dir : qAsConst(dirs))
        m_findTiifFiles(dir);
}

// Depth first, each folder followed by its own subfolders. A folder reached a
// second time (through a link) is not entered again.
void TLinkUploadManager::m_findSubDirs(const QString &dir, QStringList &found, QSet<QString> &visited)
{
    const QDir parent(dir);
    const QFileInfoList subDirs =
        parent.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &sub : subDirs) {
        const QString canonical = sub.canonicalFilePath();
        if (canonical.isEmpty() || visited.contains(canonical))
            continue;
        visited.insert(canonical);
        const QString path = QStringLiteral("%1/%2").arg(parent.absolutePath(), sub.fileName());
        found.append(path);
        m_findSubDirs(path, found, visited);
    }
}

void TLinkUploadManager::m_findTiifFiles(const QString &dir)
{
    const QFileInfoList files =
        QDir(dir).entryInfoList(QStringList{QStringLiteral("*.tiif")}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo &file : files) {
        SwEntry entry;
        QStringList products;
        if (!m_getSwEntry(file, entry, products)) {
            qDebug() << "TLinkUploadManager::m_findTiifFiles:" << "skipped, not a software image:"
                     << file.absoluteFilePath();
            continue;
        }
        if (products.isEmpty()) {
            m_addSwEntry(entry, dir);
        } else {
            for (const QString &product : qAsConst(products)) {
                SwEntry copy = entry;
                copy.product = withoutLeadingNonNumbers(product);
                m_addSwEntry(copy, dir);
            }
        }
        qDebug() << "TLinkUploadManager::m_findTiifFiles:" << "FileList size: " << m_swEntries.size();
    }
}

void TLinkUploadManager::m_addSwEntry(SwEntry entry, const QString &dir)
{
    if (entry.product.isEmpty()) {
        qDebug() << "TLinkUploadManager::m_findTiifFiles:" << "skipped, the image names no product:"
                 << entry.absolutePath << entry.fileName;
        return;
    }
    if (entry.major == 0 && entry.minor == 0 && entry.build == 0) {
        qDebug() << "TLinkUploadManager::m_findTiifFiles:" << "skipped, version 0.0 build 0:" << entry.absolutePath
                 << entry.fileName;
        return;
    }
    if (!m_isNewSwEntry(entry))
        return;
    entry.drive = dir.isEmpty() ? QChar() : dir.at(0);
    makeFileKey(entry);
    m_swEntries.append(entry);
}

bool TLinkUploadManager::m_isNewSwEntry(const SwEntry &entry) const
{
    if (entry.major == 0 && entry.minor == 0 && entry.build == 0)
        return false;
    for (const SwEntry &known : m_swEntries) {
        if (known.product == entry.product && known.major == entry.major && known.minor == entry.minor
            && known.build == entry.build)
            return false;
    }
    return true;
}

bool TLinkUploadManager::m_isStale(const PublishedImage &image) const
{
    for (const SwEntry &entry : m_swEntries) {
        if (entry.product == image.product && entry.major == image.major && entry.minor == image.minor
            && entry.build == image.build)
            return false;
    }
    return true;
}

bool TLinkUploadManager::m_isPublished(const SwEntry &entry) const
{
    for (const PublishedImage &image : m_published) {
        if (entry.product == image.product && entry.major == image.major && entry.minor == image.minor
            && entry.build == image.build)
            return true;
    }
    return false;
}

bool TLinkUploadManager::m_isTftpInSync() const
{
    if (m_published.size() != m_swEntries.size())
        return false;
    for (const PublishedImage &image : m_published) {
        if (m_isStale(image))
            return false;
    }
    return true;
}

void TLinkUploadManager::m_syncTftp()
{
    for (int i = m_published.size() - 1; i >= 0; --i) {
        if (!m_isStale(m_published.at(i)))
            continue;
        if (m_tftp)
            m_tftp->unMapFilename(m_published.at(i).fileKey);
        m_published.removeAt(i);
    }
    for (const SwEntry &entry : qAsConst(m_swEntries)) {
        if (m_isPublished(entry))
            continue;
        if (m_tftp)
            m_tftp->mapFilename(entry.fileName, entry.absolutePath, entry.fileKey);
        PublishedImage image;
        image.major = entry.major;
        image.minor = entry.minor;
        image.build = entry.build;
        image.product = entry.product;
        image.fileKey = entry.fileKey;
        m_published.append(image);
    }
}

void TLinkUploadManager::m_syncAndPublish()
{
    if (m_isTftpInSync())
        return;
    m_syncTftp();
    publishFirmwareList();
}

void TLinkUploadManager::publishFirmwareList()
{
    QList<TLinkUploadManagerIf::firmware_list_entry_t> list;
    for (const SwEntry &entry : qAsConst(m_swEntries)) {
        TLinkUploadManagerIf::firmware_list_entry_t record;
        record.major = entry.major;
        record.minor = entry.minor;
        record.build = entry.build;
        record.date = entry.date;
        record.build_id = entry.build_id;
        record.fileName = entry.fileName;
        record.absolutePath = entry.absolutePath;
        record.product = entry.product;
        list.append(record);
    }
    if (m_front)
        QMetaObject::invokeMethod(m_front, "updatedFirmwareList", Qt::QueuedConnection,
                                  Q_ARG(QList<TLinkUploadManagerIf::firmware_list_entry_t>, list));
}

void TLinkUploadManager::m_tellFront(const char *slot, const QString &path)
{
    if (m_front)
        QMetaObject::invokeMethod(m_front, slot, Qt::QueuedConnection, Q_ARG(QString, path));
}
