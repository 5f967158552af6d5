#include "mibcatalog.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace {

const char *const baseFiles[] = {"SNMPv2-SMI.txt", "SNMPv2-CONF.txt", "SNMPv2-TC.txt",
                                 "vantor_decimal_SMIv2.mib"};

// Numeric parts of a version text; non-numbers count as 0.
QList<uint> versionParts(const QString &text)
{
    QList<uint> parts;
    for (const QString &part : text.split(QLatin1Char('.')))
        parts << part.toUInt();
    return parts;
}

// -1: a older than b, 0 equal, 1 newer.
int compareVersions(const QString &a, const QString &b)
{
    const QList<uint> pa = versionParts(a), pb = versionParts(b);
    for (int i = 0; i < qMin(pa.size(), pb.size()); ++i) {
        if (pa[i] != pb[i])
            return pa[i] > pb[i] ? 1 : -1;
    }
    return pa.size() == pb.size() ? 0 : (pa.size() > pb.size() ? 1 : -1);
}

QVector<quint32> oidOf(struct tree *node)
{
    QVector<quint32> oid;
    for (struct tree *n = node; n; n = n->parent)
        oid.prepend(quint32(n->subid));
    return oid;
}

bool startsWith(const QVector<quint32> &oid, const QVector<quint32> &prefix)
{
    return oid.size() > prefix.size() && std::equal(prefix.begin(), prefix.end(), oid.begin());
}

} // namespace

QString MibCatalog::findModelFile(const QString &folder, const QString &model, const QString &swVersion)
{
    const QDir dir(folder);
    QString chosen, chosenVersion, oldest, oldestVersion;
    const QStringList files = dir.entryList({QStringLiteral("*.mib")}, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QTextStream in(&file);
        in.setCodec("UTF-8");
        QString version;
        while (!in.atEnd()) {
            const QString line = in.readLine();
            if (line.startsWith(QLatin1String("--"))) {
                const int at = line.indexOf(QLatin1String("Ver"));
                if (at >= 0)
                    version = line.mid(at + 3).trimmed().split(QRegularExpression(QStringLiteral("\\s+"))).value(0);
            } else if (line.contains(QLatin1String("DEFINITIONS"))) {
                if (!line.contains(model, Qt::CaseInsensitive))
                    break;
                if (compareVersions(version, swVersion) <= 0
                    && (chosen.isEmpty() || compareVersions(version, chosenVersion) > 0)) {
                    chosen = file.fileName();
                    chosenVersion = version;
                }
                if (oldest.isEmpty() || compareVersions(version, oldestVersion) < 0) {
                    oldest = file.fileName();
                    oldestVersion = version;
                }
                break;
            }
        }
    }
    // A device runs its model's objects whatever its version; the oldest
    // module stands in when every one is newer than its software.
    return chosen.isEmpty() ? oldest : chosen;
}

bool MibCatalog::load(const QString &folder, const QString &model, const QString &swVersion, QString *error)
{
    QStringList paths;
    for (const char *name : baseFiles)
        paths << QDir(folder).filePath(QString::fromLatin1(name));
    const QString modelFile = findModelFile(folder, model, swVersion);
    if (modelFile.isEmpty())
        qDebug() << "MibCatalog::load: no MIB module for model" << model << "software" << swVersion
                 << "in" << folder << "- serving the base objects only";
    else
        paths << modelFile;

    for (const QString &path : qAsConst(paths)) {
        if (!QFile::exists(path)) {
            *error = QStringLiteral("MIB file %1 is missing").arg(path);
            return false;
        }
        add_mibfile(QFile::encodeName(path).constData(), nullptr);
    }
    // Links the loaded modules into the tree. Net-SNMP's MIB directory must
    // not be the folder: read_all_mibs() would load every module there,
    // the other models' too.
    struct tree *root = read_all_mibs();

    const QVector<quint32> systemGroup{1, 3, 6, 1, 2, 1, 1};
    const QVector<quint32> enterprise{1, 3, 6, 1, 4, 1, 32473};
    m_objects.clear();
    // Depth-first over the whole tree; the stack holds nodes still to visit.
    QList<struct tree *> stack;
    for (struct tree *n = root; n; n = n->next_peer)
        stack << n;
    while (!stack.isEmpty()) {
        struct tree *node = stack.takeFirst();
        if (node->child_list) {
            QList<struct tree *> children;
            for (struct tree *c = node->child_list; c; c = c->next_peer)
                children << c;
            stack = children + stack;
            continue;
        }
        if (node->access != MIB_ACCESS_READONLY && node->access != MIB_ACCESS_READWRITE)
            continue;
        const QVector<quint32> oid = oidOf(node);
        if (!startsWith(oid, systemGroup) && !startsWith(oid, enterprise))
            continue;
        MibObject object;
        object.column = node->parent && node->parent->indexes;
        object.name = QString::fromLatin1(node->label);
        object.oid = oid;
        object.mibType = node->type;
        object.writable = node->access == MIB_ACCESS_READWRITE;
        for (struct enum_list *e = node->enums; e; e = e->next)
            object.enumValues << e->value;
        for (struct range_list *r = node->ranges; r; r = r->next)
            object.ranges << qMakePair(qint64(r->low), qint64(r->high));
        m_objects << object;
    }
    // Net-SNMP keeps the children of a node in no particular order; serve
    // (and list) them by object identifier.
    std::sort(m_objects.begin(), m_objects.end(),
              [](const MibObject &a, const MibObject &b) { return a.oid < b.oid; });
    return true;
}

const MibObject *MibCatalog::find(const QString &name) const
{
    for (const MibObject &object : m_objects) {
        if (object.name == name)
            return &object;
    }
    return nullptr;
}

QString MibCatalog::oidText(const QString &name)
{
    struct tree *node = find_tree_node(name.toLatin1().constData(), -1);
    if (!node)
        return QString();
    QString text;
    for (quint32 sub : oidOf(node))
        text += QLatin1Char('.') + QString::number(sub);
    return text;
}
