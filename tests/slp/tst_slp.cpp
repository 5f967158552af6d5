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

    void findsEveryDeviceOnce();
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

    // An error reply may end after its error code.
    r = SlpReply();
    QVERIFY2(parse(bytes("02 02 000012 0000 000000 1234 0002 'en' 0004"), &r, &why), why.c_str());
    QCOMPARE(int(r.errorCode), 4);
    QVERIFY(r.urls.empty());
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
    expected << DevsimFleet::deviceUrl(Late);
    QStringList found = c.results();
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
    QCOMPARE(c.finals(), QList<int>{SLP_LAST_CALL});
    QCOMPARE(c.calls(), expected.size() + 1);
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
