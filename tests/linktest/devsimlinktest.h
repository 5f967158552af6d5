#pragma once
// Set-up shared by the link test runs against the device simulator.

#include "deviceparam.h"
#include "quicksnmptries.h"

#include <QString>

// The discovery record of a simulated device of that model.
device_param_t slpRecord(const QString &uniqueId, const QString &address, const QString &model);

// Waits for a first SNMP answer of the device at `address` (which also means
// the SNMP library has started). False without an answer.
bool warmUpSnmp(const QString &address, const QString &model);

