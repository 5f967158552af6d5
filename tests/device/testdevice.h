#pragma once
// The discovery record of a test device.

#include "deviceparam.h"

inline device_param_t makeParam(const QString &ip, const QString &model = QStringLiteral("4320"),
                                const QString &serial = QStringLiteral("100001"))
{
    device_param_t p;
    p.srvurl = QStringLiteral("service:device.vantor://") + ip;
    p.vendor = QStringLiteral("Vantor");
    p.model = model;
    p.serialno = serial;
    p.product = QStringLiteral("VANTOR-") + model;
    p.swversion = QStringLiteral("01.07");
    p.swbuild = QStringLiteral("0041");
    p.alias = QStringLiteral("Bridge");
    p.uniqueId = p.vendor + p.model + p.serialno;
    return p;
}
