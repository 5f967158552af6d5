// The SNMP engine: MIB choice and loading, property records from the shipped
// MIBs and from test MIBs, single and list requests, and polled values.

#include "fakeagent.h"
#include "infoevent.h"
#include "infomanager.h"
#include "snmpdpeer.h"
#include "snmphelper.h"
#include "tlinkdevicecomm.h"
#include "testsupport.h"

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <fcntl.h>
#include <unistd.h>


namespace {

const QString TestModel = QStringLiteral("TESTDEV");

QString mibFixtures()
{
    return testsupport::fixture(QStringLiteral("snmp_mibs"));
}

// Collects what is written to standard error while it lives.
class StderrCapture
{
public:
    StderrCapture()
    {
        fflush(stderr);
        m_saved = ::dup(2);
        m_file = m_dir.filePath(QStringLiteral("stderr.txt"));
        const int fd = ::open(QFile::encodeName(m_file).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        ::close(fd);
    }
    ~StderrCapture() { restore(); }
    QString text()
    {
        restore();
        QFile file(m_file);
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        fflush(stderr);
        ::dup2(m_saved, 2);
        ::close(m_saved);
        m_saved = -1;
    }
    QTemporaryDir m_dir;
    QString m_file;
    int m_saved = -1;
};

const snmp_property_t *findRecord(const QList<snmp_property_t> &records, const QString &name)
{
    for (const snmp_property_t &r : records)
        if (r.mibObjectName == name)
            return &r;
    return nullptr;
}

QString oidText(const snmp_property_t &r)
{
    return SNMPHelper::oidToString(r.oid, r.oidLength);
}

} // namespace

class TestTLinkDeviceComm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void loadsRecordsFromTestMib();
    void testFlagMode();
    void badOrMissingMib();
    void mibFolderDefault();
    void singleRequests();
    void unknownKindIsNeverWritten();
    void listWrites_data();
    void listWrites();
    void polledValuesAreStored();
    void shippedMibs_data();
    void shippedMibs();
    void mibPathEvents();

private:
    TLinkDeviceComm *m_engine = nullptr;
};

void TestTLinkDeviceComm::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
    QCoreApplication::setApplicationName(QStringLiteral("ZEL"));
    qRegisterMetaType<snmp_get_value_t>("snmp_get_value_t");
    qRegisterMetaType<snmp_req_list_t>("snmp_req_list_t");
}

void TestTLinkDeviceComm::init()
{
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), mibFixtures());
    m_engine = new TLinkDeviceComm;
    m_engine->init();
    m_engine->stopTimer(); // the tests drive the polling cycles themselves
}

void TestTLinkDeviceComm::cleanup()
{
    for (const char *id : {"dev1", "dev2", "broken", "missing"})
        m_engine->removeDevice(QString::fromLatin1(id));
    delete m_engine;
    m_engine = nullptr;
    QSettings().clear();
}

void TestTLinkDeviceComm::loadsRecordsFromTestMib()
{
    QSignalSpy groupsDone(m_engine, &TLinkDeviceComm::groupInitialized);
    QSignalSpy recordsDone(m_engine, &TLinkDeviceComm::propertyInitialized);
    m_engine->addDevice("dev1", "127.0.0.1:1", TestModel, "1.0", false);
    QCOMPARE(groupsDone.count(), 1);
    QCOMPARE(recordsDone.count(), 1);

    const QList<snmp_group_t> groups = m_engine->getPropertyGroups("dev1");
    QCOMPARE(groups.size(), 3);
    QCOMPARE(groups.at(0).name, QStringLiteral("networkFolder")); // P30 before P20
    QCOMPARE(groups.at(0).displayName, QStringLiteral("Network"));
    QCOMPARE(groups.at(0).flagF, false);
    QCOMPARE(groups.at(1).name, QStringLiteral("systemFolder"));
    QCOMPARE(groups.at(1).flagR, 1);
    QCOMPARE(groups.at(1).flagF, true);
    QCOMPARE(groups.at(2).name, QStringLiteral("plainFolder"));
    QVERIFY(groups.at(2).displayName.isEmpty());

    const QList<snmp_property_t> records = m_engine->getProperties("dev1");
    QStringList names;
    for (const snmp_property_t &r : records)
        names << r.mibObjectName;
    QCOMPARE(names.mid(0, 6), QStringList({"sysDescr", "sysObjectID", "sysUpTime", "sysContact", "sysName", "sysLocation"}));
    for (const char *absent : {"sysServices", "testTwoTildes", "testNotification", "systemFolder", "sysOREntry"})
        QVERIFY2(!names.contains(QLatin1String(absent)), absent);

    const snmp_property_t *contact = findRecord(records, "sysContact");
    QCOMPARE(oidText(*contact), QStringLiteral(".1.3.6.1.2.1.1.4.0"));
    QCOMPARE(contact->kind, 2);
    QVERIFY(contact->writable && contact->pollWhenActive);
    QCOMPARE(contact->flagR, 2);
    QCOMPARE(contact->flagW, 3);
    QCOMPARE(contact->flagP, 60);
    QCOMPARE(contact->displayName, QStringLiteral("Contact"));
    QCOMPARE(contact->groupName, QStringLiteral("systemFolder"));
    QVERIFY(!contact->valueValid && contact->value.isEmpty());

    QCOMPARE(findRecord(records, "sysDescr")->writable, quint8(0));
    QCOMPARE(findRecord(records, "sysObjectID")->kind, 2);
    QCOMPARE(findRecord(records, "sysUpTime")->kind, 1);
    QCOMPARE(findRecord(records, "testAddress")->kind, 4);
    QCOMPARE(findRecord(records, "testCounter")->kind, 0);
    const snmp_property_t *tenths = findRecord(records, "testTenths");
    QCOMPARE(tenths->kind, 1);
    QCOMPARE(tenths->decimals, 1);
    QCOMPARE(tenths->rangeLow, -1000);
    QCOMPARE(tenths->rangeHigh, 1000);
    QCOMPARE(findRecord(records, "testHundredths")->decimals, 2);
    QCOMPARE(findRecord(records, "testThousandths")->decimals, 3);

    const snmp_property_t *sw = findRecord(records, "testSwitch");
    QCOMPARE(sw->kind, 3);
    QCOMPARE(sw->enumValues.size(), 3);
    QCOMPARE(sw->enumValues.at(0), qMakePair(0, QStringLiteral("off")));
    QCOMPARE(sw->enumValues.at(2), qMakePair(2, QStringLiteral("not connected")));

    const snmp_property_t *index = findRecord(records, "sysORIndex");
    const snmp_property_t *column = findRecord(records, "sysORID");
    QVERIFY(index && index->isTableColumn && index->isIndex);
    QVERIFY(column && column->isTableColumn && !column->isIndex);
    QCOMPARE(oidText(*column), QStringLiteral(".1.3.6.1.2.1.1.9.1.2"));

    // The poll list leaves table columns out.
    const QList<snmp_req_t *> polled = SNMPHelper::instance()->getRequests("dev1");
    int columns = 0;
    for (const snmp_property_t &r : records)
        columns += r.isTableColumn;
    QCOMPARE(polled.size(), records.size() - columns);
    for (const snmp_req_t *r : polled)
        QVERIFY(!r->name.startsWith(QLatin1String("sysOR")));

    // Adding the same id again changes nothing.
    m_engine->addDevice("dev1", "127.0.0.1:2", TestModel, "1.0", false);
    QCOMPARE(groupsDone.count(), 1);
    QCOMPARE(m_engine->getProperties("dev1").size(), records.size());
}

void TestTLinkDeviceComm::testFlagMode()
{
    // In test mode every accessible object gets the test flag block.
    m_engine->addDevice("dev1", "127.0.0.1:1", TestModel, "1.0", true);
    const QList<snmp_property_t> records = m_engine->getProperties("dev1");
    const snmp_property_t *services = findRecord(records, "sysServices");
    QVERIFY(services);
    QCOMPARE(services->displayName, QStringLiteral("test val"));
    QCOMPARE(services->groupName, QStringLiteral("test"));
    QVERIFY(findRecord(records, "testTwoTildes"));
}

void TestTLinkDeviceComm::badOrMissingMib()
{
    QSignalSpy recordsDone(m_engine, &TLinkDeviceComm::propertyInitialized);
    {
        StderrCapture capture;
        m_engine->addDevice("broken", "127.0.0.1:1", "BROKENDEV", "1.0", false);
        const QString messages = capture.text();
        QVERIFY2(!messages.isEmpty(), "the MIB parser says nothing about a broken file");
    }
    QVERIFY(m_engine->getProperties("broken").isEmpty());
    QCOMPARE(recordsDone.count(), 1);

    m_engine->addDevice("missing", "127.0.0.1:1", "NOSUCHMODEL", "1.0", false);
    QVERIFY(m_engine->getProperties("missing").isEmpty());
    QVERIFY(m_engine->getPropertyGroups("missing").isEmpty());
    QCOMPARE(recordsDone.count(), 1);
    QVERIFY(SNMPHelper::instance()->getRequests("missing").isEmpty());

    // A folder without the base modules: the model's objects cannot be linked.
    QTemporaryDir bare;
    QVERIFY(QFile::copy(mibFixtures() + "/snmp_testdev_v1.mib", bare.filePath("snmp_testdev_v1.mib")));
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), bare.path());
    {
        StderrCapture capture;
        m_engine->addDevice("bare", "127.0.0.1:1", TestModel, "1.0", false);
        QVERIFY2(capture.text().contains(QLatin1String("SNMPv2-SMI")), "no parser message about the missing module");
    }
    QVERIFY(m_engine->getProperties("bare").isEmpty());
    m_engine->removeDevice("bare");
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), mibFixtures());

    // A device added after the failures still gets its records.
    m_engine->addDevice("dev1", "127.0.0.1:1", TestModel, "1.0", false);
    QVERIFY(!m_engine->getProperties("dev1").isEmpty());
}

void TestTLinkDeviceComm::mibFolderDefault()
{
    QSettings().remove(QStringLiteral("snmp_manager/mib_path"));
    const QString folder = m_engine->mibFolder(false);
    QVERIFY(folder.endsWith(QLatin1String("/mibs")));
    QCOMPARE(QSettings().value(QStringLiteral("snmp_manager/mib_path")).toString(), folder);

    // With no machine-wide folder: the working folder's res/mibs, then the
    // one beside the program; never a folder of the machine that built it.
    const QString start = QDir::currentPath();
    QTemporaryDir work, empty;
    QVERIFY(QDir(work.path()).mkpath("res/mibs"));
    QVERIFY(QDir::setCurrent(work.path()));
    QSettings().remove(QStringLiteral("snmp_manager/mib_path"));
    const QString working = m_engine->mibFolder(false);
    QVERIFY(QDir::setCurrent(empty.path()));
    QSettings().remove(QStringLiteral("snmp_manager/mib_path"));
    const QString beside = m_engine->mibFolder(false);
    QVERIFY(QDir::setCurrent(start));
    QCOMPARE(working, QDir(work.path()).absoluteFilePath("res/mibs"));
    QCOMPARE(beside, QCoreApplication::applicationDirPath() + "/res/mibs");
}


void TestTLinkDeviceComm::singleRequests()
{
    SnmpdPeer snmpd;
    if (!snmpd.start(QStringLiteral(".1.3.6.1.4.1.32473.5"), testsupport::fixture(QStringLiteral("snmp_pass.sh"))))
        QSKIP("snmpd could not be started");
    m_engine->addDevice("dev1", snmpd.hostAddress(), TestModel, "1.0", false);
    QSignalSpy done(m_engine, &TLinkDeviceComm::getValueDone);
    auto answer = [&]() { return done.takeFirst().at(0).value<snmp_get_value_t>(); };

    m_engine->sendGetReq("dev1", "sysDescr");
    snmp_get_value_t value = answer();
    QVERIFY(value.ok);
    QVERIFY(!value.value.isEmpty());
    QCOMPARE(value.mibObjectName, QStringLiteral("sysDescr"));
    QVERIFY(m_engine->getProperty("dev1", "sysDescr").valueValid);
    QCOMPARE(m_engine->getProperty("dev1", "sysDescr").value, value.value);

    for (const auto &unknown : QList<QPair<QString, QString>>{{"dev1", "noSuchObject"}, {"nobody", "sysDescr"}}) {
        m_engine->sendGetReq(unknown.first, unknown.second);
        QCOMPARE(done.count(), 1); // answered at once
        value = answer();
        QVERIFY(!value.ok);
        QVERIFY(value.value.isEmpty());
        QCOMPARE(value.uniqueId, unknown.first);
    }

    m_engine->sendGetNextReq("dev1", "sysORID"); // a table column: its first row
    value = answer();
    QVERIFY(value.ok);
    QCOMPARE(value.index, 1);
    QCOMPARE(value.subId, 2);
    QVERIFY(value.value.startsWith(QLatin1String(".1.3.6.1.")));

    m_engine->setProperty("dev1", "sysContact", "bridge");
    value = answer();
    QVERIFY(value.ok);
    QCOMPARE(value.value, QStringLiteral("bridge"));
    QCOMPARE(m_engine->getProperty("dev1", "sysContact").value, QStringLiteral("bridge"));

    // A refused SET answers with ok false and leaves the record alone.
    const snmp_property_t before = m_engine->getProperty("dev1", "sysDescr");
    m_engine->setProperty("dev1", "sysDescr", "overwritten");
    value = answer();
    QVERIFY(!value.ok);
    QVERIFY(value.value.isEmpty());
    QCOMPARE(m_engine->getProperty("dev1", "sysDescr").value, before.value);
}

void TestTLinkDeviceComm::unknownKindIsNeverWritten()
{
    FakeAgent agent;
    m_engine->addDevice("dev1", agent.hostAddress(), TestModel, "1.0", false);
    QSignalSpy single(m_engine, &TLinkDeviceComm::getValueDone);
    QSignalSpy list(m_engine, &TLinkDeviceComm::getValuesDone);
    m_engine->setProperty("dev1", "testCounter", "5");
    QCOMPARE(single.count(), 1);
    QVERIFY(!single.first().at(0).value<snmp_get_value_t>().ok);
    snmp_req_list_t request;
    request.uniqueId = "dev1";
    request.kind = 1;
    request.items = {{"sysContact", "x"}, {"testCounter", "5"}};
    m_engine->setProperties(request);
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.first().at(0).value<snmp_req_list_t>().result, 3);
    QCOMPARE(agent.requestCount(), 0);
}

void TestTLinkDeviceComm::listWrites_data()
{
    QTest::addColumn<QStringList>("items"); // name=value
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("answered"); // name=value of the result
    QTest::newRow("written and read back") << QStringList{"sysContact=deck 3", "sysLocation=aft"} << 1 << false << 1
                                           << QStringList{"sysContact=deck 3", "sysLocation=aft"};
    QTest::newRow("write only") << QStringList{"zkSystemConfigReset=1", "sysName=x"} << 0 << false << 1
                                << QStringList{"zkSystemConfigReset=2", "sysName="};
    QTest::newRow("read-back fails") << QStringList{"testWriteOnly=x"} << 2 << false << 2 << QStringList{"testWriteOnly="};
    QTest::newRow("write refused") << QStringList{"sysContact=y", "sysDescr=x"} << 1 << false << 3
                                   << QStringList{"sysContact=", "sysDescr="};
    QTest::newRow("write timed out") << QStringList{"sysContact=y"} << 1 << true << 4 << QStringList{"sysContact="};
    QTest::newRow("unknown name") << QStringList{"sysContact=y", "noSuchObject=1"} << 1 << false << 0
                                  << QStringList{"sysContact="};
}

void TestTLinkDeviceComm::listWrites()
{
    QFETCH(QStringList, items);
    QFETCH(int, kind);
    QFETCH(bool, silent);
    QFETCH(int, result);
    QFETCH(QStringList, answered);

    SnmpdPeer snmpd;
    if (!snmpd.start(QStringLiteral(".1.3.6.1.4.1.32473.5"), testsupport::fixture(QStringLiteral("snmp_pass.sh"))))
        QSKIP("snmpd could not be started");
    FakeAgent silentAgent(0);
    m_engine->addDevice("dev1", silent ? silentAgent.hostAddress() : snmpd.hostAddress(), TestModel, "1.0", false);
    QSignalSpy done(m_engine, &TLinkDeviceComm::getValuesDone);
    snmp_req_list_t request;
    request.uniqueId = "dev1";
    request.kind = kind;
    for (const QString &item : items)
        request.items.append({item.section('=', 0, 0), item.section('=', 1)});
    m_engine->setProperties(request);
    QCOMPARE(done.count(), 1);
    const snmp_req_list_t answer = done.first().at(0).value<snmp_req_list_t>();
    QCOMPARE(answer.result, result);
    QCOMPARE(answer.kind, kind);
    QCOMPARE(answer.uniqueId, QStringLiteral("dev1"));
    QStringList got;
    for (const auto &item : answer.items)
        got << item.first + '=' + item.second;
    QCOMPARE(got, answered);
}

void TestTLinkDeviceComm::polledValuesAreStored()
{
    FakeAgent agent;
    agent.setFixedValue(5);
    m_engine->addDevice("dev1", agent.hostAddress(), TestModel, "1.0", false);
    QSignalSpy updated(m_engine, &TLinkDeviceComm::updated);
    m_engine->timerOneSecTimeOut(); // one polling cycle
    QCOMPARE(updated.count(), 1);
    QCOMPARE(updated.first().at(0).toString(), QStringLiteral("dev1"));
    const QList<QPair<QString, QString>> expected{
        {"testTenths", "0.5"}, {"testHundredths", "0.05"}, {"testThousandths", "0.005"}, {"testSwitch", "5"}};
    for (const auto &e : expected) {
        const snmp_property_t record = m_engine->getProperty("dev1", e.first);
        QCOMPARE(record.value, e.second);
        QVERIFY(record.valueValid);
    }
    // Table columns are not polled.
    QVERIFY(!m_engine->getProperty("dev1", "sysORID").valueValid);

    // Going offline clears the valid flags; nothing is polled meanwhile.
    m_engine->setDeviceOnline("dev1", false);
    QVERIFY(!m_engine->getProperty("dev1", "testTenths").valueValid);
    const int sent = agent.requestCount();
    m_engine->timerOneSecTimeOut();
    QCOMPARE(agent.requestCount(), sent);

    // Removing the device ends its polling.
    m_engine->removeDevice("dev1");
    QVERIFY(m_engine->getProperties("dev1").isEmpty());
    QVERIFY(SNMPHelper::instance()->getRequests("dev1").isEmpty());
}

void TestTLinkDeviceComm::shippedMibs_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("modelGroups"); // beyond the four every device has
    QTest::addColumn<QStringList>("modelObjects");
    QTest::newRow("4320") << "4320" << QStringList() << QStringList();
    QTest::newRow("4330") << "4330" << QStringList() << QStringList();
    QTest::newRow("4350") << "4350" << QStringList{"vantorFolderAntenna"}
                          << QStringList{"zk9xxxAduMainPcbSerial", "zk9xxxAduLifetime"};
    QTest::newRow("4411") << "4411" << QStringList{"vantorFolderPowerSupply"}
                          << QStringList{"zkZk441xMaxChargeCurrent", "zkZk441xMaxChargeVoltage", "zkZk441xFloatVoltage",
                                         "zkZk441xMinVoltage", "zkZk441xMaxVoltage", "zkZk441xMinBatTemp",
                                         "zkZk441xMaxBatTemp", "zkZk441xSupplyBranch"};
}

void TestTLinkDeviceComm::shippedMibs()
{
    QFETCH(QString, model);
    QFETCH(QStringList, modelGroups);
    QFETCH(QStringList, modelObjects);
    // Unset: the folder is found in the source tree when run from the build tree.
    QSettings().remove(QStringLiteral("snmp_manager/mib_path"));
    m_engine->addDevice("dev1", "127.0.1.2", model, "01.07", false);
    QCOMPARE(QDir(QSettings().value(QStringLiteral("snmp_manager/mib_path")).toString()).canonicalPath(),
             QDir(QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs")).canonicalPath());

    QStringList groups;
    for (const snmp_group_t &g : m_engine->getPropertyGroups("dev1"))
        groups << g.name;
    QCOMPARE(groups, QStringList({"vantorFolderSystem", "vantorFolderSoftware", "vantorFolderLogging",
                                  "vantorFolderDiagnostics"}) + modelGroups);

    const QList<snmp_property_t> records = m_engine->getProperties("dev1");
    QCOMPARE(records.size(), 41 + modelObjects.size());
    const QStringList common{"sysDescr", "sysUpTime", "zkSystemConfigReset", "zkSoftwareDownloadStatus",
                             "zkLoggingClientDestinationIp", "zkDiagReportStatus"};
    for (const QString &name : common + modelObjects) {
        const snmp_property_t *r = findRecord(records, name);
        QVERIFY2(r, qPrintable(name));
        QVERIFY(r->kind >= 1 && r->kind <= 4);
        QVERIFY(groups.contains(r->groupName));
        QCOMPARE(r->oid[r->oidLength - 1], 0u);
    }
    QCOMPARE(findRecord(records, "zkSoftwareDownloadStatus")->kind, 3);
    QVERIFY(findRecord(records, "zkSoftwareDownloadStatus")->pollWhenActive);
    QCOMPARE(findRecord(records, "zkLoggingClientDestinationIp")->kind, 4);
    QCOMPARE(SNMPHelper::instance()->getRequests("dev1").size(), records.size());
}

void TestTLinkDeviceComm::mibPathEvents()
{
    QList<int> events;
    QMetaObject::Connection c = connect(InfoManager::instance(), &InfoManager::logEvent, this,
                                        [&](const InfoEvent &e) { events << e.getId(); }, Qt::DirectConnection);
    QSettings().remove(QStringLiteral("snmp_manager/mib_path"));
    m_engine->addDevice("dev1", "127.0.1.2", "4320", "01.07", false);
    m_engine->addDevice("dev2", "127.0.1.3", "9999", "01.07", false);
    QCOMPARE(events, QList<int>({2307, 2305, 2305}));

    // An empty setting is preset again, announced as a plain path.
    delete m_engine;
    m_engine = new TLinkDeviceComm;
    events.clear();
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), QString());
    m_engine->addDevice("dev1", "127.0.1.2", "4320", "01.07", false);
    QCOMPARE(events, QList<int>({2306, 2305}));
    QVERIFY(!QSettings().value(QStringLiteral("snmp_manager/mib_path")).toString().isEmpty());
    disconnect(c);
}

QTEST_GUILESS_MAIN(TestTLinkDeviceComm)
#include "tst_tlinkdevicecomm.moc"
