#include "imagefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>

namespace imagefile {

QByteArray Image::bytes() const
{
    char d[100] = {};
    qToLittleEndian<quint32>(id1, d + 0);
    qToLittleEndian<quint32>(id2, d + 4);
    d[12] = 1;
    qToLittleEndian<quint16>(16, d + 14);
    qToLittleEndian<quint32>(quint32(body.size()), d + 16);
    qToLittleEndian<quint16>(1, d + 28);
    qToLittleEndian<quint16>(32, d + 30);
    qToLittleEndian<quint32>(quint32(products.size()), d + 32);
    std::memcpy(d + 36, "image", 5);
    d[56] = char(major);
    d[57] = char(minor);
    qToLittleEndian<quint16>(build, d + 58);
    qToLittleEndian<quint32>(date, d + 60);
    std::memcpy(d + 64, buildId.constData(), size_t(qMin(buildId.size(), 36)));
    const QByteArray all = QByteArray(d, sizeof d) + products + body;
    return cutTo < 0 ? all : all.left(cutTo);
}

bool write(const QString &path, const QByteArray &bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

} // namespace imagefile
