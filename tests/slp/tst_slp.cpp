// The SLP user-agent library: its messages against hand-built RFC 2608 bytes,
// its searches against simulated devices on loopback, and its requests as
// Wireshark's SLP dissector reads them.
#include "devsimfleet.h"
#include "slpportlock.h"
#include "slp.h"
#include "slpcollector.h"
#include "slpmessage.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QUdpSocket>
#include <QtTest>

namespace {

// Bytes written as hex pairs, with text in single quotes: "02 01 'en'".
QByteArray bytes(const char *spec)
{
    QByteArray out;
    const QByteArray s(spec);
    for (int i = 0; i < s.size();) {
        if (s[i] == ' ') {
            ++i;
        } else if (s[i] == '\'') {
            const int end = s.indexOf('\'', i + 1);
            out += s.mid(i + 1, end - i - 1);
            i = end + 1;
        } else {
            out += char(s.mid(i, 2).toInt(nullptr, 16));
            i += 2;
        }
    }
    return out;
}

bool parse(const QByteArray &d, SlpReply *reply, std::string *why)
{
    return SlpMessage::parseReply(reinterpret_cast<const uint8_t *>(d.constData()), size_t(d.size()), reply, why);
}

const char *SrvRplyTwoUrls =
    "02 02 00006e 0000 000000 1234 0002 'en' 0000 0002"
    " 00 ffff 0021 'service:device.vantor://127.0.0.2' 00"
    " 00 003c 0021 'service:device.vantor://127.0.0.3' 01 0002 000c 00000000 0000 0000";
const char *AttrRply =
    "02 07 00003f 0000 000000 1234 0002 'en' 0000 002a '(device-model=4320),(device-vendor=Vantor)' 00";
const char *SrvTypeRply =
    "02 0a 000041 0000 000000 1234 0002 'en' 0000 002d 'service:device.vantor,service:web.vantor:http'";

// Devices on loopback for the searches: three that answer, one silent, one
// that sends broken replies, one that answers late.
const int Good[] = {2, 3, 4};
const int Silent = 5, Broken = 6, Late = 7;
// Devices that answer only after the first rounds of a search, and one whose
// datagram replies are cut to a small MTU.
const int Later = 8, Latest = 9, SmallMtu = 10, Slowest = 12;

} // namespace

class TestSlp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void readsReplies();
    void refusesBadReplies_data();
    void refusesBadReplies();
    void encodesRequests_data();
    void encodesRequests();
    void agentFollowsRfc2608_data();
    void agentFollowsRfc2608();

    void findsEveryDeviceOnce();
    void findsLateDevices_data();
    void findsLateDevices();
    void takesWholeReplyOverTcp_data();
    void takesWholeReplyOverTcp();
    void neverUsesCutReply();
    void findsAttributes_data();
    void findsAttributes();
    void findsServiceTypesOnce();
    void closeCancelsSearch();
    void closeFromCallback();
    void closeFromFinalCallbackAtOnce();
    void reportsNetworkFailure();
    void wiresharkReadsRequests();

private:
    SlpPortLock m_lock; // first in, last out: held until the devices are gone
    DevsimFleet m_fleet;
    bool m_devices = false;
};

void TestSlp::initTestCase()
{
    // Multicast only on the loopback interface.
    qputenv("ZEL_SLP_INTERFACES", "lo");
    SLPSetProperty("net.slp.interfaces", "lo");
    QCOMPARE(QByteArray(SLPGetProperty("net.slp.interfaces")), QByteArray("lo"));
    m_devices = testsupport::isRoot();
    if (!m_devices)
        return; // the message tests run all the same
    for (int host : Good)
        QVERIFY(m_fleet.start(host));
    QVERIFY(m_fleet.start(Silent, {"--silent"}));
    QVERIFY(m_fleet.start(Broken, {"--broken"}));
    QVERIFY(m_fleet.start(Late, {"--delay-ms", "300"}));
    QVERIFY(m_fleet.start(Later, {"--delay-ms", "1200"}));
    QVERIFY(m_fleet.start(Latest, {"--delay-ms", "2000"}));
    QVERIFY(m_fleet.start(SmallMtu, {"--slp-mtu", "120"}));
    QVERIFY(m_fleet.start(Slowest, {"--slp-delay-ms", "2500"}));
}

void TestSlp::readsReplies()
{
    SlpReply r;
    std::string why;
    QVERIFY2(parse(bytes(SrvRplyTwoUrls), &r, &why), why.c_str());
    QCOMPARE(int(r.function), 2);
    QCOMPARE(int(r.xid), 0x1234);
    QCOMPARE(QString::fromStdString(r.language), QString("en"));
    QCOMPARE(int(r.urls.size()), 2);
    QCOMPARE(QString::fromStdString(r.urls[0].url), QString("service:device.vantor://127.0.0.2"));
    QCOMPARE(int(r.urls[0].lifetime), 0xffff);
    QCOMPARE(QString::fromStdString(r.urls[1].url), QString("service:device.vantor://127.0.0.3"));
    QCOMPARE(int(r.urls[1].lifetime), 60);

    r = SlpReply();
    QVERIFY2(parse(bytes(AttrRply), &r, &why), why.c_str());
    QCOMPARE(QString::fromStdString(r.attributes), QString("(device-model=4320),(device-vendor=Vantor)"));

    r = SlpReply();
    QVERIFY2(parse(bytes(SrvTypeRply), &r, &why), why.c_str());
    QCOMPARE(QString::fromStdString(r.serviceTypes), QString("service:device.vantor,service:web.vantor:http"));

    // Error replies have every field of their function, empty.
    for (const char *error : {"02 02 000014 0000 000000 1234 0002 'en' 0004 0000",
                              "02 07 000015 0000 000000 1234 0002 'en' 0004 0000 00",
                              "02 0a 000014 0000 000000 1234 0002 'en' 0004 0000"}) {
        r = SlpReply();
        QVERIFY2(parse(bytes(error), &r, &why), why.c_str());
        QCOMPARE(int(r.errorCode), 4);
        QVERIFY(r.urls.empty() && r.attributes.empty() && r.serviceTypes.empty());
    }
    // A reply cut by its sender reads well and says so.
    QByteArray cut = bytes(AttrRply);
    cut[5] = char(0x80);
    r = SlpReply();
    QVERIFY2(parse(cut, &r, &why), why.c_str());
    QVERIFY(r.flags & SlpMessage::FlagOverflow);
}

void TestSlp::refusesBadReplies_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QByteArray longer = bytes(SrvRplyTwoUrls);
    longer[4] = char(0x6f);
    QByteArray shorter = bytes(SrvTypeRply);
    shorter[4] = char(0x40);
    QByteArray version = bytes(AttrRply);
    version[0] = 1;
    QByteArray extension = bytes(SrvTypeRply);
    extension[9] = char(0xff);
    QByteArray request = bytes(AttrRply);
    request[1] = 6;

    QTest::newRow("header cut short") << bytes("02 02 0000");
    QTest::newRow("length field beyond the datagram") << longer;
    QTest::newRow("length field short of the datagram") << shorter;
    QTest::newRow("other version") << version;
    QTest::newRow("a request") << request;
    QTest::newRow("extension offset outside") << extension;
    QTest::newRow("language tag past the end") << bytes("02 02 000010 0000 000000 1234 00ff 'en'");
    QTest::newRow("URL length past the end")
        << bytes("02 02 00001d 0000 000000 1234 0002 'en' 0000 0001 00 ffff 0100 'abc' 00");
    QTest::newRow("fewer URL entries than counted")
        << bytes("02 02 00001d 0000 000000 1234 0002 'en' 0000 0002 00 ffff 0003 'abc' 00");
    QTest::newRow("empty URL") << bytes("02 02 00001a 0000 000000 1234 0002 'en' 0000 0001 00 ffff 0000 00");
    QTest::newRow("NUL inside the URL")
        << bytes("02 02 00001d 0000 000000 1234 0002 'en' 0000 0001 00 ffff 0003 61 00 63 00");
    QTest::newRow("authentication block shorter than its header")
        << bytes("02 02 000021 0000 000000 1234 0002 'en' 0000 0001 00 ffff 0003 'abc' 01 0002 0004");
    QTest::newRow("authentication block past the end")
        << bytes("02 02 000021 0000 000000 1234 0002 'en' 0000 0001 00 ffff 0003 'abc' 01 0002 0040");
    QTest::newRow("attribute list past the end") << bytes("02 07 000016 0000 000000 1234 0002 'en' 0000 00ff 'ab'");
    QTest::newRow("attribute reply without authentication count")
        << bytes("02 07 000016 0000 000000 1234 0002 'en' 0000 0002 'ab'");
    QTest::newRow("error reply ending after its error code")
        << bytes("02 02 000012 0000 000000 1234 0002 'en' 0004");
    QTest::newRow("error attribute reply without its list") << bytes("02 07 000012 0000 000000 1234 0002 'en' 0004");
    QTest::newRow("error type reply without its list") << bytes("02 0a 000012 0000 000000 1234 0002 'en' 0004");
    QTest::newRow("error reply with URL entries")
        << bytes("02 02 00001d 0000 000000 1234 0002 'en' 0004 0001 00 ffff 0003 'abc' 00");
    QTest::newRow("error reply with attributes") << bytes("02 07 000017 0000 000000 1234 0002 'en' 0004 0002 'ab' 00");
    QTest::newRow("bytes left over")
        << bytes("02 0a 000017 0000 000000 1234 0002 'en' 0000 0002 'ab' 00");
}

void TestSlp::refusesBadReplies()
{
    QFETCH(QByteArray, datagram);
    SlpReply r;
    std::string why;
    QVERIFY(!parse(datagram, &r, &why));
    QVERIFY(!why.empty());
    // Every shorter piece of the datagram is refused too, never read past.
    for (int n = 0; n < datagram.size(); ++n)
        QVERIFY(!parse(datagram.left(n), &r, &why));
}

namespace {
// A service request of the library's own encoding, as bytes.
QByteArray request(SlpRequest::Function function, const QString &what, const QString &third = QString(),
                   const QString &scopes = "DEFAULT")
{
    SlpRequest r;
    r.function = function;
    r.xid = 0x1234;
    r.serviceType = r.url = what.toStdString();
    r.namingAuthority = what.toStdString();
    r.allAuthorities = what == "*";
    r.predicate = r.tags = third.toStdString();
    r.scopes = scopes.toStdString();
    const std::vector<uint8_t> d = SlpMessage::encode(r, 1400);
    return QByteArray(reinterpret_cast<const char *>(d.data()), int(d.size()));
}
} // namespace

void TestSlp::agentFollowsRfc2608_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<int>("function"); // of the answer; 0: no answer
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("content"); // URLs (joined by ","), attributes or types

    const QString url = DevsimFleet::deviceUrl(2);
    QTest::newRow("predicate met") << request(SlpRequest::SrvRqst, "service:device.vantor", "(device-model=4320)")
                                   << 2 << 0 << url;
    QTest::newRow("predicate with and, case ignored")
        << request(SlpRequest::SrvRqst, "service:device.vantor", "(&(DEVICE-VENDOR=vantor & VANTOR)(device-serial-no=100002))")
        << 2 << 0 << url;
    QTest::newRow("predicate with wildcard and order")
        << request(SlpRequest::SrvRqst, "service:device.vantor", "(|(device-serial-no=99*)(device-serial-no>=100001))")
        << 2 << 0 << url;
    QTest::newRow("predicate not met") << request(SlpRequest::SrvRqst, "service:device.vantor", "(!(device-model=4320))")
                                       << 2 << 0 << "";
    QTest::newRow("predicate on a missing attribute")
        << request(SlpRequest::SrvRqst, "service:device.vantor", "(colour=*)") << 2 << 0 << "";
    QTest::newRow("malformed predicate")
        << request(SlpRequest::SrvRqst, "service:device.vantor", "(device-model=4320") << 2 << 2 << "";
    QTest::newRow("other scope") << request(SlpRequest::SrvRqst, "service:device.vantor", "", "LAB") << 2 << 4 << "";
    QTest::newRow("attributes by tag") << request(SlpRequest::AttrRqst, url, "DEVICE-MODEL, device-vendor") << 7 << 0
                                       << "(device-vendor=Vantor & Vantor),(device-model=4320)";
    QTest::newRow("attributes of an unknown URL")
        << request(SlpRequest::AttrRqst, "service:device.vantor://127.0.0.99") << 7 << 0 << "";
    QTest::newRow("attributes, other scope") << request(SlpRequest::AttrRqst, url, "", "LAB") << 7 << 4 << "";
    QTest::newRow("types, other scope") << request(SlpRequest::SrvTypeRqst, "*", "", "LAB") << 10 << 4 << "";
    QTest::newRow("service agents") << request(SlpRequest::SrvRqst, "service:service-agent") << 11 << 0 << "";

    QByteArray cutBody = request(SlpRequest::SrvRqst, "service:device.vantor");
    cutBody.chop(2); // no SPI length
    cutBody[4] = char(cutBody.size());
    QTest::newRow("body cut short") << cutBody << 2 << 2 << "";
    QByteArray attrCutBody = request(SlpRequest::AttrRqst, url);
    attrCutBody.chop(4);
    attrCutBody[4] = char(attrCutBody.size());
    QTest::newRow("attribute request cut short") << attrCutBody << 7 << 2 << "";
    QTest::newRow("version 1") << bytes("01 01 0010 00 00 'en' 0003 1234 00000000") << 2 << 9 << "";
    QTest::newRow("registration") << bytes("02 03 000012 0000 000000 1234 0002 'en' 0000") << 5 << 14 << "";
    QTest::newRow("unknown function") << bytes("02 20 000012 0000 000000 1234 0002 'en' 0000") << 5 << 14 << "";
    QTest::newRow("mandatory extension not understood")
        << bytes("02 09 000022 0000 00001d 1234 0002 'en' 0000 ffff 0007 'DEFAULT' 4002 000000") << 10 << 3 << "";
    QTest::newRow("garbage") << QByteArray("hello, agent") << 0 << 0 << "";
    QTest::newRow("length field wrong") << bytes("02 01 0000ff 0000 000000 1234 0002 'en' 0000") << 0 << 0 << "";
    QTest::newRow("version 3") << bytes("03 01 000012 0000 000000 1234 0002 'en' 0000") << 0 << 0 << "";
    QTest::newRow("a reply") << bytes(AttrRply) << 0 << 0 << "";
    QByteArray multicast = cutBody;
    multicast[5] = char(0x20);
    QTest::newRow("no error to a multicast request") << multicast << 0 << 0 << "";
}

void TestSlp::agentFollowsRfc2608()
{
    if (!m_devices)
        QSKIP("the simulated devices need root (port 427 on 127.0.0.x)");
    QFETCH(QByteArray, datagram);
    QFETCH(int, function);
    QFETCH(int, error);
    QFETCH(QString, content);
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress(QHostAddress::LocalHost), 0));
    const QHostAddress agent(DevsimFleet::address(2));
    QCOMPARE(socket.writeDatagram(datagram, agent, 427), qint64(datagram.size()));
    // A request that is always answered follows: whatever comes first is the
    // answer to the message under test, or there was none.
    QByteArray probe = request(SlpRequest::SrvTypeRqst, "*");
    probe[10] = char(0x77);
    QCOMPARE(socket.writeDatagram(probe, agent, 427), qint64(probe.size()));
    QVERIFY(socket.waitForReadyRead(3000));
    QByteArray answer(int(socket.pendingDatagramSize()), Qt::Uninitialized);
    socket.readDatagram(answer.data(), answer.size());
    if (function == 0) {
        QCOMPARE(int(quint8(answer[1])), 10);
        QCOMPARE(quint8(answer[10]), quint8(0x77));
        return;
    }
    QCOMPARE(int(quint8(answer[1])), function);
    if (function == 5 || function == 11) {
        // Acknowledgement and agent advert, read by hand: the library reads neither.
        QCOMPARE(int(quint8(answer[2]) << 16 | quint8(answer[3]) << 8 | quint8(answer[4])), answer.size());
        QCOMPARE(quint16(quint8(answer[10]) << 8 | quint8(answer[11])), quint16(0x1234));
        if (function == 5) {
            QCOMPARE(answer.size(), 18);
            QCOMPARE(int(quint8(answer[16]) << 8 | quint8(answer[17])), error);
        } else {
            QVERIFY(answer.contains("service:service-agent://127.0.0.2"));
        }
        return;
    }
    SlpReply r;
    std::string why;
    QVERIFY2(parse(answer, &r, &why), why.c_str());
    QCOMPARE(int(r.xid), 0x1234);
    QCOMPARE(int(r.errorCode), error);
    QStringList urls;
    for (const SlpUrlEntry &e : r.urls)
        urls << QString::fromStdString(e.url);
    QCOMPARE(urls.join(',') + QString::fromStdString(r.attributes) + QString::fromStdString(r.serviceTypes), content);
}

void TestSlp::encodesRequests_data()
{
    QTest::addColumn<int>("function");
    QTest::addColumn<bool>("multicast");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QStringList>("responders");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("service request with responders")
        << int(SlpRequest::SrvRqst) << true << "service:device.vantor" << QStringList{"127.0.0.2"}
        << bytes("02 01 00003f 2000 000000 0101 0002 'en' 0009 '127.0.0.2' 0015 'service:device.vantor'"
                 " 0007 'DEFAULT' 0000 0000");
    QTest::newRow("attribute request by unicast")
        << int(SlpRequest::AttrRqst) << false << "service:device.vantor://127.0.0.2" << QStringList()
        << bytes("02 06 000042 0000 000000 0101 0002 'en' 0000 0021 'service:device.vantor://127.0.0.2'"
                 " 0007 'DEFAULT' 0000 0000");
    QTest::newRow("service types of all naming authorities")
        << int(SlpRequest::SrvTypeRqst) << true << "*" << QStringList()
        << bytes("02 09 00001d 2000 000000 0101 0002 'en' 0000 ffff 0007 'DEFAULT'");
}

void TestSlp::encodesRequests()
{
    QFETCH(int, function);
    QFETCH(bool, multicast);
    QFETCH(QString, what);
    QFETCH(QStringList, responders);
    QFETCH(QByteArray, expected);
    SlpRequest r;
    r.function = SlpRequest::Function(function);
    r.xid = 0x0101;
    r.multicast = multicast;
    r.serviceType = r.url = what.toStdString();
    for (const QString &p : responders)
        r.previousResponders.push_back(p.toStdString());
    const std::vector<uint8_t> d = SlpMessage::encode(r, 1400);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(d.data()), int(d.size())).toHex(' '), expected.toHex(' '));
    // A datagram that would not fit is not made.
    QVERIFY(SlpMessage::encode(r, size_t(expected.size() - 1)).empty());
}

void TestSlp::findsEveryDeviceOnce()
{
    if (!m_devices)
        QSKIP("the simulated devices need root (port 427 on 127.0.0.x)");
    SLPHandle h = nullptr;
    QCOMPARE(SLPOpen(nullptr, SLP_TRUE, &h), SLP_OK);
    SlpCollector c;
    QCOMPARE(SLPFindSrvs(h, "service:device.vantor", nullptr, nullptr, SlpCollector::urlCallback, &c), SLP_OK);
    QVERIFY(c.waitEnd());
    QTest::qWait(200); // nothing may follow the last call
    SLPClose(h);
    QStringList expected;
    for (int host : Good)
        expected << DevsimFleet::deviceUrl(host);
    // Those that answer seconds late too: the search listens on while
    // answers keep coming.
    for (int host : {Late, Later, Latest, Slowest, SmallMtu})
        expected << DevsimFleet::deviceUrl(host);
    QStringList found = c.results();
    QCOMPARE(found.removeDuplicates(), 0);
    QCOMPARE(c.calls(), found.size() + 1);
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
    QCOMPARE(c.finals(), QList<int>{SLP_LAST_CALL});
}

void TestSlp::findsLateDevices_data()
{
    QTest::addColumn<int>("host");
    QTest::newRow("answer after 1.2 s") << Later;
    QTest::newRow("answer after 2 s") << Latest;
    QTest::newRow("answer after 2.5 s") << Slowest;
}

void TestSlp::findsLateDevices()
{
    if (!m_devices)
        QSKIP("the simulated devices need root (port 427 on 127.0.0.x)");
    QFETCH(int, host);
    // Only the late device meets the filter: nobody answers the first rounds.
    const QByteArray filter = QStringLiteral("(device-serial-no=%1)").arg(100000 + host).toLatin1();
    SLPHandle h = nullptr;
    QCOMPARE(SLPOpen(nullptr, SLP_TRUE, &h), SLP_OK);
    SlpCollector c;
    QCOMPARE(SLPFindSrvs(h, "service:device.vantor", nullptr, filter.constData(), SlpCollector::urlCallback, &c),
             SLP_OK);
    QVERIFY(c.waitEnd());
    SLPClose(h);
    QCOMPARE(c.results(), QStringList{DevsimFleet::deviceUrl(host)});
    QCOMPARE(c.finals(), QList<int>{SLP_LAST_CALL});
}

void TestSlp::takesWholeReplyOverTcp_data()
{
    QTest::addColumn<bool>("unicast");
    QTest::newRow("multicast") << false;
    QTest::newRow("unicast") << true;
}

void TestSlp::takesWholeReplyOverTcp()
{
    if (!m_devices)
        QSKIP("the simulated devices need root (port 427 on 127.0.0.x)");
    QFETCH(bool, unicast);
    SLPHandle h = nullptr;
    QCOMPARE(SLPOpen(nullptr, SLP_TRUE, &h), SLP_OK);
    if (unicast)
        QCOMPARE(SLPAssociateIP(h, qPrintable(DevsimFleet::address(SmallMtu))), SLP_OK);
    SlpCollector c;
    const QByteArray url = DevsimFleet::deviceUrl(SmallMtu).toLatin1();
    QCOMPARE(SLPFindAttrs(h, url.constData(), nullptr, nullptr, SlpCollector::textCallback, &c), SLP_OK);
    QVERIFY(c.waitEnd());
    SLPClose(h);
    QCOMPARE(c.finals(), QList<int>{SLP_LAST_CALL});
    QCOMPARE(c.results().size(), 1);
    const QString attrs = c.results().first();
    // The datagram reply is cut inside the vendor; the whole one ends with the alias.
    QVERIFY2(attrs.contains(QStringLiteral("(device-serial-no=%1)").arg(100000 + SmallMtu)), qPrintable(attrs));
    QVERIFY2(attrs.endsWith("(device-alias=Bridge terminal)"), qPrintable(attrs));
}

void TestSlp::neverUsesCutReply()
{
    if (!m_devices)
        QSKIP("the fake agent needs root (port 427 on 127.0.0.x)");
    // An agent that cuts its reply and offers no TCP service.
    QUdpSocket agent;
    QVERIFY(agent.bind(QHostAddress("127.0.0.11"), 427));
    QObject::connect(&agent, &QUdpSocket::readyRead, &agent, [&agent] {
        while (agent.hasPendingDatagrams()) {
            QByteArray request(int(agent.pendingDatagramSize()), Qt::Uninitialized);
            QHostAddress from;
            quint16 port = 0;
            agent.readDatagram(request.data(), request.size(), &from, &port);
            QByteArray reply = bytes("02 07 00002b 8000 000000 0000 0002 'en' 0000 0016 '(device-serial-no=1000' 00");
            reply[10] = request[10];
            reply[11] = request[11];
            agent.writeDatagram(reply, from, port);
        }
    });
    SLPHandle h = nullptr;
    QCOMPARE(SLPOpen(nullptr, SLP_TRUE, &h), SLP_OK);
    QCOMPARE(SLPAssociateIP(h, "127.0.0.11"), SLP_OK);
    SlpCollector c;
    QCOMPARE(SLPFindAttrs(h, "service:device.vantor://127.0.0.11", nullptr, nullptr, SlpCollector::textCallback, &c),
             SLP_OK);
    QVERIFY(testsupport::waitFor([&c] { return c.ended(); }, 30000));
    SLPClose(h);
    QCOMPARE(c.finals(), QList<int>{SLP_NETWORK_TIMED_OUT});
    QVERIFY(c.results().isEmpty());
}

void TestSlp::findsAttributes_data()
{
    QTest::addColumn<int>("host");
    QTest::addColumn<bool>("unicast");
    QTest::addColumn<int>("finalCode");
    QTest::newRow("multicast") << 3 << false << int(SLP_LAST_CALL);
    QTest::newRow("unicast") << 3 << true << int(SLP_LAST_CALL);
    QTest::newRow("unicast, late answer") << Late << true << int(SLP_LAST_CALL);
    QTest::newRow("unicast, silent device") << Silent << true << int(SLP_NETWORK_TIMED_OUT);
    QTest::newRow("unicast, broken answers") << Broken << true << int(SLP_NETWORK_TIMED_OUT);
    QTest::newRow("multicast, broken answers") << Broken << false << int(SLP_LAST_CALL);
}

void TestSlp::findsAttributes()
{
    if (!m_devices)
        QSKIP("the simulated devices need root (port 427 on 127.0.0.x)");
    QFETCH(int, host);
    QFETCH(bool, unicast);
    QFETCH(int, finalCode);
    SLPHandle h = nullptr;
    QCOMPARE(SLPOpen(nullptr, SLP_TRUE, &h), SLP_OK);
    if (unicast)
        QCOMPARE(SLPAssociateIP(h, qPrintable(DevsimFleet::address(host))), SLP_OK);
    SlpCollector c;
    const QByteArray url = DevsimFleet::deviceUrl(host).toLatin1();
    QCOMPARE(SLPFindAttrs(h, url.constData(), nullptr, nullptr, SlpCollector::textCallback, &c), SLP_OK);
    QVERIFY(c.waitEnd());
    SLPClose(h);
    QCOMPARE(c.finals(), QList<int>{finalCode});
    if (finalCode != SLP_LAST_CALL || host == Broken) {
        QVERIFY(c.results().isEmpty());
        return;
    }
    QCOMPARE(c.results().size(), 1);
    const QString attrs = c.results().first();
    QVERIFY2(attrs.contains(QStringLiteral("(device-serial-no=%1)").arg(100000 + host)), qPrintable(attrs));
    for (const char *tag : {"device-vendor=", "device-model=", "device-sw-version=", "device-product=",
                            "device-sw-build=", "device-alias="})
        QVERIFY2(attrs.contains(QLatin1String(tag)), tag);
}

void TestSlp::findsServiceTypesOnce()
{
    if (!m_devices)
        QSKIP("the simulated devices need root (port 427 on 127.0.0.x)");
    SLPHandle h = nullptr;
    QCOMPARE(SLPOpen(nullptr, SLP_TRUE, &h), SLP_OK);
    SlpCollector c;
    QCOMPARE(SLPFindSrvTypes(h, "*", "", SlpCollector::textCallback, &c), SLP_OK);
    QVERIFY(c.waitEnd());
    SLPClose(h);
    QCOMPARE(c.finals(), QList<int>{SLP_LAST_CALL});
    QStringList types = c.results().join(',').split(',');
    types.sort();
    QCOMPARE(types, (QStringList{"service:device.vantor", "service:mib.vantor:http", "service:web.vantor:http"}));
}

void TestSlp::closeCancelsSearch()
{
    SLPHandle h = nullptr;
    QCOMPARE(SLPOpen(nullptr, SLP_TRUE, &h), SLP_OK);
    SlpCollector c;
    // Nobody offers this type: the search runs through all its waits.
    QCOMPARE(SLPFindSrvs(h, "service:nothing.vantor", nullptr, nullptr, SlpCollector::urlCallback, &c), SLP_OK);
    QCOMPARE(SLPFindSrvs(h, "service:device.vantor", nullptr, nullptr, SlpCollector::urlCallback, &c),
             SLP_HANDLE_IN_USE);
    QTest::qWait(100);
    QElapsedTimer t;
    t.start();
    SLPClose(h);
    QVERIFY2(t.elapsed() < 1000, "closing waits for the search's time-outs");
    const int calls = c.calls();
    QTest::qWait(3000);
    QCOMPARE(c.calls(), calls);
    QCOMPARE(calls, 0);
}

namespace {
// Closes its handle at the first URL it gets.
struct Closer
{
    QAtomicInt calls;
    static SLPBoolean callback(SLPHandle h, const char *, unsigned short, SLPError, void *cookie)
    {
        static_cast<Closer *>(cookie)->calls.ref();
        SLPClose(h);
        return SLP_TRUE;
    }
};
} // namespace

void TestSlp::closeFromCallback()
{
    if (!m_devices)
        QSKIP("the simulated devices need root (port 427 on 127.0.0.x)");
    SLPHandle h = nullptr;
    QCOMPARE(SLPOpen(nullptr, SLP_TRUE, &h), SLP_OK);
    Closer closer;
    QCOMPARE(SLPFindSrvs(h, "service:device.vantor", nullptr, nullptr, Closer::callback, &closer), SLP_OK);
    QTRY_COMPARE(closer.calls.loadAcquire(), 1);
    // Four devices answer, but the search ended with the close: no more calls.
    QTest::qWait(3000);
    QCOMPARE(closer.calls.loadAcquire(), 1);
}

namespace {
// Closes its handle at the final call of the search.
struct FinalCloser
{
    QAtomicInt finals;
    static SLPBoolean callback(SLPHandle h, const char *, unsigned short, SLPError err, void *cookie)
    {
        if (err != SLP_OK) {
            SLPClose(h);
            static_cast<FinalCloser *>(cookie)->finals.ref();
        }
        return SLP_TRUE;
    }
};

// Puts the interfaces back to the loopback interface however the test ends.
struct LoopbackAgain
{
    ~LoopbackAgain() { SLPSetProperty("net.slp.interfaces", "lo"); }
};
} // namespace

void TestSlp::closeFromFinalCallbackAtOnce()
{
    // Without a usable interface a search ends as soon as it starts, so its
    // final call, and the close in it, can come while the search is still
    // being started. Many searches, since that is a matter of timing.
    LoopbackAgain restore;
    SLPSetProperty("net.slp.interfaces", "no-such-interface0");
    FinalCloser closer;
    const int searches = 1000;
    for (int i = 0; i < searches; ++i) {
        SLPHandle h = nullptr;
        QCOMPARE(SLPOpen(nullptr, SLP_TRUE, &h), SLP_OK);
        QCOMPARE(SLPFindSrvs(h, "service:device.vantor", nullptr, nullptr, FinalCloser::callback, &closer), SLP_OK);
    }
    QVERIFY(testsupport::waitFor([&] { return closer.finals.loadAcquire() == searches; }, 10000));
}

void TestSlp::reportsNetworkFailure()
{
    SLPSetProperty("net.slp.interfaces", "no-such-interface0");
    SLPHandle h = nullptr;
    QCOMPARE(SLPOpen(nullptr, SLP_TRUE, &h), SLP_OK);
    SlpCollector c;
    QCOMPARE(SLPFindSrvs(h, "service:device.vantor", nullptr, nullptr, SlpCollector::urlCallback, &c), SLP_OK);
    const bool ended = c.waitEnd();
    SLPClose(h);
    SLPSetProperty("net.slp.interfaces", "lo");
    QVERIFY(ended);
    QCOMPARE(c.finals(), QList<int>{SLP_NETWORK_INIT_FAILED});
    QVERIFY(c.results().isEmpty());
}

void TestSlp::wiresharkReadsRequests()
{
    if (!m_devices)
        QSKIP("the simulated devices need root (port 427 on 127.0.0.x)");
    if (!testsupport::haveProgram("tshark"))
        QSKIP("tshark is not installed");
    const QString pcap = QDir::temp().filePath("slp.pcap");
    testsupport::Peer capture;
    QVERIFY(capture.start("tshark", {"-i", "lo", "-f", "udp port 427", "-w", pcap}));
    QVERIFY2(capture.waitForOutput("Capturing on"), qPrintable(capture.output()));
    QTest::qWait(300);

    SLPHandle h = nullptr;
    QCOMPARE(SLPOpen(nullptr, SLP_TRUE, &h), SLP_OK);
    SlpCollector urls, attrs, types;
    QCOMPARE(SLPFindSrvs(h, "service:device.vantor", nullptr, nullptr, SlpCollector::urlCallback, &urls), SLP_OK);
    QVERIFY(urls.waitEnd());
    QCOMPARE(SLPAssociateIP(h, "127.0.0.3"), SLP_OK);
    QCOMPARE(SLPFindAttrs(h, "service:device.vantor://127.0.0.3", nullptr, nullptr, SlpCollector::textCallback,
                          &attrs),
             SLP_OK);
    QVERIFY(attrs.waitEnd());
    QCOMPARE(SLPFindSrvTypes(h, "*", "", SlpCollector::textCallback, &types), SLP_OK);
    QVERIFY(types.waitEnd());
    SLPClose(h);
    QTest::qWait(500);
    capture.process().terminate();
    QVERIFY(capture.waitForExit() >= 0);

    QProcess read;
    // The library's requests only: the broken device's replies are malformed on purpose.
    read.start("tshark", {"-r", pcap, "-V", "-Y", "srvloc && udp.dstport == 427"});
    QVERIFY(read.waitForFinished(30000));
    const QString text = QString::fromUtf8(read.readAllStandardOutput());
    const int bad = text.indexOf("Malformed", 0, Qt::CaseInsensitive);
    QVERIFY2(bad < 0, qPrintable(text.mid(qMax(0, bad - 3000), 3200)));
    QVERIFY2(text.contains("Service Request"), qPrintable(text.left(4000)));
    QVERIFY(text.contains("Attribute Request"));
    QVERIFY(text.contains("Service Type Request"));
    QVERIFY(text.contains("service:device.vantor"));
    QVERIFY(text.contains("Naming Authority List Length: 65535") || text.contains("65535"));
}

QTEST_GUILESS_MAIN(TestSlp)
#include "tst_slp.moc"
