#pragma once
// A power supply device whose property values the test sets by hand.

#include "tpsudevice.h"

#include <QMap>

class FakePsuDevice : public TPsuDevice
{
    Q_OBJECT
public:
    // known: the objects this device has (all of the unit's when empty).
    explicit FakePsuDevice(const QStringList &known = {}, QObject *parent = nullptr);

    QString getUniqueId() const override { return QStringLiteral("fakepsu"); }
    void setMonitoredProperties(const QStringList &names) override;
    QList<AbstractProperty *> getMonitoredProperties() const override { return m_monitored; }

    // Sets a value as the SNMP layer would (the property becomes valid); no signal.
    void setValue(const QString &name, const QString &value);
    void announce() { emit updated(); }
    void finishWrite(snmp_req_res_t res) { emit updatedConfigProperties(res); }

private:
    QMap<QString, AbstractProperty *> m_properties;
    QList<AbstractProperty *> m_monitored;
};
