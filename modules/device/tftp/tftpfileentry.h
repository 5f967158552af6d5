#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

class QObject;

// One receiver of progress reports: an object and a slot signature in the
// form Qt's string-based connect takes ("1slot(args)"). On the server's
// thread the object pointer only tells receivers apart and is never
// dereferenced: the front object delivers the reports on its own thread and
// unregisters a receiver that is destroyed.
struct TftpReceiver
{
    const QObject *object = nullptr;
    QByteArray member;
};

// A published file: its absolute path and who wants progress reports on it.
struct TftpFileEntry
{
    QString path;
    QList<TftpReceiver> receivers;
    // Set for a file a device uploaded: it never holds a key that the
    // program publishes one of its own files under.
    bool uploaded = false;
};

using TftpFileMap = QMap<QString, TftpFileEntry *>;
