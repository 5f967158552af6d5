#pragma once
// One property group of a device: a child of the MIB's property folder node.

#include <QString>

struct snmp_group_t
{
    QString name;        // folder node's name
    QString displayName; // S flag
    bool flagF = true;   // false only when an F flag other than "1" is present
    qint32 flagR = 0;
    qint32 position = 0; // P flag; groups are ordered highest first
};
