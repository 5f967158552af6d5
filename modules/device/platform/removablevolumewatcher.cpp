#include "removablevolumewatcher.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
const int kDefaultIntervalMs = 1000;
const char *const kSystemMountTable = "/proc/self/mounts";
const char *const kSystemSysfsRoot = "/sys";
}

RemovableVolumeWatcher::RemovableVolumeWatcher(QObject *parent)
    : RemovableVolumeWatcher(QLatin1String(kSystemMountTable), QLatin1String(kSystemSysfsRoot), parent)
{
}

QStringList RemovableVolumeWatcher::systemMounts()
{
    QStringList paths;
    readRemovableMounts(QLatin1String(kSystemMountTable), QLatin1String(kSystemSysfsRoot), &paths);
    return paths;
}

RemovableVolumeWatcher::RemovableVolumeWatcher(const QString &mountTable, const QString &sysfsRoot,
                                               QObject *parent)
    : QObject(parent), m_mountTable(mountTable), m_sysfsRoot(sysfsRoot), m_timer(this)
{
    // What is mounted already is there from the start, not an arrival.
    readRemovableMounts(m_mountTable, m_sysfsRoot, &m_mounted);
    m_timer.setInterval(kDefaultIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &RemovableVolumeWatcher::rescan);
    m_timer.start();
}

void RemovableVolumeWatcher::rescan()
{
    QStringList now;
    if (!readRemovableMounts(m_mountTable, m_sysfsRoot, &now)) {
        qDebug() << "RemovableVolumeWatcher::rescan:" << "cannot read the mount table" << m_mountTable;
        return;
    }
    const QStringList before = m_mounted;
    m_mounted = now;
    for (const QString &path : before) {
        if (!now.contains(path)) {
            qDebug() << "RemovableVolumeWatcher::rescan:" << "USB Drive Removed " << path;
            emit volumeRemoved(path);
        }
    }
    for (const QString &path : now) {
        if (!before.contains(path)) {
            qDebug() << "RemovableVolumeWatcher::rescan:" << "USB Drive found " << path;
            emit volumeAdded(path);
        }
    }
}

bool RemovableVolumeWatcher::readRemovableMounts(const QString &mountTable, const QString &sysfsRoot,
                                                 QStringList *paths)
{
    paths->clear();
    QFile table(mountTable);
    if (!table.open(QIODevice::ReadOnly))
        return false;
    // /proc files report size 0: read until the end rather than by size.
    const QList<QByteArray> lines = table.readAll().split('\n');
    for (const QByteArray &line : lines) {
        // Fields are parted by blanks alone: a path may hold any other
        // character, control characters such as CR or FF unescaped.
        QList<QByteArray> fields = line.split(' ');
        fields.removeAll(QByteArray());
        if (fields.size() < 2)
            continue;
        const QString device = unescapeMountField(fields.at(0));
        const QString mountPath = unescapeMountField(fields.at(1));
        if (!device.startsWith(QLatin1String("/dev/")) || paths->contains(mountPath))
            continue;
        if (isRemovableDevice(device, sysfsRoot))
            paths->append(mountPath);
    }
    return true;
}

// A block device is removable when its disk (the device itself, or the disk
// a partition belongs to) carries the removable flag.
bool RemovableVolumeWatcher::isRemovableDevice(const QString &device, const QString &sysfsRoot)
{
    const QFileInfo node(device);
    const QString name = node.exists() ? QFileInfo(node.canonicalFilePath()).fileName() : node.fileName();
    if (name.isEmpty() || name == QLatin1String("..") || name == QLatin1String("."))
        return false;
    QDir dir(QFileInfo(sysfsRoot + QStringLiteral("/class/block/") + name).canonicalFilePath());
    if (dir.path().isEmpty() || !dir.exists())
        return false;
    if (dir.exists(QStringLiteral("partition")))
        dir.cdUp();
    QFile flag(dir.filePath(QStringLiteral("removable")));
    if (!flag.open(QIODevice::ReadOnly))
        return false;
    return flag.readLine().trimmed() == "1";
}

// Mount tables write blanks, tabs, line breaks and backslashes in paths as
// three-digit octal escapes.
QString RemovableVolumeWatcher::unescapeMountField(const QByteArray &field)
{
    QByteArray out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        if (field.at(i) == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            const bool octal = std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; });
            bool ok = false;
            const int code = digits.toInt(&ok, 8);
            if (octal && ok && code < 256) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(field.at(i));
    }
    return QString::fromUtf8(out);
}
