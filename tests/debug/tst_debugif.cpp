// The front object from the caller's thread: sessions run on the debug
// thread, results come back as queued calls of the receiver's slot, and
// closing, queueing and a device that hangs up leave no stale session.
#include "debugtestsupport.h"
#include "tlinkdevicedebugif.h"
#include "tlinkdevicedebugsession.h"

#include <QThread>
#include <QtTest>

namespace {

// Stands in for the device object that asks for its certificate line.
class Receiver : public QObject
{
    Q_OBJECT
public:
    QList<QPair<QString, int>> results;
    QList<QThread *> threads;

public slots:
    void handleTelnetCertificate(const QString &text, int rc)
    {
        results << qMakePair(text, rc);
        threads << QThread::currentThread();
    }
};

} // namespace

class TestDebugIf : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void certificateThroughFrontObject();
    void secondRequestRunsAfterTheFirst();
    void deviceHangingUpClosesSession();
};

void TestDebugIf::initTestCase()
{
    TLinkDeviceDebugSession::setTimeouts(5000, 5000, 5000);
}

void TestDebugIf::certificateThroughFrontObject()
{
    const QString address = QStringLiteral("127.0.2.22");
    testsupport::Peer sim;
    const quint16 port = debugtest::startDevsim(sim, address, {"--serial", "31337"});
    QVERIFY2(port, qPrintable(sim.output()));
    TLinkDeviceDebugSession::setTelnetPort(port);

    TLinkDeviceDebugIf *front = TLinkDeviceDebugIf::instance();
    QCOMPARE(front, TLinkDeviceDebugIf::instance());
    Receiver receiver;
    TLinkDeviceDebugSession *session =
        front->openSession(address, QStringLiteral("Vantor432031337"), &receiver,
                           SLOT(handleTelnetCertificate(const QString &, int)));
    QVERIFY(session);
    QVERIFY(session->thread() != QThread::currentThread());
    // One session per host: a second open hands back the same one.
    QCOMPARE(front->openSession(address, QString(), nullptr, nullptr), session);
    QCOMPARE(front->sessionCount(), 1);

    front->addCommand(session, 1); // only the certificate series is passed on
    front->addCommand(session, 0);
    QVERIFY(testsupport::waitFor([&] { return !receiver.results.isEmpty(); }, 10000));
    QVERIFY2(receiver.results.first().first.startsWith(QLatin1String("31337,01.07,400, ")),
             qPrintable(receiver.results.first().first));
    QCOMPARE(receiver.results.first().second, 0);
    QCOMPARE(receiver.threads.first(), QThread::currentThread());

    // A further request on the idle session logs on afresh.
    front->addCommand(session, 0);
    QVERIFY(testsupport::waitFor([&] { return receiver.results.size() == 2; }, 10000));
    QVERIFY(receiver.results.last().first.startsWith(QLatin1String("31337,01.07,400, ")));

    front->closeSession(session);
    QCOMPARE(front->sessionCount(), 0);
    front->closeSession(session); // already closed: ignored
    front->closeSession(nullptr);
    QTest::qWait(300);
    QCOMPARE(receiver.results.size(), 2);
}

void TestDebugIf::secondRequestRunsAfterTheFirst()
{
    const QString address = QStringLiteral("127.0.2.23");
    testsupport::Peer sim;
    const quint16 port = debugtest::startDevsim(sim, address, {"--delay-ms", "50"});
    QVERIFY2(port, qPrintable(sim.output()));
    TLinkDeviceDebugSession::setTelnetPort(port);

    TLinkDeviceDebugIf *front = TLinkDeviceDebugIf::instance();
    Receiver receiver;
    TLinkDeviceDebugSession *session =
        front->openSession(address, QString(), &receiver, SLOT(handleTelnetCertificate(QString, int)));
    front->addCommand(session, 0);
    QTest::qWait(100); // the first is under way
    front->addCommand(session, 0);
    QVERIFY(testsupport::waitFor([&] { return receiver.results.size() == 2; }, 15000));
    for (const auto &result : qAsConst(receiver.results)) {
        QVERIFY2(result.first.startsWith(QLatin1String("100001,01.07,400, ")), qPrintable(result.first));
        QCOMPARE(result.second, 0);
    }
    QTest::qWait(300);
    QCOMPARE(receiver.results.size(), 2);
    front->closeSession(session);
    QCOMPARE(front->sessionCount(), 0);
}

void TestDebugIf::deviceHangingUpClosesSession()
{
    const QString address = QStringLiteral("127.0.2.24");
    testsupport::Peer sim;
    const quint16 port = debugtest::startDevsim(sim, address, {"--telnet-hangup-on", "date"});
    QVERIFY2(port, qPrintable(sim.output()));
    TLinkDeviceDebugSession::setTelnetPort(port);

    TLinkDeviceDebugIf *front = TLinkDeviceDebugIf::instance();
    Receiver receiver;
    TLinkDeviceDebugSession *session =
        front->openSession(address, QString(), &receiver, SLOT(handleTelnetCertificate(QString, int)));
    front->addCommand(session, 0);
    QVERIFY(testsupport::waitFor([&] { return !receiver.results.isEmpty(); }, 10000));
    QCOMPARE(receiver.results.first(), qMakePair(QStringLiteral("Telnet connection closed"), -2));
    // The worker has dropped the session and told the front object so.
    QVERIFY(testsupport::waitFor([&] { return front->sessionCount() == 0; }, 5000));
    // What the device object does on its result: close its (stale) session.
    front->closeSession(session);
    front->addCommand(session, 0);
    QTest::qWait(300);
    QCOMPARE(receiver.results.size(), 1);

    // The host can be opened afresh.
    TLinkDeviceDebugSession *again = front->openSession(address, QString(), nullptr, nullptr);
    QVERIFY(again);
    QCOMPARE(front->sessionCount(), 1);
    front->closeSession(again);
}

QTEST_GUILESS_MAIN(TestDebugIf)
#include "tst_debugif.moc"
