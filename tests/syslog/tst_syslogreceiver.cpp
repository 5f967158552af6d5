// The syslog front object with its receiver and file worker, against real
// senders on loopback (logger, and sockets bound to 127.0.2.x) and a socket
// that plays the external syslog server.
#include "testsupport.h"
#include "syslogbacklog.h"
#include "tlinksyslogif.h"
#include "tlinksyslogmonitor.h"

#include <QUdpSocket>
#include <QtTest>

namespace {

// Plays a live log window.
class Listener : public QObject
{
    Q_OBJECT
public:
    QStringList initTexts;
    QStringList newLines;
    QPointer<QObject> source;
public slots:
    void handleInitLogText(const QString &text)
    {
        source = sender();
        initTexts << text;
    }
    void handleNewLogText(const QString &line) { newLines << line; }
};

// A sender bound to one loopback address, so it is told apart by that.
class Sender
{
public:
    explicit Sender(const QString &address) { m_bound = m_socket.bind(QHostAddress(address), 0); }
    bool isBound() const { return m_bound; }
    void send(const QByteArray &bytes, quint16 port)
    {
        m_socket.writeDatagram(bytes, QHostAddress(QHostAddress::LocalHost), port);
    }

private:
    QUdpSocket m_socket;
    bool m_bound = false;
};

} // namespace

class TestSyslogReceiver : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void loggerLinesStoredShownAndForwarded_data();
    void loggerLinesStoredShownAndForwarded();
    void matchedBySenderAddress();
    void forwardsBytesUnchanged();
    void forwardingNeedsAddressAndPort_data();
    void forwardingNeedsAddressAndPort();
    void deviceNamesStayInsideDestination();
    void listenerGetsStoredThenNewLines();
    void removedSourceIsDeleted();
    void receiverWaitsWhileBacklogFull_data();
    void receiverWaitsWhileBacklogFull();
    void receivePortSetting_data();
    void receivePortSetting();
    void oneDatagramOneLine();
    void countsDroppedDatagrams();

private:
    QStringList stored(const QString &folder, int n = 1) const;
    bool waitStored(const QString &folder, const QString &lastLine) const;
    QList<QByteArray> forwarded();

    QTemporaryDir m_tmp;
    QString m_destination;
    TLinkSyslogIf *m_front = nullptr;
    QUdpSocket *m_sink = nullptr;
    int m_round = 0;
};

void TestSyslogReceiver::initTestCase()
{
    QCoreApplication::setOrganizationName("Vantor & Vantor");
    QCoreApplication::setApplicationName("ZEL");
    QVERIFY(m_tmp.isValid());
}

void TestSyslogReceiver::init()
{
    m_destination = m_tmp.filePath(QStringLiteral("dest%1/syslog").arg(++m_round));
    QSettings settings;
    settings.clear();
    settings.setValue("syslog_server/destination_path", m_destination);
    settings.setValue("syslog_server/portnumber", testsupport::freeUdpPort());
    settings.sync();
    m_front = new TLinkSyslogIf;
    QVERIFY(m_front->isReceiving());
    m_sink = new QUdpSocket;
    QVERIFY(m_sink->bind(QHostAddress(QHostAddress::LocalHost), 0));
}

void TestSyslogReceiver::cleanup()
{
    delete m_front;
    m_front = nullptr;
    delete m_sink;
    m_sink = nullptr;
}

QStringList TestSyslogReceiver::stored(const QString &folder, int n) const
{
    QFile file(QStringLiteral("%1/%2/%3.txt").arg(m_destination, folder).arg(n, 3, 10, QLatin1Char('0')));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    lines.removeLast();
    return lines;
}

bool TestSyslogReceiver::waitStored(const QString &folder, const QString &lastLine) const
{
    return testsupport::waitFor([&] { return stored(folder).value(stored(folder).size() - 1) == lastLine; }, 5000);
}

QList<QByteArray> TestSyslogReceiver::forwarded()
{
    QList<QByteArray> datagrams;
    while (m_sink->hasPendingDatagrams()) {
        QByteArray bytes(int(m_sink->pendingDatagramSize()), '\0');
        m_sink->readDatagram(bytes.data(), bytes.size());
        datagrams << bytes;
    }
    return datagrams;
}

void TestSyslogReceiver::loggerLinesStoredShownAndForwarded_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("rfc 3164") << "--rfc3164";
    QTest::newRow("rfc 5424") << "--rfc5424";
}

void TestSyslogReceiver::loggerLinesStoredShownAndForwarded()
{
    QFETCH(QString, format);
    if (!testsupport::haveProgram("logger"))
        QSKIP("logger (bsdutils) is not installed");

    // logger sends from 127.0.0.1: the source must match that plain IPv4 text.
    m_front->addDevice("dev-705-1", "705", "1001", "127.0.0.1");
    m_front->setExternalSyslog(true, "127.0.0.1", m_sink->localPort());
    Listener listener;
    m_front->connectSyslogDevice("dev-705-1", &listener, SLOT(handleInitLogText(const QString &)), 999,
                                 SLOT(handleNewLogText(const QString &)));
    QTRY_COMPARE(listener.initTexts, QStringList{QString()});

    testsupport::Peer logger;
    QVERIFY(logger.start("logger", {"--udp", "--server", "127.0.0.1", "--port", QString::number(m_front->receivePort()),
                                    format, "-t", "zeltest", "-p", "user.notice", "line from a device"}));
    QCOMPARE(logger.waitForExit(), 0);

    QTRY_COMPARE_WITH_TIMEOUT(listener.newLines.size(), 1, 5000);
    const QString line = listener.newLines.first();
    QVERIFY2(line.startsWith("<NOTICE>"), qPrintable(line));
    QVERIFY(line.endsWith("line from a device"));
    QVERIFY(waitStored("syslog_705_1001", line));

    QList<QByteArray> sent;
    QVERIFY(testsupport::waitFor([&] { sent += forwarded(); return !sent.isEmpty(); }, 5000));
    QCOMPARE(sent.size(), 1);
    QVERIFY(sent.first().startsWith("<13>"));
    QCOMPARE(QString::fromUtf8(sent.first().mid(4)), line.mid(8));
}

void TestSyslogReceiver::matchedBySenderAddress()
{
    Sender first("127.0.2.10"), second("127.0.2.11"), third("127.0.2.12");
    QVERIFY(first.isBound() && second.isBound() && third.isBound());
    const quint16 port = m_front->receivePort();
    m_front->addDevice("A", "705", "1001", "127.0.2.10");
    m_front->addDevice("A", "318", "2002", "127.0.2.12"); // same id: ignored

    first.send("<13>one", port);
    second.send("<13>unregistered", port);
    third.send("<13>second registration", port);
    first.send("<11>three", port);
    QVERIFY(waitStored("syslog_705_1001", "<ERROR>three"));
    QCOMPARE(stored("syslog_705_1001"), (QStringList{"<NOTICE>one", "<ERROR>three"}));

    m_front->changeHostAddress("A", "127.0.2.11");
    first.send("<13>old address", port);
    second.send("<12>new address", port);
    QVERIFY(waitStored("syslog_705_1001", "<WARNING>new address"));
    QCOMPARE(stored("syslog_705_1001").size(), 3);

    // A new unique id keeps the source and its folder.
    m_front->changeUniqueId("A", "B");
    m_front->addDevice("A", "999", "9", "127.0.2.10");
    second.send("<12>renamed", port);
    QVERIFY(waitStored("syslog_705_1001", "<WARNING>renamed"));
    QCOMPARE(QDir(m_destination).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"syslog_705_1001"});
}

void TestSyslogReceiver::forwardsBytesUnchanged()
{
    Sender device("127.0.2.13");
    QVERIFY(device.isBound());
    m_front->addDevice("C", "705", "3003", "127.0.2.13");
    m_front->setExternalSyslog(true, "127.0.0.1", m_sink->localPort());

    const QList<QByteArray> datagrams{
        QByteArray("<13>before NUL\0after NUL", 24),
        QByteArray("<165>caf\xe9 latin-1"),
        QByteArray("<14>1 - - - - - - \xef\xbb\xbfgr\xc3\xbc\xc3\x9f utf-8"),
        QByteArray("no priority \x01\x7f\xff"),
    };
    for (const QByteArray &bytes : datagrams)
        device.send(bytes, m_front->receivePort());

    // Control characters are stored escaped; the forwarded bytes keep them.
    const QString last = QString::fromLatin1("no priority #001#177\xff");
    QVERIFY(waitStored("syslog_705_3003", last));
    QList<QByteArray> sent;
    QVERIFY(testsupport::waitFor([&] { sent += forwarded(); return sent.size() >= datagrams.size(); }, 5000));
    QCOMPARE(sent, datagrams);
    QCOMPARE(stored("syslog_705_3003"),
             (QStringList{"<NOTICE>before NUL", QString::fromLatin1("<NOTICE>caf\xe9 latin-1"),
                          QString::fromUtf8("<INFO>1 - - - - - - \xef\xbb\xbfgr\xc3\xbc\xc3\x9f utf-8"), last}));
}

void TestSyslogReceiver::forwardingNeedsAddressAndPort_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("usePort");
    QTest::addColumn<bool>("expected");
    QTest::newRow("on") << true << "127.0.0.1" << true << true;
    QTest::newRow("off") << false << "127.0.0.1" << true << false;
    QTest::newRow("port 0") << true << "127.0.0.1" << false << false;
    QTest::newRow("empty address") << true << "" << true << false;
    QTest::newRow("not an address") << true << "127.0.0.1.5" << true << false;
}

void TestSyslogReceiver::forwardingNeedsAddressAndPort()
{
    QFETCH(bool, enabled);
    QFETCH(QString, address);
    QFETCH(bool, usePort);
    QFETCH(bool, expected);
    Sender device("127.0.2.14");
    QVERIFY(device.isBound());
    m_front->addDevice("D", "705", "4004", "127.0.2.14");
    m_front->setExternalSyslog(enabled, address, usePort ? m_sink->localPort() : 0);
    device.send("<13>to forward", m_front->receivePort());
    QVERIFY(waitStored("syslog_705_4004", "<NOTICE>to forward"));

    // A marker forwarded afterwards shows that whatever came first is in.
    m_front->setExternalSyslog(true, "127.0.0.1", m_sink->localPort());
    device.send("<13>marker", m_front->receivePort());
    QList<QByteArray> sent;
    QVERIFY(testsupport::waitFor([&] { sent += forwarded(); return sent.contains("<13>marker"); }, 5000));
    QCOMPARE(sent.size(), expected ? 2 : 1);
}

void TestSyslogReceiver::deviceNamesStayInsideDestination()
{
    Sender device("127.0.2.15");
    QVERIFY(device.isBound());
    m_front->addDevice("E", "../..", "x/../../y", "127.0.2.15");
    device.send("<13>contained", m_front->receivePort());
    const QString folder = "syslog_.._.._x_.._.._y";
    QVERIFY(waitStored(folder, "<NOTICE>contained"));
    QCOMPARE(QDir(m_destination).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{folder});
    QCOMPARE(QDir(m_destination + "/..").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"syslog"});
}

void TestSyslogReceiver::listenerGetsStoredThenNewLines()
{
    Sender device("127.0.2.16");
    QVERIFY(device.isBound());
    const quint16 port = m_front->receivePort();
    m_front->addDevice("F", "705", "5005", "127.0.2.16");
    for (const char *text : {"<14>a", "<14>b", "<14>c"})
        device.send(text, port);
    QVERIFY(waitStored("syslog_705_5005", "<INFO>c"));

    Listener listener;
    m_front->connectSyslogDevice("F", &listener, SLOT(handleInitLogText(const QString &)), 2,
                                 SLOT(handleNewLogText(const QString &)));
    QTRY_COMPARE(listener.initTexts, QStringList{"<INFO>b\n<INFO>c"});
    device.send("<14>d", port);
    QTRY_COMPARE(listener.newLines, QStringList{"<INFO>d"});

    m_front->disconnectSyslogDevice("F", &listener, SLOT(handleInitLogText(const QString &)),
                                    SLOT(handleNewLogText(const QString &)));
    device.send("<14>e", port);
    QVERIFY(waitStored("syslog_705_5005", "<INFO>e"));
    QCOMPARE(listener.newLines, QStringList{"<INFO>d"});
}

void TestSyslogReceiver::removedSourceIsDeleted()
{
    Sender device("127.0.2.17");
    QVERIFY(device.isBound());
    m_front->addDevice("G", "705", "6006", "127.0.2.17");
    m_front->addDevice("H", "705", "7007", "127.0.2.18");
    Listener listener;
    m_front->connectSyslogDevice("G", &listener, SLOT(handleInitLogText(const QString &)), 10,
                                 SLOT(handleNewLogText(const QString &)));
    QTRY_COMPARE(listener.initTexts.size(), 1);
    QVERIFY(!listener.source.isNull());

    m_front->removeDevice("G");
    QTRY_VERIFY(listener.source.isNull());

    // Its address is unknown now; the address can be registered anew.
    Sender other("127.0.2.18");
    QVERIFY(other.isBound());
    device.send("<13>after removal", m_front->receivePort());
    other.send("<13>marker", m_front->receivePort());
    QVERIFY(waitStored("syslog_705_7007", "<NOTICE>marker"));
    m_front->changeHostAddress("H", "127.0.2.17");
    device.send("<13>to the other source", m_front->receivePort());
    QVERIFY(waitStored("syslog_705_7007", "<NOTICE>to the other source"));
    QCOMPARE(stored("syslog_705_7007"), (QStringList{"<NOTICE>marker", "<NOTICE>to the other source"}));
    QVERIFY(listener.newLines.isEmpty());
}

void TestSyslogReceiver::receiverWaitsWhileBacklogFull_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("limit");
    // Small lines fill the backlog by their number, large ones by their
    // size: ten datagrams reach the limit either way.
    QTest::newRow("small lines") << 200 << 3 << 10;
    QTest::newRow("large datagrams") << 60 << 8000 << 10 * SyslogBacklog::weight(8000);
}

void TestSyslogReceiver::receiverWaitsWhileBacklogFull()
{
    QFETCH(int, count);
    QFETCH(int, size);
    QFETCH(int, limit);
    // A receiver of its own on another port, with a small backlog.
    QSettings().setValue("syslog_server/portnumber", testsupport::freeUdpPort());
    SyslogBacklog backlog(limit);
    TLinkSyslogMonitor monitor(&backlog);
    QVERIFY(monitor.isBound());
    int received = 0;
    connect(&monitor, &TLinkSyslogMonitor::datagramsReceived, this,
            [&](const SyslogDatagrams &datagrams) { received += datagrams.size(); });

    Sender device("127.0.2.19");
    QVERIFY(device.isBound());
    for (int i = 0; i < count; ++i)
        device.send(QByteArray::number(i).leftJustified(size, 'x', true), monitor.port());
    QTRY_VERIFY(received >= 10);
    QTest::qWait(50);
    // Reading stops at the limit (give or take one read of the socket).
    QVERIFY2(received < 50, qPrintable(QString::number(received)));
    QCOMPARE(backlog.count(), received * SyslogBacklog::weight(size));

    // Once the lines are through, the rest comes in.
    while (received < count) {
        const int before = received;
        backlog.release(backlog.count());
        if (!testsupport::waitFor([&] { return received > before; }, 2000))
            break;
    }
    QCOMPARE(received, count);
}

void TestSyslogReceiver::receivePortSetting_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("absent") << QVariant() << 514;
    QTest::newRow("not a number") << QVariant("syslog") << 514;
    QTest::newRow("zero") << QVariant(0) << 514;
    QTest::newRow("negative") << QVariant(-7) << 514;
    QTest::newRow("beyond 16 bits") << QVariant(70000) << 514;
    QTest::newRow("a port") << QVariant(5514) << 5514;
}

void TestSyslogReceiver::receivePortSetting()
{
    QFETCH(QVariant, value);
    QFETCH(int, expected);
    delete m_front;
    QSettings settings;
    if (value.isValid())
        settings.setValue("syslog_server/portnumber", value);
    else
        settings.remove("syslog_server/portnumber");
    settings.sync();
    m_front = new TLinkSyslogIf;
    QCOMPARE(int(m_front->receivePort()), expected);
}

void TestSyslogReceiver::oneDatagramOneLine()
{
    Sender device("127.0.2.20");
    QVERIFY(device.isBound());
    m_front->addDevice("L", "705", "8008", "127.0.2.20");
    Listener listener;
    m_front->connectSyslogDevice("L", &listener, SLOT(handleInitLogText(QString)), 100,
                                 SLOT(handleNewLogText(QString)));
    QTRY_COMPARE(listener.initTexts.size(), 1);
    // A line feed would let a device write a line that looks like the
    // program's own.
    device.send("<13>one\n<14>1 2026-12-10T13:00:00Z 127.0.2.20 ZEL 0 1 - forged\r\n", m_front->receivePort());
    device.send("<13>\x1b]0;title\x07" "after", m_front->receivePort());
    const QString escaped = "<NOTICE>one#012<14>1 2026-12-10T13:00:00Z 127.0.2.20 ZEL 0 1 - forged#015#012";
    const QString last = "<NOTICE>#033]0;title#007after";
    QVERIFY(waitStored("syslog_705_8008", last));
    QCOMPARE(stored("syslog_705_8008"), (QStringList{escaped, last}));
    QTRY_COMPARE(listener.newLines, (QStringList{escaped, last}));

    // Lines given by address are stored the same way.
    m_front->syslogReceivedHandler("127.0.2.20", "<12>a\nb");
    QVERIFY(waitStored("syslog_705_8008", "<WARNING>a#012b"));
    QCOMPARE(stored("syslog_705_8008").size(), 3);
}

void TestSyslogReceiver::countsDroppedDatagrams()
{
    // A receiver that stops reading after its first datagram, so that a
    // burst overflows its socket buffer.
    QSettings().setValue("syslog_server/portnumber", testsupport::freeUdpPort());
    SyslogBacklog backlog(1);
    TLinkSyslogMonitor monitor(&backlog);
    QVERIFY(monitor.isBound());
    int received = 0;
    connect(&monitor, &TLinkSyslogMonitor::datagramsReceived, this,
            [&](const SyslogDatagrams &datagrams) { received += datagrams.size(); });
    Sender device("127.0.2.21");
    QVERIFY(device.isBound());
    device.send("<13>first", monitor.port());
    QTRY_COMPARE(received, 1);
    QCOMPARE(monitor.droppedDatagrams(), 0u);

    // Far more than the buffer holds (it is a few MB).
    const int burst = 60000;
    const QByteArray line = QByteArray("<13>").append(200, 'x');
    for (int i = 0; i < burst; ++i)
        device.send(line, monitor.port());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("datagrams lost to a full receive buffer"));
    // Every datagram is either received or counted as lost.
    while (received + int(monitor.droppedDatagrams()) < burst + 1) {
        const int before = received;
        backlog.release(backlog.count());
        if (!testsupport::waitFor([&] { return received > before; }, 2000))
            break;
    }
    QVERIFY(monitor.droppedDatagrams() > 0);
    QCOMPARE(received + int(monitor.droppedDatagrams()), burst + 1);
}

QTEST_GUILESS_MAIN(TestSyslogReceiver)
#include "tst_syslogreceiver.moc"
