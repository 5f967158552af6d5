#pragma once
// The "Battery settings" field: the battery's charge and alarm limits of the
// power supply unit, as values with units.

#include "powercfgfield.h"

class PowerBatteryCfgField : public PowerCfgField
{
    Q_OBJECT
public:
    PowerBatteryCfgField(TLinkDeviceIf *device, QWidget *parent);

public slots:
    void showCfgWindow() override;
    void handlePowerBatteryCfgWindowDestroyed();

protected:
    void showNoData() override;
    void showRecord(const psu_battery_cfg_t &record) override;
};
