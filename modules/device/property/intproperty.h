#pragma once
// IntProperty: an integer value with its range.

#include "abstractproperty.h"

class IntProperty : public AbstractProperty
{
public:
    IntProperty(const QString &name, const QString &displayName, bool writable, int flagR, int flagW,
                const QString &groupName, const QString &description, int maximum, int minimum,
                const QString &extraText, QObject *parent = nullptr);

    void setValue(const QString &value) override;

    int getIntValue() const { return m_intValue; }
    int getMaximum() const { return m_maximum; }
    int getMinimum() const { return m_minimum; }
    QString getExtraText() const { return m_extraText; }

private:
    int m_intValue = 0;
    int m_maximum = 0;
    int m_minimum = 0;
    QString m_extraText;
};
