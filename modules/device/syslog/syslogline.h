#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Text rules of the syslog layer: severity names, the application's own
// RFC 5424 lines, and names that are safe to use as folder names.
class SyslogLine
{
public:
    // The line with its leading priority number, in angle brackets, replaced
    // by the severity name of its low three bits ("<13>x" gives "<NOTICE>x").
    // A line without a readable priority (at most three digits, 0 to 191) is
    // returned unchanged.
    static QString withSeverityName(const QString &line);

    // The text of a received datagram: up to its first NUL byte, read as
    // UTF-8 when it is valid UTF-8, otherwise as Latin-1, with control
    // characters escaped, so one datagram always gives one line.
    static QString datagramText(const QByteArray &datagram);

    // The text with every control character (C0, DEL and C1, line breaks
    // included) written as "#" and three octal digits, as syslog daemons do:
    // a line feed becomes "#012".
    static QString escapeControls(const QString &text);

    // A structured-data parameter value with '"', '\' and ']' escaped.
    static QString sdParamValue(const QString &value);

    // One part of a source's folder name: every character outside
    // [A-Za-z0-9._-] becomes "_", and "." or ".." become underscores.
    static QString safeNamePart(const QString &part);

    struct AppEvent
    {
        int severity = 6;
        int serviceType = 0;
        int id = 0;
        QString stateText;
        QString deviceModel;
        QString title;
        QString description;
    };
    // The RFC 5424 line of one application event, stamped with utc (written
    // in UTC also when given in another time spec).
    static QString applicationLine(const AppEvent &event, const QString &host, const QDateTime &utc);
};
