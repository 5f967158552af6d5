#pragma once
// "Edit supply branch settings": the supply branch choice of the power
// supply unit as seven check rows, stored as the unit's branch bit mask.

#include "psubatterycfg.h"
#include "tabstractcfgwindow.h"

#include <QList>
#include <QPointer>

class TLinkDeviceIf;
class TListItem;
class TListWidget;
class TPsuBatteryIf;

class PowerBranchCfgWindow : public TAbstractCfgWindow
{
    Q_OBJECT
public:
    PowerBranchCfgWindow(TLinkDeviceIf *device, TPsuBatteryIf *interface);

    TListWidget *list() const { return m_list; }
    QList<TListItem *> items() const { return m_items; }

public slots:
    void updateData() override;
    void storeData() override;
    void handleStoreCompleted(int res);
    void settingChanged(TListItem *pItem);
    void handleBusyEnded(TBusyWidget::EndReason endReason) override;

private:
    void enableBranchRows(bool enable);

    TListWidget *m_list;
    QList<TListItem *> m_items;
    QPointer<TLinkDeviceIf> m_device;
    QPointer<TPsuBatteryIf> m_interface;
    psu_battery_cfg_t m_record;
    psu_battery_cfg_t m_base; // the record the rows were filled from
    bool m_storing = false;
    int m_storeResult = 0; // TPsuBatteryIf::Result of the last store
};
