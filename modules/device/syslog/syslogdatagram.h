#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QVector>

// One received syslog datagram: the sender's IPv4 address in dotted decimal
// and the bytes exactly as they came.
struct SyslogDatagram
{
    QString sender;
    QByteArray bytes;
};

using SyslogDatagrams = QVector<SyslogDatagram>;

Q_DECLARE_METATYPE(SyslogDatagram)
Q_DECLARE_METATYPE(SyslogDatagrams)
