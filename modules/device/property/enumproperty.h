#pragma once
// EnumProperty: a value out of a list of named numbers.

#include "abstractproperty.h"

#include <QList>

class EnumValue;

class EnumProperty : public AbstractProperty
{
public:
    EnumProperty(const QString &name, const QString &displayName, bool writable, int flagR, int flagW,
                 const QString &groupName, const QString &description, QObject *parent = nullptr);

    void setValue(const QString &value) override;

    void addEnumValue(int number, const QString &text);
    // The first value whose number is the current number; null when none.
    EnumValue *getEnumValue() const;
    QList<EnumValue *> getValues() const { return m_values; }
    int getNumber() const { return m_number; }

private:
    QList<EnumValue *> m_values;
    int m_number = -1;
};
