// A device's MIB file of any content, read the way a device's MIB is loaded:
// Net-SNMP reads it beside the base modules, and the project's tree walk
// turns the tree into property folders and records.
#include "fuzzapp.h"
#include "snmpdevice.h"
#include "snmplock.h"
#include "tlinkdevicecomm.h"

#include <QFile>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzapp::app();
    static const QString path = [] {
        ensureNetSnmpStarted();
        snmp_disable_log();
        netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_WARNINGS, 0);
        return fuzzapp::scratch().filePath(QStringLiteral("VANTOR-ZK9999-MIB.mib"));
    }();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    // As a device's MIB is loaded. Setting the internals up again after the
    // unload is needed (the tree is gone otherwise) and leaks the library's
    // previous bucket table: fuzz/lsan-suppressions.txt names that leak.
    unload_all_mibs();
    netsnmp_init_mib_internals();
    const QString folder = QStringLiteral(ZEL_MIB_DIR);
    for (const QString &name : {folder + "/SNMPv2-SMI.txt", folder + "/SNMPv2-CONF.txt", folder + "/SNMPv2-TC.txt",
                                folder + "/vantor_decimal_SMIv2.mib", path}) {
        const QByteArray latin1 = name.toLatin1();
        add_mibfile(latin1.constData(), nullptr);
    }
    tree *root = read_all_mibs();

    snmp_device_t device;
    if (tree *folders = find_tree_node("vantorPropertyFolders", -1)) {
        for (tree *child = folders->child_list; child; child = child->next_peer)
            device.groups.append(TLinkDeviceComm::buildGroup(child));
    }
    if (root && root->child_list) {
        const quint32 start[] = {1, static_cast<quint32>(root->child_list->subid)};
        TLinkDeviceComm::buildPropertyFolders(&device, root->child_list, start, 2, false);
    }
    for (const snmp_property_t &record : device.properties)
        delete TLinkDeviceComm::buildRequest(record, QStringLiteral("1"));
    if (qEnvironmentVariableIsSet("ZEL_FUZZ_VERBOSE"))
        fprintf(stderr, "groups %d properties %d\n", int(device.groups.size()), int(device.properties.size()));
    return 0;
}
