#pragma once
// The application object of a fuzz target: quiet, with its settings and
// scratch files in a temporary folder of its own that goes with the process.

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstdlib>

namespace fuzzapp {

inline void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

// The temporary folder; every file a target writes goes below it.
inline QTemporaryDir &scratch()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/zelfuzz.XXXXXX"));
    return dir;
}

inline QCoreApplication *app()
{
    static int argc = 1;
    static char name[] = "zelfuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *const instance = [] {
        qInstallMessageHandler(quiet);
        const QByteArray root = scratch().path().toLocal8Bit();
        for (const char *v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "HOME"})
            qputenv(v, root + '/' + v);
        auto *a = new QCoreApplication(argc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
        QCoreApplication::setApplicationName(QStringLiteral("ZEL fuzz"));
        return a;
    }();
    return instance;
}

} // namespace fuzzapp
