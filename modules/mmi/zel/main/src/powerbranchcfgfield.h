#pragma once
// The "Supply branch settings" field: which radio supply branches of the
// power supply unit are configured, as seven marked rows.

#include "powercfgfield.h"

class PowerBranchCfgField : public PowerCfgField
{
    Q_OBJECT
public:
    PowerBranchCfgField(TLinkDeviceIf *device, QWidget *parent);

    // Mask bit of each row; the first row is marked when its bit is clear.
    static const int RowBits[7];

public slots:
    void showCfgWindow() override;
    void handlePowerBranchCfgWindowDestroyed();

protected:
    void showNoData() override;
    void showRecord(const psu_battery_cfg_t &record) override;
};
