// The SNMP engine: MIB choice and loading, property records from the shipped
// MIBs and from test MIBs, single and list requests, and polled values.

#include "fakeagent.h"
#include "snmpdpeer.h"
#include "snmphelper.h"
#include "tlinkdevicecomm.h"
#include "testsupport.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <fcntl.h>
#include <unistd.h>

Q_DECLARE_METATYPE(QList<int>)

namespace {

const QString TestModel = QStringLiteral("TESTDEV");

QString mibFixtures()
{
    return QStringLiteral(SNMP_TEST_FIXTURES "/snmp_mibs");
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
    qDebug() << names;
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
}

QTEST_GUILESS_MAIN(TestTLinkDeviceComm)
#include "tst_tlinkdevicecomm.moc"
