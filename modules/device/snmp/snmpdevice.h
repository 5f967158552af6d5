#pragma once
// The SNMP engine's entry for one device.

#include "snmpgroup.h"
#include "snmpproperty.h"

#include <QList>
#include <QString>

struct snmp_device_t
{
    QString uniqueId;
    QString hostAddress; // SNMP peer name
    bool online = true;
    bool answering = true; // the last polling cycle that asked the device got answers
    qint32 mibState = 0; // 0 new, 1 records built, 2 no MIB file fits
    QList<snmp_group_t> groups;
    QList<snmp_property_t> properties;
};
