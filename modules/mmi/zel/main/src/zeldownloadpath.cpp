#include "zeldownloadpath.h"

#include <QSettings>
#include <QStandardPaths>

QString ZelDownloadPath::directory(const QString &settingsKey)
{
    const QString fallback = QStringLiteral("%1\\%2\\%3")
                                 .arg(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                                      QStringLiteral("Vantor"), QStringLiteral("ZEL"));
    QSettings settings;
    return settings.value(settingsKey, fallback).toString();
}

QString ZelDownloadPath::shown(const QString &path)
{
    QString result = path;
    result.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return result;
}

QString ZelDownloadPath::local(const QString &shownPath)
{
    QString result = shownPath;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result;
}
