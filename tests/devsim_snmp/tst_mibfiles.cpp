// The MIB files the program ships: Net-SNMP's tools parse each of them
// cleanly, and the library, called the way the SNMP engine calls it,
// builds for every model a tree with the property folders and every
// object the program reads or writes, each of a type the request layer
// renders and with a flag block naming an existing folder.
#include "mibtree.h"
#include "testsupport.h"

#include <QtTest>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace {

const QString mibDir = QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs");

const QStringList commonObjects = {
    "sysDescr", "sysObjectID", "sysUpTime", "sysContact", "sysName", "sysLocation", "sysServices",
    "zkSystemConfigModelNumber", "zkSystemConfigSerialNumber", "zkSystemConfigHardwarePartNumber",
    "zkSystemConfigSoftwareVersion", "zkSystemConfigSoftwareBuildNumber", "zkSystemConfigSoftwareBuildId",
    "zkSystemConfigBootCodeVersion", "zkSystemConfigPosixTime", "zkSystemConfigISOTime",
    "zkSystemConfigAliasName", "zkSystemConfigSysName", "zkSystemConfigReset",
    "zkSoftwareDownloadProtocol", "zkSoftwareDownloadIpAddress", "zkSoftwareDownloadPortNumber",
    "zkSoftwareDownloadFileName", "zkSoftwareDownloadControl", "zkSoftwareDownloadStatus",
    "zkSoftwareDownloadErrorDescription", "zkSoftwareDownloadProgress",
    "zkDiagReportProtocol", "zkDiagReportIpAddress", "zkDiagReportPortNumber", "zkDiagReportFileName",
    "zkDiagReportControl", "zkDiagReportStatus",
    "zkLoggingCapability", "zkLoggingClientEnable", "zkLoggingClientDestinationIp",
    "zkLoggingClientDestinationPort", "zkLoggingClientEventSeverity", "zkLoggingClientEventDelivery",
    "zkLoggingClientTraceFilter", "zkLoggingClientTraceDelivery"};
const QStringList antennaObjects = {"zk9xxxAduMainPcbSerial", "zk9xxxAduLifetime"};
const QStringList psuObjects = {"zkZk441xMaxChargeCurrent", "zkZk441xMaxChargeVoltage", "zkZk441xFloatVoltage",
                                "zkZk441xMinVoltage", "zkZk441xMaxVoltage", "zkZk441xMinBatTemp",
                                "zkZk441xMaxBatTemp", "zkZk441xSupplyBranch"};
const QStringList commonFolders = {"vantorFolderSystem", "vantorFolderSoftware", "vantorFolderDiagnostics",
                                   "vantorFolderLogging"};

// Parser type codes of the value types the request layer renders:
// object identifier, octet string, integer, IpAddress, TimeTicks, Integer32.
const QList<int> renderedTypes = {TYPE_OBJID, TYPE_OCTETSTR, TYPE_INTEGER, TYPE_IPADDR, TYPE_TIMETICKS,
                                  TYPE_INTEGER32};

// The text after the single "~" of a DESCRIPTION; null when there is not
// exactly one.
QString flagBlock(const char *description)
{
    const QStringList parts = QString::fromLatin1(description ? description : "").split(QLatin1Char('~'));
    return parts.size() == 2 ? parts[1] : QString();
}

QString flagValue(const QString &block, QChar letter)
{
    const QRegularExpression flag(QStringLiteral("%1\\(([^)]*)\\)").arg(letter));
    return flag.match(block).captured(1);
}

} // namespace

class TestMibFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void snmptranslateParses_data();
    void snmptranslateParses();
    void engineLoadFindsObjects_data();
    void engineLoadFindsObjects();
};

void TestMibFiles::initTestCase()
{
    QVERIFY2(QFile::exists(mibDir + "/vantor_decimal_SMIv2.mib"), qPrintable(mibDir));
    // Net-SNMP start-up as the SNMP engine does it: no configuration, no
    // folder to read modules from by name, descriptions kept.
    qputenv("SNMP_PERSISTENT_DIR", QDir::tempPath().toLocal8Bit());
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    qputenv("MIBS", "");
    netsnmp_set_mib_directory("no_such_folder");
    snmp_set_mib_parse_label(1);
    snmp_set_save_descriptions(1);
    init_snmp("snmpapp");
}

void TestMibFiles::snmptranslateParses_data()
{
    QTest::addColumn<QString>("file");
    const QStringList files = QDir(mibDir).entryList({"*.txt", "*.mib"}, QDir::Files);
    QVERIFY(files.contains("SNMPv2-SMI.txt") && files.contains("vantor_decimal_SMIv2.mib"));
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << file;
}

void TestMibFiles::snmptranslateParses()
{
    QFETCH(QString, file);
    if (!testsupport::haveProgram("snmptranslate"))
        QSKIP("snmptranslate (package snmp) is not installed");
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MIBS", "");
    env.insert("SNMP_PERSISTENT_DIR", QDir::tempPath());
    tool.setProcessEnvironment(env);
    // -PW: detailed warnings; -Tp prints the module's whole tree.
    tool.start("snmptranslate", {"-M", mibDir, "-m", mibDir + "/" + file, "-PW", "-Tp"});
    QVERIFY(tool.waitForFinished(10000));
    QStringList problems;
    for (const QString &line : QString::fromLocal8Bit(tool.readAllStandardError()).split('\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith("Created directory"))
            problems << line;
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QCOMPARE(tool.exitCode(), 0);
}

void TestMibFiles::engineLoadFindsObjects_data()
{
    QTest::addColumn<QString>("modelFile");
    QTest::addColumn<QStringList>("objects");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("absent");
    QTest::newRow("4320") << "VANTOR-ZK4320-MIB.mib" << commonObjects << commonFolders
                          << antennaObjects + psuObjects;
    QTest::newRow("4330") << "VANTOR-ZK4330-MIB.mib" << commonObjects << commonFolders
                          << antennaObjects + psuObjects;
    QTest::newRow("4350") << "VANTOR-ZK4350-MIB.mib" << commonObjects + antennaObjects
                          << commonFolders + QStringList{"vantorFolderAntenna"} << psuObjects;
    QTest::newRow("4411") << "VANTOR-ZK4411-MIB.mib" << commonObjects + psuObjects
                          << commonFolders + QStringList{"vantorFolderPowerSupply"} << antennaObjects;
}

void TestMibFiles::engineLoadFindsObjects()
{
    QFETCH(QString, modelFile);
    QFETCH(QStringList, objects);
    QFETCH(QStringList, folders);
    QFETCH(QStringList, absent);

    MibTree::clear();
    for (const QString &file : {QStringLiteral("SNMPv2-SMI.txt"), QStringLiteral("SNMPv2-CONF.txt"),
                                QStringLiteral("SNMPv2-TC.txt"), QStringLiteral("vantor_decimal_SMIv2.mib"),
                                modelFile})
        QCOMPARE(add_mibfile(QString(mibDir + "/" + file).toLatin1().constData(), nullptr), 0);
    QVERIFY(read_all_mibs());

    struct tree *folderNode = find_tree_node("vantorPropertyFolders", -1);
    QVERIFY(folderNode);
    QStringList found;
    for (struct tree *child = folderNode->child_list; child; child = child->next_peer) {
        found << QString::fromLatin1(child->label);
        QVERIFY2(flagValue(flagBlock(child->description), 'S').size() > 0, child->label);
    }
    found.sort();
    folders.sort();
    QCOMPARE(found, folders);

    for (const QString &name : qAsConst(objects)) {
        struct tree *node = find_tree_node(name.toLatin1().constData(), -1);
        QVERIFY2(node, qPrintable(name));
        QVERIFY2(!node->child_list, qPrintable(name));
        QVERIFY2(renderedTypes.contains(node->type), qPrintable(name));
        QVERIFY2(node->access == MIB_ACCESS_READONLY || node->access == MIB_ACCESS_READWRITE, qPrintable(name));
        const QString block = flagBlock(node->description);
        QVERIFY2(!block.isEmpty(), qPrintable(name + ": no single ~ flag block"));
        QVERIFY2(folders.contains(flagValue(block, 'G')), qPrintable(name + ": G names no folder"));
        QVERIFY2(!flagValue(block, 'S').isEmpty(), qPrintable(name + ": no display name"));
    }
    for (const QString &name : qAsConst(absent))
        QVERIFY2(!find_tree_node(name.toLatin1().constData(), -1), qPrintable(name));
}

QTEST_GUILESS_MAIN(TestMibFiles)
#include "tst_mibfiles.moc"
