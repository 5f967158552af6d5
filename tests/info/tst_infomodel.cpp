// The model list and what a device takes from it: look-ups against a
// fixture, bad files, the shipped list, and the status evaluation.
#include "infodevice.h"
#include "infodevicemodelarray.h"
#include "infotestfiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestInfoModel : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void conditionCodes_data();
    void conditionCodes();
    void completeEntry();
    void servicesFollowTheFourDefaults();
    void statusProperties();
    void entryWithoutSections();
    void modelNameRules_data();
    void modelNameRules();
    void badFiles_data();
    void badFiles();
    void shippedModelList_data();
    void shippedModelList();
    void modelListLocation();
    void evaluateStatus_data();
    void evaluateStatus();

private:
    static void useFixture() { InfoDeviceModelArray::setModelListFile(infotest::fixture("info_modellist.xml")); }
};

void TestInfoModel::initTestCase()
{
    QCoreApplication::setOrganizationName("Vantor & Vantor");
    QCoreApplication::setApplicationName("ZEL");
}

void TestInfoModel::cleanup()
{
    InfoDeviceModelArray::setModelListFile(QString());
}

void TestInfoModel::conditionCodes_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<int>("code");
    QTest::newRow("==") << "==" << 0;
    QTest::newRow(">=") << ">=" << 1;
    QTest::newRow("<") << "<" << 2;
    QTest::newRow("mask") << "mask" << 3;
    QTest::newRow("inv_mask") << "inv_mask" << 4;
    QTest::newRow("text") << "text" << 5;
    QTest::newRow("enum") << "enum" << 6;
    QTest::newRow("other") << ">" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestInfoModel::conditionCodes()
{
    QFETCH(QString, keyword);
    QFETCH(int, code);
    QCOMPARE(InfoDeviceModelArray::conditionCode(keyword), code);
}

void TestInfoModel::completeEntry()
{
    useFixture();
    InfoDevice device(nullptr, "dev");
    device.initModelInfo("T1", "Test");
    QCOMPARE(device.getModelName(), QString("T1"));
    QCOMPARE(device.getVendor(), QString("Test"));
    QCOMPARE(device.getName(), QString("dev"));
    QCOMPARE(device.getModelId(), 7);
    QCOMPARE(device.getIconName(1), QString("i_device_t1_320x180"));
    QCOMPARE(device.getIconName(2), QString("i_device_t1_button_100x100"));
    QCOMPARE(device.getIconName(0), QString("i_device_t1_100x80"));
    QCOMPARE(device.getStartupTimeout(), 2);
    QCOMPARE(device.getProgressTimeout(), 3);
    QCOMPARE(device.getRebootTimeout(), 4);
    QCOMPARE(device.getTftpTimeout(), 0);
    QCOMPARE(device.getRebootOnComplete(), 1);
    QCOMPARE(device.getCertificateMethod(), QString("snmp"));
    QCOMPARE(device.getCertificateAttribute(), QString("1.3.6.1.4.1.32473.3.2.2.1.9.3."));
}

void TestInfoModel::servicesFollowTheFourDefaults()
{
    useFixture();
    InfoDevice device(nullptr, "dev");
    device.initModelInfo("T1", "Test");

    QStringList snmp;
    device.getServiceNames("snmp", snmp);
    QCOMPARE(snmp, QStringList({"zkSoftwareDownloadStatus", "zkLoggingClientEnable", "zkDiagReportStatus",
                                "zkSystemConfigReset", "zkStatusA"}));
    QStringList http;
    device.getServiceNames("http", http);
    // Decimal-looking "720" is hexadecimal too; a property without name adds nothing.
    QCOMPARE(http, QStringList({"/index.html", "/second.html"}));

    QCOMPARE(device.getModelServiceProtocol(0x700), QString("snmp"));
    QCOMPARE(device.getModelServiceName(1824), QString("/index.html"));
    QCOMPARE(device.getModelServiceApp(1824), QString("browser"));
    QCOMPARE(device.getModelServiceProtocol(1840), QString("none"));
    QCOMPARE(device.getModelServiceApp(1840), QString());
    QCOMPARE(device.getModelServiceName(1808), QString());
    QCOMPARE(device.getModelServiceProtocol(4711), QString());
    QVERIFY(device.hasService("zkSystemConfigReset", 1024));
    QVERIFY(device.hasService("/index.html", 1824));
    // Only the first record of an id counts.
    QVERIFY(!device.hasService("/second.html", 1824));
    QVERIFY(!device.hasService("zkNever", 1808));
}

void TestInfoModel::statusProperties()
{
    useFixture();
    InfoDevice device(nullptr, "dev");
    device.initModelInfo("T1", "Test");
    QCOMPARE(device.statusProperties().size(), 3);

    QStringList names;
    QCOMPARE(device.getSnmpStatusProperties(names), 2);
    QCOMPARE(names, QStringList({"zkStatusA", "zkNoObject"}));
    QStringList objects;
    QCOMPARE(device.getSnmpStatusObjectNames(objects), 1);
    QCOMPARE(objects, QStringList({"zkDetailA"}));

    QString type, format;
    int code = 99;
    QCOMPARE(device.getStatusProperty("zkStatusA", type, format, code), 0);
    QCOMPARE(type, QString("Integer"));
    QCOMPARE(format, QString("Status A"));
    QCOMPARE(code, 6);
    // Not read over SNMP, or unknown: no hit, outputs untouched.
    type = "x";
    QCOMPARE(device.getStatusProperty("zkLocal", type, format, code), -1);
    QCOMPARE(device.getStatusProperty("zkMissing", type, format, code), -1);
    QCOMPARE(type, QString("x"));
    QCOMPARE(device.getStatusProperty("zkNoObject", type, format, code), 2);
    QCOMPARE(type, QString("String"));
    QCOMPARE(format, QString("No object"));
    QCOMPARE(code, -1);

    QString object, valueType, description;
    QCOMPARE(device.getStatusPropertyAt(0, object, valueType, description, code), 0);
    QCOMPARE(object, QString("zkDetailA"));
    QCOMPARE(valueType, QString("String"));
    QCOMPARE(description, QString("detail"));
    QCOMPARE(code, 5);
    QCOMPARE(device.getStatusPropertyAt(1, object, valueType, description, code), 1);
    QCOMPARE(object, QString("zkLocalObject"));
    QCOMPARE(valueType, QString("Integer"));
    QCOMPARE(device.getStatusPropertyAt(2, object, valueType, description, code), -1);
    QCOMPARE(device.getStatusPropertyAt(-1, object, valueType, description, code), -1);
    QCOMPARE(device.getStatusPropertyAt(3, object, valueType, description, code), -1);

    // A "text" rule takes its element text, not the attribute.
    const InfoStatusProperty &warned = device.statusProperties().at(2);
    QCOMPARE(warned.warn.text, QString("attention"));
    QCOMPARE(warned.warn.condition, 5);
    QCOMPARE(warned.ok.condition, -1);
    QCOMPARE(warned.protocol, QString("snmp"));
    QCOMPARE(device.statusProperties().at(1).protocol, QString("none"));
    QCOMPARE(device.statusProperties().at(1).type, QString("Integer32"));
}

void TestInfoModel::entryWithoutSections()
{
    useFixture();
    InfoDevice device(nullptr, "dev");
    device.initModelInfo("T2", "Test");
    QCOMPARE(device.getModelId(), -1);
    QCOMPARE(device.getIconName(1), QString());
    QCOMPARE(device.getStartupTimeout(), -1);
    QCOMPARE(device.getRebootTimeout(), -1);
    QCOMPARE(device.getProgressTimeout(), -1);
    QCOMPARE(device.getTftpTimeout(), 1);
    QCOMPARE(device.getRebootOnComplete(), 0);
    QCOMPARE(device.getCertificateMethod(), QString("none"));
    QCOMPARE(device.getCertificateAttribute(), QString("none"));
    // The services placed before model_name are not read.
    QCOMPARE(device.serviceRecords().size(), 4);
    QVERIFY(device.statusProperties().isEmpty());

    // Records of an entry that is renamed after its sections are dropped.
    InfoDevice renamed(nullptr, "dev");
    renamed.initModelInfo("T3", "Test");
    QCOMPARE(renamed.serviceRecords().size(), 5);
    QCOMPARE(renamed.getModelServiceName(1792), QString("zkRight"));

    // An object that never reads the model list keeps the defaults.
    InfoDevice handler(nullptr, "Device Handler");
    QCOMPARE(handler.getModelId(), 0);
    QCOMPARE(handler.getIconName(2), QString());
    QCOMPARE(handler.getTftpTimeout(), 1);
    QVERIFY(handler.serviceRecords().isEmpty());
}

void TestInfoModel::modelNameRules_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("modelId");
    QTest::addColumn<QString>("icon");
    QTest::newRow("maker strips the name") << "AB9176" << "Vantor & Vantor" << 0 << 9 << "i_device_9176";
    QTest::newRow("maker, cut to four") << "XY91765" << "Vantor & Vantor" << 0 << 9 << "i_device_9176";
    QTest::newRow("other vendor keeps the name") << "AB9176" << "Test" << 1 << 0 << "i_device_x_unknown";
    QTest::newRow("cut to four characters") << "56789X" << "Test" << 0 << 10 << "i_device_x_unknown";
    QTest::newRow("vendor must match") << "T1" << "Other" << 1 << 0 << "i_device_x_unknown";
    QTest::newRow("unknown") << "4711" << "Test" << 1 << 0 << "i_device_x_unknown";
}

void TestInfoModel::modelNameRules()
{
    QFETCH(QString, model);
    QFETCH(QString, vendor);
    QFETCH(int, result);
    QFETCH(int, modelId);
    QFETCH(QString, icon);
    useFixture();
    InfoDeviceModelArray array;
    InfoDeviceModelArray::IconInfo info;
    QCOMPARE(array.getIconInfo(model, vendor, info), result);
    QCOMPARE(info.modelId, modelId);
    QCOMPARE(info.iconName, icon);
    if (result != 0) {
        QCOMPARE(info.modelName, model);
        QCOMPARE(info.vendor, vendor);
    }
}

void TestInfoModel::badFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("debugLine");
    const QString missing = infotest::fixture("info_no_such_file.xml");
    QTest::newRow("missing") << missing << "M1" << -1 << "^InfoDeviceModelArray::openFile: Error Modelinfo file open";
    QTest::newRow("folder") << infotest::fixture("") << "M1" << -1 << "^InfoDeviceModelArray::openFile: Error";
    QTest::newRow("entry before the error") << infotest::fixture("info_malformed.xml") << "M1" << 0 << "";
    QTest::newRow("entry at the error") << infotest::fixture("info_malformed.xml") << "M2" << 1
                                        << "^InfoDeviceModelArray::findModel: .*info_malformed.xml line 5";
    QTest::newRow("entry after the error") << infotest::fixture("info_malformed.xml") << "M3" << 1
                                           << "^InfoDeviceModelArray::findModel: ";
    QTest::newRow("not XML") << infotest::fixture("info_malformed.xml") + "-text" << "M1" << 1
                             << "^InfoDeviceModelArray::findModel: ";
}

void TestInfoModel::badFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, model);
    QFETCH(int, result);
    QFETCH(QString, debugLine);
    QTemporaryDir dir;
    if (file.endsWith("-text")) {
        file = dir.filePath("text.xml");
        QFile text(file);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("just some words\n\x01\x02");
    }
    InfoDeviceModelArray::setModelListFile(file);
    // Every look-up of the device reports the bad file.
    if (!debugLine.isEmpty()) {
        for (int i = 0; i < 5 * (result == 1 ? 2 : 1); ++i)
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression(debugLine));
    }
    InfoDevice device(nullptr, "dev");
    device.initModelInfo(model, "Test");
    InfoDeviceModelArray array;
    InfoDeviceModelArray::FirmwareUpgradeInfo firmware;
    if (!debugLine.isEmpty()) {
        for (int i = 0; i < (result == 1 ? 2 : 1); ++i)
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression(debugLine));
    }
    QCOMPARE(array.getFirmwareUpgradeInfo(model, "Test", firmware), result);
    QCOMPARE(firmware.startup, -1);

    if (result == 0) {
        QCOMPARE(device.getIconName(1), QString("i_device_m1_320x180"));
    } else {
        QCOMPARE(device.getModelId(), 0);
        QCOMPARE(device.getIconName(1), QString("i_device_x_unknown_320x180"));
        QCOMPARE(device.getCertificateMethod(), QString("none"));
        QCOMPARE(device.serviceRecords().size(), 4);
        QVERIFY(device.statusProperties().isEmpty());
    }
}

void TestInfoModel::shippedModelList_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<bool>("configuration");
    QTest::addColumn<bool>("mibFile");
    QTest::newRow("4320") << "4320" << "telnet" << false << true;
    QTest::newRow("4330") << "4330" << "none" << false << true;
    QTest::newRow("4350") << "4350" << "snmp" << false << false;
    QTest::newRow("4411") << "4411" << "none" << true << true;
}

void TestInfoModel::shippedModelList()
{
    QFETCH(QString, model);
    QFETCH(QString, certificate);
    QFETCH(bool, configuration);
    QFETCH(bool, mibFile);
    InfoDeviceModelArray::setModelListFile(infotest::shippedModelList());
    InfoDevice device(nullptr, "dev");
    device.initModelInfo(model, "Vantor");
    QVERIFY(device.getModelId() > 0);
    QCOMPARE(device.getIconName(2), "i_device_" + model + "_button_100x100");
    QVERIFY(device.getStartupTimeout() > 0);
    QVERIFY(device.getProgressTimeout() > 0);
    QVERIFY(device.getRebootTimeout() > 0);
    QCOMPARE(device.getCertificateMethod(), certificate);
    if (certificate == "snmp")
        QVERIFY(QRegularExpression("^1\\.3\\.6\\.1\\.4\\.1\\.32473\\.3\\.2\\.2\\.1\\.\\d+\\.3\\.$")
                    .match(device.getCertificateAttribute()).hasMatch());

    // The objects the device serves: those of the common MIB and its model's.
    QStringList mibObjects;
    for (const QString &mib : {QString("vantor_decimal_SMIv2.mib"), "VANTOR-ZK" + model + "-MIB.mib"}) {
        QFile file(QString(ZEL_SOURCE_RES_DIR) + "/mibs/" + mib);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QString text = QString::fromUtf8(file.readAll());
        QRegularExpressionMatchIterator it =
            QRegularExpression("^(zk\\w+)\\s+OBJECT-TYPE", QRegularExpression::MultilineOption).globalMatch(text);
        while (it.hasNext())
            mibObjects.append(it.next().captured(1));
    }

    // Device status and web interface for all; every SNMP service name is
    // one of the device's MIB objects.
    QVERIFY(!device.getModelServiceName(1792).isEmpty());
    QCOMPARE(device.getModelServiceProtocol(1792), QString("snmp"));
    QCOMPARE(device.getModelServiceProtocol(1824), QString("http"));
    QCOMPARE(device.getModelServiceProtocol(1808).isEmpty(), !configuration);
    QCOMPARE(device.getModelServiceProtocol(1840).isEmpty(), !mibFile);
    QStringList snmp;
    device.getServiceNames("snmp", snmp);
    for (const QString &name : qAsConst(snmp))
        QVERIFY2(mibObjects.contains(name), qPrintable(name));

    // Status objects are read over SNMP and every rule can be judged.
    QStringList statusNames;
    QVERIFY(device.getSnmpStatusProperties(statusNames) > 0);
    QVERIFY(statusNames.contains(device.getModelServiceName(1792)));
    for (const InfoStatusProperty &property : device.statusProperties()) {
        QVERIFY2(mibObjects.contains(property.name), qPrintable(property.name));
        QVERIFY2(property.valueObject.isEmpty() || mibObjects.contains(property.valueObject),
                 qPrintable(property.valueObject));
        QVERIFY(QStringList({"Integer", "Integer32", "String"}).contains(property.type));
        QVERIFY(property.ok.condition >= 0);
    }
}

void TestInfoModel::modelListLocation()
{
    // With no file set: the working folder's res/, then the one beside the
    // program; never a folder of the machine that built the program.
    const QString start = QDir::currentPath();
    QTemporaryDir work, empty;
    QVERIFY(QDir(work.path()).mkpath("res"));
    QVERIFY(QFile::copy(infotest::fixture("info_modellist.xml"), work.filePath("res/ModelListInfo.xml")));
    QVERIFY(QDir::setCurrent(work.path()));
    InfoDevice fromWorkingFolder(nullptr, "dev");
    fromWorkingFolder.initModelInfo("T1", "Test");
    QVERIFY(QDir::setCurrent(empty.path()));
    const QString beside = InfoDeviceModelArray::modelListPath();
    QVERIFY(QDir::setCurrent(start));
    QCOMPARE(fromWorkingFolder.getModelId(), 7);
    QCOMPARE(beside, QCoreApplication::applicationDirPath() + "/res/ModelListInfo.xml");
    QVERIFY(QFileInfo::exists(beside));
}

void TestInfoModel::evaluateStatus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("valueText");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("text");
    const QString untouched = "untouched";
    QTest::newRow(">= holds") << "level" << "" << 5 << 1796 << "error";
    QTest::newRow("< holds") << "level" << "" << 0 << 1793 << "ok";
    QTest::newRow("no rule holds") << "level" << "" << 2 << 1792 << untouched;
    QTest::newRow("mask 1") << "bits" << "" << 1 << 1794 << "warning";
    QTest::newRow("mask 4") << "bits" << "" << 4 << 1794 << "warning";
    QTest::newRow("absent rules never hold for 0") << "bits" << "" << 0 << 1792 << untouched;
    QTest::newRow("inv_mask with 0") << "notbits" << "" << 0 << 1795 << "Degraded by mask";
    QTest::newRow("inv_mask with 2") << "notbits" << "" << 2 << 1792 << untouched;
    QTest::newRow("enum with rule text") << "choice" << "" << 7 << 1796 << "Overheat";
    QTest::newRow("rule without format is ==") << "choice" << "" << 1 << 1793 << "ok";
    QTest::newRow("unknown format never holds") << "choice" << "" << 3 << 1792 << untouched;
    QTest::newRow("text: absent error rule") << "words" << "no error" << 0 << 1793 << "no error";
    QTest::newRow("text: warn by its text") << "words" << "attention: fan" << 0 << 1794 << "attention";
    QTest::newRow("text: nothing contained") << "words" << "fine" << 0 << 1792 << untouched;
    QTest::newRow("text: empty value") << "words" << "" << 0 << 1792 << untouched;
    QTest::newRow("text: by word, error first") << "plain" << "ok but error" << 0 << 1796 << "error";
    QTest::newRow("text: by word, ok") << "plain" << "all ok" << 0 << 1793 << "ok";
    QTest::newRow("text: case-sensitive") << "plain" << "OK" << 0 << 1792 << untouched;
    QTest::newRow("text: unknown format still holds") << "loose" << "warning: fan" << 0 << 1794 << "warning";
    QTest::newRow("text: absent error rule stays silent") << "loose" << "no error, ok" << 0 << 1793 << "ok";
    QTest::newRow("text: empty element text replaces the attribute") << "loose" << "fine" << 0 << 1792 << untouched;
    QTest::newRow("every property of the name") << "twice" << "" << 1 << 1796 << "error";
    QTest::newRow("other types are skipped") << "odd" << "" << 1 << 1792 << untouched;
    QTest::newRow("unknown name") << "nothing" << "error" << 1 << 1792 << untouched;
}

void TestInfoModel::evaluateStatus()
{
    QFETCH(QString, name);
    QFETCH(QString, valueText);
    QFETCH(int, value);
    QFETCH(int, state);
    QFETCH(QString, text);
    useFixture();
    InfoDevice device(nullptr, "dev");
    device.initModelInfo("S1", "Test");
    QString result = "untouched";
    QCOMPARE(device.evaluateStatus(name, valueText, value, result), state);
    QCOMPARE(result, text);
}

QTEST_GUILESS_MAIN(TestInfoModel)
#include "tst_infomodel.moc"
