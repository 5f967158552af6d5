// Fuzz target: the value texts of reply variables of every type, and the
// texts read from MIB files (flag blocks, display hints, names, versions).

#include "snmphelper.h"
#include "tlinkdevicecomm.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<int>(size));
    TLinkDeviceComm::parseDescriptionFlags(text);
    TLinkDeviceComm::decimalsFromHint(text);
    TLinkDeviceComm::wordsFromName(text);
    TLinkDeviceComm::formatDecimals(text, static_cast<int>(size % 4));
    TLinkDeviceComm::isVersionText(text);
    TLinkDeviceComm::compareVersions(text, QStringLiteral("1.2.3"));

    if (size == 0)
        return 0;
    // First byte: the reply's type; the rest: its value as the library stores it.
    netsnmp_variable_list var = {};
    var.type = data[0];
    std::vector<uint8_t> bytes(data + 1, data + size);
    long integer = 0;
    std::vector<oid> objid((bytes.size() + sizeof(oid) - 1) / sizeof(oid));
    switch (var.type) {
    case ASN_INTEGER:
    case ASN_TIMETICKS:
    case ASN_COUNTER:
    case ASN_GAUGE:
        if (!bytes.empty())
            memcpy(&integer, bytes.data(), std::min(bytes.size(), sizeof(integer)));
        var.val.integer = &integer;
        var.val_len = sizeof(integer);
        break;
    case ASN_OBJECT_ID:
        if (!bytes.empty())
            memcpy(objid.data(), bytes.data(), bytes.size());
        var.val.objid = objid.empty() ? nullptr : objid.data();
        var.val_len = objid.size() * sizeof(oid);
        break;
    default:
        var.val.string = bytes.empty() ? nullptr : bytes.data();
        var.val_len = bytes.size();
        break;
    }
    SNMPHelper::valueText(&var);
    return 0;
}
