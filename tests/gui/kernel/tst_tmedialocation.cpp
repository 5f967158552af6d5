#include "guiapp.h"
#include "guitestsupport.h"
#include "tmedialocation.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

dev_t deviceOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : dev_t(-1);
}

// A folder that lies on the root device, and one that does not (a mounted medium).
QString folderOnRootDevice()
{
    for (const char *candidate : {"/etc", "/usr", "/var", "/opt"})
        if (QFileInfo(QLatin1String(candidate)).isDir() && deviceOf(QLatin1String(candidate)) == deviceOf("/"))
            return QLatin1String(candidate);
    return QString();
}

QString mountedFolder()
{
    for (const char *candidate : {"/proc", "/dev", "/sys"})
        if (QFileInfo(QLatin1String(candidate)).isDir() && deviceOf(QLatin1String(candidate)) != deviceOf("/"))
            return QLatin1String(candidate);
    return QString();
}

QStringList paths(const QList<TMediaLocation> &list)
{
    QStringList out;
    for (const TMediaLocation &l : list)
        out << QString::number(l.id) + QLatin1Char(':') + l.path;
    return out;
}

} // namespace

class TestTMediaLocation : public QObject
{
    Q_OBJECT
private slots:
    void table()
    {
        const QVector<TMediaLocation> rows = TMediaLocation::table();
        QCOMPARE(rows.size(), 9);
        QCOMPARE(rows.at(0).path, QStringLiteral("/appdata"));
        QCOMPARE(rows.at(3).path, QStringLiteral("/media/usbstick2"));
        QVERIFY(rows.at(3).removable);
        QCOMPARE(rows.at(7).iconName, QStringLiteral("zkgui_device_sdcard"));
        QCOMPARE(rows.at(8).path, QDir::tempPath());
        QVERIFY(!rows.at(8).removable);
    }

    // Only the PC's temporary folder exists here: one call makes its "userdata" folder.
    void temporaryFolderGetsUserdata()
    {
        const QString userdata = QDir::tempPath() + QLatin1String("/userdata");
        QDir(userdata).removeRecursively();
        QList<TMediaLocation> found = availableMediaLocations();
        QVERIFY(!found.isEmpty());
        QCOMPARE(found.last().id, 8);
        QCOMPARE(found.last().path, userdata);
        QVERIFY(QFileInfo(userdata).isDir());
        // A second call gives the same and makes nothing new.
        QCOMPARE(paths(availableMediaLocations()), paths(found));
    }

    void availability()
    {
        const QString onRoot = folderOnRootDevice();
        const QString mounted = mountedFolder();
        if (onRoot.isEmpty() || mounted.isEmpty())
            QSKIP("needs a folder on the root device and one on another device");
        QTemporaryDir fixed;
        QVERIFY(fixed.isValid());
        const QVector<TMediaLocation> rows = {
            {0, QStringLiteral("Terminal"), fixed.path(), QStringLiteral("zkgui_device_msgterminal"), false},
            {1, QStringLiteral("Removable media"), QStringLiteral("/nonexistent/usbstick0"), QString(), true},
            {2, QStringLiteral("Removable media"), onRoot, QString(), true},
            {7, QStringLiteral("Removable media"), mounted, QString(), true},
            {8, QStringLiteral("PC"), QStringLiteral("/nonexistent/temp"), QString(), false},
        };
        const QList<TMediaLocation> found = TMediaLocation::availableMediaLocations(rows);
        QCOMPARE(paths(found), (QStringList{QStringLiteral("0:") + fixed.path() + QLatin1String("/userdata"),
                                            QStringLiteral("7:") + mounted}));
        QVERIFY(QFileInfo(fixed.path() + QLatin1String("/userdata")).isDir());
    }

    void userdataCannotBeMade()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // A file named "userdata" is in the way of the folder.
        QFile blocker(dir.path() + QLatin1String("/userdata"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QVector<TMediaLocation> rows = {{8, QStringLiteral("PC"), dir.path(), QString(), false}};
        QVERIFY(TMediaLocation::availableMediaLocations(rows).isEmpty());
    }
};

ZEL_GUI_TEST_MAIN(TestTMediaLocation)

#include "tst_tmedialocation.moc"
