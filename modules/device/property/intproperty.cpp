#include "intproperty.h"

IntProperty::IntProperty(const QString &name, const QString &displayName, bool writable, int flagR, int flagW,
                         const QString &groupName, const QString &description, int maximum, int minimum,
                         const QString &extraText, QObject *parent)
    : AbstractProperty(name, displayName, writable, flagR, flagW, groupName, description, parent)
    , m_maximum(maximum)
    , m_minimum(minimum)
    , m_extraText(extraText)
{
    m_type = IntType;
}

void IntProperty::setValue(const QString &value)
{
    m_value = value;
    m_intValue = value.toInt(nullptr, 10); // 0 when the text is no number
}
