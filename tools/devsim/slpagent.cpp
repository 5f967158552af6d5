#include "slpagent.h"

SlpAgent::SlpAgent(DeviceIdentity &identity, QObject *parent)
    : QObject(parent), m_identity(identity)
{
}

bool SlpAgent::start(QString *)
{
    return true;
}
