#pragma once
// Software image files made by the tests: a header in the image format, the
// products text and a body.

#include <QByteArray>
#include <QString>

namespace imagefile {

struct Image
{
    quint32 id1 = 0x54494946;
    quint32 id2 = 0x46494954;
    quint8 major = 1;
    quint8 minor = 0;
    quint16 build = 1;
    quint32 date = 0;
    QByteArray buildId;
    QByteArray products = "products=705";
    QByteArray body = "body";
    int cutTo = -1; // -1: the whole file

    QByteArray bytes() const;
};

// Writes the bytes to the path, making the folders on the way.
bool write(const QString &path, const QByteArray &bytes);

} // namespace imagefile
