#include "abstractproperty.h"

#include <QDebug>

AbstractProperty::AbstractProperty(const QString &name, const QString &displayName, bool writable, int flagR,
                                   int flagW, const QString &groupName, const QString &description, QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_displayName(displayName)
    , m_writable(writable)
    , m_flagR(flagR)
    , m_flagW(flagW)
    , m_groupName(groupName)
    , m_description(description)
{
}

void AbstractProperty::setValue(const QString &value)
{
    m_value = value;
}

bool AbstractProperty::writeValue(const QString &value)
{
    if (!m_writable) {
        qWarning().noquote() << "AbstractProperty::writeValue:" << "Refused attemption of writing a read-only property!";
        return false;
    }
    emit setValueRequest(value);
    return true;
}
