// Debug device files of any content: every device handed on is complete and
// carries the unique id made of its vendor, model and serial number.
#include "tlinkdebugdevicefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = [] {
        qInstallMessageHandler(quiet);
        return QDir::temp().filePath(
            QStringLiteral("fuzz_registry_debugfile_%1.xml").arg(QCoreApplication::applicationPid()));
    }();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    TLinkDebugDeviceFile::read(path, [](const device_param_t &param) {
        if (param.srvurl.isEmpty() || param.model.isEmpty() || param.serialno.isEmpty() ||
            param.uniqueId != param.vendor + param.model + param.serialno)
            std::abort();
    });
    return 0;
}
