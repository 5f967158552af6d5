#pragma once
// What every registry test does before the registry is first built: the
// application's names, discovery kept on loopback, free ports for the TFTP
// server and the syslog receiver, and the project's MIB folder.

#include "deviceparam.h"

#include <QString>

void setUpRegistryTest();

// A discovery record of a test device at that address.
device_param_t deviceRecord(const QString &ip, const QString &model, const QString &serial);
