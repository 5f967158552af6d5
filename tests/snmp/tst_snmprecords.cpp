// Property records: flag blocks, hints, names, version texts, MIB file
// choice, value texts by decimals, request records and the MIB walk.

#include "snmphelper.h"
#include "tlinkdevicecomm.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <deque>

typedef QList<QPair<QChar, QString>> Flags;
Q_DECLARE_METATYPE(Flags)

namespace {

// Hand-built MIB tree nodes; the strings live as long as the builder.
class TreeBuilder
{
public:
    tree *node(tree *parent, unsigned long subid, const char *label, int type = TYPE_OTHER,
               const char *description = nullptr, int access = 0)
    {
        m_labels.emplace_back(label);
        m_nodes.emplace_back();
        tree *n = &m_nodes.back();
        n->label = const_cast<char *>(m_labels.back().constData());
        n->subid = subid;
        n->type = type;
        n->access = access;
        if (description) {
            m_labels.emplace_back(description);
            n->description = const_cast<char *>(m_labels.back().constData());
        }
        n->parent = parent;
        if (parent) { // append as the last child
            tree *&last = m_lastChild[parent];
            (last ? last->next_peer : parent->child_list) = n;
            last = n;
        }
        return n;
    }

private:
    std::deque<QByteArray> m_labels;
    std::deque<tree> m_nodes;
    QHash<tree *, tree *> m_lastChild;
};

} // namespace

class TestSnmpRecords : public QObject
{
    Q_OBJECT
private slots:
    void flags_data();
    void flags();
    void decimalsFromHint_data();
    void decimalsFromHint();
    void wordsFromName();
    void versions_data();
    void versions();
    void findMibFiles_data();
    void findMibFiles();
    void formatDecimals_data();
    void formatDecimals();
    void buildRequest();
    void walkStopsAt128SubIdentifiers();
    void walkManySiblings();
    void latin1FlagTexts();
};

void TestSnmpRecords::flags_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<Flags>("flags");
    auto f = [](std::initializer_list<QPair<char, const char *>> list) {
        Flags out;
        for (const auto &p : list)
            out.append({QChar(QLatin1Char(p.first)), QString::fromLatin1(p.second)});
        return out;
    };
    QTest::newRow("full block") << "Text~D1R2W3P40S(Name)G(system)"
                                << f({{'D', "1"}, {'R', "2"}, {'W', "3"}, {'P', "40"}, {'S', "Name"}, {'G', "system"}});
    QTest::newRow("test block") << "~D0R0W0S(test val)G(test)"
                                << f({{'D', "0"}, {'R', "0"}, {'W', "0"}, {'S', "test val"}, {'G', "test"}});
    QTest::newRow("escaped parenthesis") << "~S(a\\)b)" << f({{'S', "a)b"}});
    QTest::newRow("unclosed") << "~S(abc" << f({{'S', "abc"}});
    QTest::newRow("backslash at end") << "~S(ab\\" << f({{'S', "ab"}});
    QTest::newRow("skipped characters") << "~x9D1" << f({{'D', "1"}});
    QTest::newRow("single letter") << "~D" << Flags();
    QTest::newRow("no tilde") << "D1S(x)" << Flags();
    QTest::newRow("two tildes") << "a~b~D1" << Flags();
    QTest::newRow("empty block") << "text~" << Flags();
    QTest::newRow("later flag kept in order") << "~P1P2" << f({{'P', "1"}, {'P', "2"}});
    QTest::newRow("empty parentheses") << "~S()D1" << f({{'S', ""}, {'D', "1"}});
}

void TestSnmpRecords::flags()
{
    QFETCH(QString, description);
    QFETCH(Flags, flags);
    QCOMPARE(TLinkDeviceComm::parseDescriptionFlags(description), flags);
}

void TestSnmpRecords::decimalsFromHint_data()
{
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("decimals");
    QTest::newRow("d-1") << "d-1" << 1;
    QTest::newRow("d-2") << "d-2" << 2;
    QTest::newRow("d-3") << "d-3" << 3;
    QTest::newRow("d-4") << "d-4" << 0;
    QTest::newRow("d") << "d" << 0;
    QTest::newRow("255a") << "255a" << 0;
    QTest::newRow("d-x") << "d-x" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestSnmpRecords::decimalsFromHint()
{
    QFETCH(QString, hint);
    QFETCH(int, decimals);
    QCOMPARE(TLinkDeviceComm::decimalsFromHint(hint), decimals);
}

void TestSnmpRecords::wordsFromName()
{
    QCOMPARE(TLinkDeviceComm::wordsFromName("notConnected"), QStringLiteral("not connected"));
    QCOMPARE(TLinkDeviceComm::wordsFromName("Off"), QStringLiteral("Off"));
    QCOMPARE(TLinkDeviceComm::wordsFromName("aBC"), QStringLiteral("a b c"));
}

void TestSnmpRecords::versions_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("compare"); // 0 a newer, 1 b newer, 2 equal
    QTest::addColumn<bool>("aIsVersion");
    QTest::newRow("more parts") << "1.2" << "1.2.0" << 1 << true;
    QTest::newRow("numeric parts") << "2.0" << "10.0" << 1 << true;
    QTest::newRow("equal") << "1.2" << "1.2" << 2 << true;
    QTest::newRow("newer minor") << "1.10" << "1.9" << 0 << true;
    QTest::newRow("leading zero") << "01.02" << "1.2" << 2 << true;
    QTest::newRow("letter") << "1.a" << "1.0" << 2 << false;
    QTest::newRow("trailing point") << "1." << "1.0" << 2 << false;
    QTest::newRow("empty") << "" << "1" << 1 << false;
}

void TestSnmpRecords::versions()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, compare);
    QFETCH(bool, aIsVersion);
    QCOMPARE(TLinkDeviceComm::compareVersions(a, b), compare);
    QCOMPARE(TLinkDeviceComm::isVersionText(a), aIsVersion);
}

void TestSnmpRecords::findMibFiles_data()
{
    QTest::addColumn<QStringList>("files"); // "name|version comment|DEFINITIONS line"
    QTest::addColumn<QString>("swVersion");
    QTest::addColumn<QString>("chosen");
    const QStringList two{"a.mib|-- Ver 1.2|M4320-MIB DEFINITIONS ::= BEGIN",
                          "b.mib|-- Ver 1.10 (build 7)|m4320-MIB DEFINITIONS ::= BEGIN",
                          "c.mib|-- Ver 9.0|M4330-MIB DEFINITIONS ::= BEGIN",
                          "d.txt|-- Ver 1.0|M4320-MIB DEFINITIONS ::= BEGIN"};
    QTest::newRow("older software gets the older file") << two << "1.9" << "a.mib";
    QTest::newRow("same version") << two << "1.10" << "b.mib";
    QTest::newRow("newer software") << two << "2.0" << "b.mib";
    QTest::newRow("software older than every file") << two << "1.1" << "";
    QTest::newRow("single newer candidate")
        << QStringList{"a.mib|-- Ver 3.0|M4320-MIB DEFINITIONS ::= BEGIN"} << "2.0" << "";
    QTest::newRow("no numeric version is dropped")
        << QStringList{"a.mib|-- Ver beta|M4320-MIB DEFINITIONS ::= BEGIN",
                       "b.mib|-- Ver 1.0|M4320-MIB DEFINITIONS ::= BEGIN"} << "5.0" << "b.mib";
    QTest::newRow("no numeric version, only candidate")
        << QStringList{"a.mib|-- no version here|M4320-MIB DEFINITIONS ::= BEGIN"} << "5.0" << "a.mib";
    QTest::newRow("no file for the model") << QStringList{"c.mib|-- Ver 1.0|M4330-MIB DEFINITIONS ::= BEGIN"}
                                           << "5.0" << "";
}

void TestSnmpRecords::findMibFiles()
{
    QFETCH(QStringList, files);
    QFETCH(QString, swVersion);
    QFETCH(QString, chosen);
    QTemporaryDir dir;
    for (const QString &spec : files) {
        const QStringList parts = spec.split(QLatin1Char('|'));
        QFile file(dir.filePath(parts.at(0)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write((parts.at(1) + "\n-- comment with M4320 is not a definition\n" + parts.at(2) + "\nEND\n").toUtf8());
    }
    const QString found = TLinkDeviceComm::findMibFiles(dir.path(), "M4320", swVersion);
    QCOMPARE(found, chosen.isEmpty() ? QString() : dir.path() + QLatin1Char('/') + chosen);
}

void TestSnmpRecords::formatDecimals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("stored");
    QTest::newRow("d0") << "123" << 0 << "123";
    QTest::newRow("d1 one digit") << "7" << 1 << "0.7";
    QTest::newRow("d1") << "250" << 1 << "25.0";
    QTest::newRow("d1 negative") << "-5" << 1 << "-.5";
    QTest::newRow("d1 empty") << "" << 1 << "";
    QTest::newRow("d2 one digit") << "5" << 2 << "0.05";
    QTest::newRow("d2") << "12345" << 2 << "123.45";
    QTest::newRow("d2 exact") << "45" << 2 << "0.45";
    QTest::newRow("d2 negative") << "-5" << 2 << "-0.05";
    QTest::newRow("d2 zero") << "0" << 2 << "0.00";
    QTest::newRow("d3") << "1234" << 3 << "1.234";
    QTest::newRow("d3 negative") << "-12345" << 3 << "-12.345";
    QTest::newRow("d3 not a number") << "none" << 3 << "none";
    QTest::newRow("d3 empty") << "" << 3 << "";
}

void TestSnmpRecords::formatDecimals()
{
    QFETCH(QString, text);
    QFETCH(int, decimals);
    QFETCH(QString, stored);
    QCOMPARE(TLinkDeviceComm::formatDecimals(text, decimals), stored);
}

void TestSnmpRecords::buildRequest()
{
    snmp_property_t record;
    record.mibObjectName = QStringLiteral("x");
    record.oidLength = 3;
    record.oid[0] = 1;
    record.oid[1] = 3;
    record.oid[2] = 6;
    record.pollWhenActive = 1;
    const QList<QPair<int, int>> kinds{{1, ASN_INTEGER}, {2, ASN_OCTET_STR}, {3, ASN_INTEGER}, {4, ASN_IPADDRESS}, {0, 0}};
    for (const auto &kind : kinds) {
        record.kind = kind.first;
        std::unique_ptr<snmp_req_t> r(TLinkDeviceComm::buildRequest(record, "v"));
        QCOMPARE(int(r->type), kind.second);
        QCOMPARE(r->name, QStringLiteral("x"));
        QCOMPARE(SNMPHelper::oidToString(r->oid, r->oidLength), QStringLiteral(".1.3.6"));
        QCOMPARE(r->value, QStringLiteral("v"));
        QVERIFY(r->pollWhenActive && !r->dynamic && !r->done && r->index == 0);
    }
}

void TestSnmpRecords::walkStopsAt128SubIdentifiers()
{
    // org(3) holds a chain of nodes, each with a leaf (1) and the next link (2).
    TreeBuilder b;
    tree *org = b.node(nullptr, 3, "org");
    tree *link = org;
    for (int depth = 3; depth <= 140; ++depth) {
        b.node(link, 1, "leaf", TYPE_INTEGER, "~S(x)", 19);
        link = b.node(link, 2, "link");
    }
    snmp_device_t device;
    const quint32 start[] = {1, 3};
    TLinkDeviceComm::buildPropertyFolders(&device, org, start, 2, false);
    // Leaves deeper than 127 sub-identifiers cannot take their instance .0.
    QCOMPARE(device.properties.size(), 127 - 2);
    quint32 longest = 0;
    for (const snmp_property_t &r : device.properties) {
        longest = qMax(longest, r.oidLength);
        QCOMPARE(r.oid[r.oidLength - 1], 0u);
    }
    QCOMPARE(longest, quint32(SNMP_MAX_OID_LEN));
    QCOMPARE(SNMPHelper::oidToString(device.properties.first().oid, 4), QStringLiteral(".1.3.1.0"));
}

void TestSnmpRecords::walkManySiblings()
{
    TreeBuilder b;
    tree *folder = b.node(nullptr, 3, "org");
    tree *skipped = b.node(folder, 1, "vantorPropertyFolders");
    b.node(skipped, 1, "inFolder", TYPE_INTEGER, "~S(x)", 19);
    const int count = 100000;
    for (int i = 2; i < count + 2; ++i)
        b.node(folder, i, "leaf", TYPE_OCTETSTR, "~S(leaf)", 18);
    b.node(folder, count + 2, "notification", TYPE_NOTIFTYPE, "~S(x)");
    b.node(folder, count + 3, "noFlags", TYPE_INTEGER, "plain", 19);
    snmp_device_t device;
    const quint32 start[] = {1, 3};
    TLinkDeviceComm::buildPropertyFolders(&device, folder, start, 2, false);
    QCOMPARE(device.properties.size(), count);
    QCOMPARE(device.properties.last().oid[2], quint32(count + 1));
    QCOMPARE(device.properties.first().kind, 2);
    QVERIFY(!device.properties.first().writable);
}

void TestSnmpRecords::latin1FlagTexts()
{
    // MIB texts are Latin-1: a degree sign in a display or group name survives.
    TreeBuilder b;
    tree *org = b.node(nullptr, 3, "org");
    tree *folder = b.node(nullptr, 1, "folder", TYPE_OTHER, "~S(W\xe4rme)P2");
    b.node(org, 2, "temperature", TYPE_INTEGER, "~S(Temp \xb0" "C)G(K\xfc" "hlung)", 18);
    snmp_device_t device;
    const quint32 start[] = {1, 3};
    TLinkDeviceComm::buildPropertyFolders(&device, org, start, 2, false);
    QCOMPARE(device.properties.size(), 1);
    QCOMPARE(device.properties.first().displayName, QString::fromUtf8("Temp \u00b0C"));
    QCOMPARE(device.properties.first().groupName, QString::fromUtf8("K\u00fchlung"));
    const snmp_group_t group = TLinkDeviceComm::buildGroup(folder);
    QCOMPARE(group.displayName, QString::fromUtf8("W\u00e4rme"));
    QCOMPARE(group.position, 2);
}

QTEST_GUILESS_MAIN(TestSnmpRecords)
#include "tst_snmprecords.moc"
