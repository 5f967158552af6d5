#pragma once
// A power supply device kept up to date by the SNMP facade, standing in for
// the device object: its properties follow the engine's records, and the
// outcome of a list write is passed on.

#include "tpsudevice.h"

#include <QMap>

class SnmpPsuDevice : public TPsuDevice
{
    Q_OBJECT
public:
    SnmpPsuDevice(const QString &uniqueId, const QString &address, QObject *parent = nullptr);
    ~SnmpPsuDevice() override;

    QString getUniqueId() const override { return m_uniqueId; }
    void setMonitoredProperties(const QStringList &names) override;
    QList<AbstractProperty *> getMonitoredProperties() const override { return m_monitored; }

private:
    void refresh(const QString &uniqueId);
    void writeDone(const snmp_req_list_t &answer);

    QString m_uniqueId;
    QMap<QString, AbstractProperty *> m_properties;
    QList<AbstractProperty *> m_monitored;
};
