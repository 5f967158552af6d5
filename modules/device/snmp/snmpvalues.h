#pragma once
// The value records that carry SNMP results across threads.

#include <QList>
#include <QMetaType>
#include <QPair>
#include <QString>

// The result of one single request (GET, GET-NEXT, or SET with read-back).
struct snmp_get_value_t
{
    QString uniqueId;
    QString mibObjectName;
    QString value;
    qint32 index = 0; // GET-NEXT: the row sub-identifier
    qint32 subId = 0; // GET-NEXT: last sub-identifier of the request's OID
    bool ok = false;
};

// A list write of one device and its result.
struct snmp_req_list_t
{
    QString uniqueId;
    qint32 kind = 0; // 0 write only, 1..4 write and read back
    QList<QPair<QString, QString>> items;
    qint32 result = 0; // 1 written, 2 read-back incomplete, 3 write failed, 4 timed out, 0 unknown device/name
};

// Result code of a list write (the result field above).
typedef qint32 snmp_req_res_t;

Q_DECLARE_METATYPE(snmp_get_value_t)
Q_DECLARE_METATYPE(snmp_req_list_t)
