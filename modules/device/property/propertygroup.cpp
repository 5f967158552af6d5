#include "propertygroup.h"

#include "abstractproperty.h"
#include "enumproperty.h"
#include "intproperty.h"
#include "stringproperty.h"

#include <QDebug>

PropertyGroup::PropertyGroup(const QString &name, const QString &displayName, int flagF, int flagR, QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_displayName(displayName)
    , m_flagF(flagF)
    , m_flagR(flagR)
{
}

AbstractProperty *PropertyGroup::getProperty(int index) const
{
    if (index < 0 || index >= m_properties.size()) {
        qDebug().noquote() << "PropertyGroup::getProperty" << ": QList index error: (ix: " << index << ", size: "
                           << m_properties.size() << ")";
        return nullptr;
    }
    return m_properties.at(index);
}

int PropertyGroup::findProperty(const QString &name) const
{
    for (int i = 0; i < m_properties.size(); ++i)
        if (m_properties.at(i)->getName() == name)
            return i;
    return -1;
}

void PropertyGroup::createProperty(const snmp_property_t &record, const QObject *receiver, const char *member)
{
    if (findProperty(record.mibObjectName) >= 0)
        return;
    AbstractProperty *property = nullptr;
    const bool writable = record.writable;
    switch (record.kind) {
    case 1:
        property = new IntProperty(record.mibObjectName, record.displayName, writable, record.flagR, record.flagW,
                                   record.groupName, record.description, record.rangeHigh, record.rangeLow,
                                   record.extraText, this);
        break;
    case 2:
    case 4:
        property = new StringProperty(record.mibObjectName, record.displayName, writable, record.flagR, record.flagW,
                                      record.groupName, record.description, record.extraNumber, this);
        break;
    case 3: {
        auto *enumeration = new EnumProperty(record.mibObjectName, record.displayName, writable, record.flagR,
                                             record.flagW, record.groupName, record.description, this);
        for (const auto &value : record.enumValues)
            enumeration->addEnumValue(value.first, value.second);
        property = enumeration;
        break;
    }
    default:
        property = new AbstractProperty(record.mibObjectName, record.displayName, writable, record.flagR,
                                        record.flagW, record.groupName, record.description, this);
        break;
    }
    m_properties.append(property);
    if (receiver && member)
        connect(property, SIGNAL(setValueRequest(QString)), receiver, member);
}

void PropertyGroup::disconnectSetValueRequest(AbstractProperty *property, const QObject *receiver, const char *member)
{
    if (!m_properties.contains(property))
        return;
    disconnect(property, SIGNAL(setValueRequest(QString)), receiver, member);
    m_properties.removeAll(property);
}
