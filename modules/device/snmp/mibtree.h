#pragma once
// MibTree: Net-SNMP's process-wide MIB tree, set up once with the library.
// Each module file is read once and then shared by every device whose MIB
// set names it, so devices that come and go cost no memory. The tree is
// rebuilt from its empty roots only when the modules it holds cannot serve
// the set asked for: another MIB folder, another file (or a changed one) for
// a module already read, or a new module that redefines objects of another
// model's module. Every call must hold snmpLock().

#include <QString>
#include <QStringList>
#include <QVector>

struct tree;

class MibTree
{
public:
    // Makes the modules of files (all in folder) present in the tree and
    // returns the ids of the modules read from those files. Net-SNMP reports
    // missing files and parse errors by its own means.
    static QVector<int> load(const QString &folder, const QStringList &files);
    // The first of the tree's top nodes.
    static tree *root();
    // True when node was defined by one of modules (every node when modules is empty).
    static bool belongsTo(const tree *node, const QVector<int> &modules);
    // The module a MIB file defines: the name in front of its DEFINITIONS
    // line; empty when the file cannot be read or has none.
    static QString moduleName(const QString &path);
    // How often the tree was emptied and rebuilt since the program started.
    static int rebuilds();
    // Empties the tree back to its roots, freeing every module read.
    static void clear();
};
