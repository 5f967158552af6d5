// The device's property groups and properties: built from the SNMP engine's
// records, fed by its readings, list results and full refreshes, and written
// through the SNMP facade.

#include "tlinkdevice.h"

#include "abstractproperty.h"
#include "enumproperty.h"
#include "enumvalue.h"
#include "infoservice.h"
#include "intproperty.h"
#include "propertygroup.h"
#include "tlinksnmpif.h"

#include <QDebug>
#include <QTimer>

namespace {

const QString OrphanGroupName = QStringLiteral("orphanPropertyGroup");
const char *const SetPropertyMember = SLOT(setProperty(QString));

} // namespace

void TLinkDevice::initPropertyGroups(const QList<snmp_group_t> &groups)
{
    // The replaced groups' write requests no longer reach the device; the
    // groups go once control is back in the event loop, so that a caller
    // still inside one of their properties returns first.
    for (PropertyGroup *group : qAsConst(m_propertyGroups)) {
        const QList<AbstractProperty *> properties = group->getProperties();
        for (AbstractProperty *property : properties)
            group->disconnectSetValueRequest(property, this, SetPropertyMember);
        group->deleteLater();
    }
    m_propertyGroups.clear();
    m_monitoredProperties.clear();
    for (const snmp_group_t &record : groups)
        m_propertyGroups.append(new PropertyGroup(record.name, record.displayName, record.flagF, record.flagR, this));
    m_propertyGroups.append(new PropertyGroup(OrphanGroupName, QString(), 0, 1, this));
}

void TLinkDevice::initProperties(const QList<snmp_property_t> &records)
{
    if (m_propertyGroups.isEmpty())
        return;
    for (const snmp_property_t &record : records) {
        const int index = findPropertyGroupIndex(record.groupName);
        if (index != -1)
            m_propertyGroups.at(index)->createProperty(record, this, SetPropertyMember);
    }
    // The monitored list follows the rebuilt groups.
    setMonitoredProperties(m_monitoredNames);
}

int TLinkDevice::findPropertyGroupIndex(const QString &groupName) const
{
    int orphan = -1;
    for (int i = 0; i < m_propertyGroups.size(); ++i) {
        const QString name = m_propertyGroups.at(i)->getName();
        if (!name.isEmpty() && name == groupName)
            return i;
        if (name == OrphanGroupName)
            orphan = i;
    }
    return orphan;
}

bool TLinkDevice::propertyChangedBy(const AbstractProperty *property, const QString &valueText) const
{
    if (property->getType() == AbstractProperty::EnumType) {
        const EnumValue *current = static_cast<const EnumProperty *>(property)->getEnumValue();
        return !current || QString::number(current->getNumber()) != valueText;
    }
    return property->getValue() != valueText;
}

void TLinkDevice::propertyUpdated(const snmp_get_value_t &value)
{
    noteServiceProbe(value);
    if (!value.ok)
        return;

    struct ServiceByRead
    {
        Services_t bit;
        int type;
    };
    static const ServiceByRead services[] = {{ServiceSoftwareUpdate, 256}, {ServiceLiveLogging, 512},
                                             {ServiceDiagReport, 768},     {ServiceReboot, 1024},
                                             {ServiceDeviceStatus, 1792},  {ServiceConfiguration, 1808}};
    for (const ServiceByRead &service : services) {
        if (!(m_services & service.bit) && hasService(value.mibObjectName, service.type)) {
            addServiceBit(service.bit);
            emit updatedServiceList(m_services);
        }
    }

    bool changed = false;
    for (PropertyGroup *group : qAsConst(m_propertyGroups)) {
        const int index = group->findProperty(value.mibObjectName);
        if (index < 0)
            continue;
        AbstractProperty *property = group->getProperty(index);
        if (propertyChangedBy(property, value.value)) {
            property->setValue(value.value);
            changed = true;
        }
        property->setValid(true);
    }
    if (changed)
        emit updated(this);
    checkServiceStates();
}

void TLinkDevice::propertiesUpdated(const snmp_req_list_t &result)
{
    bool changed = false;
    if (result.result == 1) {
        for (const auto &item : result.items) {
            for (PropertyGroup *group : qAsConst(m_propertyGroups)) {
                const int index = group->findProperty(item.first);
                if (index >= 0)
                    group->getProperty(index)->setValue(item.second);
            }
        }
        changed = true;
    }

    bool emitted = false;
    switch (result.kind) {
    case 0:
        if (result.result == 1 || result.result == 2 || result.result == 4) {
            if (m_rebootMode == RebootRequested) {
                // A timed-out request (4) may never have reached the device.
                m_rebootSetAnswered = m_rebootSetAnswered || result.result != 4;
                m_rebootService->setState(1025, -1, QString());
                emit updated(this);
                emitted = true;
            }
        } else {
            postEvent(1024, QString(), 0);
            // The device refused the restart: the reboot is over, and a later
            // "not reset" reading must not pass for a finished restart.
            if (m_rebootMode == RebootRequested) {
                endReboot(-2);
                emit updated(this);
                emitted = true;
            }
        }
        break;
    case 1:
        if (result.result == 3) {
            postEvent(513, QString(), 0);
            emit updated(this);
            emitted = true;
        }
        break;
    case 2:
        if (result.result == 3) {
            postEvent(514, QString(), 0);
            emit updated(this);
            emitted = true;
        }
        break;
    case 4:
        emit updatedConfigProperties(result.result);
        break;
    default:
        break;
    }
    if (!emitted && changed)
        emit updated(this);
    checkServiceStates();
}

void TLinkDevice::allPropertiesUpdated(const QList<snmp_property_t> &records)
{
    bool changed = false;
    for (const snmp_property_t &record : records) {
        const int index = findPropertyGroupIndex(record.groupName);
        if (index == -1)
            continue;
        const QList<AbstractProperty *> properties = m_propertyGroups.at(index)->getProperties();
        for (AbstractProperty *property : properties) {
            if (property->getName() != record.mibObjectName)
                continue;
            if (propertyChangedBy(property, record.value)) {
                property->setValue(record.value);
                changed = true;
            }
            property->setValid(record.valueValid != 0);
            // The reset object is polled every cycle during a reboot: no
            // answer after the device took the request means it went down.
            if (m_rebootMode == RebootRequested && m_rebootSetAnswered && !record.valueValid
                && record.mibObjectName == QLatin1String("zkSystemConfigReset"))
                m_rebootSeenGone = true;
        }
    }
    // A silent agent is news for the device's viewers, and so is its return.
    const bool answering = TLinkSNMPIf::instance()->isDeviceAnswering(getUniqueId());
    if (answering != m_snmpAnswering) {
        m_snmpAnswering = answering;
        changed = true;
        if (m_statusTimer->isActive())
            updateDeviceStatus();
    }
    if (changed) {
        emit updated(this);
        checkServiceStates();
    }
}

void TLinkDevice::invalidateProperty(const QString &name)
{
    for (PropertyGroup *group : qAsConst(m_propertyGroups)) {
        const int index = group->findProperty(name);
        if (index >= 0)
            group->getProperty(index)->setValid(false);
    }
}

QList<PropertyGroup *> TLinkDevice::getPropertyGroups() const
{
    return m_propertyGroups;
}

QList<AbstractProperty *> TLinkDevice::getMonitoredProperties() const
{
    return m_monitoredProperties;
}

void TLinkDevice::setMonitoredProperties(const QStringList &names)
{
    m_monitoredNames = names;
    m_monitoredProperties.clear();
    for (const QString &name : names)
        if (AbstractProperty *property = findProperty(name))
            m_monitoredProperties.append(property);
}

void TLinkDevice::setProperty(const QString &value)
{
    const AbstractProperty *property = qobject_cast<const AbstractProperty *>(sender());
    if (!property) {
        qDebug().noquote() << "TLinkDevice::setProperty: no property asked for the write";
        return;
    }
    TLinkSNMPIf::instance()->setProperty(getUniqueId(), property->getName(), value);
}

void TLinkDevice::activateDevice(bool activate)
{
    TLinkSNMPIf::instance()->setActiveDevice(activate ? getUniqueId() : QString());
}

void TLinkDevice::setLiveLogPropertiesDynamic(bool dynamic)
{
    static const char *const names[] = {"zkLoggingClientDestinationIp", "zkLoggingClientDestinationPort",
                                        "zkLoggingClientEnable", "zkLoggingClientEventDelivery",
                                        "zkLoggingClientTraceDelivery"};
    for (const char *name : names)
        TLinkSNMPIf::instance()->setPropertyDynamic(getUniqueId(), QLatin1String(name), dynamic);
}

// ---- property access ---------------------------------------------------------------

AbstractProperty *TLinkDevice::findProperty(const QString &name) const
{
    for (PropertyGroup *group : m_propertyGroups) {
        const int index = group->findProperty(name);
        if (index >= 0)
            return group->getProperty(index);
    }
    return nullptr;
}

int TLinkDevice::readIntProperty(const QString &name, qint32 &value) const
{
    const AbstractProperty *property = findProperty(name);
    if (!property)
        return -1;
    if (!property->isValid())
        return 1;
    if (property->getType() == AbstractProperty::IntType)
        value = static_cast<const IntProperty *>(property)->getIntValue();
    else
        value = property->getValue().toInt();
    return 0;
}

int TLinkDevice::readStringProperty(const QString &name, QString &value) const
{
    const AbstractProperty *property = findProperty(name);
    if (!property)
        return -1;
    if (!property->isValid())
        return 1;
    value = property->getValue();
    return 0;
}

int TLinkDevice::readEnumProperty(const QString &name, EnumValue *&value) const
{
    const AbstractProperty *property = findProperty(name);
    if (!property || property->getType() != AbstractProperty::EnumType)
        return -1;
    if (!property->isValid())
        return 1;
    EnumValue *current = static_cast<const EnumProperty *>(property)->getEnumValue();
    if (!current)
        return -1;
    value = current;
    return 0;
}

int TLinkDevice::writeProperty(const QString &name, const QString &value)
{
    bool accepted = false;
    for (PropertyGroup *group : qAsConst(m_propertyGroups)) {
        const int index = group->findProperty(name);
        if (index >= 0 && group->getProperty(index)->writeValue(value))
            accepted = true;
    }
    return accepted ? 0 : -1;
}

int TLinkDevice::writeProperty(const QString &name, int value)
{
    return writeProperty(name, QString::number(value));
}
