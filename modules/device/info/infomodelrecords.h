#pragma once

#include <QList>
#include <QString>

// Records that the model list file supplies for a device model.

// One service a model offers: service-type id, protocol ("snmp", "http"),
// name (for SNMP the MIB object name) and application.
struct InfoServiceRecord
{
    int id = 0;
    QString protocol;
    QString name;
    QString app;
};

// Condition codes of the model list ("format" attribute).
enum InfoCondition {
    InfoCondAbsent = -1, // rule element absent or unknown keyword: never holds
    InfoCondEqual = 0,   // "=="
    InfoCondGreaterEqual = 1, // ">="
    InfoCondLess = 2,    // "<"
    InfoCondMask = 3,    // "mask": value and threshold both non-zero
    InfoCondInvMask = 4, // "inv_mask": value or threshold zero
    InfoCondText = 5,    // "text"
    InfoCondEnum = 6     // "enum": value equals threshold
};

// One level rule (ok, warn, degrad, error) of a status property.
struct InfoStatusRule
{
    QString text;
    int value = 0;
    int condition = InfoCondAbsent;
    // The model list has the rule element (its condition may still be an
    // unknown keyword).
    bool present = false;
};

// One status property of a model's device_status section.
struct InfoStatusProperty
{
    QString name;
    QString protocol = QStringLiteral("none");
    QString type = QStringLiteral("Integer32");
    QString valueNameText;
    int condition = InfoCondAbsent;
    QString valueObject;
    QString valueProtocol = QStringLiteral("none");
    QString valueType = QStringLiteral("Integer");
    QString description;
    int valueCondition = InfoCondAbsent;
    InfoStatusRule ok;
    InfoStatusRule warn;
    InfoStatusRule degrad;
    InfoStatusRule error;
};

typedef QList<InfoServiceRecord> InfoServiceList;
typedef QList<InfoStatusProperty> InfoStatusPropertyList;
