// Debug sessions against the simulator's telnet service: the log-on and
// command dialogue, the production-data line, and every way a session fails.
#include "debugtestsupport.h"
#include "tlinkdevicedebugsession.h"

#include <QDateTime>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

const QString deviceAddress = QStringLiteral("127.0.2.21");

// Collects a session's results as they come.
struct Results
{
    explicit Results(TLinkDeviceDebugSession *session)
    {
        QObject::connect(session, &TLinkDeviceDebugSession::debugResultReceived,
                         [this](const QString &text, int rc) { items << qMakePair(text, rc); });
    }
    QList<QPair<QString, int>> items;
};

// A device scripted by the test, for output devsim would never send.
struct ScriptedDevice
{
    QTcpServer server;
    QTcpSocket *peer = nullptr;

    bool accept(TLinkDeviceDebugSession &session)
    {
        if (!server.listen(QHostAddress(deviceAddress), 0))
            return false;
        TLinkDeviceDebugSession::setTelnetPort(server.serverPort());
        session.connectToDevice();
        if (!testsupport::waitFor([&] { return server.hasPendingConnections(); }, 5000))
            return false;
        peer = server.nextPendingConnection();
        return true;
    }
    // Writes `data` once the session has written its next line.
    bool answer(const QByteArray &data)
    {
        // The whole line, however many segments it comes in.
        if (!testsupport::waitFor([&] { return peer->peek(peer->bytesAvailable()).contains('\r'); }, 10000))
            return false;
        peer->readAll();
        peer->write(data);
        peer->flush();
        return true;
    }
};

} // namespace

class TestDebugSession : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void parsesProductionData_data();
    void parsesProductionData();
    void certificateSeriesGivesProductionLine();
    void listingCommandPassesEveryPiece();
    void failuresGiveOneResult_data();
    void failuresGiveOneResult();
    void brokenDeviceOutputIsSafe();
    void answersInPiecesMakeOneStep();
    void listingThatStopsTimesOut();
    void logOnPromptsInOutputAreOutput();
};

void TestDebugSession::init()
{
    TLinkDeviceDebugSession::setTimeouts(20000, 15000, 10000);
}

void TestDebugSession::parsesProductionData_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("complete"); // every field there, in its form: else the session fails

    const QString full = QStringLiteral("ADU debug mask set to 0x10\r\ntelnet:/$ "
                                        "Real time: 2017-04-26 10:05:33\r\nLife time: 1234 days 05:00:00\r\n"
                                        "telnet:/$ Serial No:  A100001 \r\ntelnet:/$ "
                                        "Application 01.40 build 0041\r\ntelnet:/$ ");
    QTest::newRow("all labels") << full << 0 << QStringLiteral("A100001,01.40,1234, 441a0a05") << true;
    QTest::newRow("no real time ends with a comma")
        << QStringLiteral("Serial No: 7\nApplication 2.1\nLife time: 3 days\n") << 0 << QStringLiteral("7,2.1,3,") << false;
    QTest::newRow("no labels") << QStringLiteral("sh: adu_debug: not found\r\n") << 0 << QString() << false;
    QTest::newRow("label at the very end") << QStringLiteral("Serial No:") << 0 << QStringLiteral(",") << false;
    QTest::newRow("life time without days stays on its line")
        << QStringLiteral("Life time: 12\r\nother, text\r\n") << 0 << QStringLiteral("12,") << false;
    QTest::newRow("unreadable stamp fields read 0")
        << QStringLiteral("Real time: 2019-xx-05 1:07") << 0 << QStringLiteral(" 60050007") << false;
    QTest::newRow("other commands keep the text") << full << 1 << full << true;
}

void TestDebugSession::parsesProductionData()
{
    QFETCH(QString, answer);
    QFETCH(int, command);
    QFETCH(QString, line);
    QFETCH(bool, complete);
    QCOMPARE(TLinkDeviceDebugSession::parseProductionData(answer, command), line);
    QCOMPARE(TLinkDeviceDebugSession::productionDataComplete(answer), complete);
}

void TestDebugSession::certificateSeriesGivesProductionLine()
{
    testsupport::Peer sim;
    const quint16 port = debugtest::startDevsim(
        sim, deviceAddress, {"--serial", "204711", "--sw-version", "02.05", "--sw-build", "0117"});
    QVERIFY2(port, qPrintable(sim.output()));
    TLinkDeviceDebugSession::setTelnetPort(port);

    TLinkDeviceDebugSession session(deviceAddress, QStringLiteral("Vantor4320204711"));
    Results results(&session);
    QSignalSpy connected(&session, &TLinkDeviceDebugSession::connected);
    QSignalSpy finished(&session, &TLinkDeviceDebugSession::commandFinished);
    const QDateTime before = QDateTime::currentDateTimeUtc();
    session.connectToDevice();
    QVERIFY(finished.wait(10000));
    const QDateTime after = QDateTime::currentDateTimeUtc();

    QCOMPARE(connected.count(), 1);
    QCOMPARE(results.items.size(), 1);
    const QString line = results.items.first().first;
    QCOMPARE(results.items.first().second, 0);
    QVERIFY2(line == "204711,02.05,400," + debugtest::stampCode(before)
                 || line == "204711,02.05,400," + debugtest::stampCode(after),
             qPrintable(line));
    QCOMPARE(session.state(), int(TLinkDeviceDebugSession::Idle));
    QVERIFY(session.isFinished());
}

void TestDebugSession::listingCommandPassesEveryPiece()
{
    testsupport::Peer sim;
    const quint16 port = debugtest::startDevsim(sim, deviceAddress);
    QVERIFY2(port, qPrintable(sim.output()));
    TLinkDeviceDebugSession::setTelnetPort(port);

    TLinkDeviceDebugSession session(deviceAddress, QString());
    session.setCommand(1);
    Results results(&session);
    QSignalSpy finished(&session, &TLinkDeviceDebugSession::commandFinished);
    session.connectToDevice();
    QVERIFY(finished.wait(10000));

    // The device writes its listing line by line: several pieces, all rc 0,
    // the last one cut before the prompt and marked as the end.
    QVERIFY(results.items.size() > 1);
    QString listing;
    for (const auto &item : qAsConst(results.items)) {
        QCOMPARE(item.second, 0);
        QVERIFY(!item.first.contains(QLatin1String("teln")));
        listing += item.first;
    }
    QVERIFY(results.items.last().first.endsWith(QLatin1String("<<<")));
    QCOMPARE(listing.count(QLatin1String("<<<")), 1);
    QVERIFY(listing.startsWith(QLatin1String("Id   State")));
    QVERIFY(listing.contains(QLatin1String("205  off    info      Software updated\r\n<<<")));
}

void TestDebugSession::failuresGiveOneResult_data()
{
    QTest::addColumn<QStringList>("devsim"); // empty: nothing listens
    QTest::addColumn<int>("commandMs");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rc");

    QTest::newRow("nothing listens") << QStringList() << 5000 << "Telnet connect Failed" << -10;
    QTest::newRow("device never answers") << QStringList{"--silent"} << 5000 << "Telnet logon timeout" << -1;
    QTest::newRow("wrong password") << QStringList{"--telnet-password", "1111"} << 5000
                                    << "Telnet connection closed" << -1;
    QTest::newRow("answers too late") << QStringList{"--delay-ms", "400"} << 150 << "Telnet command timeout" << -2;
    QTest::newRow("hangs up mid-series") << QStringList{"--telnet-hangup-on", "prod pcb"} << 5000
                                         << "Telnet connection closed" << -2;
    QTest::newRow("answer without end") << QStringList{"--telnet-flood-bytes", "1000000"} << 5000
                                        << "Telnet answer too long" << int(TLinkDeviceDebugSession::AnswerFailed);
    QTest::newRow("field missing") << QStringList{"--serial", ""} << 5000 << "Telnet answer incomplete"
                                   << int(TLinkDeviceDebugSession::AnswerFailed);
}

void TestDebugSession::failuresGiveOneResult()
{
    QFETCH(QStringList, devsim);
    QFETCH(int, commandMs);
    QFETCH(QString, text);
    QFETCH(int, rc);

    testsupport::Peer sim;
    quint16 port = testsupport::freeTcpPort(QHostAddress(deviceAddress));
    if (!devsim.isEmpty()) {
        port = debugtest::startDevsim(sim, deviceAddress, devsim);
        QVERIFY2(port, qPrintable(sim.output()));
    }
    TLinkDeviceDebugSession::setTelnetPort(port);
    // Log-on has time for three tries at a device that pauses after each.
    TLinkDeviceDebugSession::setTimeouts(600, 2500, commandMs);

    TLinkDeviceDebugSession session(deviceAddress, QString());
    Results results(&session);
    session.connectToDevice();
    QVERIFY(testsupport::waitFor([&] { return !results.items.isEmpty(); }, 10000));
    QCOMPARE(results.items.first().first, text);
    QCOMPARE(results.items.first().second, rc);
    QVERIFY(session.isFinished());
    // A failure is final: no later time-out or data adds a second result.
    QTest::qWait(3000);
    QCOMPARE(results.items.size(), 1);
}

void TestDebugSession::brokenDeviceOutputIsSafe()
{
    // NUL bytes (telnet's CR NUL) amid prompts, a banner during log-on,
    // binary junk as an answer, and a flood without prompt that ends the
    // session as failed.
    TLinkDeviceDebugSession session(deviceAddress, QString());
    Results results(&session);
    ScriptedDevice device;
    QVERIFY(device.accept(session));
    QByteArray junk;
    for (int i = 0; i < 256; ++i)
        junk.append(char(i));
    const QByteArray flood = "Application 1.2 " + QByteArray(300 * 1024, 'x');

    device.peer->write(QByteArray("Username:\r\0", 11));
    QVERIFY(device.answer(QByteArray("Pass\0word:", 10))); // still the password prompt
    QVERIFY(device.answer("Last login: never\r\n"));        // no command output
    QTest::qWait(50);
    device.peer->write("\r\nWelcome\r\ntelnet:/$ ");
    QVERIFY(device.answer(junk + "telnet:/$ "));            // adu_debug
    QVERIFY(device.answer("Real time: 2020-01-02 03:04\r\nLife time: 9 days\r\ntelnet:/$ ")); // date
    QVERIFY(device.answer("Serial No: 5\r\ntelnet:/$ "));  // prod pcb
    QVERIFY(device.answer(flood));                          // ver
    QVERIFY(testsupport::waitFor([&] { return !results.items.isEmpty(); }, 5000));
    QCOMPARE(results.items.first(),
             qMakePair(QStringLiteral("Telnet answer too long"), int(TLinkDeviceDebugSession::AnswerFailed)));
    QTRY_VERIFY(device.peer->bytesAvailable() >= 2);
    QCOMPARE(device.peer->readAll(), QByteArray("\x03\r"));
    device.peer->write("telnet:/$ ");
    QTest::qWait(200); // a late prompt changes nothing
    QCOMPARE(results.items.size(), 1);
}

void TestDebugSession::answersInPiecesMakeOneStep()
{
    // Each answer of the series is taken up to the shell's prompt, however
    // the device cuts it into segments; only then goes the next line.
    TLinkDeviceDebugSession session(deviceAddress, QString());
    Results results(&session);
    ScriptedDevice device;
    QVERIFY(device.accept(session));
    QTest::qWait(100);
    device.peer->readAll(); // what the client says on connecting
    device.peer->write("Welcome\r\n");
    device.peer->flush();
    QTest::qWait(100);
    QCOMPARE(device.peer->bytesAvailable(), qint64(0)); // no command before the shell's prompt
    device.peer->write("telnet:/$ ");
    const QList<QPair<QList<QByteArray>, QByteArray>> series{
        {{"ADU debug\r\n", "telnet:", "/$ "}, "date\r"},
        {{"Real time: 2020-01-02 03:04\r\n", "Life time: 9 days\r\n", "telnet:/$ "}, "prod pcb\r"},
        {{"Serial No: 5\r\n", "telnet:/$ "}, "ver\r"},
    };
    QVERIFY(testsupport::waitFor([&] { return device.peer->bytesAvailable() >= 15; }, 5000));
    QCOMPARE(device.peer->readAll(), QByteArray("adu_debug 0x10\r"));
    for (const auto &step : series) {
        for (const QByteArray &piece : step.first) {
            device.peer->write(piece);
            device.peer->flush();
            QTest::qWait(50);
            if (&piece != &step.first.last())
                QCOMPARE(device.peer->bytesAvailable(), qint64(0)); // no line before the answer is whole
        }
        QVERIFY(testsupport::waitFor([&] { return device.peer->bytesAvailable() >= step.second.size(); }, 5000));
        QCOMPARE(device.peer->readAll(), step.second);
    }
    device.peer->write("Application 1.2 build 3\r\n");
    QTest::qWait(50);
    QVERIFY(results.items.isEmpty());
    device.peer->write("telnet:/$ ");
    QVERIFY(testsupport::waitFor([&] { return !results.items.isEmpty(); }, 5000));
    QCOMPARE(results.items.first(), qMakePair(QStringLiteral("5,1.2,9, 71020304"), 0));
}

void TestDebugSession::listingThatStopsTimesOut()
{
    TLinkDeviceDebugSession::setTimeouts(5000, 5000, 300);
    TLinkDeviceDebugSession session(deviceAddress, QString());
    session.setCommand(2);
    Results results(&session);
    ScriptedDevice device;
    QVERIFY(device.accept(session));
    device.peer->write("Welcome\r\ntelnet:/$ ");
    QVERIFY(device.answer("Id   State\r\n")); // then nothing, not even the prompt
    QVERIFY(testsupport::waitFor([&] { return results.items.size() == 2; }, 5000));
    QCOMPARE(results.items.at(0), qMakePair(QStringLiteral("Id   State\r\n"), 0));
    QCOMPARE(results.items.at(1), qMakePair(QStringLiteral("Telnet command timeout"), -2));
}

void TestDebugSession::logOnPromptsInOutputAreOutput()
{
    // Once logged on, "Password:", "Username:" and "Welcome" in a command's
    // answer are output: the password never goes into the device's shell and
    // the series does not start again.
    TLinkDeviceDebugSession session(deviceAddress, QString());
    Results results(&session);
    ScriptedDevice device;
    QVERIFY(device.accept(session));
    device.peer->write("Username:");
    QVERIFY(device.answer("Password:"));
    QVERIFY(device.answer("Welcome\r\ntelnet:/$ "));
    QVERIFY(testsupport::waitFor([&] { return device.peer->bytesAvailable() >= 15; }, 10000));
    QTest::qWait(20);
    QCOMPARE(device.peer->readAll(), QByteArray("adu_debug 0x10\r"));
    const QList<QPair<QByteArray, QByteArray>> series{
        {"Password: unchanged\r\nUsername: admin\r\ntelnet:/$ ", "date\r"},
        {"Real time: 2020-01-02 03:04\r\nLife time: 9 days\r\nWelcome\r\ntelnet:/$ ", "prod pcb\r"},
        {"Serial No: 5\r\nPassword:\r\ntelnet:/$ ", "ver\r"},
    };
    for (const auto &step : series) {
        device.peer->write(step.first);
        device.peer->flush();
        QVERIFY(testsupport::waitFor([&] { return device.peer->bytesAvailable() >= step.second.size(); }, 5000));
        QTest::qWait(20);
        QCOMPARE(device.peer->readAll(), step.second);
    }
    device.peer->write("Application 1.2 build 3\r\nWelcome\r\ntelnet:/$ ");
    QVERIFY(testsupport::waitFor([&] { return !results.items.isEmpty(); }, 5000));
    QCOMPARE(results.items.first(), qMakePair(QStringLiteral("5,1.2,9, 71020304"), 0));
    QTRY_VERIFY(device.peer->bytesAvailable() >= 2);
    QTest::qWait(50);
    QCOMPARE(device.peer->readAll(), QByteArray("\x03\r"));
}

QTEST_GUILESS_MAIN(TestDebugSession)
#include "tst_debugsession.moc"
