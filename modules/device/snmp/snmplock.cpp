#include "snmplock.h"

#include <QMutexLocker>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdlib>

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
    setenv("MIBS", "", 1);
    netsnmp_set_mib_directory("no_such_folder");
    snmp_set_mib_parse_label(1);
    snmp_set_save_descriptions(1);
    init_snmp("snmpapp");
}
