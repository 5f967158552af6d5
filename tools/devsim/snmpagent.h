#pragma once
#include "deviceidentity.h"
#include <QObject>

// The device's SNMP agent.
class SnmpAgent : public QObject
{
    Q_OBJECT
public:
    explicit SnmpAgent(DeviceIdentity &identity, QObject *parent = nullptr);
    bool start(QString *error);

private:
    DeviceIdentity &m_identity;
};
