#pragma once

#include <QObject>
#include <QString>

// Carries the front object's publishing and registration calls to the TFTP
// server. It lives on the caller's thread, so its signals reach the server's
// thread queued.
class SignalEmitter : public QObject
{
    Q_OBJECT
public:
    explicit SignalEmitter(QObject *parent = nullptr);

signals:
    void mapFilename(const QString &fileName, const QString &absolutePath, const QString &fileKey);
    void unMapFilename(const QString &fileKey);
    void regForFileInfo(const QString &fileKey, const QObject *object, const char *member);
    void unRegForFileInfo(const QString &fileKey, const QObject *object, const char *member);
};
