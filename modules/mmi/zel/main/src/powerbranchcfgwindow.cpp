#include "powerbranchcfgwindow.h"

#include "powerbranchcfgfield.h"
#include "powercfgfield.h"
#include "tlinkdeviceif.h"
#include "tlistcolumndesc.h"
#include "tlistitem.h"
#include "tlistwidget.h"
#include "tpsubatteryif.h"

#include <QDebug>
#include <QVBoxLayout>

PowerBranchCfgWindow::PowerBranchCfgWindow(TLinkDeviceIf *device, TPsuBatteryIf *interface)
    : TAbstractCfgWindow(tr("Edit supply branch settings"), false), m_device(device), m_interface(interface)
{
    m_record.supplyBranch = 0;
    auto *layout = new QVBoxLayout(editingFrame());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);

    m_list = new TListWidget(this, 1, 9);
    auto *names = new TListColumnDesc(2, 250, 1000, 5, m_list);
    names->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_list->addColumn(names);
    // A gap keeps the right-aligned names off their check boxes.
    m_list->addColumn(new TListColumnDesc(4, 58, 58, 16, m_list));
    m_list->setEmptyListText(tr("No services"));
    m_list->setCheckable(true);
    m_list->setMinimumWidth(360);
    // The seven branches, one 58 px row each, inside the 600 px main window.
    m_list->setMinimumHeight(7 * 58);
    layout->addWidget(m_list);
}

void PowerBranchCfgWindow::enableBranchRows(bool enable)
{
    for (int i = 1; i < m_items.size(); ++i)
        m_items.at(i)->setEnabled(enable);
}

void PowerBranchCfgWindow::updateData()
{
    connect(m_list, &TListWidget::itemToggled, this, &PowerBranchCfgWindow::settingChanged, Qt::UniqueConnection);
    if (m_items.isEmpty()) {
        const QStringList texts{tr("Automatic (jumper)"), tr("Primary VHF"), tr("Duplicate VHF"), tr("Primary Inm-C"),
                                tr("Duplicate Inm-C"), tr("Primary MFHF"), tr("Duplicate MFHF")};
        for (int id = 0; id < texts.size(); ++id) {
            auto *item = new TListItem(id, texts.at(id), m_list);
            item->setEnabled(false);
            m_items.append(item);
        }
        m_list->addItems(m_items, true);
    }
    if (!m_device || !m_device->isOnline() || !m_interface) {
        showStatusDescription(tr("Data not available"), QString());
        return;
    }
    if (!m_interface->getConfig().dataValid) {
        // Nothing is edited that was not read from the device.
        showStatusDescription(tr("Data not available"), QString());
        return;
    }
    m_record = m_interface->getConfig();
    m_base = m_record;
    const bool automatic = (m_record.supplyBranch & PowerBranchCfgField::RowBits[0]) == 0;
    m_items.at(0)->setEnabled(true);
    m_items.at(0)->setChecked(automatic);
    enableBranchRows(!automatic);
    for (int i = 1; i < m_items.size(); ++i)
        m_items.at(i)->setChecked((m_record.supplyBranch & PowerBranchCfgField::RowBits[i]) != 0);
    showEditingFrame();
}

void PowerBranchCfgWindow::settingChanged(TListItem *pItem)
{
    if (!m_items.contains(pItem))
        return;
    if (pItem->id() == 0)
        enableBranchRows(!pItem->isChecked());
    qDebug().noquote() << "PowerBranchCfgWindow::settingChanged:" << pItem->objectName();
}

void PowerBranchCfgWindow::storeData()
{
    if (!m_interface)
        return;
    m_record = m_base;
    int mask = m_base.supplyBranch;
    for (int i = 0; i < m_items.size(); ++i) {
        const int bit = PowerBranchCfgField::RowBits[i];
        const bool set = (i == 0) ? !m_items.at(i)->isChecked() : m_items.at(i)->isChecked();
        mask = set ? (mask | bit) : (mask & ~bit);
    }
    m_record.supplyBranch = mask;
    connect(m_interface.data(), &TPsuBatteryIf::storeCompleted, this, &PowerBranchCfgWindow::handleStoreCompleted,
            Qt::UniqueConnection);
    m_storing = true;
    m_storeResult = TPsuBatteryIf::WriteTimeout; // unless the interface reports an end in time
    setBusy(QStringLiteral("zkgui_option_store"), tr("Storing supply branch settings"), nullptr, PowerCfgField::StoreTimeoutMs);
    // Only the mask can differ from what the window was filled with.
    m_interface->store(m_record, m_base);
}

void PowerBranchCfgWindow::handleStoreCompleted(int res)
{
    if (!m_storing)
        return; // the end of a store this window has given up on
    m_storeResult = res;
    clrBusy();
}

void PowerBranchCfgWindow::handleBusyEnded(TBusyWidget::EndReason endReason)
{
    Q_UNUSED(endReason)
    m_storing = false;
    // A store that failed or never ended keeps the window open for another try.
    if (PowerCfgField::showStoreFailure(m_storeResult, this))
        return;
    emit stored();
    close();
}
