// The shared MIB tree behind the SNMP engine: devices that come and go leave
// the heap where it was, modules are read once and shared between models
// without mixing their objects, and a module that must come from another file
// (or two models that claim one object) gets a fresh tree.

#include "mibtree.h"
#include "snmphelper.h"
#include "snmplock.h"
#include "tlinkdevicecomm.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <malloc.h>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <functional>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// From AddressSanitizer's run-time (its header is not installed with GCC).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
extern "C" void __lsan_disable();
extern "C" void __lsan_enable();
#else
inline void __lsan_disable() {}
inline void __lsan_enable() {}
#endif

namespace {

// Bytes the program holds on the heap right now.
size_t liveHeapBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

void dropMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

QStringList recordNames(const QList<snmp_property_t> &records)
{
    QStringList names;
    for (const snmp_property_t &r : records)
        names << r.mibObjectName;
    return names;
}

QStringList groupNames(const QList<snmp_group_t> &groups)
{
    QStringList names;
    for (const snmp_group_t &g : groups)
        names << g.name;
    return names;
}

const snmp_property_t *findRecord(const QList<snmp_property_t> &records, const QString &name)
{
    for (const snmp_property_t &r : records)
        if (r.mibObjectName == name)
            return &r;
    return nullptr;
}

// A model module with one object under the test enterprise arc.
QByteArray modelMib(const QString &version, const QString &module, const QString &object, const QString &display)
{
    return QStringLiteral("-- Ver %1\n"
                          "%2 DEFINITIONS ::= BEGIN\n"
                          "IMPORTS\n"
                          "    OBJECT-TYPE, Integer32 FROM SNMPv2-SMI\n"
                          "    vantor FROM VANTOR-TEST-SMI;\n"
                          "%3 OBJECT-TYPE\n"
                          "    SYNTAX      Integer32\n"
                          "    MAX-ACCESS  read-only\n"
                          "    STATUS      current\n"
                          "    DESCRIPTION \"Value~D0R0W0S(%4)G(systemFolder)P1\"\n"
                          "    ::= { vantor 50 }\n"
                          "END\n")
        .arg(version, module, object, display)
        .toLatin1();
}

// Every node below and beside top, depth first, until visit returns true;
// the node it stopped at, or nullptr.
tree *findNode(tree *top, const std::function<bool(tree *)> &visit)
{
    std::vector<tree *> stack{top};
    while (!stack.empty()) {
        tree *node = stack.back();
        stack.pop_back();
        if (!node)
            continue;
        if (visit(node))
            return node;
        stack.push_back(node->next_peer);
        stack.push_back(node->child_list);
    }
    return nullptr;
}

// A node of the tree that only its own module holds and that has no children.
tree *leafOfOneModule(tree *top)
{
    return findNode(top, [](tree *node) {
        return !node->child_list && node->number_modules == 1 && node->module_list == &node->modid
               && node->modid >= 0;
    });
}

int countNodes(tree *top)
{
    int count = 0;
    findNode(top, [&count](tree *) { return ++count, false; });
    return count;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

} // namespace

class TestMibTree : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void addRemoveKeepsHeapFlat();
    void modelsShareTheTree();
    void otherOrChangedFileRebuilds();
    void clashingModelsRebuild();
    void treeKeptByTheLibraryIsReplaced();

private:
    // A folder with the test base modules, for model files of a test's own.
    bool makeFolder(QTemporaryDir &dir);
    TLinkDeviceComm *m_engine = nullptr;
};

void TestMibTree::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
    QCoreApplication::setApplicationName(QStringLiteral("ZEL"));
}

void TestMibTree::init()
{
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
    m_engine = new TLinkDeviceComm;
    m_engine->init();
    m_engine->stopTimer();
}

void TestMibTree::cleanup()
{
    for (const char *id : {"a", "b", "c", "old", "new"})
        m_engine->removeDevice(QString::fromLatin1(id));
    delete m_engine;
    m_engine = nullptr;
    QSettings().clear();
}

bool TestMibTree::makeFolder(QTemporaryDir &dir)
{
    const QString from = testsupport::fixture(QStringLiteral("snmp_mibs"));
    for (const char *name : {"SNMPv2-SMI.txt", "SNMPv2-CONF.txt", "SNMPv2-TC.txt", "vantor_decimal_SMIv2.mib"})
        if (!QFile::copy(from + "/" + name, dir.filePath(QString::fromLatin1(name))))
            return false;
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), dir.path());
    return true;
}

void TestMibTree::addRemoveKeepsHeapFlat()
{
    QtMessageHandler previous = qInstallMessageHandler(dropMessages); // one event line per device added
    // One device removed and added again, as one model or another.
    int round = 0;
    const auto cycle = [this, &round] {
        m_engine->addDevice("a", "127.0.0.1:1", ++round % 2 ? "4350" : "4411", "01.07", false);
        m_engine->removeDevice("a");
    };
    // Caches of Qt and the C library settle within the first few dozen rounds.
    for (int i = 0; i < 100; ++i)
        cycle();
    const size_t before = liveHeapBytes();
    for (int i = 0; i < 1000; ++i)
        cycle();
    const size_t after = liveHeapBytes();
    qInstallMessageHandler(previous);
    const qint64 growth = qint64(after) - qint64(before);
    QVERIFY2(growth < 64 * 1024, qPrintable(QStringLiteral("the heap grew by %1 bytes").arg(growth)));
}

void TestMibTree::modelsShareTheTree()
{
    m_engine->addDevice("a", "127.0.0.1:1", "4350", "01.07", false);
    const QStringList alone = recordNames(m_engine->getProperties("a"));
    QVERIFY(alone.contains("zk9xxxAduLifetime"));
    const int rebuilds = MibTree::rebuilds();

    m_engine->addDevice("b", "127.0.0.1:1", "4411", "01.07", false);
    m_engine->addDevice("c", "127.0.0.1:1", "4320", "01.07", false);
    m_engine->removeDevice("a");
    m_engine->addDevice("a", "127.0.0.1:1", "4350", "01.07", false);
    QCOMPARE(MibTree::rebuilds(), rebuilds);

    // Each device has its own model's objects and folders only.
    QCOMPARE(recordNames(m_engine->getProperties("a")), alone);
    const QStringList common{"vantorFolderSystem", "vantorFolderSoftware", "vantorFolderLogging",
                             "vantorFolderDiagnostics"};
    QCOMPARE(groupNames(m_engine->getPropertyGroups("c")), common);
    QCOMPARE(m_engine->getProperties("c").size(), 41);
    QCOMPARE(groupNames(m_engine->getPropertyGroups("b")), common + QStringList{"vantorFolderPowerSupply"});
    const QStringList b = recordNames(m_engine->getProperties("b"));
    QVERIFY(b.contains("zkZk441xSupplyBranch"));
    QVERIFY(!b.contains("zk9xxxAduLifetime"));
}

void TestMibTree::otherOrChangedFileRebuilds()
{
    QTemporaryDir dir;
    QVERIFY(makeFolder(dir));
    QVERIFY(writeFile(dir.filePath("verdev_a.mib"), modelMib("1.2", "VERDEV-MIB", "verOld", "Old")));
    QVERIFY(writeFile(dir.filePath("verdev_b.mib"), modelMib("1.10", "VERDEV-MIB", "verNew", "New")));

    m_engine->addDevice("old", "127.0.0.1:1", "VERDEV", "1.9", false);
    QCOMPARE(recordNames(m_engine->getProperties("old")).filter("ver"), QStringList{"verOld"});
    const int rebuilds = MibTree::rebuilds();

    // The same module from the newer file: the tree is built again.
    m_engine->addDevice("new", "127.0.0.1:1", "VERDEV", "1.10", false);
    QCOMPARE(recordNames(m_engine->getProperties("new")).filter("ver"), QStringList{"verNew"});
    QCOMPARE(MibTree::rebuilds(), rebuilds + 1);
    QCOMPARE(recordNames(m_engine->getProperties("old")).filter("ver"), QStringList{"verOld"});

    // A file changed on disk is read again.
    QVERIFY(writeFile(dir.filePath("verdev_b.mib"), modelMib("1.10", "VERDEV-MIB", "verChanged", "Changed")));
    m_engine->removeDevice("new");
    m_engine->addDevice("new", "127.0.0.1:1", "VERDEV", "1.10", false);
    QCOMPARE(recordNames(m_engine->getProperties("new")).filter("ver"), QStringList{"verChanged"});
}

void TestMibTree::clashingModelsRebuild()
{
    QTemporaryDir dir;
    QVERIFY(makeFolder(dir));
    QVERIFY(writeFile(dir.filePath("modela.mib"), modelMib("1.0", "MODELA-MIB", "sharedValue", "From A")));
    QVERIFY(writeFile(dir.filePath("modelb.mib"), modelMib("1.0", "MODELB-MIB", "sharedValue", "From B")));

    m_engine->addDevice("a", "127.0.0.1:1", "MODELA", "1.0", false);
    m_engine->addDevice("b", "127.0.0.1:1", "MODELB", "1.0", false);
    const QList<snmp_property_t> aRecords = m_engine->getProperties("a");
    const QList<snmp_property_t> bRecords = m_engine->getProperties("b");
    const snmp_property_t *a = findRecord(aRecords, "sharedValue");
    const snmp_property_t *b = findRecord(bRecords, "sharedValue");
    QVERIFY(a && b);
    QCOMPARE(a->displayName, QStringLiteral("From A"));
    QCOMPARE(b->displayName, QStringLiteral("From B"));
    QCOMPARE(bRecords.size(), aRecords.size());
}

void TestMibTree::treeKeptByTheLibraryIsReplaced()
{
    // The tree this case abandons is built while the leak checker looks
    // away: dropping it unread is the point.
    __lsan_disable();
    {
        QMutexLocker locker(&snmpLock());
        MibTree::clear();
    }
    m_engine->addDevice("a", "127.0.0.1:1", "4350", "01.07", false);
    __lsan_enable();
    const int loaded = m_engine->getProperties("a").size();
    QVERIFY(loaded > 0);
    {
        QMutexLocker locker(&snmpLock());
        // A node held by a module the library does not know, as a broken
        // module can leave behind: unloading keeps it and its ancestors and
        // frees the tops beside them.
        tree *leaf = leafOfOneModule(MibTree::root());
        QVERIFY(leaf);
        leaf->modid = 4242;
        QTest::ignoreMessage(QtWarningMsg, "MibTree: the MIB library kept part of the old tree; starting a new one");
        MibTree::clear();
        // A fresh tree of the three tops, not the remains.
        QCOMPARE(countNodes(MibTree::root()), 3);
    }
    m_engine->addDevice("b", "127.0.0.1:1", "4350", "01.07", false);
    QCOMPARE(m_engine->getProperties("b").size(), loaded);
    QMutexLocker locker(&snmpLock());
    QVERIFY(countNodes(MibTree::root()) > loaded);
}

QTEST_GUILESS_MAIN(TestMibTree)
#include "tst_mibtree.moc"
