#pragma once
// PropertyGroup: a named group of a device's properties, built from the SNMP
// engine's records. The properties are the group's Qt children.

#include "snmpproperty.h"

#include <QList>
#include <QObject>
#include <QString>

class AbstractProperty;

class PropertyGroup : public QObject
{
public:
    PropertyGroup(const QString &name, const QString &displayName, int flagF, int flagR, QObject *parent = nullptr);

    QString getName() const { return m_name; }
    QString getDisplayName() const { return m_displayName; }
    int getFlagF() const { return m_flagF; }
    int getFlagR() const { return m_flagR; }
    QList<AbstractProperty *> getProperties() const { return m_properties; }

    AbstractProperty *getProperty(int index) const;
    int findProperty(const QString &name) const;
    // Builds the property of a record (once per name) and connects its
    // setValueRequest(QString) to receiver's member.
    void createProperty(const snmp_property_t &record, const QObject *receiver, const char *member);
    void disconnectSetValueRequest(AbstractProperty *property, const QObject *receiver, const char *member);

private:
    QString m_name;
    QString m_displayName;
    int m_flagF;
    int m_flagR;
    QList<AbstractProperty *> m_properties;
};
