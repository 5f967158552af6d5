#pragma once
// The power supply unit's battery and supply-branch configuration, in the
// units the windows show (A, V, degrees Celsius).

#include <QtGlobal>

struct psu_battery_cfg_t
{
    double maxChargeCurrent = 0.0; // A
    double maxChargeVoltage = 0.0; // V
    double floatVoltage = 0.0;     // V
    double spare1 = 0.0;
    double minAlarmVoltage = 0.0;  // V
    double maxAlarmVoltage = 0.0;  // V
    double minAlarmTemp = 0.0;     // degrees Celsius
    double maxAlarmTemp = 0.0;     // degrees Celsius
    double spare2 = 0.0;
    double spare3 = 0.0;
    qint32 supplyBranch = 0;       // bit mask, see TPsuBatteryIf
    bool dataValid = false;        // every monitored property has a value
};
