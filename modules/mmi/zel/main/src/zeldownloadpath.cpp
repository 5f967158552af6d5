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

QString ZelDownloadPath::fileName(const QString &name)
{
    QString result;
    result.reserve(name.size());
    for (const QChar c : name) {
        const bool reserved = c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c);
        result += reserved ? QLatin1Char('_') : c;
    }
    // No leading dots or blanks: a hidden name is one the program's TFTP
    // server refuses to take, so a report under it could never arrive.
    int start = 0;
    while (start < result.size() && (result.at(start) == QLatin1Char('.') || result.at(start).isSpace()))
        ++start;
    result = result.mid(start).trimmed();
    bool onlyDots = true;
    for (const QChar c : qAsConst(result))
        onlyDots = onlyDots && c == QLatin1Char('.');
    return onlyDots ? QString() : result;
}
