// The request layer: value texts, synchronous requests against a real snmpd,
// SET encoding, and the polling cycle against a scripted responder.

#include "fakeagent.h"
#include "snmpdpeer.h"
#include "snmphelper.h"
#include "snmplock.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <atomic>
#include <cerrno>
#include <memory>

namespace {

std::unique_ptr<snmp_req_t> request(const QString &oidText, quint8 type = ASN_OCTET_STR, const QString &value = QString())
{
    auto r = std::make_unique<snmp_req_t>();
    r->name = oidText;
    const QStringList parts = oidText.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    for (const QString &p : parts)
        r->oid[r->oidLength++] = p.toUInt();
    r->type = type;
    r->value = value;
    return r;
}

QList<snmp_req_t *> pollList(int count)
{
    QList<snmp_req_t *> list;
    for (int i = 1; i <= count; ++i)
        list << request(QStringLiteral("1.3.6.1.4.1.32473.9.%1.0").arg(i), ASN_INTEGER).release();
    return list;
}

} // namespace

class TestSnmpHelper : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void valueText_data();
    void valueText();
    void oidToString();
    void getAndGetNext();
    void setWithReadBack();
    void listRequests();
    void timeOutAgainstSilentPort();
    void setEncoding_data();
    void setEncoding();
    void pollReadsAllOnceThenOnlyWhatIsDue();
    void pollTimeOutPartWayKeepsReadAll();
    void pollAgainstSnmpd();
    void pollSelectFailure();
    void removeWhilePolling();
    void pollWaitsThroughTheLibrarysRetries();
    void pollEndsWhenItsThreadMustEnd();
    void silentAgentHoldsOnlyItsOwnChain();
    void requestEndsWhenItsThreadMustEnd();

private:
    SNMPHelper *helper() { return SNMPHelper::instance(); }
    SnmpdPeer m_snmpd;
    bool m_haveSnmpd = false;
};

void TestSnmpHelper::initTestCase()
{
    m_haveSnmpd = m_snmpd.start();
}

void TestSnmpHelper::cleanup()
{
    for (const char *id : {"dev1", "dev2", "snmpd"})
        helper()->removeDevice(id);
    helper()->setActiveDeviceId(QString());
    helper()->setSelectFunction([](int n, fd_set *fds, timeval *tv) { return ::select(n, fds, nullptr, nullptr, tv); });
}

void TestSnmpHelper::valueText_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("raw");      // value bytes (strings, addresses)
    QTest::addColumn<qlonglong>("number");    // integers; OID: count of sub-identifiers
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("handled");

    QTest::newRow("integer negative") << int(ASN_INTEGER) << QByteArray() << -5LL << "-5" << true;
    QTest::newRow("integer wraps to 32 bits") << int(ASN_INTEGER) << QByteArray() << 4294967295LL << "-1" << true;
    QTest::newRow("timeticks") << int(ASN_TIMETICKS) << QByteArray() << 987LL << "9" << true;
    QTest::newRow("timeticks negative") << int(ASN_TIMETICKS) << QByteArray() << -150LL << "-1" << true;
    QTest::newRow("string") << int(ASN_OCTET_STR) << QByteArray("abc") << 0LL << "abc" << true;
    QTest::newRow("string ends at NUL") << int(ASN_OCTET_STR) << QByteArray("abc\0efg", 7) << 0LL << "abc" << true;
    QTest::newRow("string latin-1") << int(ASN_OCTET_STR) << QByteArray("\xe9t\xe9") << 0LL << QString::fromUtf8("été") << true;
    QTest::newRow("string empty") << int(ASN_OCTET_STR) << QByteArray() << 0LL << "none" << true;
    QTest::newRow("ip") << int(ASN_IPADDRESS) << QByteArray("\x0a\x00\xff\x01", 4) << 0LL << "10.0.255.1" << true;
    QTest::newRow("ip length 6") << int(ASN_IPADDRESS) << QByteArray("\x01\x02\x03\x04\x05\x06", 6) << 0LL << "1.2.3.4" << true;
    QTest::newRow("ip length 1") << int(ASN_IPADDRESS) << QByteArray("\x00", 1) << 0LL << "-empty IP- 0" << true;
    QTest::newRow("ip length 3") << int(ASN_IPADDRESS) << QByteArray("\x01\x02\x03", 3) << 0LL << "invalid" << true;
    QTest::newRow("ip length 0") << int(ASN_IPADDRESS) << QByteArray() << 0LL << "invalid" << true;
    QTest::newRow("oid") << int(ASN_OBJECT_ID) << QByteArray() << 3LL << ".1.2.3" << true;
    QTest::newRow("oid cut at 25") << int(ASN_OBJECT_ID) << QByteArray() << 30LL
                                  << ".1.2.3.4.5.6.7.8.9.10.11.12.13.14.15.16.17.18.19.20.21.22.23.24.25" << true;
    QTest::newRow("oid empty") << int(ASN_OBJECT_ID) << QByteArray() << 0LL << "none" << true;
    QTest::newRow("bit string") << int(ASN_BIT_STR) << QByteArray("\x01", 1) << 0LL << "3" << true;
    QTest::newRow("float") << int(ASN_FLOAT) << QByteArray("\x01\x02\x03\x04", 4) << 0LL << "72" << true;
    QTest::newRow("double") << int(ASN_DOUBLE) << QByteArray(8, '\x01') << 0LL << "73" << true;
    QTest::newRow("counter32") << int(ASN_COUNTER) << QByteArray() << 7LL << "" << false;
    QTest::newRow("gauge32") << int(ASN_GAUGE) << QByteArray() << 7LL << "" << false;
    QTest::newRow("null") << int(ASN_NULL) << QByteArray() << 0LL << "" << false;
    QTest::newRow("noSuchObject") << int(SNMP_NOSUCHOBJECT) << QByteArray() << 0LL << "" << false;
}

void TestSnmpHelper::valueText()
{
    QFETCH(int, type);
    QFETCH(QByteArray, raw);
    QFETCH(qlonglong, number);
    QFETCH(QString, text);
    QFETCH(bool, handled);

    netsnmp_variable_list var = {};
    var.type = static_cast<u_char>(type);
    long integer = static_cast<long>(number);
    std::vector<oid> objid;
    if (type == ASN_INTEGER || type == ASN_TIMETICKS || type == ASN_COUNTER || type == ASN_GAUGE) {
        var.val.integer = &integer;
        var.val_len = sizeof(integer);
    } else if (type == ASN_OBJECT_ID) {
        for (int i = 1; i <= number; ++i)
            objid.push_back(i);
        var.val.objid = objid.data();
        var.val_len = objid.size() * sizeof(oid);
    } else {
        var.val.string = reinterpret_cast<u_char *>(raw.data());
        var.val_len = raw.size();
    }
    bool wasHandled = !handled;
    QCOMPARE(SNMPHelper::valueText(&var, &wasHandled), text);
    QCOMPARE(wasHandled, handled);
}

void TestSnmpHelper::oidToString()
{
    const quint32 oid[] = {1, 3, 4294967295u};
    QCOMPARE(SNMPHelper::oidToString(oid, 3), QStringLiteral(".1.3.4294967295"));
    QCOMPARE(SNMPHelper::oidToString(oid, 0), QString());
}

void TestSnmpHelper::getAndGetNext()
{
    if (!m_haveSnmpd)
        QSKIP("snmpd could not be started");
    const QString host = m_snmpd.hostAddress();

    auto descr = request("1.3.6.1.2.1.1.1.0");
    QCOMPARE(helper()->get(host, descr.get()), 0);
    QVERIFY(descr->done);
    QCOMPARE(int(descr->type), int(ASN_OCTET_STR));
    QVERIFY(!descr->value.isEmpty());

    auto upTime = request("1.3.6.1.2.1.1.3.0", ASN_INTEGER);
    QCOMPARE(helper()->get(host, upTime.get()), 0);
    QCOMPARE(int(upTime->type), int(ASN_TIMETICKS));
    bool isNumber = false;
    upTime->value.toInt(&isNumber);
    QVERIFY(isNumber);

    auto objectId = request("1.3.6.1.2.1.1.2.0");
    QCOMPARE(helper()->get(host, objectId.get()), 0);
    QCOMPARE(int(objectId->type), int(ASN_OBJECT_ID));
    QVERIFY(objectId->value.startsWith(".1.3.6.1.4.1."));

    // A missing object: the error-status of the reply, and no stale value.
    auto missing = request("1.3.6.1.2.1.1.99.0");
    missing->value = QStringLiteral("stale");
    QCOMPARE(helper()->get(host, missing.get()), int(SNMP_ERR_NOSUCHNAME));
    QVERIFY(missing->done);
    QVERIFY(missing->value.isEmpty());

    // GET-NEXT on a table column gives its first row and the row index.
    auto column = request("1.3.6.1.2.1.1.9.1.2");
    QCOMPARE(helper()->getNext(host, column.get()), 0);
    QCOMPARE(column->index, 1);
    QCOMPARE(int(column->type), int(ASN_OBJECT_ID));
    QVERIFY(column->done);

    // GET-NEXT that leaves the requested subtree (sysServices is not served).
    auto leaf = request("1.3.6.1.2.1.1.7");
    leaf->value = QStringLiteral("stale");
    QCOMPARE(helper()->getNext(host, leaf.get()), 1);
    QVERIFY(leaf->value.isEmpty());
    QVERIFY(leaf->done);
}

void TestSnmpHelper::setWithReadBack()
{
    if (!m_haveSnmpd)
        QSKIP("snmpd could not be started");
    const QString host = m_snmpd.hostAddress();
    const QString text = QStringLiteral("ops room, deck %1").arg(QDateTime::currentMSecsSinceEpoch() % 1000);
    auto contact = request("1.3.6.1.2.1.1.4.0", ASN_OCTET_STR, text);
    QCOMPARE(helper()->set(host, contact.get()), 0);
    QCOMPARE(contact->value, text); // a SET leaves the record alone
    contact->value = QStringLiteral("written text is replaced by the reply");
    QCOMPARE(helper()->get(host, contact.get()), 0);
    QCOMPARE(contact->value, text);

    auto readOnly = request("1.3.6.1.2.1.1.1.0", ASN_OCTET_STR, "x");
    bool timedOut = true;
    QVERIFY(helper()->set(host, readOnly.get(), &timedOut) != 0);
    QVERIFY(!timedOut);
}

void TestSnmpHelper::listRequests()
{
    if (!m_haveSnmpd)
        QSKIP("snmpd could not be started");
    const QString host = m_snmpd.hostAddress();
    auto contact = request("1.3.6.1.2.1.1.4.0", ASN_OCTET_STR, "list contact");
    auto location = request("1.3.6.1.2.1.1.6.0", ASN_OCTET_STR, "list location");
    QCOMPARE(helper()->setList(host, {contact.get(), location.get()}), 0);

    auto services = request("1.3.6.1.2.1.1.8.0", ASN_INTEGER);
    QCOMPARE(helper()->getList(host, {contact.get(), location.get(), services.get()}), 0);
    QCOMPARE(contact->value, QStringLiteral("list contact"));
    QCOMPARE(location->value, QStringLiteral("list location"));
    QCOMPARE(int(services->type), int(ASN_TIMETICKS));
    QVERIFY(contact->done && location->done && services->done);

    // One read-only object spoils the whole write; nothing is written.
    auto descr = request("1.3.6.1.2.1.1.1.0", ASN_OCTET_STR, "nope");
    location->value = QStringLiteral("must not land");
    QVERIFY(helper()->setList(host, {location.get(), descr.get()}) != 0);
    QCOMPARE(helper()->get(host, location.get()), 0);
    QCOMPARE(location->value, QStringLiteral("list location"));

    // A failed list read marks every record done with an empty text.
    auto missing = request("1.3.6.1.2.1.1.99.0");
    QCOMPARE(helper()->getList(host, {contact.get(), missing.get()}), int(SNMP_ERR_NOSUCHNAME));
    QVERIFY(contact->done && missing->done);
    QVERIFY(contact->value.isEmpty());
}

void TestSnmpHelper::timeOutAgainstSilentPort()
{
    FakeAgent silent(0);
    auto get = request("1.3.6.1.2.1.1.1.0");
    get->value = QStringLiteral("stale");
    QCOMPARE(helper()->get(silent.hostAddress(), get.get()), int(STAT_TIMEOUT));
    QVERIFY(get->done);
    QVERIFY(get->value.isEmpty());
    QVERIFY(silent.requestCount() > 1); // the library's retries

    // A SET is sent once and waits 2 s per variable.
    const int before = silent.requestCount();
    auto set = request("1.3.6.1.2.1.1.4.0", ASN_OCTET_STR, "x");
    bool timedOut = false;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(helper()->set(silent.hostAddress(), set.get(), &timedOut), int(STAT_TIMEOUT));
    QVERIFY(timedOut);
    QVERIFY(clock.elapsed() >= 1900);
    QCOMPARE(silent.requestCount(), before + 1);
}

void TestSnmpHelper::setEncoding_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QByteArray>("tail"); // the encoded value at the end of the message

    const QString longText(2000, QLatin1Char('z'));
    QTest::newRow("integer") << int(ASN_INTEGER) << "-2" << true << QByteArray("\x02\x01\xfe", 3);
    QTest::newRow("string longer than 1024 bytes") << int(ASN_OCTET_STR) << longText << true
                                                  << QByteArray("\x04\x82\x07\xd0", 4) + longText.toLatin1();
    QTest::newRow("empty string") << int(ASN_OCTET_STR) << "" << true << QByteArray("\x04\x00", 2);
    QTest::newRow("string too long for a message") << int(ASN_OCTET_STR) << QString(SNMPHelper::MaxSetValueBytes + 1, 'a')
                                                   << false << QByteArray();
    QTest::newRow("ip") << int(ASN_IPADDRESS) << "10.1.2.254" << true << QByteArray("\x40\x04\x0a\x01\x02\xfe", 6);
    QTest::newRow("ip two parts") << int(ASN_IPADDRESS) << "10.1" << false << QByteArray();
    QTest::newRow("ip five parts") << int(ASN_IPADDRESS) << "1.2.3.4.5" << false << QByteArray();
    QTest::newRow("ip part too big") << int(ASN_IPADDRESS) << "1.2.3.256" << false << QByteArray();
    QTest::newRow("ip not numeric") << int(ASN_IPADDRESS) << "a.b.c.d" << false << QByteArray();
    QTest::newRow("unknown type") << int(ASN_COUNTER) << "5" << false << QByteArray();
}

void TestSnmpHelper::setEncoding()
{
    QFETCH(int, type);
    QFETCH(QString, value);
    QFETCH(bool, sent);
    QFETCH(QByteArray, tail);

    FakeAgent agent; // echoes the SET back, so a sent request succeeds
    auto r = request("1.3.6.1.4.1.32473.1.1.0", static_cast<quint8>(type), value);
    const int status = helper()->set(agent.hostAddress(), r.get());
    if (!sent) {
        QVERIFY(status != 0);
        QCOMPARE(agent.requestCount(), 0);
        return;
    }
    QCOMPARE(status, 0);
    QCOMPARE(agent.requestCount(), 1);
    QVERIFY2(agent.datagrams().first().endsWith(tail), agent.datagrams().first().toHex().constData());
}

void TestSnmpHelper::pollReadsAllOnceThenOnlyWhatIsDue()
{
    FakeAgent agent;
    QSignalSpy updated(helper(), &SNMPHelper::propertyUpdated);
    QList<snmp_req_t *> list = pollList(4);
    list[1]->pollWhenActive = 1;
    helper()->addDevice("dev1", agent.hostAddress(), list);

    helper()->sendAsync(); // first cycle: every record once
    QCOMPARE(agent.requestCount(), 4);
    QCOMPARE(updated.count(), 1);
    QCOMPARE(updated.takeFirst().at(0).toString(), QStringLiteral("dev1"));
    for (const snmp_req_t *r : list)
        QVERIFY(r->done);

    helper()->sendAsync(); // not active, nothing dynamic: nothing is sent, no signal
    QCOMPARE(agent.requestCount(), 4);
    QCOMPARE(updated.count(), 0);

    helper()->setActiveDeviceId("dev1"); // active: the D-flagged record and those without a value
    list[2]->value.clear();
    helper()->sendAsync();
    QCOMPARE(agent.requestCount(), 6);
    QVERIFY(list[1]->done && list[2]->done && !list[0]->done && !list[3]->done);
    QVERIFY(!list[2]->value.isEmpty());
    helper()->sendAsync();
    QCOMPARE(agent.requestCount(), 7);

    helper()->setActiveDeviceId(QString());
    helper()->setPropertyDynamic("dev1", list[3]->name, true);
    helper()->sendAsync();
    QCOMPARE(agent.requestCount(), 8);
    QVERIFY(list[3]->done && !list[1]->done);

    helper()->setDeviceOnline("dev1", false);
    helper()->sendAsync();
    QCOMPARE(agent.requestCount(), 8);
    helper()->setDeviceOnline("dev1", true); // back online: one full read
    helper()->sendAsync();
    QCOMPARE(agent.requestCount(), 12);
}

void TestSnmpHelper::pollTimeOutPartWayKeepsReadAll()
{
    FakeAgent agent(2); // answers two requests, then stays silent
    QSignalSpy updated(helper(), &SNMPHelper::propertyUpdated);
    QList<snmp_req_t *> list = pollList(10);
    helper()->addDevice("dev1", agent.hostAddress(), list);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("Device <dev1> property <\\.1\\.3\\.6\\.1\\.4\\.1\\.32473\\.9\\.3\\.0>retrieving timed out"));
    helper()->sendAsync();
    QCOMPARE(updated.count(), 1);
    QVERIFY(list[0]->done && list[1]->done && list[2]->done);
    QVERIFY(!list[0]->timedOut && !list[1]->timedOut);
    // The silent device answered nothing more in this cycle: what was due
    // is handled as not answered.
    for (int i = 2; i < 10; ++i)
        QVERIFY(list[i]->done && list[i]->timedOut);

    // The interrupted full read is not taken as done: the next cycle reads everything.
    agent.setAnswerLimit(-1);
    const int before = agent.requestCount();
    helper()->sendAsync();
    QCOMPARE(agent.requestCount() - before, 10);
    helper()->sendAsync();
    QCOMPARE(agent.requestCount() - before, 10);
}

void TestSnmpHelper::pollAgainstSnmpd()
{
    if (!m_haveSnmpd)
        QSKIP("snmpd could not be started");
    QList<snmp_req_t *> list;
    list << request("1.3.6.1.2.1.1.1.0").release() << request("1.3.6.1.2.1.1.3.0").release()
         << request("1.3.6.1.2.1.1.8.0").release();
    helper()->addDevice("snmpd", m_snmpd.hostAddress(), list);
    QSignalSpy updated(helper(), &SNMPHelper::propertyUpdated);
    helper()->sendAsync();
    QCOMPARE(updated.count(), 1);
    QVERIFY(!list[0]->value.isEmpty());
    bool isNumber = false;
    list[1]->value.toInt(&isNumber);
    QVERIFY(isNumber);
    list[2]->value.toInt(&isNumber);
    QVERIFY(isNumber);
}

void TestSnmpHelper::pollSelectFailure()
{
    FakeAgent agent;
    QList<snmp_req_t *> list = pollList(3);
    helper()->addDevice("dev1", agent.hostAddress(), list);

    // An interrupted wait is simply repeated.
    int interruptions = 0;
    helper()->setSelectFunction([&](int n, fd_set *fds, timeval *tv) {
        if (interruptions++ < 2) {
            errno = EINTR;
            return -1;
        }
        return ::select(n, fds, nullptr, nullptr, tv);
    });
    helper()->sendAsync();
    QCOMPARE(agent.requestCount(), 3);

    // Any other failure ends the cycle (the process lives on) and the full read stays due.
    helper()->reReadAllProperties("dev1");
    helper()->setSelectFunction([](int, fd_set *, timeval *) {
        errno = EBADF;
        return -1;
    });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("SNMPHelper::sendAsync: select failed"));
    helper()->sendAsync();
    // The cycle ends right after its first send; the agent sees it a moment later.
    QVERIFY(testsupport::waitFor([&] { return agent.requestCount() == 4; }, 2000));
    helper()->setSelectFunction([](int n, fd_set *fds, timeval *tv) { return ::select(n, fds, nullptr, nullptr, tv); });
    helper()->sendAsync();
    QCOMPARE(agent.requestCount(), 7);
}

void TestSnmpHelper::removeWhilePolling()
{
    // Another thread drops the device and replaces the other device's list
    // while their chains wait for replies.
    FakeAgent agent;
    helper()->addDevice("dev1", agent.hostAddress(), pollList(5));
    helper()->addDevice("dev2", agent.hostAddress(), pollList(5));
    agent.setOnRequest([this](int n) {
        if (n == 3) {
            helper()->removeDevice("dev1");
            helper()->setRequests("dev2", pollList(2));
        }
    });
    QSignalSpy updated(helper(), &SNMPHelper::propertyUpdated);
    helper()->sendAsync();
    QVERIFY(helper()->getRequests("dev1").isEmpty());
    QCOMPARE(helper()->getRequests("dev2").size(), 2);
    agent.setOnRequest(nullptr);
    const int before = agent.requestCount();
    helper()->sendAsync(); // the new list is read in full
    QCOMPARE(agent.requestCount() - before, 2);
}

QTEST_GUILESS_MAIN(TestSnmpHelper)

void TestSnmpHelper::pollWaitsThroughTheLibrarysRetries()
{
    // An agent that misses the first try (a lost datagram, a busy agent)
    // answers the library's resend: the poll goes on with that answer.
    FakeAgent agent(0);
    agent.setOnRequest([&agent](int n) { agent.setAnswerLimit(n == 1 ? 0 : -1); });
    QList<snmp_req_t *> list = pollList(3);
    helper()->addDevice("dev1", agent.hostAddress(), list);
    helper()->sendAsync();
    QCOMPARE(agent.requestCount(), 4);
    for (const snmp_req_t *r : qAsConst(list))
        QVERIFY(r->done && !r->timedOut);
}

void TestSnmpHelper::pollEndsWhenItsThreadMustEnd()
{
    // A cycle waiting on a silent agent takes seconds with the library's
    // retries. When the program ends, its thread is asked to end: the cycle
    // gives up at once instead of holding the exit back.
    FakeAgent silent(0);
    QList<snmp_req_t *> list = pollList(3);
    helper()->addDevice("dev1", silent.hostAddress(), list);
    std::atomic<bool> ended{false};
    std::unique_ptr<QThread> thread(QThread::create([&] {
        helper()->sendAsync();
        ended = true;
    }));
    thread->start();
    QVERIFY(testsupport::waitFor([&] { return silent.requestCount() >= 1; }, 2000));
    thread->requestInterruption();
    QVERIFY(thread->wait(2000));
    QVERIFY(ended);
    QVERIFY(silent.requestCount() < 6); // it did not go through the retries

    // The next cycle polls as before.
    silent.setAnswerLimit(-1);
    const int before = silent.requestCount();
    helper()->sendAsync();
    QCOMPARE(silent.requestCount() - before, 3);
    QVERIFY(list[0]->done && !list[0]->timedOut);
}

void TestSnmpHelper::silentAgentHoldsOnlyItsOwnChain()
{
    // A silent agent's chain waits through the library's retries (seconds);
    // a cycle with a quiet limit returns once nothing answered for that long
    // and the other devices are polled again meanwhile.
    FakeAgent silent(0);
    FakeAgent agent;
    QList<snmp_req_t *> quiet = pollList(3);
    QList<snmp_req_t *> busy = pollList(3);
    helper()->addDevice("quiet", silent.hostAddress(), quiet);
    helper()->addDevice("busy", agent.hostAddress(), busy);
    QSignalSpy updated(helper(), &SNMPHelper::propertyUpdated);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("Device <quiet> .*retrieving timed out"));

    helper()->sendAsync(1500);
    QCOMPARE(agent.requestCount(), 3);
    QCOMPARE(updated.count(), 1);
    QCOMPARE(updated.takeFirst().at(0).toString(), QStringLiteral("busy"));
    QVERIFY(!quiet[0]->done);

    helper()->setPropertyDynamic("busy", busy[0]->name, true);
    helper()->sendAsync(1500);
    QCOMPARE(agent.requestCount(), 4);
    QVERIFY(!quiet[0]->done);

    // In its time the silent chain ends, unanswered, and is reported.
    QVERIFY(testsupport::waitFor([&] {
        helper()->sendAsync(1500);
        return quiet[0]->done;
    }, 30000));
    QVERIFY(quiet[0]->timedOut && quiet[2]->timedOut);
    QVERIFY(silent.requestCount() > 1); // it was waited for through the resends
}

void TestSnmpHelper::requestEndsWhenItsThreadMustEnd()
{
    // A GET to a silent agent waits through the library's retries; a thread
    // asked to end gives it up at once, and the stale value is not kept.
    FakeAgent silent(0);
    auto get = request("1.3.6.1.2.1.1.1.0");
    get->value = QStringLiteral("stale");
    int result = 0;
    std::unique_ptr<QThread> thread(QThread::create([&] { result = helper()->get(silent.hostAddress(), get.get()); }));
    thread->start();
    QVERIFY(testsupport::waitFor([&] { return silent.requestCount() >= 1; }, 2000));
    thread->requestInterruption();
    QVERIFY(thread->wait(2000));
    QCOMPARE(result, int(STAT_TIMEOUT));
    QVERIFY(get->done);
    QVERIFY(get->value.isEmpty());

    // The same thread's next request, answered, is not mistaken for the given-up one.
    silent.setAnswerLimit(-1);
    QCOMPARE(helper()->get(silent.hostAddress(), get.get()), 0);
}

#include "tst_snmphelper.moc"
