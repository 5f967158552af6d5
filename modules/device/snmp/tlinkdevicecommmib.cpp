// TLinkDeviceComm: MIB file choice, flag blocks and the walk that turns a
// loaded MIB tree into property records.

#include "tlinkdevicecomm.h"

#include "mibtree.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdio>
#include <vector>

namespace {

const char TestFlags[] = "~D0R0W0S(test val)G(test)";
constexpr int AccessReadWrite = 19; // Net-SNMP's MIB_ACCESS_READWRITE

bool isUpperAscii(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The S and G texts come from the MIB as Latin-1. Qt 5 reads the source text
// of a translation as UTF-8, so hand it over in that form: a text without a
// translation then comes back unchanged ("°C" stays "°C").
QString translated(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return QCoreApplication::translate("QObject", utf8.constData());
}

quint32 versionPart(const QString &part)
{
    bool ok = false;
    const quint32 value = part.toUInt(&ok, 10);
    return ok ? value : 0;
}

} // namespace

// ---- MIB files -------------------------------------------------------------

int TLinkDeviceComm::compareVersions(const QString &a, const QString &b)
{
    if (a == b)
        return 2;
    const QStringList pa = a.split(QLatin1Char('.'));
    const QStringList pb = b.split(QLatin1Char('.'));
    const int common = qMin(pa.size(), pb.size());
    for (int i = 0; i < common; ++i) {
        const quint32 x = versionPart(pa.at(i));
        const quint32 y = versionPart(pb.at(i));
        if (x != y)
            return x > y ? 0 : 1;
    }
    if (pa.size() == pb.size())
        return 2;
    return pa.size() > pb.size() ? 0 : 1;
}

bool TLinkDeviceComm::isVersionText(const QString &s)
{
    const QStringList parts = s.split(QLatin1Char('.'));
    for (const QString &part : parts) {
        if (part.isEmpty())
            return false;
        for (const QChar c : part)
            if (!isAsciiDigit(c))
                return false;
    }
    return true;
}

QString TLinkDeviceComm::findMibFiles(const QString &folder, const QString &model, const QString &swVersion)
{
    struct Candidate
    {
        QString version;
        QString path;
    };
    QList<Candidate> candidates;
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.mib")}, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        const QString path = folder + QLatin1Char('/') + name;
        QFile file(path);
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
                    version = line.mid(at + 3).trimmed().split(QRegularExpression(QStringLiteral("\\s+"))).first();
            } else if (line.contains(QLatin1String("DEFINITIONS"))) {
                if (line.contains(model, Qt::CaseInsensitive))
                    candidates.append({version, path});
                break;
            }
        }
    }
    if (candidates.isEmpty())
        return QString();

    for (int i = 0;;) {
        if (candidates.size() == 1) {
            const Candidate &only = candidates.first();
            return compareVersions(only.version, swVersion) != 0 ? only.path : QString();
        }
        if (i >= candidates.size())
            break;
        if (!isVersionText(candidates.at(i).version))
            candidates.removeAt(i);
        else
            ++i;
    }
    for (int end = candidates.size(); end > 1; --end)
        for (int i = 0; i + 1 < end; ++i)
            if (compareVersions(candidates.at(i).version, candidates.at(i + 1).version) == 0)
                candidates.swapItemsAt(i, i + 1);
    QString chosen;
    for (const Candidate &c : qAsConst(candidates)) {
        if (compareVersions(c.version, swVersion) == 0)
            break;
        chosen = c.path;
    }
    return chosen;
}

// ---- flag blocks -------------------------------------------------------------

QList<QPair<QChar, QString>> TLinkDeviceComm::parseDescriptionFlags(const QString &description)
{
    QList<QPair<QChar, QString>> flags;
    if (!description.contains(QLatin1Char('~')))
        return flags;
    const QStringList parts = description.split(QLatin1Char('~'));
    if (parts.size() > 2)
        return flags;
    const QString s = parts.at(1);
    const int size = s.size();
    int i = 0;
    while (size - i >= 2) {
        const QChar key = s.at(i);
        if (!isUpperAscii(key)) {
            ++i;
            continue;
        }
        const QChar next = s.at(i + 1);
        if (isAsciiDigit(next)) {
            ++i;
            QString value;
            while (i < size && isAsciiDigit(s.at(i)))
                value += s.at(i++);
            flags.append({key, value});
        } else if (size - i >= 3 && next == QLatin1Char('(')) {
            i += 2;
            QString value;
            while (i < size) {
                const QChar c = s.at(i++);
                if (c == QLatin1Char(')'))
                    break;
                if (c == QLatin1Char('\\')) {
                    if (i < size)
                        value += s.at(i++);
                    continue;
                }
                value += c;
            }
            flags.append({key, value});
        } else {
            ++i;
        }
    }
    return flags;
}

int TLinkDeviceComm::decimalsFromHint(const QString &displayHint)
{
    if (!displayHint.startsWith(QLatin1String("d-")))
        return 0;
    bool ok = false;
    const int decimals = displayHint.mid(2).toInt(&ok, 10);
    return ok && decimals >= 1 && decimals <= 3 ? decimals : 0;
}

QString TLinkDeviceComm::wordsFromName(const QString &name)
{
    QString words;
    for (int i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (i > 0 && isUpperAscii(c))
            words += QLatin1Char(' ') + c.toLower();
        else
            words += c;
    }
    return words;
}

QString TLinkDeviceComm::formatDecimals(const QString &text, int decimals)
{
    if (decimals <= 0 || text.isEmpty())
        return text;
    if (decimals == 1) {
        if (text.size() == 1)
            return QStringLiteral("0.") + text;
        return text.left(text.size() - 1) + QLatin1Char('.') + text.right(1);
    }
    // d-2 and d-3 (RFC 2579): the integer shown with that many decimal places.
    bool ok = false;
    const qlonglong number = text.toLongLong(&ok, 10);
    if (!ok)
        return text;
    QString digits = QString::number(number < 0 ? -number : number);
    if (digits.size() <= decimals)
        digits = QString(decimals + 1 - digits.size(), QLatin1Char('0')) + digits;
    digits.insert(digits.size() - decimals, QLatin1Char('.'));
    return number < 0 ? QLatin1Char('-') + digits : digits;
}

// ---- records -------------------------------------------------------------------

snmp_group_t TLinkDeviceComm::buildGroup(const tree *node)
{
    snmp_group_t group;
    group.name = QString::fromLatin1(node->label);
    const auto flags = parseDescriptionFlags(QString::fromLatin1(node->description));
    for (const auto &flag : flags) {
        switch (flag.first.toLatin1()) {
        case 'S': group.displayName = translated(flag.second); break;
        case 'F': group.flagF = flag.second == QLatin1String("1"); break;
        case 'R': group.flagR = flag.second.toInt(); break;
        case 'P': group.position = flag.second.toInt(); break;
        default: break;
        }
    }
    return group;
}

snmp_req_t *TLinkDeviceComm::buildRequest(const snmp_property_t &record, const QString &value)
{
    auto *request = new snmp_req_t;
    request->name = record.mibObjectName;
    request->oidLength = qMin<quint32>(record.oidLength, SNMP_MAX_OID_LEN);
    for (quint32 i = 0; i < request->oidLength; ++i)
        request->oid[i] = record.oid[i];
    request->value = value;
    request->pollWhenActive = record.pollWhenActive;
    switch (record.kind) {
    case 1:
    case 3: request->type = ASN_INTEGER; break;
    case 2: request->type = ASN_OCTET_STR; break;
    case 4: request->type = ASN_IPADDRESS; break;
    default: request->type = 0; break; // never written (the request layer refuses it)
    }
    return request;
}

static void addLeaf(snmp_device_t *device, const tree *node, const quint32 *oid, quint32 length, bool test)
{
    if (node->type > TYPE_SIMPLE_LAST)
        return; // notifications, groups, compliance statements, identities
    const QString description = QString::fromLatin1(node->description);
    const auto flags = TLinkDeviceComm::parseDescriptionFlags(
        test && node->access > 0 ? QString::fromLatin1(TestFlags) : description);
    if (flags.isEmpty())
        return;

    snmp_property_t record;
    const QString name = QString::fromLatin1(node->label);
    for (quint32 i = 0; i < length; ++i)
        record.oid[i] = oid[i];
    record.oidLength = length;
    if (oid[length - 1] != 0) {
        const tree *parent = node->parent;
        if (parent && parent->indexes) {
            record.isTableColumn = 1;
            record.isIndex = parent->indexes->ilabel
                             && QString::fromLatin1(parent->indexes->ilabel).contains(name);
        } else if (length >= SNMP_MAX_OID_LEN) {
            qDebug().noquote() << "TLinkDeviceComm::buildPropertyFolders: object identifier of" << name
                               << "too long, object left out";
            return;
        } else {
            record.oid[record.oidLength++] = 0; // the scalar's instance
        }
    }
    record.mibObjectName = name;
    record.writable = node->access == AccessReadWrite;
    record.notAccessible = node->access == MIB_ACCESS_NOACCESS;
    record.description = description;
    record.decimals = TLinkDeviceComm::decimalsFromHint(QString::fromLatin1(node->hint));
    for (const auto &flag : flags) {
        switch (flag.first.toLatin1()) {
        case 'D': record.pollWhenActive = flag.second == QLatin1String("1"); break;
        case 'R': record.flagR = flag.second.toInt(); break;
        case 'W': record.flagW = flag.second.toInt(); break;
        case 'P': record.flagP = flag.second.toInt(); break;
        case 'S': record.displayName = translated(flag.second); break;
        case 'G': record.groupName = translated(flag.second); break;
        default: break;
        }
    }
    if (node->ranges) {
        record.rangeLow = node->ranges->low;
        record.rangeHigh = node->ranges->high;
    }
    switch (node->type) {
    case TYPE_OBJID:
    case TYPE_OCTETSTR:
        record.kind = 2;
        break;
    case TYPE_INTEGER:
    case TYPE_INTEGER32:
        record.kind = node->enums ? 3 : 1;
        for (const enum_list *e = node->enums; e; e = e->next)
            record.enumValues.append({e->value, TLinkDeviceComm::wordsFromName(QString::fromLatin1(e->label))});
        break;
    case TYPE_IPADDR:
        record.kind = 4;
        break;
    case TYPE_TIMETICKS:
        record.kind = 1;
        break;
    default:
        fprintf(stdout, "\nError: Unknown snmp type: %i, mib node name:%s\n", node->type, node->label);
        fflush(stdout);
        record.kind = 0;
        break;
    }
    device->properties.append(record);
}

void TLinkDeviceComm::buildPropertyFolders(snmp_device_t *device, tree *node, const quint32 *oid, quint32 length, bool test,
                                           const QVector<int> &modules)
{
    if (!device || !node || length == 0 || length > SNMP_MAX_OID_LEN)
        return;
    // Depth first, children before the following siblings; an explicit stack
    // keeps long sibling lists and deep trees off the call stack.
    quint32 path[SNMP_MAX_OID_LEN];
    for (quint32 i = 0; i < length; ++i)
        path[i] = oid[i];
    struct Frame
    {
        tree *node;
        quint32 depth; // sub-identifiers up to and including this node
    };
    std::vector<Frame> stack{{node, length}};
    while (!stack.empty()) {
        const Frame frame = stack.back();
        stack.pop_back();
        tree *current = frame.node;
        if (current->next_peer)
            stack.push_back({current->next_peer, frame.depth});
        path[frame.depth - 1] = static_cast<quint32>(current->subid);
        if (current->label && qstrcmp(current->label, "vantorPropertyFolders") == 0)
            continue;
        if (current->child_list) {
            if (frame.depth >= SNMP_MAX_OID_LEN) {
                qDebug().noquote() << "TLinkDeviceComm::buildPropertyFolders: subtree of"
                                   << QString::fromLatin1(current->label) << "deeper than" << SNMP_MAX_OID_LEN
                                   << "sub-identifiers, left out";
                continue;
            }
            stack.push_back({current->child_list, frame.depth + 1});
            continue;
        }
        if (MibTree::belongsTo(current, modules))
            addLeaf(device, current, path, frame.depth, test);
    }
}
