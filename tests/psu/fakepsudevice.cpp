#include "fakepsudevice.h"

#include "abstractproperty.h"
#include "mibobjectnames.h"

FakePsuDevice::FakePsuDevice(const QStringList &known, QObject *parent)
    : TPsuDevice(parent)
{
    for (const QString &name : known.isEmpty() ? psuPropertyNames : known)
        m_properties.insert(name, new AbstractProperty(name, name, true, 0, 0, QString(), QString(), this));
}

void FakePsuDevice::setMonitoredProperties(const QStringList &names)
{
    m_monitored.clear();
    for (const QString &name : names)
        if (AbstractProperty *property = m_properties.value(name))
            m_monitored.append(property);
}

void FakePsuDevice::setValue(const QString &name, const QString &value)
{
    if (AbstractProperty *property = m_properties.value(name)) {
        property->setValue(value);
        property->setValid(true);
    }
}
