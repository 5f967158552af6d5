#pragma once
// One discovered device as the attribute search reports it.

#include <QMetaType>
#include <QString>

struct device_param_t
{
    QString srvurl;
    QString vendor;
    QString model;
    QString serialno;
    QString product;
    QString swversion;
    QString swbuild;
    QString alias;
    QString uniqueId;
};
Q_DECLARE_METATYPE(device_param_t)
