#pragma once
// TPsuDevice: what the power supply interface needs of the device object:
// its unique id, its monitored properties and two signals. The window wraps
// its device in one of these.

#include "snmpvalues.h"

#include <QList>
#include <QObject>
#include <QStringList>

class AbstractProperty;

class TPsuDevice : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QString getUniqueId() const = 0;
    // Clears the monitored list and adds, in the order of names, each named property the device has.
    virtual void setMonitoredProperties(const QStringList &names) = 0;
    virtual QList<AbstractProperty *> getMonitoredProperties() const = 0;

signals:
    // The device has stored new values.
    void updated();
    // A list write for this device has ended: 1 written, 2 written without
    // complete read-back, 3 write error, anything else a time-out.
    void updatedConfigProperties(snmp_req_res_t res);
};
