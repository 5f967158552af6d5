#pragma once
// TPsuBatteryIf: the battery charging and alarm limits and the supply branch
// choice of the power supply unit (model 4411). It reads the device object's
// properties, converts mA/mV/K to A/V/degrees Celsius, and writes a changed
// record back as one SNMP list write. The record follows every update of the
// device, so a window opened after another one stored sees the stored values.
// GUI thread only.
//
// Supply branch bits: 0x001 branches chosen by the bits below (clear: by the
// unit's jumper), 0x010/0x020/0x040 primary VHF/Inm-C/MFHF, 0x100/0x200/0x400
// duplicate VHF/Inm-C/MFHF. Other bits are kept as the device reported them.

#include "psubatterycfg.h"
#include "snmpvalues.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class TPsuDevice;

class TPsuBatteryIf : public QObject
{
    Q_OBJECT
public:
    enum Result : qint32 {
        Stored = 0,     // written (and read back, or to be read back with the next update)
        WriteError = 1, // the device refused the write
        WriteTimeout = 2,
    };
    Q_ENUM(Result)

    TPsuBatteryIf(TPsuDevice *device, QObject *parent = nullptr);

    psu_battery_cfg_t getConfig() const { return m_config; }
    // Writes all eight values of the record.
    void store(const psu_battery_cfg_t &config);
    // Writes only the values in which config differs from base, the record
    // the editor started from: what another editor stored meanwhile stays.
    // A record without a change ends at once as stored.
    void store(const psu_battery_cfg_t &config, const psu_battery_cfg_t &base);

signals:
    void updated();
    void storeCompleted(TPsuBatteryIf::Result res);

public slots:
    void handleUpdated();
    void handleConfigUpdated(snmp_req_res_t res);

private:
    void followDevice(bool follow);
    void markDynamic();
    void write(const QStringList &texts, const QList<int> &positions);
    void finishUnsent(Result result);

    QPointer<TPsuDevice> m_device;
    psu_battery_cfg_t m_config;
    qint32 m_lastResult = 0;
};
