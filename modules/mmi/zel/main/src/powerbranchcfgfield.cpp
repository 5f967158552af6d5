#include "powerbranchcfgfield.h"

#include "powerbranchcfgwindow.h"
#include "psubatterycfg.h"
#include "tcfgfielditem.h"

#include <QDebug>

const int PowerBranchCfgField::RowBits[7] = {0x001, 0x010, 0x100, 0x020, 0x200, 0x040, 0x400};

PowerBranchCfgField::PowerBranchCfgField(TLinkDeviceIf *device, QWidget *parent)
    : PowerCfgField(tr("Supply branch settings"), QStringLiteral("zel_settings_power_branch"), device, parent)
{
    addRows({tr("Automatic (jumper)"), tr("Primary VHF"), tr("Duplicate VHF"), tr("Primary Inm-C"),
             tr("Duplicate Inm-C"), tr("Primary MFHF"), tr("Duplicate MFHF")},
            TCfgFieldItem::MarkRow, 26);
    updateData();
}

void PowerBranchCfgField::showNoData()
{
    for (TCfgFieldItem *row : qAsConst(m_rows))
        row->setIconName(QString());
}

void PowerBranchCfgField::showRecord(const psu_battery_cfg_t &record)
{
    for (int i = 0; i < m_rows.size(); ++i) {
        const bool bitSet = (record.supplyBranch & RowBits[i]) != 0;
        m_rows.at(i)->setChecked(i == 0 ? !bitSet : bitSet);
    }
}

void PowerBranchCfgField::showCfgWindow()
{
    if (!recordValid()) {
        qDebug().noquote() << "PowerBranchCfgField::showCfgWindow: no complete record read yet";
        return;
    }
    openEditor(new PowerBranchCfgWindow(m_device, m_interface), SLOT(handlePowerBranchCfgWindowDestroyed()));
}

void PowerBranchCfgField::handlePowerBranchCfgWindowDestroyed()
{
    m_editor = nullptr;
}
