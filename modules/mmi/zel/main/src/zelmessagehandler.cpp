#include "zelmessagehandler.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

QByteArray zelMessageLine(QtMsgType type, const QString &text)
{
    const char *prefix = nullptr;
    switch (type) {
    case QtDebugMsg: prefix = "Debug: "; break;
    case QtWarningMsg: prefix = "Warning: "; break;
    case QtCriticalMsg: prefix = "Critical: "; break;
    case QtFatalMsg: prefix = "Fatal: "; break;
    default: return QByteArray();
    }
    return QByteArray(prefix) + text.toLocal8Bit() + '\n';
}

void zelMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    const QByteArray line = zelMessageLine(type, text);
    if (!line.isEmpty()) {
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
    }
    if (type == QtFatalMsg)
        std::abort();
}
