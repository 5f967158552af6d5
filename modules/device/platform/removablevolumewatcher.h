#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

// Watches the mounted removable volumes (USB sticks, memory cards) and
// reports each one that is mounted or unmounted, by its mount path. Reads a
// mount table in the form of /proc/self/mounts and tells removable block
// devices by the "removable" flag of their disk in sysfs.
class RemovableVolumeWatcher : public QObject
{
    Q_OBJECT
public:
    explicit RemovableVolumeWatcher(QObject *parent = nullptr);
    // For a mount table and sysfs tree other than the system's own.
    RemovableVolumeWatcher(const QString &mountTable, const QString &sysfsRoot, QObject *parent = nullptr);

    // Mount paths of the removable volumes mounted at the last look, in
    // mount table order.
    QStringList mountPaths() const { return m_mounted; }
    // How often the mount table is looked at, in milliseconds.
    void setInterval(int ms) { m_timer.setInterval(ms); }

    // The removable volumes of a mount table; false when it cannot be read.
    static bool readRemovableMounts(const QString &mountTable, const QString &sysfsRoot, QStringList *paths);
    // The removable volumes mounted on this system now; none when the
    // system's mount table cannot be read.
    static QStringList systemMounts();

public slots:
    // Looks at the mount table now and reports what changed since the last look.
    void rescan();

signals:
    void volumeAdded(const QString &mountPath);
    void volumeRemoved(const QString &mountPath);

private:
    static bool isRemovableDevice(const QString &device, const QString &sysfsRoot);
    static QString unescapeMountField(const QByteArray &field);

    QString m_mountTable;
    QString m_sysfsRoot;
    QStringList m_mounted;
    QTimer m_timer;
};
