#include "mibtree.h"

#include "snmplock.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTextStream>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdlib>
#include <vector>

// Net-SNMP 5.9 keeps its textual conventions in a heap table that
// unload_all_mibs() empties but never frees, while
// netsnmp_init_mib_internals() allocates a new one each time: emptying and
// setting up the tree again loses the old table. Neither name is in the
// library's headers; they are weak so that a library that keeps the table in
// a fixed array (and has no tc_alloc) links and is left alone.
//
// tree_head, the library's root list, is not in its headers either.
extern "C" {
extern void *tclist __attribute__((weak));
extern int tc_alloc __attribute__((weak));
extern struct tree *tree_head __attribute__((weak));
}

namespace {

struct LoadedFile
{
    QString path;
    QDateTime modified;
    qint64 size = -1;

    bool operator==(const LoadedFile &other) const
    {
        return path == other.path && modified == other.modified && size == other.size;
    }
    bool operator!=(const LoadedFile &other) const { return !(*this == other); }
};

struct TreeState
{
    QString folder;                     // the folder of the files read since the last rebuild
    QHash<QString, LoadedFile> modules; // module name -> the file it was read from
    int rebuilds = 0;
};

TreeState &state()
{
    static TreeState s;
    return s;
}

LoadedFile stamp(const QString &path)
{
    const QFileInfo info(path);
    return {path, info.lastModified(), info.exists() ? info.size() : -1};
}

QVector<int> moduleIds(const QStringList &names)
{
    QVector<int> ids;
    for (const QString &name : names) {
        const int id = which_module(name.toLatin1().constData());
        if (id >= 0 && !ids.contains(id))
            ids.append(id);
    }
    return ids;
}

// True when a node defined by one of added is defined by a module outside
// ours as well: two models' modules claim the same object.
bool clashes(const QVector<int> &ours, const QVector<int> &added)
{
    std::vector<tree *> stack;
    if (tree *top = get_tree_head())
        stack.push_back(top);
    while (!stack.empty()) {
        tree *node = stack.back();
        stack.pop_back();
        if (node->next_peer)
            stack.push_back(node->next_peer);
        if (node->child_list)
            stack.push_back(node->child_list);
        if (node->number_modules < 2 || !node->module_list)
            continue;
        bool byAdded = false;
        bool byOther = false;
        for (int i = 0; i < node->number_modules; ++i) {
            const int id = node->module_list[i];
            byAdded = byAdded || added.contains(id);
            byOther = byOther || !ours.contains(id);
        }
        if (byAdded && byOther)
            return true;
    }
    return false;
}

} // namespace

QString MibTree::moduleName(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&file);
    in.setCodec("ISO-8859-1");
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1String("--")))
            continue;
        const int at = line.indexOf(QLatin1String("DEFINITIONS"));
        if (at < 0)
            continue;
        const QStringList words = line.left(at).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        return words.isEmpty() ? QString() : words.first();
    }
    return QString();
}

tree *MibTree::root()
{
    return get_tree_head();
}

bool MibTree::belongsTo(const tree *node, const QVector<int> &modules)
{
    if (modules.isEmpty())
        return true;
    if (!node->module_list || node->number_modules < 1)
        return modules.contains(node->modid);
    for (int i = 0; i < node->number_modules; ++i)
        if (modules.contains(node->module_list[i]))
            return true;
    return false;
}

int MibTree::rebuilds()
{
    return state().rebuilds;
}

void MibTree::clear()
{
    TreeState &s = state();
    unload_all_mibs();
    // unload_all_mibs() frees every node that no module holds any more and
    // leaves the root list empty. A broken module can leave a node behind
    // whose peers were freed; netsnmp_init_mib_internals() would then keep
    // that root list and every later walk would step into freed memory. What
    // is left is dropped unread (a small leak) and a fresh tree begun.
    if (&tree_head && tree_head) {
        qWarning("MibTree: the MIB library kept part of the old tree; starting a new one");
        tree_head = nullptr;
    }
    if (&tc_alloc && &tclist) {
        free(tclist);
        tclist = nullptr;
        tc_alloc = 0;
    }
    netsnmp_init_mib_internals();
    s.modules.clear();
    s.folder.clear();
    ++s.rebuilds;
}

QVector<int> MibTree::load(const QString &folder, const QStringList &files)
{
    ensureNetSnmpStarted();
    TreeState &s = state();

    struct Wanted
    {
        QString module;
        LoadedFile file;
    };
    QList<Wanted> wanted;
    QStringList names;
    for (const QString &path : files) {
        const QString module = moduleName(path);
        wanted.append({module, stamp(path)});
        if (!module.isEmpty())
            names.append(module);
    }

    bool stale = !s.modules.isEmpty() && s.folder != folder;
    for (const Wanted &w : qAsConst(wanted))
        if (!w.module.isEmpty() && s.modules.contains(w.module) && s.modules.value(w.module) != w.file)
            stale = true;

    for (int attempt = 0; attempt < 2; ++attempt) {
        if (stale)
            clear();
        s.folder = folder;
        QStringList added;
        bool read = stale;
        for (const Wanted &w : qAsConst(wanted)) {
            if (!w.module.isEmpty() && s.modules.contains(w.module))
                continue; // read before from this very file: shared
            add_mibfile(w.file.path.toLatin1().constData(), nullptr);
            read = read || w.file.size >= 0;
            if (!w.module.isEmpty()) {
                added.append(w.module);
                s.modules.insert(w.module, w.file);
            }
        }
        if (!read)
            return moduleIds(names);
        read_all_mibs();
        const QVector<int> ours = moduleIds(names);
        if (stale || !clashes(ours, moduleIds(added)))
            return ours;
        stale = true; // start again from an empty tree with only this set
    }
    return moduleIds(names);
}
