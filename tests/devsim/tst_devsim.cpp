// The simulator itself: it must start, say when it is ready, and never serve
// on an address outside loopback.
#include "testsupport.h"

#include <QtTest>

class TestDevsim : public QObject
{
    Q_OBJECT
private slots:
    void startsAndReportsReady();
    void refusesNonLoopback();
};

void TestDevsim::startsAndReportsReady()
{
    testsupport::Peer sim;
    QVERIFY(sim.start(ZEL_DEVSIM, {"--address", "127.0.0.9", "--no-slp", "--no-snmp"}));
    QVERIFY2(sim.waitForOutput("devsim ready"), qPrintable(sim.output()));
}

void TestDevsim::refusesNonLoopback()
{
    testsupport::Peer sim;
    QVERIFY(sim.start(ZEL_DEVSIM, {"--address", "192.0.2.1", "--no-slp", "--no-snmp"}));
    QCOMPARE(sim.waitForExit(), 2);
    QVERIFY(!sim.output().contains("devsim ready"));
}

QTEST_GUILESS_MAIN(TestDevsim)
#include "tst_devsim.moc"
