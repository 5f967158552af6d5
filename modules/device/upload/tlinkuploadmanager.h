#pragma once

#include "swentry.h"

#include <QFileInfo>
#include <QObject>
#include <QStringList>

// Keeps the software images the program can give to devices. For now it
// reads single image files (".tiif") into software entries.
class TLinkUploadManager : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Reads the header and products text of one image file. True when the
    // file is an image: entry then holds version, date, build id, file name,
    // directory and product, and products the product list when the image
    // names several products.
    static bool m_getSwEntry(const QFileInfo &file, SwEntry &entry, QStringList &products);
    // Sets the key under which the entry's image is published.
    static void makeFileKey(SwEntry &entry);
};
