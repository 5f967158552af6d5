// The facade: one SNMP thread, queued requests answered by signal, polled
// changes reaching the facade's signals, and device-list changes from the
// caller's thread while the SNMP thread polls.

#include "fakeagent.h"
#include "snmpdpeer.h"
#include "snmphelper.h"
#include "tlinksnmpif.h"
#include "testsupport.h"

#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

class TestTLinkSNMPIf : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void oneInstanceOneThread();
    void queuedRequestForUnknownDevice();
    void polledChangeReachesSignals();
    void listWriteThroughFacade();
    void deviceListChangesWhilePolling();

private:
    SnmpdPeer m_snmpd;
    bool m_haveSnmpd = false;
};

void TestTLinkSNMPIf::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
    QCoreApplication::setApplicationName(QStringLiteral("ZEL"));
    QSettings().setValue(QStringLiteral("snmp_manager/mib_path"), testsupport::fixture(QStringLiteral("snmp_mibs")));
    m_haveSnmpd = m_snmpd.start();
}

void TestTLinkSNMPIf::oneInstanceOneThread()
{
    TLinkSNMPIf *facade = TLinkSNMPIf::instance();
    QCOMPARE(TLinkSNMPIf::instance(), facade);
    QThread *snmpThread = SNMPHelper::instance()->thread();
    QVERIFY(snmpThread != QThread::currentThread());
    QVERIFY(snmpThread->isRunning());
    QCOMPARE(TLinkSNMPIf::instance(), facade);
    QCOMPARE(SNMPHelper::instance()->thread(), snmpThread);
}

void TestTLinkSNMPIf::queuedRequestForUnknownDevice()
{
    QSignalSpy done(TLinkSNMPIf::instance(), &TLinkSNMPIf::getValueDone);
    TLinkSNMPIf::instance()->sendGetReq("nobody", "sysDescr");
    QVERIFY(done.wait(5000));
    const snmp_get_value_t value = done.first().at(0).value<snmp_get_value_t>();
    QCOMPARE(value.uniqueId, QStringLiteral("nobody"));
    QVERIFY(!value.ok);
    QVERIFY(value.value.isEmpty());
}

void TestTLinkSNMPIf::polledChangeReachesSignals()
{
    if (!m_haveSnmpd)
        QSKIP("snmpd could not be started");
    TLinkSNMPIf *facade = TLinkSNMPIf::instance();
    QSignalSpy updated(facade, &TLinkSNMPIf::updated);
    facade->addDevice("dev1", m_snmpd.hostAddress(), "TESTDEV", "1.0");
    facade->setActiveDevice("dev1");
    QVERIFY(testsupport::waitFor([&] { return facade->getProperty("dev1", "sysContact").valueValid; }, 5000));

    // Someone else changes the contact on the device; the next cycle brings it in.
    const QString text = QStringLiteral("changed at %1").arg(QDateTime::currentMSecsSinceEpoch());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MIBS", QString());
    QProcess snmpset;
    snmpset.setProcessEnvironment(env);
    snmpset.start("snmpset", {"-v1", "-c", "quarry", m_snmpd.hostAddress(), "1.3.6.1.2.1.1.4.0", "s", text});
    QVERIFY(snmpset.waitForFinished(5000));
    QCOMPARE(snmpset.exitCode(), 0);
    updated.clear();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(testsupport::waitFor([&] { return facade->getProperty("dev1", "sysContact").value == text; }, 3000));
    QVERIFY(testsupport::waitFor([&] { return updated.contains(QVariantList{QStringLiteral("dev1")}); }, 1000));
    qDebug() << "change seen after" << clock.elapsed() << "ms";
    facade->setActiveDevice(QString());
    facade->removeDevice("dev1");
}

void TestTLinkSNMPIf::listWriteThroughFacade()
{
    if (!m_haveSnmpd)
        QSKIP("snmpd could not be started");
    TLinkSNMPIf *facade = TLinkSNMPIf::instance();
    facade->addDevice("dev1", m_snmpd.hostAddress(), "TESTDEV", "1.0");
    QSignalSpy done(facade, &TLinkSNMPIf::getValuesDone);
    snmp_req_list_t request;
    request.uniqueId = "dev1";
    request.kind = 4;
    request.items = {{"sysLocation", "engine room"}};
    facade->setProperties(request);
    QVERIFY(done.wait(5000));
    const snmp_req_list_t answer = done.first().at(0).value<snmp_req_list_t>();
    QCOMPARE(answer.result, 1);
    QCOMPARE(answer.kind, 4);
    QCOMPARE(answer.items.value(0).second, QStringLiteral("engine room"));
    QCOMPARE(facade->getProperty("dev1", "sysLocation").value, QStringLiteral("engine room"));
    facade->removeDevice("dev1");
}

void TestTLinkSNMPIf::deviceListChangesWhilePolling()
{
    // The SNMP thread polls every second while this thread adds, renames,
    // re-addresses and removes devices and reads their records.
    FakeAgent agent;
    TLinkSNMPIf *facade = TLinkSNMPIf::instance();
    facade->addDevice("steady", agent.hostAddress(), "TESTDEV", "1.0");
    facade->setPropertyDynamic("steady", "sysDescr", true);
    QElapsedTimer clock;
    clock.start();
    int rounds = 0;
    while (clock.elapsed() < 3000) {
        const QString id = QStringLiteral("churn%1").arg(rounds % 3);
        facade->addDevice(id, agent.hostAddress(), "TESTDEV", "1.0");
        facade->setActiveDevice(id);
        facade->changeDeviceAddress(id, agent.hostAddress());
        facade->changeUniqueId(id, id + "x");
        QVERIFY(!facade->getProperties(id + "x").isEmpty());
        facade->setDeviceOnline(id + "x", rounds % 2);
        facade->removeDevice(id + "x");
        facade->getProperty("steady", "sysDescr");
        QThread::msleep(rounds % 5);
        ++rounds;
    }
    facade->setActiveDevice(QString());
    QVERIFY(agent.requestCount() > 0);
    QVERIFY(testsupport::waitFor([&] { return facade->getProperty("steady", "sysDescr").valueValid; }, 3000));
    facade->removeDevice("steady");
    qDebug() << rounds << "rounds," << agent.requestCount() << "requests";
}

QTEST_GUILESS_MAIN(TestTLinkSNMPIf)
#include "tst_tlinksnmpif.moc"
