#include "tpsubatteryif.h"

#include "abstractproperty.h"
#include "mibobjectnames.h"
#include "tlinksnmpif.h"
#include "tpsudevice.h"

#include <QDebug>

#include <cmath>

TPsuBatteryIf::TPsuBatteryIf(TPsuDevice *device, QObject *parent)
    : QObject(parent), m_device(device)
{
    static const int resultType = qRegisterMetaType<TPsuBatteryIf::Result>("TPsuBatteryIf::Result");
    Q_UNUSED(resultType)
    m_config.supplyBranch = 0;
    m_config.dataValid = false;
    m_lastResult = 0;
    m_device->setMonitoredProperties(psuPropertyNames);
    followDevice(true);
    handleUpdated();
}

void TPsuBatteryIf::followDevice(bool follow)
{
    if (!m_device)
        return;
    if (follow)
        connect(m_device, &TPsuDevice::updated, this, &TPsuBatteryIf::handleUpdated, Qt::UniqueConnection);
    else
        disconnect(m_device, &TPsuDevice::updated, this, &TPsuBatteryIf::handleUpdated);
}

void TPsuBatteryIf::markDynamic()
{
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    const QString id = m_device->getUniqueId();
    for (const QString &name : psuPropertyNames)
        snmp->setPropertyDynamic(id, name, true);
}

void TPsuBatteryIf::handleUpdated()
{
    if (!m_device)
        return;
    const QList<AbstractProperty *> properties = m_device->getMonitoredProperties();
    if (!properties.isEmpty()) {
        for (const AbstractProperty *property : properties) {
            m_config.dataValid = property->isValid();
            if (!m_config.dataValid)
                break;
        }
        // A device that lacks some of the objects never has a complete record.
        if (properties.size() < psuPropertyNames.size())
            m_config.dataValid = false;
    }
    // Taken by name, so a shorter list is never read past its end.
    int raw[8] = {};
    for (int i = 0; i < psuPropertyNames.size() && i < 8; ++i) {
        for (const AbstractProperty *property : properties) {
            if (property->getName() == psuPropertyNames.at(i)) {
                bool ok = false;
                raw[i] = property->getValue().toInt(&ok, 10);
                if (!ok) {
                    if (!property->getValue().isEmpty())
                        qDebug().noquote() << "TPsuBatteryIf::handleUpdated:" << psuPropertyNames.at(i)
                                           << "is no number:" << property->getValue();
                    raw[i] = 0;
                }
                break;
            }
        }
    }
    m_config.maxChargeCurrent = raw[0] / 1000.0;
    m_config.maxChargeVoltage = raw[1] / 1000.0;
    m_config.floatVoltage = raw[2] / 1000.0;
    m_config.minAlarmVoltage = raw[3] / 1000.0;
    m_config.maxAlarmVoltage = raw[4] / 1000.0;
    m_config.minAlarmTemp = double(raw[5] - 273);
    m_config.maxAlarmTemp = double(raw[6] - 273);
    m_config.supplyBranch = raw[7];

    if (m_lastResult > 1) {
        markDynamic();
        m_lastResult = 0;
    }
    emit updated();
}

namespace {

// The windows give tenths of amperes and volts and whole degrees; the device
// takes whole mA, mV and K, each rounded to the nearest unit.
QString thousandths(double value)
{
    return QString::number(std::llround(value * 1000.0));
}

QString kelvin(double celsius)
{
    return QString::number(std::llround(celsius + 273.0));
}

QStringList deviceTexts(const psu_battery_cfg_t &config)
{
    return {thousandths(config.maxChargeCurrent), thousandths(config.maxChargeVoltage),
            thousandths(config.floatVoltage),     thousandths(config.minAlarmVoltage),
            thousandths(config.maxAlarmVoltage),  kelvin(config.minAlarmTemp),
            kelvin(config.maxAlarmTemp),          QString::number(config.supplyBranch)};
}

} // namespace

void TPsuBatteryIf::store(const psu_battery_cfg_t &config)
{
    QList<int> all;
    for (int i = 0; i < psuPropertyNames.size(); ++i)
        all.append(i);
    write(deviceTexts(config), all);
}

void TPsuBatteryIf::store(const psu_battery_cfg_t &config, const psu_battery_cfg_t &base)
{
    const QStringList texts = deviceTexts(config);
    const QStringList before = deviceTexts(base);
    QList<int> changed;
    for (int i = 0; i < psuPropertyNames.size(); ++i)
        if (texts.at(i) != before.at(i))
            changed.append(i);
    if (changed.isEmpty()) {
        finishUnsent(Stored);
        return;
    }
    write(texts, changed);
}

void TPsuBatteryIf::write(const QStringList &texts, const QList<int> &positions)
{
    if (!m_device) {
        // The device is gone: nothing can be written, and the caller hears so.
        qWarning().noquote() << "TPsuBatteryIf::store:" << tr("Configuration data NOT updated") << "-"
                             << tr("Device data write ERROR");
        finishUnsent(WriteError);
        return;
    }
    connect(m_device, &TPsuDevice::updatedConfigProperties, this, &TPsuBatteryIf::handleConfigUpdated,
            Qt::UniqueConnection);
    snmp_req_list_t request;
    request.uniqueId = m_device->getUniqueId();
    request.kind = 4;
    for (int i : positions)
        request.items.append({psuPropertyNames.at(i), texts.at(i)});
    request.result = 0;
    TLinkSNMPIf::instance()->setProperties(request);
    markDynamic();
}

void TPsuBatteryIf::finishUnsent(Result result)
{
    // Reported from the event loop, as a written record would be.
    QMetaObject::invokeMethod(
        this, [this, result] { emit storeCompleted(result); }, Qt::QueuedConnection);
}

void TPsuBatteryIf::handleConfigUpdated(snmp_req_res_t res)
{
    m_lastResult = res;
    Result result = Stored;
    switch (res) {
    case 1:
        markDynamic();
        handleUpdated();
        break;
    case 2:
        // Written but not all read back: the next device update refreshes the record.
        followDevice(true);
        break;
    case 3:
        result = WriteError;
        qWarning().noquote() << "TPsuBatteryIf::handleConfigUpdated:" << tr("Configuration data NOT updated") << "-"
                             << tr("Device data write ERROR");
        break;
    default:
        result = WriteTimeout;
        qWarning().noquote() << "TPsuBatteryIf::handleConfigUpdated:" << tr("Configuration data NOT updated") << "-"
                             << tr("Device data write timeout");
        break;
    }
    emit storeCompleted(result);
}
