#pragma once
// The one lock that guards the SNMP engine's device list, the request
// layer's registrations and poll lists, and Net-SNMP's global MIB tree.
// It is never held while waiting for the network.

#include <QRecursiveMutex>

QRecursiveMutex &snmpLock();

// Starts Net-SNMP once per process (no configuration files, no default MIB
// folder, descriptions kept). Safe to call from any thread.
void ensureNetSnmpStarted();
