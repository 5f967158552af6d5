#include "snmppsudevice.h"

#include "abstractproperty.h"
#include "tlinksnmpif.h"

SnmpPsuDevice::SnmpPsuDevice(const QString &uniqueId, const QString &address, QObject *parent)
    : TPsuDevice(parent), m_uniqueId(uniqueId)
{
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    snmp->addDevice(uniqueId, address, QStringLiteral("4411"), QStringLiteral("01.07"));
    const QList<snmp_property_t> records = snmp->getProperties(uniqueId);
    for (const snmp_property_t &record : records)
        m_properties.insert(record.mibObjectName,
                            new AbstractProperty(record.mibObjectName, record.displayName, record.writable, 0, 0,
                                                 record.groupName, record.description, this));
    connect(snmp, &TLinkSNMPIf::updated, this, &SnmpPsuDevice::refresh);
    connect(snmp, &TLinkSNMPIf::getValuesDone, this, &SnmpPsuDevice::writeDone);
    snmp->setActiveDevice(uniqueId);
}

SnmpPsuDevice::~SnmpPsuDevice()
{
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    snmp->setActiveDevice(QString());
    snmp->removeDevice(m_uniqueId);
}

void SnmpPsuDevice::setMonitoredProperties(const QStringList &names)
{
    m_monitored.clear();
    for (const QString &name : names)
        if (AbstractProperty *property = m_properties.value(name))
            m_monitored.append(property);
}

void SnmpPsuDevice::refresh(const QString &uniqueId)
{
    if (uniqueId != m_uniqueId)
        return;
    TLinkSNMPIf *snmp = TLinkSNMPIf::instance();
    for (auto it = m_properties.constBegin(); it != m_properties.constEnd(); ++it) {
        const snmp_property_t record = snmp->getProperty(m_uniqueId, it.key());
        if (record.valueValid) {
            it.value()->setValue(record.value);
            it.value()->setValid(true);
        }
    }
    emit updated();
}

void SnmpPsuDevice::writeDone(const snmp_req_list_t &answer)
{
    if (answer.uniqueId == m_uniqueId)
        emit updatedConfigProperties(answer.result);
}
