#pragma once
#include "deviceidentity.h"
#include <QObject>

// The device's SLP service agent.
class SlpAgent : public QObject
{
    Q_OBJECT
public:
    explicit SlpAgent(DeviceIdentity &identity, QObject *parent = nullptr);
    bool start(QString *error);

private:
    DeviceIdentity &m_identity;
};
