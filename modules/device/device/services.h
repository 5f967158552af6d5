#pragma once
// The set of services a device offers, one bit each. Bits are only ever added.

#include <QMetaType>
#include <QtGlobal>

typedef quint32 Services_t;

enum ServiceBit : Services_t {
    ServiceSoftwareUpdate = 0x01, // service type 256
    ServiceReboot = 0x02,         // 1024
    ServiceLiveLogging = 0x04,    // 512
    ServiceWebInterface = 0x08,   // 1824
    ServiceDiagReport = 0x10,     // 768
    ServiceDeviceStatus = 0x20,   // 1792
    ServiceConfiguration = 0x40,  // 1808
    ServiceMibFile = 0x80         // 1840
};
