#include "snmpagent.h"

SnmpAgent::SnmpAgent(DeviceIdentity &identity, QObject *parent)
    : QObject(parent), m_identity(identity)
{
}

bool SnmpAgent::start(QString *)
{
    return true;
}
