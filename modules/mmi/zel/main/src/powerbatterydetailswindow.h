#pragma once
// The "Power supply" window of the power supply unit: its battery settings
// field and its supply branch field. It closes itself at the first device
// update after the device went offline.

#include "tabstractsubwindow.h"

#include <QPointer>

class PowerBatteryCfgField;
class PowerBranchCfgField;
class TLinkDeviceIf;

class PowerBatteryDetailsWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    explicit PowerBatteryDetailsWindow(TLinkDeviceIf *device);

    PowerBatteryCfgField *batteryField() const { return m_batteryField; }
    PowerBranchCfgField *branchField() const { return m_branchField; }

public slots:
    void updateData();

private:
    QPointer<TLinkDeviceIf> m_device;
    PowerBatteryCfgField *m_batteryField;
    PowerBranchCfgField *m_branchField;
};
