#pragma once
// One service a device offers: made from a discovery report (available) or
// from the model list's web and MIB services.

#include <QString>

struct device_service_entry_t
{
    bool available = false;
    QString srvurl;
    QString attributes;
    QString host;
    int serviceBit = 0;    // the Services_t bit of a recognised service, else 0
    int serviceTypeId = 0; // 256, 1024, 1824 or 1840 for a recognised service, else 0
};
