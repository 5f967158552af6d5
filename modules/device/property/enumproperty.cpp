#include "enumproperty.h"

#include "enumvalue.h"

EnumProperty::EnumProperty(const QString &name, const QString &displayName, bool writable, int flagR, int flagW,
                           const QString &groupName, const QString &description, QObject *parent)
    : AbstractProperty(name, displayName, writable, flagR, flagW, groupName, description, parent)
{
    m_type = EnumType;
}

void EnumProperty::setValue(const QString &value)
{
    bool isNumber = false;
    m_number = value.toInt(&isNumber, 10);
    if (!isNumber) {
        m_value.clear();
        return;
    }
    if (const EnumValue *named = getEnumValue())
        m_value = named->getText(); // an unnamed number keeps the previous text
}

void EnumProperty::addEnumValue(int number, const QString &text)
{
    m_values.append(new EnumValue(number, text, this));
}

EnumValue *EnumProperty::getEnumValue() const
{
    for (EnumValue *value : m_values)
        if (value->getNumber() == m_number)
            return value;
    return nullptr;
}
