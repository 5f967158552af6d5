#pragma once
// The polling entry of one device, owned by SNMPHelper.

#include "snmpreq.h"

#include <QList>
#include <QString>

struct snmp_session;

struct snmp_async_dev_t
{
    QString uniqueId;
    quint8 pollingOn = 0;            // the device is polled (online)
    quint8 readAll = 0;              // the next cycle reads every record once
    QString hostAddress;             // peer name handed to Net-SNMP
    snmp_session *session = nullptr; // session of the running chain
    bool chainRunning = false;       // a reply is awaited, possibly since an earlier cycle
    qint32 current = 0;              // index of the record whose reply is awaited
    QList<snmp_req_t *> requests;    // poll list, owned by this entry

    // Bookkeeping for changes made while a polling cycle runs.
    bool removed = false;               // deleted at the end of the cycle
    quint32 listGeneration = 0;         // grows whenever the list is replaced
    quint32 chainGeneration = 0;        // list generation the running chain started on
    QList<snmp_req_t *> retiredRequests; // replaced records, freed at the end of the cycle
};
