// The removable-volume watcher against a mount table and a sysfs tree of the
// test's own: arrivals and removals by mount path, fixed disks and other
// file systems left out.
#include "removablevolumewatcher.h"

#include <QtTest>

class TestRemovableVolumes : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void removableVolumes_data();
    void removableVolumes();
    void reportsArrivalAndRemoval();
    void unreadableTableChangesNothing();

private:
    // A disk in the fake sysfs, laid out as the kernel does: the disk's
    // folder with its flag, partitions inside it, links in class/block.
    void addDisk(const QString &disk, bool removable, const QStringList &partitions = {});
    void writeTable(const QStringList &lines);
    QString tablePath() const { return m_dir.filePath("mounts"); }
    QString sysfs() const { return m_dir.filePath("sys"); }

    QTemporaryDir m_dir;
};

void TestRemovableVolumes::init()
{
    QDir(sysfs()).removeRecursively();
    QDir().mkpath(sysfs() + "/class/block");
    addDisk("sda", false, {"sda1", "sda2"});
    addDisk("sdb", true, {"sdb1"});
    addDisk("mmcblk0", true, {"mmcblk0p1"});
    addDisk("sdc", true);
}

void TestRemovableVolumes::addDisk(const QString &disk, bool removable, const QStringList &partitions)
{
    const QString diskDir = sysfs() + "/devices/pci0000:00/usb1/block/" + disk;
    QVERIFY(QDir().mkpath(diskDir));
    QFile flag(diskDir + "/removable");
    QVERIFY(flag.open(QIODevice::WriteOnly));
    flag.write(removable ? "1\n" : "0\n");
    QVERIFY(QFile::link(diskDir, sysfs() + "/class/block/" + disk));
    for (const QString &part : partitions) {
        QVERIFY(QDir().mkpath(diskDir + "/" + part));
        QFile marker(diskDir + "/" + part + "/partition");
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.write("1\n");
        QVERIFY(QFile::link(diskDir + "/" + part, sysfs() + "/class/block/" + part));
    }
}

void TestRemovableVolumes::writeTable(const QStringList &lines)
{
    QFile table(tablePath());
    QVERIFY(table.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (const QString &line : lines)
        table.write(line.toUtf8() + "\n");
}

void TestRemovableVolumes::removableVolumes_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("partition of a removable disk")
        << "/dev/sdb1 /media/stick vfat rw,nosuid 0 0" << QStringList{"/media/stick"};
    QTest::newRow("escaped blank and backslash in the path")
        << "/dev/sdb1 /media/my\\040stick\\134x vfat rw 0 0" << QStringList{"/media/my stick\\x"};
    // Only blank, tab, line break and backslash are escaped: other control
    // characters stand in the path as they are.
    QTest::newRow("unescaped carriage return, vertical tab and form feed")
        << "/dev/sdb1 /media/a\rb\vc\fd vfat rw 0 0" << QStringList{"/media/a\rb\vc\fd"};
    QTest::newRow("memory card partition")
        << "/dev/mmcblk0p1 /run/media/card exfat rw 0 0" << QStringList{"/run/media/card"};
    QTest::newRow("whole removable disk without partitions")
        << "/dev/sdc /mnt/c vfat rw 0 0" << QStringList{"/mnt/c"};
    QTest::newRow("fixed disk") << "/dev/sda2 /home ext4 rw 0 0" << QStringList();
    QTest::newRow("not a block device") << "tmpfs /media/tmp tmpfs rw 0 0" << QStringList();
    QTest::newRow("unknown device") << "/dev/sdz1 /media/z vfat rw 0 0" << QStringList();
    QTest::newRow("device name climbing out of sysfs") << "/dev/.. /media/up vfat rw 0 0" << QStringList();
}

void TestRemovableVolumes::removableVolumes()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    writeTable({"proc /proc proc rw 0 0", line});
    QStringList paths;
    QVERIFY(RemovableVolumeWatcher::readRemovableMounts(tablePath(), sysfs(), &paths));
    QCOMPARE(paths, expected);
}

void TestRemovableVolumes::reportsArrivalAndRemoval()
{
    writeTable({"/dev/sda1 / ext4 rw 0 0", "/dev/sdc /mnt/c vfat rw 0 0"});
    RemovableVolumeWatcher watcher(tablePath(), sysfs());
    QSignalSpy added(&watcher, &RemovableVolumeWatcher::volumeAdded);
    QSignalSpy removed(&watcher, &RemovableVolumeWatcher::volumeRemoved);
    QCOMPARE(watcher.mountPaths(), QStringList{"/mnt/c"});

    writeTable({"/dev/sda1 / ext4 rw 0 0", "/dev/sdc /mnt/c vfat rw 0 0", "/dev/sdb1 /media/stick vfat rw 0 0",
                "/dev/sdb1 /media/stick vfat rw 0 0"});
    watcher.rescan();
    QCOMPARE(added.count(), 1);
    QCOMPARE(added.at(0).at(0).toString(), QString("/media/stick"));
    QCOMPARE(removed.count(), 0);

    writeTable({"/dev/sda1 / ext4 rw 0 0", "/dev/sdb1 /media/stick vfat rw 0 0"});
    watcher.rescan();
    QCOMPARE(added.count(), 1);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(0).toString(), QString("/mnt/c"));
    QCOMPARE(watcher.mountPaths(), QStringList{"/media/stick"});

    // The timer looks by itself.
    watcher.setInterval(20);
    writeTable({"/dev/sda1 / ext4 rw 0 0"});
    QTRY_COMPARE(removed.count(), 2);
    QCOMPARE(removed.at(1).at(0).toString(), QString("/media/stick"));
}

void TestRemovableVolumes::unreadableTableChangesNothing()
{
    writeTable({"/dev/sdb1 /media/stick vfat rw 0 0"});
    RemovableVolumeWatcher watcher(tablePath(), sysfs());
    QSignalSpy removed(&watcher, &RemovableVolumeWatcher::volumeRemoved);
    QVERIFY(QFile::remove(tablePath()));
    watcher.rescan();
    QCOMPARE(removed.count(), 0);
    QCOMPARE(watcher.mountPaths(), QStringList{"/media/stick"});
}

QTEST_GUILESS_MAIN(TestRemovableVolumes)
#include "tst_removablevolumes.moc"
