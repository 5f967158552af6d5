#include "powercfgfield.h"

#include "psubatterycfg.h"
#include "tabstractcfgwindow.h"
#include "tcfgfielditem.h"
#include "tlinkdeviceif.h"
#include "tmessagewindow.h"
#include "tpsubatteryif.h"
#include "tpsulinkdevice.h"

#include <QDebug>

PowerCfgField::PowerCfgField(const QString &heading, const QString &imageName, TLinkDeviceIf *device,
                             QWidget *parent)
    : TCfgField(heading, imageName, parent, true), m_device(device)
{
    m_psuDevice = new TPsuLinkDevice(device, this);
    m_interface = new TPsuBatteryIf(m_psuDevice, this);
    connect(m_interface, &TPsuBatteryIf::updated, this, &PowerCfgField::updateData);
    // The interface stops following the device once it has every value; the
    // field still has to notice when the device goes offline.
    connect(device, &TLinkDeviceIf::updated, this, &PowerCfgField::updateData);
    // A deleted device takes its password window and editor with it, as the
    // details window goes with it.
    connect(device, &QObject::destroyed, this, &PowerCfgField::updateData);
}

void PowerCfgField::addRows(const QStringList &texts, int kind, int minimumHeight)
{
    for (const QString &text : texts) {
        auto *row = new TCfgFieldItem(text, this, kind, -1);
        if (minimumHeight > 0)
            row->setMinimumHeight(minimumHeight);
        addDataWidget(row);
        m_rows.append(row);
    }
    setSelectable(false);
}

void PowerCfgField::updateData()
{
    if (m_rows.isEmpty())
        return; // still being built
    const psu_battery_cfg_t record = m_interface->getConfig();
    if (m_device && m_device->isOnline()) {
        clearStatus();
        // Only a record read whole opens an editor.
        if (record.dataValid)
            m_dataSeen = true;
        setSelectable(record.dataValid);
        if (!m_dataSeen)
            showNoData();
        else
            showRecord(record);
        return;
    }
    showStatus(TCfgField::tr("Data not available"), QString());
    closeCfgWindow();
    if (m_editor)
        m_editor->close();
}

bool PowerCfgField::recordValid() const
{
    return m_device && m_device->isOnline() && m_interface->getConfig().dataValid;
}

void PowerCfgField::openEditor(TAbstractCfgWindow *editor, const char *destroyedSlot)
{
    m_editor = editor;
    editor->setAttribute(Qt::WA_DeleteOnClose);
    qDebug().noquote() << "PowerCfgField::openEditor: showing" << editor->metaObject()->className() << "from"
                       << metaObject()->className();
    editor->showWindow(this);
    connect(editor, SIGNAL(destroyed()), this, destroyedSlot);
}

bool PowerCfgField::showStoreFailure(int result, QWidget *window)
{
    switch (result) {
    case TPsuBatteryIf::Stored:
        return false;
    case TPsuBatteryIf::WriteError:
        TMessageWindow::showError(TPsuBatteryIf::tr("Configuration data NOT updated"),
                                  TPsuBatteryIf::tr("Device data write ERROR"), window);
        return true;
    default:
        TMessageWindow::showWarning(TPsuBatteryIf::tr("Configuration data NOT updated"),
                                    TPsuBatteryIf::tr("Device data write timeout"), window);
        return true;
    }
}
