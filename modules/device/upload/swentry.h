#pragma once

#include <QChar>
#include <QString>

// One software image found on disk: what its header says and where it lies.
struct SwEntry
{
    QChar drive;
    quint8 major = 0;
    quint8 minor = 0;
    quint16 build = 0;
    quint32 date = 0;
    QString build_id;
    QString fileName;
    QString absolutePath;
    QString fileKey;
    QString product;
};
