// Mount tables for the removable volume watcher: a removable disk mounted at
// a path of any bytes, written as the kernel writes it (blank, tab, line
// break and backslash as octal escapes), must come back as that very path,
// whatever lines of any content follow it in the table.
#include "fuzzapp.h"
#include "removablevolumewatcher.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QByteArray escaped(const QByteArray &path)
{
    QByteArray out;
    for (const char c : path) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\')
            out += '\\' + QByteArray::number(uchar(c), 8).rightJustified(3, '0');
        else
            out += c;
    }
    return out;
}

// A sysfs tree with one removable disk, sdz.
const QString &sysfs()
{
    static const QString root = [] {
        const QString dir = fuzzapp::scratch().filePath(QStringLiteral("sys"));
        QDir().mkpath(dir + QStringLiteral("/class/block/sdz"));
        QFile flag(dir + QStringLiteral("/class/block/sdz/removable"));
        if (!flag.open(QIODevice::WriteOnly))
            abort();
        flag.write("1\n");
        return dir;
    }();
    return root;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzapp::app();
    // The path is the input up to its first line break; the rest are more lines.
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const int end = input.indexOf('\n');
    const QByteArray path = end < 0 ? input : input.left(end);
    const QByteArray rest = end < 0 ? QByteArray() : input.mid(end + 1);

    const QString table = fuzzapp::scratch().filePath(QStringLiteral("mounts"));
    QFile file(table);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write("/dev/sdz " + escaped(path) + " vfat rw,relatime 0 0\n" + rest);
    file.close();

    QStringList paths;
    if (!RemovableVolumeWatcher::readRemovableMounts(table, sysfs(), &paths))
        abort();
    // Paths as the kernel has them: not empty, no NUL.
    if (path.isEmpty() || path.contains('\0'))
        return 0;
    const QString expected = QString::fromUtf8(path);
    if (paths.value(0) != expected) {
        fprintf(stderr, "mount path %s read as %s\n", qPrintable(expected), qPrintable(paths.value(0)));
        abort();
    }
    return 0;
}
