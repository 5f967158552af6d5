// The telnet client against a scripted device on loopback: what it hands on
// of the negotiation and data a device sends, how it bounds a flood, and
// when it writes.
#include "qdevicetelnet.h"
#include "testsupport.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <sys/socket.h>

namespace {

const QHostAddress deviceAddress(QStringLiteral("127.0.2.20"));

QStringList exceptionLines;
QtMessageHandler previousHandler = nullptr;

void collectExceptionLines(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.contains(QLatin1String("socketException")))
        exceptionLines << text;
    previousHandler(type, context, text);
}

// One client connected to one scripted device.
struct Link
{
    QTcpServer server;
    QDeviceTelnet client;
    QPointer<QTcpSocket> device;
    QList<QByteArray> messages;

    bool open()
    {
        if (!server.listen(deviceAddress, 0))
            return false;
        QObject::connect(&client, &QDeviceTelnet::message, [this](const QByteArray &d) { messages << d; });
        QSignalSpy connected(&client, &QDeviceTelnet::sockConnected);
        client.connectToHost(deviceAddress.toString(), server.serverPort());
        if (!testsupport::waitFor([&] { return server.hasPendingConnections() && connected.count() == 1; }, 5000))
            return false;
        device = server.nextPendingConnection();
        return device;
    }
    QByteArray received() const
    {
        QByteArray all;
        for (const QByteArray &m : messages)
            all += m;
        return all;
    }
};

} // namespace

class TestQDeviceTelnet : public QObject
{
    Q_OBJECT
private slots:
    void negotiationAtTheStartIsDropped_data();
    void negotiationAtTheStartIsDropped();
    void floodComesInBoundedPieces();
    void urgentDataIsReportedOnce();
    void writesOnlyWhileConnected();
};

void TestQDeviceTelnet::negotiationAtTheStartIsDropped_data()
{
    QTest::addColumn<QList<QByteArray>>("reads"); // each written and read on its own
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("messages");

    const QByteArray willEcho("\xFF\xFB\x01", 3);
    const QByteArray doNaws("\xFF\xFD\x1F", 3);
    QByteArray junk;
    for (int i = 0; i < 256; ++i)
        junk.append(char(i));

    QTest::newRow("only negotiation") << QList<QByteArray>{willEcho + doNaws} << QByteArray() << 0;
    QTest::newRow("negotiation then prompt") << QList<QByteArray>{willEcho + doNaws + "Username: "}
                                             << QByteArray("Username: ") << 1;
    QTest::newRow("data mark then text") << QList<QByteArray>{"\xF2Welcome"} << QByteArray("Welcome") << 1;
    QTest::newRow("triple amid text passes") << QList<QByteArray>{"abc" + doNaws + "def"}
                                             << QByteArray("abc" + doNaws + "def") << 1;
    QTest::newRow("cut after IAC") << QList<QByteArray>{"\xFF", "\xFD\x18Username:"} << QByteArray("Username:") << 1;
    QTest::newRow("cut after command") << QList<QByteArray>{"\xFF\xFD", "\x18Username:"} << QByteArray("Username:")
                                       << 1;
    QTest::newRow("negotiation opening a later read") << QList<QByteArray>{"abc", willEcho + "def"}
                                                      << QByteArray("abcdef") << 2;
    QTest::newRow("binary junk") << QList<QByteArray>{junk} << junk << 1;
}

void TestQDeviceTelnet::negotiationAtTheStartIsDropped()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(QByteArray, expected);
    QFETCH(int, messages);

    Link link;
    QVERIFY(link.open());
    for (const QByteArray &chunk : reads) {
        link.device->write(chunk);
        link.device->flush();
        // Let the client take this piece before the next one leaves.
        QTest::qWait(100);
    }
    QCOMPARE(link.received(), expected);
    QCOMPARE(link.messages.size(), messages);
    QCOMPARE(link.device->bytesAvailable(), qint64(0)); // negotiation is never answered
}

void TestQDeviceTelnet::floodComesInBoundedPieces()
{
    Link link;
    QVERIFY(link.open());
    const QByteArray line(3 * 1024 * 1024, 'x'); // one endless line
    link.device->write(line);
    QVERIFY(testsupport::waitFor([&] { return link.received().size() >= line.size(); }, 20000));
    QCOMPARE(link.received(), line);
    for (const QByteArray &m : qAsConst(link.messages))
        QVERIFY(m.size() <= QDeviceTelnet::maxChunk);
}

void TestQDeviceTelnet::urgentDataIsReportedOnce()
{
    exceptionLines.clear();
    previousHandler = qInstallMessageHandler(collectExceptionLines);
    Link link;
    QVERIFY(link.open());
    QCOMPARE(::send(int(link.device->socketDescriptor()), "!", 1, MSG_OOB), ssize_t(1));
    QTest::qWait(300);
    link.device->write("Username: ");
    QVERIFY(testsupport::waitFor([&] { return link.received().contains("Username: "); }, 5000));
    qInstallMessageHandler(previousHandler);
    QCOMPARE(exceptionLines.size(), 1);
    QVERIFY(exceptionLines.first().startsWith(QLatin1String("TELNET - socketException --- !!! (")));
}

void TestQDeviceTelnet::writesOnlyWhileConnected()
{
    Link link;
    link.client.sendText(QStringLiteral("early\r")); // no connection yet
    QVERIFY(link.open());
    link.client.sendText(QStringLiteral("admin\r"));
    link.client.sendData(QByteArray());
    link.client.sendData(QByteArray("\x03\r"));
    QVERIFY(testsupport::waitFor([&] { return link.device->bytesAvailable() >= 8; }, 5000));
    QTest::qWait(50);
    QCOMPARE(link.device->readAll(), QByteArray("admin\r\x03\r"));

    // A second connect while connected opens nothing.
    link.client.connectToHost(deviceAddress.toString(), link.server.serverPort());
    QTest::qWait(100);
    QVERIFY(!link.server.hasPendingConnections());

    QSignalSpy closed(&link.client, &QDeviceTelnet::sockDisconnected);
    link.device->disconnectFromHost();
    QVERIFY(closed.wait(5000));
    QVERIFY(!link.client.isConnected());
    link.client.sendText(QStringLiteral("late\r")); // nothing to write to, nothing happens
}

QTEST_GUILESS_MAIN(TestQDeviceTelnet)
#include "tst_qdevicetelnet.moc"
