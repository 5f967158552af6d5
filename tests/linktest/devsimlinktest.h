#pragma once
// Set-up shared by the link test runs against the device simulator.

#include "deviceparam.h"

#include <QString>

// The discovery record of a simulated device of that model.
device_param_t slpRecord(const QString &uniqueId, const QString &address, const QString &model);

// Waits for a first SNMP answer of the device at `address` (which also means
// the SNMP library has started). False without an answer.
bool warmUpSnmp(const QString &address, const QString &model);

// While it lives, every SNMP request gets one try of one second, so a silent
// device costs little time. Only for steps that expect no answer: a device
// that answers may well take longer than that on a loaded machine.
class QuickSnmpTries
{
public:
    QuickSnmpTries();
    ~QuickSnmpTries();
    QuickSnmpTries(const QuickSnmpTries &) = delete;
    QuickSnmpTries &operator=(const QuickSnmpTries &) = delete;

private:
    int m_retries;
    int m_timeout;
};
