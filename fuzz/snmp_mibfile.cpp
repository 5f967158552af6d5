// Device MIB files of any content, read the way a device's MIB is loaded:
// the shared tree's loader reads them beside the base modules, and the
// project's tree walk turns the tree into property folders and records.
// The input holds one or two modules, split at a line "==": the first is
// loaded, then the second (another model's module, which may clash with the
// first and make the tree be rebuilt), then the first again from the tree.
#include "fuzzapp.h"
#include "mibtree.h"
#include "snmpdevice.h"
#include "snmplock.h"
#include "tlinkdevicecomm.h"

#include <QFile>
#include <QMutexLocker>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

const char *const BaseModules[] = {"SNMPv2-SMI.txt", "SNMPv2-CONF.txt", "SNMPv2-TC.txt", "vantor_decimal_SMIv2.mib"};

// The folder the loader reads from: the base modules and the fuzzed files.
const QString &folder()
{
    static const QString path = [] {
        ensureNetSnmpStarted();
        snmp_disable_log();
        netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_WARNINGS, 0);
        const QString dir = fuzzapp::scratch().filePath(QStringLiteral("mibs"));
        QDir().mkpath(dir);
        for (const char *name : BaseModules)
            QFile::copy(QStringLiteral(ZEL_MIB_DIR "/") + name, dir + '/' + name);
        return dir;
    }();
    return path;
}

bool writeFile(const QString &path, const uint8_t *data, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    return true;
}

// What the engine does with a device's MIB set: load it and walk the tree.
void loadAndWalk(const QString &file)
{
    QStringList files;
    for (const char *name : BaseModules)
        files << folder() + '/' + name;
    files << file;
    const QVector<int> modules = MibTree::load(folder(), files);
    snmp_device_t device;
    if (tree *groups = find_tree_node("vantorPropertyFolders", -1)) {
        for (tree *child = groups->child_list; child; child = child->next_peer)
            if (MibTree::belongsTo(child, modules))
                device.groups.append(TLinkDeviceComm::buildGroup(child));
    }
    tree *root = MibTree::root();
    if (root && root->child_list) {
        const quint32 start[] = {1, static_cast<quint32>(root->child_list->subid)};
        TLinkDeviceComm::buildPropertyFolders(&device, root->child_list, start, 2, false, modules);
    }
    for (const snmp_property_t &record : device.properties)
        delete TLinkDeviceComm::buildRequest(record, QStringLiteral("1"));
    if (qEnvironmentVariableIsSet("ZEL_FUZZ_VERBOSE"))
        fprintf(stderr, "%s: modules %d groups %d properties %d\n", qPrintable(MibTree::moduleName(file)),
                int(modules.size()), int(device.groups.size()), int(device.properties.size()));
}

} // namespace

// Net-SNMP is built without frame pointers: only the slow unwinder follows a
// leak's stack out of the library to the parser function that
// fuzz/lsan-suppressions.txt names.
extern "C" const char *__asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzapp::app();
    QMutexLocker locker(&snmpLock());
    // Fresh names each time: a module read before from another file makes
    // the loader start again from an empty tree, as for a changed file.
    static unsigned run = 0;
    ++run;
    const QString first = folder() + QStringLiteral("/%1-a.mib").arg(run);
    const QString second = folder() + QStringLiteral("/%1-b.mib").arg(run);

    static const char separator[] = "\n==\n";
    const auto *cut = static_cast<const uint8_t *>(memmem(data, size, separator, sizeof separator - 1));
    const size_t firstSize = cut ? size_t(cut - data) : size;
    if (!writeFile(first, data, firstSize))
        return 0;
    loadAndWalk(first);
    if (cut) {
        const size_t skip = firstSize + sizeof separator - 1;
        if (writeFile(second, data + skip, size - skip)) {
            loadAndWalk(second);
            loadAndWalk(first);
        }
    }
    QFile::remove(first);
    QFile::remove(second);
    return 0;
}
