// Fuzzes the software image reader with arbitrary file contents.
#include "tlinkuploadmanager.h"

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <cstdlib>
#include <unistd.h>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

QString scratchFile()
{
    static QString path;
    if (path.isEmpty()) {
        char name[] = "/tmp/fuzz_tiif_XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0)
            close(fd);
        path = QString::fromLocal8Bit(name);
        qInstallMessageHandler(quiet);
    }
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = scratchFile();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    SwEntry entry;
    QStringList products;
    const bool image = TLinkUploadManager::m_getSwEntry(QFileInfo(path), entry, products);
    if (image && size < 100)
        std::abort();
    if (!image && (!products.isEmpty() || entry.major || entry.minor || entry.build))
        std::abort();
    if (products.size() > 101)
        std::abort();
    TLinkUploadManager::makeFileKey(entry);
    return 0;
}
