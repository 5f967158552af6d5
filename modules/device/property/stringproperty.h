#pragma once
// StringProperty: a text value (also IP addresses and object identifiers).

#include "abstractproperty.h"

class StringProperty : public AbstractProperty
{
public:
    StringProperty(const QString &name, const QString &displayName, bool writable, int flagR, int flagW,
                   const QString &groupName, const QString &description, int extraNumber, QObject *parent = nullptr);

    int getExtraNumber() const { return m_extraNumber; }

private:
    int m_extraNumber = 0;
};
