#include "tmedialocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

const char *const removableLabel = QT_TRANSLATE_NOOP("QObject", "Removable media");

bool deviceNumber(const QString &path, dev_t *dev)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    *dev = st.st_dev;
    return true;
}

dev_t rootDevice()
{
    static const dev_t root = [] {
        dev_t dev = 0;
        deviceNumber(QStringLiteral("/"), &dev);
        return dev;
    }();
    return root;
}

} // namespace

QVector<TMediaLocation> TMediaLocation::table()
{
    auto tr = [](const char *text) { return QCoreApplication::translate("QObject", text); };
    const QString usb = QStringLiteral("zkgui_device_usb");
    const QString tmp = QDir::tempPath();
    QVector<TMediaLocation> rows;
    rows << TMediaLocation{0, tr(QT_TRANSLATE_NOOP("QObject", "Terminal")), QStringLiteral("/appdata"),
                           QStringLiteral("zkgui_device_msgterminal"), false};
    for (int i = 0; i < 6; ++i)
        rows << TMediaLocation{1 + i, tr(removableLabel), QStringLiteral("/media/usbstick%1").arg(i), usb, true};
    rows << TMediaLocation{7, tr(removableLabel), QStringLiteral("/media/sdcard"),
                           QStringLiteral("zkgui_device_sdcard"), true};
    rows << TMediaLocation{8, tr(QT_TRANSLATE_NOOP("QObject", "PC %1/userdata")).arg(QDir::toNativeSeparators(tmp)),
                           tmp, QStringLiteral("zkgui_device_msgterminal"), false};
    return rows;
}

QList<TMediaLocation> TMediaLocation::availableMediaLocations()
{
    return availableMediaLocations(table());
}

QList<TMediaLocation> TMediaLocation::availableMediaLocations(const QVector<TMediaLocation> &locations)
{
    const dev_t root = rootDevice();
    QList<TMediaLocation> available;
    for (const TMediaLocation &row : locations) {
        if (!QFileInfo(row.path).isDir())
            continue;
        if (row.removable) {
            dev_t dev = 0;
            if (deviceNumber(row.path, &dev) && dev != root)
                available << row;
            continue;
        }
        TMediaLocation copy = row;
        copy.path = row.path + QLatin1String("/userdata");
        if (QFileInfo(copy.path).isDir() || QDir(row.path).mkdir(QStringLiteral("userdata")))
            available << copy;
    }
    return available;
}

QList<TMediaLocation> availableMediaLocations()
{
    return TMediaLocation::availableMediaLocations();
}
