#include "stringproperty.h"

StringProperty::StringProperty(const QString &name, const QString &displayName, bool writable, int flagR, int flagW,
                               const QString &groupName, const QString &description, int extraNumber, QObject *parent)
    : AbstractProperty(name, displayName, writable, flagR, flagW, groupName, description, parent)
    , m_extraNumber(extraNumber)
{
    m_type = StringType;
}
