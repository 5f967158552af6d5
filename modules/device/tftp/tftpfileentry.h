#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

// One receiver of progress reports: an object and a slot signature in the
// form Qt's string-based connect takes ("1slot(args)"). The object is
// guarded: a receiver that was deleted without unregistering is skipped.
struct TftpReceiver
{
    const QObject *object = nullptr;
    QPointer<QObject> guard;
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
