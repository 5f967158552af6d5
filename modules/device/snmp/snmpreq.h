#pragma once
// One SNMP request and its result, as the engine hands it to SNMPHelper.

#include <QString>
#include <QtGlobal>

// Longest object identifier a request or property record can hold.
constexpr int SNMP_MAX_OID_LEN = 128;

struct snmp_req_t
{
    QString name;                        // MIB object name of the property
    quint32 oid[SNMP_MAX_OID_LEN] = {};  // object identifier of the request
    quint32 oidLength = 0;               // sub-identifiers used in oid
    QString value;                       // SET: text to write; read: value text of the reply
    qint32 index = 0;                    // GET-NEXT: sub-identifier after the requested OID
    quint8 type = 0;                     // ASN.1 type (SET: type to write; reads: type of the reply)
    quint8 pollWhenActive = 0;           // polled every cycle while its device is active
    quint8 dynamic = 0;                  // polled every cycle whatever the active device
    quint8 done = 0;                     // a reply, error or time-out was handled
    quint8 timedOut = 0;                 // handled without an answer: value is the last good one
    quint8 failed = 0;                   // answered with an error (object missing, refused): no value
};
