#pragma once
// For tests against SNMP agents that are silent for a while.

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

// While it lives, every SNMP request gets one try of one second, so a silent
// device costs little time. Only for steps that expect no answer: a device
// that answers may well take longer than that on a loaded machine.
class QuickSnmpTries
{
public:
    QuickSnmpTries()
        : m_retries(netsnmp_ds_get_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_RETRIES)),
          m_timeout(netsnmp_ds_get_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_TIMEOUT))
    {
        netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_RETRIES, 0);
        netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_TIMEOUT, 1);
    }
    ~QuickSnmpTries()
    {
        netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_RETRIES, m_retries);
        netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_TIMEOUT, m_timeout);
    }
    QuickSnmpTries(const QuickSnmpTries &) = delete;
    QuickSnmpTries &operator=(const QuickSnmpTries &) = delete;

private:
    int m_retries;
    int m_timeout;
};
