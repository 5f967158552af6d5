#include "snmplock.h"

#include <QMutexLocker>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdlib>

namespace {

// Net-SNMP takes the list of MIB modules to load from the environment. It is
// set here, while the program loads and before any thread runs, because
// changing the environment while other threads read it (getenv) can crash
// them; nothing changes it afterwards.
const bool environmentReady = [] {
    ::setenv("MIBS", "", 1);
    return true;
}();

} // namespace

QRecursiveMutex &snmpLock()
{
    static QRecursiveMutex mutex;
    return mutex;
}

void ensureNetSnmpStarted()
{
    static bool started = false;
    QMutexLocker locker(&snmpLock());
    if (started)
        return;
    started = true;
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    Q_UNUSED(environmentReady) // the environment was set before any thread started
    netsnmp_set_mib_directory("no_such_folder");
    snmp_set_mib_parse_label(1);
    snmp_set_save_descriptions(1);
    init_snmp("snmpapp");
}
