#pragma once
// The objects a simulated device serves, read from the shipped MIB files
// with Net-SNMP's parser, so that object identifiers live only there.

#include <QList>
#include <QPair>
#include <QString>
#include <QVector>

struct MibObject
{
    QString name;
    QVector<quint32> oid;           // without the instance sub-identifier
    int mibType = 0;                // Net-SNMP parser type code (TYPE_*)
    bool writable = false;
    QList<int> enumValues;          // named numbers, empty when none
    QList<QPair<qint64, qint64>> ranges; // value ranges, or size ranges of strings
    bool column = false;            // a readable column of a table, served for rows TableRows
};

class MibCatalog
{
public:
    // The rows (integer INDEX values) every table is served with.
    static constexpr quint32 TableRows[] = {1, 2};

    // The model's module among the folder's "*.mib" files whose first
    // DEFINITIONS line names the model: the newest one, by its "-- Ver"
    // comment, not newer than swVersion, else the oldest. Empty when no
    // file names the model.
    static QString findModelFile(const QString &folder, const QString &model, const QString &swVersion);

    // Loads the base modules and the model's module into Net-SNMP's tree
    // (Net-SNMP's MIB directory must be a folder without MIB files; the
    // files are loaded by path in import order)
    // and collects the scalar objects and readable table columns of the
    // system group and below the enterprise arc. Returns false with a reason when a file is missing.
    bool load(const QString &folder, const QString &model, const QString &swVersion, QString *error);

    const QList<MibObject> &objects() const { return m_objects; }
    const MibObject *find(const QString &name) const;
    // Object identifier of any node of the loaded tree, as ".1.3.6...";
    // empty when the tree has no node of that name.
    static QString oidText(const QString &name);

private:
    QList<MibObject> m_objects;
};
