#pragma once
// Common part of the power supply unit's configuration fields: the device,
// the field's own power supply interface, the rows, and the three looks of a
// field (device offline, no data yet, data). Subclasses fill the rows and
// open their editor.

#include "tabstractcfgwindow.h"
#include "tcfgfield.h"
#include "tlinkdeviceif.h"
#include "tpasswordreqwindow.h"

#include <QList>
#include <QPointer>

class TAbstractCfgWindow;
class TCfgFieldItem;
class TPsuBatteryIf;
class TPsuDevice;
struct psu_battery_cfg_t;

class PowerCfgField : public TCfgField
{
    Q_OBJECT
public:
    PowerCfgField(const QString &heading, const QString &imageName, TLinkDeviceIf *device, QWidget *parent);

    TPsuBatteryIf *batteryInterface() const { return m_interface; }
    QList<TCfgFieldItem *> rows() const { return m_rows; }
    TAbstractCfgWindow *editor() const { return m_editor; }
    bool hasSeenData() const { return m_dataSeen; }

    // How long an editor waits for the end of a store: longer than the
    // SNMP layer takes to give up on a write.
    static constexpr int StoreTimeoutMs = 30000;
    // Shows the message window of a store that did not succeed (a
    // TPsuBatteryIf::Result) from window; false for a stored record.
    static bool showStoreFailure(int result, QWidget *window);

public slots:
    void updateData() override;

protected:
    // Makes the field's rows; call once from the subclass constructor, then updateData().
    void addRows(const QStringList &texts, int kind, int minimumHeight);
    virtual void showNoData() = 0;
    virtual void showRecord(const psu_battery_cfg_t &record) = 0;
    // Shows a new editor from the field and follows its lifetime.
    void openEditor(TAbstractCfgWindow *editor, const char *destroyedSlot);

    // The record the editors start from: only one read whole from the device.
    bool recordValid() const;

    QPointer<TLinkDeviceIf> m_device; // the registry may delete it while the field is shown
    TPsuDevice *m_psuDevice;
    TPsuBatteryIf *m_interface;
    bool m_dataSeen = false;
    QList<TCfgFieldItem *> m_rows;
    QPointer<TAbstractCfgWindow> m_editor;
};
