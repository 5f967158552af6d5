// Model list files of any content: every look-up a device makes, then the
// status evaluation on what was read.
#include "infodevice.h"
#include "infodevicemodelarray.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>

namespace {
void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = [] {
        qInstallMessageHandler(quiet);
        const QString file = QDir::temp().filePath(QStringLiteral("fuzz_info_modellist_%1.xml")
                                                       .arg(QCoreApplication::applicationPid()));
        InfoDeviceModelArray::setModelListFile(file);
        return file;
    }();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    static const char *const models[][2] = {
        {"4320", "Vantor"}, {"AB9176", "Vantor & Vantor"}, {"T1", "Test"}, {"S1", "Test"}};
    for (const auto &model : models) {
        InfoDevice device(nullptr, QStringLiteral("fuzz"));
        device.initModelInfo(QString::fromLatin1(model[0]), QString::fromLatin1(model[1]));
        QString text;
        for (const InfoStatusProperty &property : device.statusProperties()) {
            device.evaluateStatus(property.name, QStringLiteral("error ok"), 1, text);
            device.evaluateStatus(property.name, QString(), 0, text);
        }
        QStringList names;
        device.getSnmpStatusProperties(names);
        device.getSnmpStatusObjectNames(names);
        QString object, type, description;
        int code = 0;
        for (int i = -1; i <= names.size(); ++i)
            device.getStatusPropertyAt(i, object, type, description, code);
    }
    return 0;
}
