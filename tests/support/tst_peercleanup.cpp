// Peers of a test are gone once the test is, however it ended: by the
// kernel's parent-death signal for peers started through the test support,
// and by the test runner killing the test's whole process group for any
// other process the test left behind.
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <csignal>

namespace {

// True while a process of that id runs (a zombie counts as gone).
bool running(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const int close = text.lastIndexOf(')');
    return close > 0 && text.mid(close + 2, 1) != "Z";
}

} // namespace

class TestPeerCleanup : public QObject
{
    Q_OBJECT
private slots:
    void peersEndWithTheTest_data();
    void peersEndWithTheTest();
};

void TestPeerCleanup::peersEndWithTheTest_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("test support peer, test crashed") << ZEL_PEERCRASHER << QStringList();
    // A peer started by hand, and a test that crashes: only the runner's
    // process group catches it.
    QTest::newRow("any child, run by the test runner")
        << ZEL_TEST_RUNNER
        << QStringList{"sh", "-c", "sleep 300 & echo peer $!; kill -SEGV $$"};
    QTest::newRow("test support peer, run by the test runner")
        << ZEL_TEST_RUNNER << QStringList{ZEL_PEERCRASHER};
}

void TestPeerCleanup::peersEndWithTheTest()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QProcess test;
    test.start(program, arguments);
    QVERIFY(test.waitForStarted(5000));
    QVERIFY(test.waitForFinished(10000));
    QVERIFY(test.exitStatus() == QProcess::CrashExit || test.exitCode() != 0);
    const QString out = QString::fromLatin1(test.readAllStandardOutput());
    const QRegularExpressionMatch m = QRegularExpression("peer (\\d+)").match(out);
    QVERIFY2(m.hasMatch(), qPrintable(out));
    const qint64 peer = m.captured(1).toLongLong();
    QVERIFY(peer > 0);
    // Whatever the outcome, this test leaves no peer behind either.
    struct Reaper
    {
        qint64 pid;
        ~Reaper()
        {
            if (running(pid))
                ::kill(pid_t(pid), SIGKILL);
        }
    } reaper{peer};
    QTRY_VERIFY_WITH_TIMEOUT(!running(peer), 5000);
}

QTEST_GUILESS_MAIN(TestPeerCleanup)
#include "tst_peercleanup.moc"
