#include "tlinkuploadmanager.h"

#include <QDebug>
#include <QFile>
#include <QtEndian>

namespace {

const quint32 kId1 = 0x54494946;
const quint32 kId2 = 0x46494954;
const int kHeaderSize = 100;
const int kProductsOffset = 100;
const int kChunk = 50;
const int kMaxListParts = 100;

// A text field: its bytes up to the first NUL.
QString fieldText(const char *data, int width)
{
    return QString::fromLatin1(data, int(qstrnlen(data, uint(width))));
}

// The products text after its first "=", or the whole text without one.
QString afterEquals(const QString &text)
{
    const int eq = text.indexOf(QLatin1Char('='));
    return eq < 0 ? text : text.mid(eq + 1);
}

} // namespace

bool TLinkUploadManager::m_getSwEntry(const QFileInfo &file, SwEntry &entry, QStringList &products)
{
    entry.major = 0;
    entry.minor = 0;
    entry.build = 0;
    qDebug() << "TLinkUploadManager::m_getSwEntry:" << file.absoluteFilePath();

    QFile in(file.absoluteFilePath());
    if (!in.open(QIODevice::ReadOnly)) {
        qDebug() << "TLinkUploadManager::m_getSwEntry:" << "Warning - not open: " << file.fileName();
        return false;
    }
    const qint64 fileSize = in.size();
    if (fileSize < kHeaderSize) {
        qDebug() << "TLinkUploadManager::m_getSwEntry:" << "Warning - shorter than the image header:"
                 << file.fileName() << fileSize << "bytes";
        return false;
    }
    const QByteArray header = in.read(kHeaderSize);
    if (header.size() != kHeaderSize) {
        qDebug() << "TLinkUploadManager::m_getSwEntry:" << "Warning - header not readable:" << file.fileName();
        return false;
    }
    const char *h = header.constData();
    const quint32 id1 = qFromLittleEndian<quint32>(h + 0);
    const quint32 id2 = qFromLittleEndian<quint32>(h + 4);
    const quint8 headerVersion = quint8(h[12]);
    const quint16 headerLength = qFromLittleEndian<quint16>(h + 14);
    const quint32 bodyLength = qFromLittleEndian<quint32>(h + 16);
    const quint16 contentType = qFromLittleEndian<quint16>(h + 28);
    const quint16 contentHeaderLength = qFromLittleEndian<quint16>(h + 30);
    const quint32 contentBodyLength = qFromLittleEndian<quint32>(h + 32);
    const QString name = fieldText(h + 36, 20);
    const quint8 major = quint8(h[56]);
    const quint8 minor = quint8(h[57]);
    const quint16 build = qFromLittleEndian<quint16>(h + 58);
    const quint32 date = qFromLittleEndian<quint32>(h + 60);
    const QString buildId = fieldText(h + 64, 36);

    const bool idsMatch = id1 == kId1 && id2 == kId2;
    const bool productsFit = qint64(kProductsOffset) + contentBodyLength <= fileSize;

    // The products text, in chunks; a NUL ends the text of its chunk.
    QString productsText;
    if (idsMatch && productsFit) {
        qint64 remaining = contentBodyLength;
        while (remaining > 0) {
            const int want = int(qMin<qint64>(remaining, kChunk));
            const QByteArray chunk = in.read(want);
            productsText += fieldText(chunk.constData(), chunk.size());
            if (chunk.size() < want)
                break;
            remaining -= want;
        }
    }

    const char *where = "TLinkUploadManager::m_getSwEntry:";
    qDebug().noquote() << where << "TIIF id: " << QString::number(id1, 16) << QString::number(id2, 16);
    qDebug().noquote() << where << "TIIF header: ";
    qDebug().noquote() << where << "     version:       " << headerVersion;
    qDebug().noquote() << where << "     header length: " << headerLength;
    qDebug().noquote() << where << "     body length:   " << bodyLength;
    qDebug().noquote() << where << "TIIF Content header: ";
    qDebug().noquote() << where << "     type:          " << contentType;
    qDebug().noquote() << where << "     Name:          " << name;
    qDebug().noquote() << where << "     header length: " << contentHeaderLength;
    qDebug().noquote() << where << "     body length:   " << contentBodyLength;
    qDebug().noquote() << where << "TIIF Relase header: ";
    qDebug().noquote() << where << "     version:       " << QStringLiteral("%1.%2").arg(major).arg(minor);
    qDebug().noquote() << where << "     build:         " << build;
    qDebug().noquote() << where << "     date:          " << date;
    qDebug().noquote() << where << "     build_id:      " << buildId;
    qDebug().noquote() << where << "TIIF products: " << QStringLiteral("\"%1\"").arg(productsText);

    if (!idsMatch) {
        qDebug() << "TLinkUploadManager::m_getSwEntry:" << "Warning - not an image (wrong ids):" << file.fileName();
        return false;
    }
    if (!productsFit) {
        qDebug() << "TLinkUploadManager::m_getSwEntry:" << "Warning - products text runs past the end of"
                 << file.fileName() << ":" << contentBodyLength << "bytes from offset" << kProductsOffset
                 << "in a file of" << fileSize;
        return false;
    }

    entry.major = major;
    entry.minor = minor;
    entry.build = build;
    entry.date = date;
    entry.build_id = buildId.trimmed();
    entry.fileName = file.fileName().trimmed();
    entry.absolutePath = file.absolutePath().trimmed();

    const QString list = afterEquals(productsText);
    QString product = list.trimmed();
    while (!product.isEmpty() && !product.at(0).isNumber())
        product.remove(0, 1);
    entry.product = product;

    if (list.contains(QLatin1Char(','))) {
        const QStringList parts = list.split(QLatin1Char(','));
        const int taken = qMin(parts.size() - 1, kMaxListParts);
        for (int i = 0; i < taken; ++i)
            products.append(parts.at(i).trimmed());
        products.append(parts.mid(taken).join(QLatin1Char(',')).trimmed());
    }
    return true;
}

void TLinkUploadManager::makeFileKey(SwEntry &entry)
{
    entry.fileKey = entry.product
                    + QString::asprintf("%02d.%02d%04d", int(entry.major), int(entry.minor), int(entry.build));
}
