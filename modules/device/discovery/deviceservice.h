#pragma once
// One discovered service as the service search reports it.

#include <QMetaType>
#include <QString>

struct device_service_t
{
    QString srvurl;
    QString attributes; // "NO ATTRIBUTES" until they are known
    QString address;    // the service URL after "://"
};
Q_DECLARE_METATYPE(device_service_t)
