#pragma once

#include <QString>

// One image that is mapped on the TFTP server under its file key.
struct PublishedImage
{
    quint8 major = 0;
    quint8 minor = 0;
    quint16 build = 0;
    QString product;
    QString fileKey;
};
