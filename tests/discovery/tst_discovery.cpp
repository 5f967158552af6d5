// Device discovery: the SLP client wrapper, the attribute rules, the workers'
// bookkeeping, and the whole discovery against simulated devices on loopback.
#include "../slp/devsimfleet.h"
#include "../slp/slpportlock.h"
#include "deviceattributeparser.h"
#include "infothreads.h"
#include "localsubnet.h"
#include "slp.h"
#include "testsupport.h"
#include "tlinkdeviceattributethread.h"
#include "tlinkdevicediscoverthread.h"
#include "tlinkdeviceservicethread.h"
#include "tlinkslp.h"
#include "tlinkslpmanagerif.h"

#include <QtTest>

namespace {

// A stopped device is lost within two device search cycles and their
// searches; generous for a loaded machine.
const int LossMs = 60000;

// Records a worker's signals on the test's thread.
template <typename T>
struct Received
{
    QObject context;
    QList<T> items;
};

QStringList urlsOf(const QList<device_service_t> &services)
{
    QStringList out;
    for (const device_service_t &s : services)
        out << s.srvurl;
    return out;
}

// Owns a worker made by a test: ends its thread and frees both.
template <typename W>
struct OwnedWorker
{
    W *const worker = new W;
    ~OwnedWorker() { InfoThreads::dispose(worker); }
};

} // namespace

class TestDiscovery : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void handleNamesAreUnique();
    void errorTexts_data();
    void errorTexts();
    void emptySearchEndsOnce_data();
    void emptySearchEndsOnce();

    void localSubnet_data();
    void localSubnet();
    void attributeRules_data();
    void attributeRules();
    void attributeWorkerReports();
    void discoverWorkerTracksOnlineUrls();

    void serviceSearchEndsAfterFailedSubSearch_data();
    void serviceSearchEndsAfterFailedSubSearch();
    void serviceWorkerReports();

    void discoversDevicesEndToEnd();
    void identifiesLateDevices();
    void identifiesFleet();
    void asksSilentDeviceAgain();

private:
    SlpPortLock m_lock;
};

void TestDiscovery::initTestCase()
{
    qputenv("ZEL_SLP_INTERFACES", "lo");
    SLPSetProperty("net.slp.interfaces", "lo");
    qRegisterMetaType<device_param_t>("device_param_t");
    qRegisterMetaType<device_service_t>("device_service_t");
}

void TestDiscovery::handleNamesAreUnique()
{
    TLinkSLP slp;
    QVERIFY(slp.handle("Startup Handle"));
    QVERIFY(slp.openSlpSession("service:device.vantor"));
    QVERIFY(!slp.openSlpSession("service:device.vantor"));
    QVERIFY(!slp.openSlpSession("Startup Handle"));
    slp.closeSlpSession("service:device.vantor");
    QVERIFY(!slp.handle("service:device.vantor"));
    QVERIFY(slp.openSlpSession("service:device.vantor"));
    slp.closeSlpSession("never opened"); // only a debug line
    QVERIFY(slp.handle("service:device.vantor"));
}

void TestDiscovery::errorTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("last call") << 1 << "SLP_LAST_CALL";
    QTest::newRow("timed out") << -19 << "SLP_NETWORK_TIMED_OUT";
    QTest::newRow("network error, with its blank") << -23 << "SLP_NETWORK_ERROR ";
    QTest::newRow("type error") << -26 << "SLP_TYPE_ERROR";
    QTest::newRow("parse error has no row") << -2 << "Unknown";
    QTest::newRow("scope not supported has no row") << -4 << "Unknown";
    QTest::newRow("beyond the table") << -99 << "Unknown";
}

void TestDiscovery::errorTexts()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    const QPair<QString, QString> text = TLinkSLP::errorText(code);
    QCOMPARE(text.first, name);
    if (name == "Unknown")
        QCOMPARE(text.second, QString("Undefined error code."));
    else
        QVERIFY(!text.second.isEmpty() && text.second != "Undefined error code.");
}

void TestDiscovery::emptySearchEndsOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::newRow("URLs") << "srvs" << "service:nothing.vantor";
    QTest::newRow("attributes") << "attrs" << "service:nothing.vantor://127.0.0.98";
    QTest::newRow("service types") << "types" << "nobody";
    // The end of a search names the handle exactly as it was opened, also
    // when the name does not fit Latin-1, so that the worker can close it.
    QTest::newRow("URLs of a type beyond Latin-1") << "srvs" << QString::fromUtf8("service:nothing\u20ac.vantor");
    QTest::newRow("attributes of a URL beyond Latin-1")
        << "attrs" << QString::fromUtf8("service:nothing.vantor://127.0.0.98/\u20ac");
}

void TestDiscovery::emptySearchEndsOnce()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    TLinkSLP slp;
    QStringList ends, results, errors;
    connect(&slp, &TLinkSLP::finishDeviceDisc, this, [&](const QString &n) { ends << n; }, Qt::QueuedConnection);
    connect(&slp, &TLinkSLP::finishAttributsFound, this, [&](const QString &n) { ends << n; }, Qt::QueuedConnection);
    connect(&slp, &TLinkSLP::finishServicesFound, this, [&](const QString &n) { ends << n; }, Qt::QueuedConnection);
    connect(&slp, &TLinkSLP::foundDevice, this, [&](const QString &n) { results << n; }, Qt::QueuedConnection);
    connect(&slp, &TLinkSLP::foundAttributs, this, [&](const QString &, const QString &a) { results << a; },
            Qt::QueuedConnection);
    connect(&slp, &TLinkSLP::foundServices, this, [&](const QStringList &t) { results << t; }, Qt::QueuedConnection);
    connect(&slp, &TLinkSLP::errorSLP, this, [&](const QString &e, const QString &, const QString &) { errors << e; },
            Qt::QueuedConnection);
    QVERIFY(slp.openSlpSession(name));
    if (kind == "srvs")
        slp.findSrvs(name);
    else if (kind == "attrs")
        slp.findAttrs(name);
    else
        slp.findSrvTypes(name);
    QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 1, 10000);
    QTest::qWait(500);
    QCOMPARE(ends, QStringList{name});
    QVERIFY(results.isEmpty());
    QVERIFY(errors.isEmpty());
    slp.closeSlpSession(name);
}

void TestDiscovery::localSubnet_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("local");
    QTest::newRow("loopback device") << "service:device.vantor://127.0.0.2" << true;
    QTest::newRow("documentation network") << "service:device.vantor://198.51.100.7" << false;
    QTest::newRow("no address") << "service:device.vantor://" << false;
    QTest::newRow("host name") << "service:device.vantor://localhost" << false;
    QTest::newRow("IPv6 loopback") << "service:device.vantor://::1" << false;
    QTest::newRow("no scheme separator") << "127.0.0.2" << false;
}

void TestDiscovery::localSubnet()
{
    QFETCH(QString, url);
    QFETCH(bool, local);
    QCOMPARE(LocalSubnet::contains(url, "TestDiscovery::localSubnet"), local);
}

void TestDiscovery::attributeRules_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("uniqueId");
    QTest::addColumn<QStringList>("fields"); // vendor, model, serial, version, product, build, alias

    const QString url = "service:device.vantor://127.0.0.2";
    const QString full = "(device-vendor=Vantor),(device-model=4320),(device-serial-no=100002),"
                         "(device-sw-version=01.07),(device-product=VANTOR-4320),(device-sw-build=0041),"
                         "(device-alias=Bridge terminal)";
    QTest::newRow("all seven attributes")
        << full << true << "Vantor4320100002"
        << QStringList{"Vantor", "4320", "100002", "01.07", "VANTOR-4320", "0041", "Bridge terminal"};
    QTest::newRow("no serial number: the URL stands in")
        << "(device-vendor=V),(device-model=M)" << true << "VM" + url << QStringList{"V", "M", ""};
    QTest::newRow("no model") << "(device-vendor=V),(device-serial-no=S)" << false << "" << QStringList();
    QTest::newRow("id of digits with value 0") << "(device-model=0),(device-serial-no=0)" << false << ""
                                               << QStringList();
    QTest::newRow("id of digits with positive value")
        << "(device-model=0),(device-serial-no=7)" << true << "07" << QStringList{"", "0", "7"};
    // Values as devices send them: escaped specials, any character, any length.
    QTest::newRow("escaped specials are decoded")
        << "(device-vendor=V),(device-model=4320),(device-serial-no=S),(device-product=Sat\\2c Ku),"
           "(device-alias=a\\28b\\29 \\3d\\5c\\21\\3C\\3e\\7e\\c3\\a9)"
        << true << "V4320S" << QStringList{"V", "4320", "S", "", "Sat, Ku", "", "a(b) =\\!<>~\u00e9"};
    QTest::newRow("value with an equals sign is kept whole")
        << "(device-model=M),(device-serial-no=S),(device-alias=a=b)" << true << "MS"
        << QStringList{"", "M", "S", "", "", "", "a=b"};
    QTest::newRow("multi-valued attribute keeps every value")
        << "(device-model=M),(device-serial-no=12,34)" << true << "M12,34" << QStringList{"", "M", "12,34"};
    QTest::newRow("tags in any case")
        << "(DEVICE-VENDOR=V),(Device-Model=M),(device-SERIAL-no=S)" << true << "VMS" << QStringList{"V", "M", "S"};
    QTest::newRow("spaces around tags and values are trimmed")
        << " ( device-vendor = V ) , (device-model= M N ),(device-serial-no =S\t) , keyword" << true << "VM NS"
        << QStringList{"V", "M N", "S"};
    QTest::newRow("later tag wins") << "(device-model=M),(device-model=N),(device-serial-no=S)" << true << "NS"
                                    << QStringList{"", "N", "S"};
    QTest::newRow("empty answer") << "" << false << "" << QStringList();
    QTest::newRow("keywords only") << "device-model,device-serial-no" << false << "" << QStringList();
    // Lists that do not keep to the syntax are read as far as they make sense.
    QTest::newRow("unclosed parenthesis") << "(device-model=M,(device-serial-no=S)" << true << "MS"
                                          << QStringList{"", "M", "S"};
    QTest::newRow("nested parentheses") << "((device-model=M)),(device-serial-no=S)" << true << "MS"
                                        << QStringList{"", "M", "S"};
    QTest::newRow("stray closing parenthesis") << "device-model=M),(device-serial-no=S)" << true << "MS"
                                               << QStringList{"", "M", "S"};
    QTest::newRow("model of dots") << "(device-model=..),(device-serial-no=S)" << true << "..S"
                                   << QStringList{"", "..", "S"};
    QTest::newRow("slash and backslash") << "(device-model=M/1),(device-serial-no=a\\5cb),(device-product=../x)"
                                         << true << "M/1a\\b" << QStringList{"", "M/1", "a\\b", "", "../x"};
    QTest::newRow("control character in the alias")
        << "(device-model=M),(device-serial-no=S),(device-alias=a\nb\\09c)" << true << "MS"
        << QStringList{"", "M", "S", "", "", "", "a\nb\tc"};
    QTest::newRow("long vendor") << "(device-vendor=" + QString(200, 'v') + "),(device-model=M)" << true
                                 << QString(200, 'v') + "M" + url << QStringList{QString(200, 'v'), "M", ""};
    QTest::newRow("unescaped parenthesis inside a value")
        << "(device-model=Unit (A)),(device-serial-no=S)" << true << "Unit (A)S" << QStringList{"", "Unit (A)", "S"};
    QTest::newRow("backslash that starts no escape") << "(device-model=M\\x),(device-serial-no=\\)" << true
                                                      << "M\\x\\" << QStringList{"", "M\\x", "\\"};
}

void TestDiscovery::attributeRules()
{
    QFETCH(QString, attributes);
    QFETCH(bool, valid);
    QFETCH(QString, uniqueId);
    QFETCH(QStringList, fields);
    const QString url = "service:device.vantor://127.0.0.2";
    device_param_t d;
    QCOMPARE(DeviceAttributeParser::parse(url, attributes, &d), valid);
    if (!valid)
        return;
    QCOMPARE(d.srvurl, url);
    QCOMPARE(d.uniqueId, uniqueId);
    const QStringList got{d.vendor, d.model, d.serialno, d.swversion, d.product, d.swbuild, d.alias};
    QCOMPARE(got.mid(0, fields.size()), fields);
}

void TestDiscovery::attributeWorkerReports()
{
    OwnedWorker<TLinkDeviceAttributeThread> owned;
    auto *worker = owned.worker;
    Received<device_param_t> news, updates;
    Received<QString> online, refused;
    connect(worker, &TLinkDeviceAttributeThread::deviceRefused, &refused.context,
            [&](const QString &url) { refused.items << url; });
    connect(worker, &TLinkDeviceAttributeThread::newDevice, &news.context,
            [&](const device_param_t &d) { news.items << d; });
    connect(worker, &TLinkDeviceAttributeThread::updateDevice, &updates.context,
            [&](const device_param_t &d) { updates.items << d; });
    connect(worker, &TLinkDeviceAttributeThread::deviceIsOnline, &online.context,
            [&](const QString &id) { online.items << id; });
    const auto answer = [worker](const QString &url, const QString &attrs) {
        QMetaObject::invokeMethod(worker, "foundAttributs", Qt::QueuedConnection, Q_ARG(QString, url),
                                  Q_ARG(QString, attrs));
    };
    const QString a = "(device-vendor=V),(device-model=M),(device-serial-no=S)";
    const QString url2 = "service:device.vantor://127.0.0.2", url3 = "service:device.vantor://127.0.0.3";

    answer(url2, a);
    answer(url2, a); // the same answer again: only still online
    answer(url2, "(device-serial-no=S)"); // names no device: refused, and said so
    QTRY_COMPARE(refused.items, QStringList{url2});
    QTRY_COMPARE(online.items.size(), 1);
    QCOMPARE(news.items.size(), 1);
    QCOMPARE(news.items[0].uniqueId, QString("VMS"));
    QVERIFY(updates.items.isEmpty());

    answer(url3, a); // the same device at another local address
    QTRY_COMPARE(updates.items.size(), 1);
    QCOMPARE(updates.items[0].srvurl, url3);
    QCOMPARE(online.items.size(), 2);

    QMetaObject::invokeMethod(worker, "removeDevice", Qt::QueuedConnection, Q_ARG(QString, "VMS"));
    answer(url3, a);
    QTRY_COMPARE(news.items.size(), 2);
    QCOMPARE(online.items.size(), 2);
}

void TestDiscovery::discoverWorkerTracksOnlineUrls()
{
    OwnedWorker<TLinkDeviceDiscoverThread> owned;
    auto *worker = owned.worker;
    Received<QString> asked, lost;
    Received<QStringList> online;
    connect(worker, &TLinkDeviceDiscoverThread::searchForAttributes, &asked.context,
            [&](const QString &u) { asked.items << u; });
    connect(worker, &TLinkDeviceDiscoverThread::urlLost, &lost.context, [&](const QString &u) { lost.items << u; });
    connect(worker, &TLinkDeviceDiscoverThread::onlineDevices, &online.context,
            [&](const QStringList &l) { online.items << l; });
    const QString a = DevsimFleet::deviceUrl(2), b = DevsimFleet::deviceUrl(3);
    const auto found = [worker](const QString &url) {
        QMetaObject::invokeMethod(worker, "foundDevice", Qt::QueuedConnection, Q_ARG(QString, url));
    };
    const auto end = [worker] {
        QMetaObject::invokeMethod(worker, "finishDeviceDisc", Qt::QueuedConnection,
                                  Q_ARG(QString, "service:device.vantor"));
    };

    // One pass: each URL is handed on once, a foreign one never.
    found(a);
    found(b);
    found(a);
    found("service:device.vantor://198.51.100.7");
    end();
    QTRY_COMPARE(online.items.size(), 3);
    QCOMPARE(asked.items, (QStringList{a, b}));
    QCOMPARE(online.items.last(), (QStringList{a, b}));

    // A pass that finds the same again changes nothing but still reports.
    found(b);
    found(a);
    end();
    QTRY_COMPARE(online.items.size(), 4);
    QCOMPARE(online.items.last(), (QStringList{a, b}));
    QVERIFY(lost.items.isEmpty());

    // An SLP error ends the pass as if nothing was found: both are lost at once.
    QMetaObject::invokeMethod(worker, "errorSLP", Qt::QueuedConnection, Q_ARG(QString, "SLP_NETWORK_ERROR "),
                              Q_ARG(QString, "-"), Q_ARG(QString, "service:device.vantor"));
    QTRY_COMPARE(online.items.size(), 5);
    QCOMPARE(online.items.last(), QStringList());
    QCOMPARE(lost.items, (QStringList{a, b}));
    QCOMPARE(asked.items.size(), 2);
}

void TestDiscovery::serviceSearchEndsAfterFailedSubSearch_data()
{
    QTest::addColumn<bool>("attributeError");
    QTest::newRow("attribute search failed") << true;
    QTest::newRow("no URL of the type found") << false;
}

void TestDiscovery::serviceSearchEndsAfterFailedSubSearch()
{
    QFETCH(bool, attributeError);
    if (!testsupport::isRoot())
        QSKIP("binding port 427 on 127.0.0.x needs root");
    OwnedWorker<TLinkDeviceServiceThread> owned;
    auto *worker = owned.worker;
    Received<device_service_t> news;
    Received<int> finished;
    connect(worker, &TLinkDeviceServiceThread::newService, &news.context,
            [&](const device_service_t &s) { news.items << s; });
    connect(worker, &TLinkDeviceServiceThread::searchFinished, &finished.context, [&] { finished.items << 1; });
    const QString device = DevsimFleet::deviceUrl(2);
    QMetaObject::invokeMethod(worker, "onlineDevices", Qt::QueuedConnection, Q_ARG(QStringList, {device}));

    // A search whose sub-searches fail or find nothing, played as the SLP
    // client would report it (no device answers meanwhile).
    const QString type = "service:web.vantor:http", url = "service:web.vantor:http://127.0.0.2";
    const auto call = [worker](const char *slot, QGenericArgument a = QGenericArgument(),
                               QGenericArgument b = QGenericArgument(), QGenericArgument c = QGenericArgument()) {
        QVERIFY(QMetaObject::invokeMethod(worker, slot, Qt::QueuedConnection, a, b, c));
    };
    call("initiateSearch");
    call("foundServices", Q_ARG(QStringList, {type}));
    call("finishServicesFound", Q_ARG(QString, "*"));
    if (attributeError) {
        call("foundDevice", Q_ARG(QString, url));
        call("finishDeviceDisc", Q_ARG(QString, type));
        call("errorSLP", Q_ARG(QString, "SLP_NETWORK_TIMED_OUT"), Q_ARG(QString, "-"), Q_ARG(QString, url));
    } else {
        call("finishDeviceDisc", Q_ARG(QString, type));
    }
    QTRY_COMPARE(finished.items.size(), 1);
    if (attributeError) {
        // The service of the online device is reported with what is known.
        QCOMPARE(urlsOf(news.items), QStringList{url});
        QCOMPARE(news.items[0].attributes, QString("NO ATTRIBUTES"));
        QCOMPARE(news.items[0].address, QString("127.0.0.2"));
    }

    // The next search runs in full.
    DevsimFleet fleet;
    QVERIFY(fleet.start(2));
    news.items.clear();
    call("initiateSearch");
    QTRY_COMPARE_WITH_TIMEOUT(finished.items.size(), 2, 30000);
    QStringList got = urlsOf(news.items);
    got.removeDuplicates();
    got.sort();
    const QStringList expected = attributeError
                                     ? QStringList{"service:mib.vantor:http://127.0.0.2"}
                                     : QStringList{"service:mib.vantor:http://127.0.0.2", url};
    QCOMPARE(got, expected);
}

void TestDiscovery::serviceWorkerReports()
{
    OwnedWorker<TLinkDeviceServiceThread> owned;
    auto *worker = owned.worker;
    QStringList events; // "new|update url attributes"
    Received<int> finished;
    connect(worker, &TLinkDeviceServiceThread::newService, &finished.context,
            [&](const device_service_t &s) { events << "new " + s.srvurl + " " + s.attributes; });
    connect(worker, &TLinkDeviceServiceThread::updateService, &finished.context,
            [&](const device_service_t &s) { events << "update " + s.srvurl + " " + s.attributes; });
    connect(worker, &TLinkDeviceServiceThread::searchFinished, &finished.context, [&] { finished.items << 1; });
    QMetaObject::invokeMethod(worker, "onlineDevices", Qt::QueuedConnection,
                              Q_ARG(QStringList, {DevsimFleet::deviceUrl(99)}));

    // One search as the SLP client reports it: a service at the device's bare
    // address, one with a port and path, one whose attributes never come.
    // Types and address are ones no simulated device serves.
    const QString web = "service:page.vantor:http://127.0.0.99",
                  mib = "service:file.vantor:http://127.0.0.99:8080/v.mib",
                  cfg = "service:cfg.vantor:http://127.0.0.99";
    const auto call = [worker](const char *slot, QGenericArgument a = QGenericArgument(),
                               QGenericArgument b = QGenericArgument()) {
        QVERIFY(QMetaObject::invokeMethod(worker, slot, Qt::QueuedConnection, a, b));
    };
    const auto search = [&](const QString &webAttributes) {
        call("initiateSearch");
        call("foundServices", Q_ARG(QStringList, (QStringList{"service:page.vantor:http", "service:file.vantor:http",
                                                               "service:cfg.vantor:http"})));
        call("finishServicesFound", Q_ARG(QString, "*"));
        for (const QString &url : {web, mib, cfg})
            call("foundDevice", Q_ARG(QString, url));
        for (const char *type : {"service:page.vantor:http", "service:file.vantor:http", "service:cfg.vantor:http"})
            call("finishDeviceDisc", Q_ARG(QString, type));
        call("foundAttributs", Q_ARG(QString, web), Q_ARG(QString, webAttributes));
        call("foundAttributs", Q_ARG(QString, mib), Q_ARG(QString, "/v.mib"));
        for (const QString &url : {web, mib, cfg})
            call("finishAttributsFound", Q_ARG(QString, url));
    };

    search("/index.html");
    QTRY_COMPARE(finished.items.size(), 1);
    // At the end only the services at the device's bare address are reported
    // again; the one without attributes goes out with "NO ATTRIBUTES".
    QCOMPARE(events, (QStringList{"new " + web + " /index.html", "new " + mib + " /v.mib",
                                  "update " + web + " /index.html", "new " + cfg + " NO ATTRIBUTES"}));

    // A service is new only once: unchanged or changed, it is an update later.
    events.clear();
    search("/start.html");
    QTRY_COMPARE(finished.items.size(), 2);
    QCOMPARE(events, (QStringList{"update " + web + " /start.html", "update " + mib + " /v.mib",
                                  "update " + web + " /start.html", "update " + cfg + " NO ATTRIBUTES"}));
}

void TestDiscovery::discoversDevicesEndToEnd()
{
    if (!testsupport::isRoot())
        QSKIP("binding port 427 on 127.0.0.x needs root");
    DevsimFleet fleet;
    for (int host : {2, 3, 4})
        QVERIFY(fleet.start(host));

    TLinkSLPManagerIf manager;
    QList<device_param_t> news, updates;
    QStringList lost, online;
    QList<device_service_t> services;
    connect(&manager, &TLinkSLPManagerIf::newDevice, this, [&](const device_param_t &d) { news << d; });
    connect(&manager, &TLinkSLPManagerIf::updateDevice, this, [&](const device_param_t &d) { updates << d; });
    connect(&manager, &TLinkSLPManagerIf::urlLost, this, [&](const QString &u) { lost << u; });
    connect(&manager, &TLinkSLPManagerIf::deviceIsOnline, this, [&](const QString &id) { online << id; });
    connect(&manager, &TLinkSLPManagerIf::newService, this, [&](const device_service_t &s) { services << s; });
    connect(&manager, &TLinkSLPManagerIf::updateService, this, [&](const device_service_t &s) { services << s; });

    // Found within the first search cycle, with their attributes.
    QTRY_COMPARE_WITH_TIMEOUT(news.size(), 3, 6000);
    QStringList ids;
    for (const device_param_t &d : qAsConst(news)) {
        ids << d.uniqueId;
        QCOMPARE(d.vendor, QString("Vantor & Vantor"));
        QCOMPARE(d.model, QString("4320"));
        QCOMPARE(d.swversion, QString("01.07"));
        QCOMPARE(d.alias, QString("Bridge terminal"));
        QCOMPARE(d.srvurl, DevsimFleet::deviceUrl(d.serialno.toInt() - 100000));
    }
    ids.sort();
    QCOMPARE(ids, (QStringList{"Vantor & Vantor4320100002", "Vantor & Vantor4320100003", "Vantor & Vantor4320100004"}));

    // Each device's web and MIB services.
    QStringList expected;
    for (int host : {2, 3, 4})
        expected << "service:web.vantor:http://" + DevsimFleet::address(host)
                 << "service:mib.vantor:http://" + DevsimFleet::address(host);
    expected.sort();
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QStringList got = urlsOf(services);
            got.removeDuplicates();
            got.sort();
            return got == expected;
        }(),
        30000);
    for (const device_service_t &s : qAsConst(services))
        QVERIFY2(s.attributes.startsWith('/') && s.srvurl.endsWith(s.address), qPrintable(s.srvurl));

    // One device stops: its URL is lost, the others stay.
    fleet.stop(3);
    QTRY_COMPARE_WITH_TIMEOUT(lost, QStringList{DevsimFleet::deviceUrl(3)}, LossMs);

    // One comes back with other software: reported updated.
    fleet.stop(4);
    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 2, LossMs);
    QVERIFY(fleet.start(4, {"--sw-version", "02.00"}));
    QTRY_COMPARE_WITH_TIMEOUT(updates.size(), 1, 30000);
    QCOMPARE(updates[0].uniqueId, QString("Vantor & Vantor4320100004"));
    QCOMPARE(updates[0].swversion, QString("02.00"));
    QVERIFY(online.contains("Vantor & Vantor4320100004"));
    QCOMPARE(news.size(), 3);
    QVERIFY(!lost.contains(DevsimFleet::deviceUrl(2)));
}

void TestDiscovery::identifiesLateDevices()
{
    if (!testsupport::isRoot())
        QSKIP("binding port 427 on 127.0.0.x needs root");
    // Devices that take their time over every SLP answer, up to longer than
    // the first wait of a search and the attribute worker's first pass.
    DevsimFleet fleet;
    const QList<QPair<int, int>> hostsAndDelays{{2, 1200}, {3, 1200}, {4, 2000}, {5, 2000}, {6, 2500}, {7, 2500}};
    QStringList expected;
    for (const auto &hd : hostsAndDelays) {
        QVERIFY(fleet.start(hd.first, {"--slp-delay-ms", QString::number(hd.second)}));
        expected << DevsimFleet::deviceUrl(hd.first);
    }
    expected.sort();

    TLinkSLPManagerIf manager;
    QStringList identified;
    connect(&manager, &TLinkSLPManagerIf::newDevice, this, [&](const device_param_t &d) { identified << d.srvurl; });
    // All within the first device search cycles, not the attribute
    // worker's minute-long period.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QStringList got = identified;
            got.sort();
            return got == expected;
        }(),
        30000);
}

void TestDiscovery::identifiesFleet()
{
    if (!testsupport::isRoot())
        QSKIP("binding port 427 on 127.0.0.x needs root");
    const int devices = 250;
    testsupport::Peer sim;
    QVERIFY(testsupport::startDevsim(sim, {"--address", "127.0.1.1", "--slp-agents", QString::number(devices),
                                           "--serial", "300001", "--no-snmp", "--no-telnet", "--no-http"},
                                     30000));

    TLinkSLPManagerIf manager;
    QSet<QString> serials, services;
    connect(&manager, &TLinkSLPManagerIf::newDevice, this, [&](const device_param_t &d) { serials << d.serialno; });
    connect(&manager, &TLinkSLPManagerIf::newService, this,
            [&](const device_service_t &s) { services << s.srvurl; });
    QSet<QString> expected;
    for (int i = 0; i < devices; ++i)
        expected << QString::number(300001 + i);
    QTRY_COMPARE_WITH_TIMEOUT(serials, expected, 30000);
    // Every device's web and MIB pages.
    QTRY_COMPARE_WITH_TIMEOUT(services.size(), 2 * devices, 30000);
}

void TestDiscovery::asksSilentDeviceAgain()
{
    if (!testsupport::isRoot())
        QSKIP("binding port 427 on 127.0.0.x needs root");
    // The first request finds nobody at the address and ends quickly.
    struct Restore
    {
        const QByteArray before = SLPGetProperty("net.slp.datagramTimeouts");
        ~Restore() { SLPSetProperty("net.slp.datagramTimeouts", before.constData()); }
    } restore;
    SLPSetProperty("net.slp.datagramTimeouts", "300");
    OwnedWorker<TLinkDeviceAttributeThread> owned;
    auto *worker = owned.worker;
    Received<device_param_t> news;
    Received<int> ended;
    connect(worker, &TLinkDeviceAttributeThread::newDevice, &news.context,
            [&](const device_param_t &d) { news.items << d; });
    connect(worker, &TLinkDeviceAttributeThread::searchFinished, &ended.context, [&] { ended.items << 1; });
    const QString url = DevsimFleet::deviceUrl(8);
    QMetaObject::invokeMethod(worker, "onlineDevices", Qt::QueuedConnection, Q_ARG(QStringList, {url}));
    QMetaObject::invokeMethod(worker, "initiateSearch", Qt::QueuedConnection, Q_ARG(QString, url));
    QTRY_COMPARE_WITH_TIMEOUT(ended.items.size(), 1, 10000);
    QVERIFY(news.items.isEmpty());

    // The device comes up: the worker, with no pass of its own, asks again.
    DevsimFleet fleet;
    QVERIFY(fleet.start(8));
    QTRY_COMPARE_WITH_TIMEOUT(news.items.size(), 1, 30000);
    QCOMPARE(news.items[0].srvurl, url);
}

QTEST_GUILESS_MAIN(TestDiscovery)
#include "tst_discovery.moc"
