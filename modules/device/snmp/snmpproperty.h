#pragma once
// One property of one device, built from the device's MIB.

#include "snmpreq.h"

#include <QList>
#include <QPair>
#include <QString>

struct snmp_property_t
{
    quint32 oid[SNMP_MAX_OID_LEN] = {}; // object identifier to request
    quint32 oidLength = 0;
    quint8 valueValid = 0;     // a value was handled since it was last cleared
    quint8 writable = 0;       // MAX-ACCESS read-write
    quint8 pollWhenActive = 0; // D flag
    quint8 dynamic = 0;        // polled every cycle
    quint8 isIndex = 0;        // table column named by the table's first INDEX item
    quint8 isTableColumn = 0;  // the parent row has an INDEX clause
    quint8 notAccessible = 0;  // MAX-ACCESS not-accessible (an SMIv2 table's INDEX column)
    qint32 kind = 0;           // 0 unknown, 1 integer, 2 string, 3 enumeration, 4 IP address
    QString mibObjectName;
    QString groupName;         // G flag
    QString displayName;       // S flag
    QString value;             // current value text
    qint32 decimals = 0;       // 1..3 from DISPLAY-HINT d-1..d-3
    QString extraText;
    QList<QPair<qint32, QString>> enumValues;
    qint32 rangeLow = 0;
    qint32 rangeHigh = 0;
    qint32 flagR = 0;
    qint32 flagW = 0;
    qint32 flagP = 0;          // orders the device's records, highest first
    qint32 extraNumber = 0;
    QString description;
};
