// The application's own events as syslog lines: the event hub registers the
// application as a source and the syslog layer's start-up events become its
// first lines, stored with severity names and forwarded with numbers. A
// failing write of the application's folder is reported once, not in a loop.
#include "infodevice.h"
#include "infomanager.h"
#include "testsupport.h"
#include "tlinksyslogif.h"

#include <QUdpSocket>
#include <QtTest>

namespace {
const QString kAppFolder = QStringLiteral("syslog_ZEL_2017-04-261.0741");
const QString kStamp = QStringLiteral("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ");
} // namespace

class TestSyslogEvents : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void startUpEventsAreFirstLines();
    void eventLinesStoredAndForwarded();
    void everySourceAtTheAddressGetsTheLine();
    void failedWriteOfOwnFolderReportedOnce();

private:
    QStringList stored(int n = 1) const;
    QList<QByteArray> forwarded();

    QTemporaryDir m_tmp;
    QUdpSocket m_sink;
};

void TestSyslogEvents::initTestCase()
{
    QCoreApplication::setOrganizationName("Vantor & Vantor");
    QCoreApplication::setApplicationName("ZEL");
    QVERIFY(m_tmp.isValid());
    QVERIFY(m_sink.bind(QHostAddress(QHostAddress::LocalHost), 0));
    QSettings settings;
    settings.clear();
    settings.setValue("syslog_server/destination_path", m_tmp.path());
    settings.setValue("syslog_server/portnumber", testsupport::freeUdpPort());
    settings.setValue("syslog_server/ext_server_state", true);
    settings.setValue("syslog_server/ext_server_address", "127.0.0.1");
    settings.setValue("syslog_server/ext_server_port_no", m_sink.localPort());
    settings.sync();
}

QStringList TestSyslogEvents::stored(int n) const
{
    QFile file(QStringLiteral("%1/%2/%3.txt").arg(m_tmp.path(), kAppFolder).arg(n, 3, 10, QLatin1Char('0')));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    lines.removeLast();
    return lines;
}

QList<QByteArray> TestSyslogEvents::forwarded()
{
    QList<QByteArray> datagrams;
    while (m_sink.hasPendingDatagrams()) {
        QByteArray bytes(int(m_sink.pendingDatagramSize()), '\0');
        m_sink.readDatagram(bytes.data(), bytes.size());
        datagrams << bytes;
    }
    return datagrams;
}

void TestSyslogEvents::startUpEventsAreFirstLines()
{
    const QString port = QString::number(m_sink.localPort());
    InfoManager::instance();
    QVERIFY(testsupport::waitFor([&] { return stored().size() >= 2; }, 5000));
    const QStringList lines = stored();
    QCOMPARE(lines.size(), 2);
    QVERIFY2(QRegularExpression("^<INFO>1 " + kStamp + " 127\\.0\\.0\\.0 ZEL 512 516 \\[ZEL@32473 State=\"NONE\" "
                                "Device=\"0000\"\\] Syslog Manager: Initiated\\.$")
                 .match(lines.at(0)).hasMatch(),
             qPrintable(lines.at(0)));
    QVERIFY2(QRegularExpression("^<INFO>1 " + kStamp + " 127\\.0\\.0\\.0 ZEL 512 517 \\[ZEL@32473 State=\"ON\" "
                                "Device=\"0000\"\\] Syslog Manager: External Syslog configuration - 127\\.0\\.0\\.1:"
                                + port + "$")
                 .match(lines.at(1)).hasMatch(),
             qPrintable(lines.at(1)));

    // Forwarded as built, with the numeric priority. The forwarding
    // settings are read after 516 is raised: only 517 goes out.
    QList<QByteArray> sent;
    QVERIFY(testsupport::waitFor([&] { sent += forwarded(); return !sent.isEmpty(); }, 5000));
    QTest::qWait(100);
    sent += forwarded();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(QString::fromUtf8(sent.at(0)), "<14>" + lines.at(1).mid(6));
}

void TestSyslogEvents::eventLinesStoredAndForwarded()
{
    const int before = stored().size();
    InfoDevice device(nullptr, "Device Handler");
    // Severity 4, with a description over several lines; then an event
    // without a source; then forwarding switched off (517, state OFF).
    device.postEvent(1793, "  status\n now   degraded ", InfoEvent::StateOn);
    InfoManager::instance()->raiseEvent(4, nullptr, " 127.0.2.9", InfoEvent::StateNone);
    TLinkSyslogIf::instance()->setExternalSyslog(false, "127.0.0.1", m_sink.localPort());
    QVERIFY(testsupport::waitFor([&] { return stored().size() >= before + 3; }, 5000));
    const QStringList lines = stored().mid(before);
    QCOMPARE(lines.size(), 3);
    QVERIFY2(QRegularExpression("^<WARNING>1 " + kStamp + " 127\\.0\\.0\\.0 ZEL 1792 1793 \\[ZEL@32473 State=\"ON\" "
                                "Device=\"\"\\] Device Status: changed - status now degraded$")
                 .match(lines.at(0)).hasMatch(),
             qPrintable(lines.at(0)));
    QVERIFY2(lines.at(1).contains(" 1792 4 [ZEL@32473 State=\"NONE\" Device=\"\"] Device discovery: Device reported "
                                  "online 127.0.2.9"),
             qPrintable(lines.at(1)));
    QVERIFY2(lines.at(2).contains(" 512 517 [ZEL@32473 State=\"OFF\" Device=\"0000\"] Syslog Manager: External "
                                  "Syslog configuration - 127.0.0.1:"),
             qPrintable(lines.at(2)));

    QList<QByteArray> sent;
    QVERIFY(testsupport::waitFor([&] { sent += forwarded(); return sent.size() >= 2; }, 5000));
    QVERIFY(sent.at(0).startsWith("<12>1 "));
    QVERIFY(sent.at(1).startsWith("<14>1 "));
    // The 517 line came after forwarding was switched off.
    QTest::qWait(100);
    QCOMPARE(forwarded().size(), 0);
}

void TestSyslogEvents::everySourceAtTheAddressGetsTheLine()
{
    TLinkSyslogIf::instance()->addDevice("second", "ZEL", "copy", "127.0.0.0");
    const int before = stored().size();
    InfoManager::instance()->raiseEvent(16, nullptr, " both", InfoEvent::StateNone);
    const QString copy = m_tmp.path() + "/syslog_ZEL_copy/001.txt";
    QVERIFY(testsupport::waitFor([&] { return QFile(copy).size() > 0 && stored().size() > before; }, 5000));
    QFile file(copy);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> copyLines = file.readAll().split('\n');
    QCOMPARE(copyLines.size(), 2);
    QCOMPARE(QString::fromUtf8(copyLines.at(0)), stored().at(before));
    QCOMPARE(stored().size(), before + 1);
    QVERIFY(stored().at(before).endsWith("Service discovery: SLP: both"));
    TLinkSyslogIf::instance()->removeDevice("second");
}

void TestSyslogEvents::failedWriteOfOwnFolderReportedOnce()
{
    int writeFailures = 0;
    connect(InfoManager::instance(), &InfoManager::logEvent, this, [&](const InfoEvent &event) {
        if (event.getId() == 515)
            ++writeFailures;
    });

    // A folder where the current file belongs: every write of the
    // application's folder fails, also that of the failure's own line.
    const int current = QSettings().value("syslog_server/file_number/" + kAppFolder).toInt();
    QCOMPARE(current, 1);
    QSettings().setValue("syslog_server/file_number/" + kAppFolder, 2);
    const QString blocker = QStringLiteral("%1/%2/002.txt").arg(m_tmp.path(), kAppFolder);
    QVERIFY(QDir().mkpath(blocker));

    InfoDevice device(nullptr, "Device Handler");
    device.postEvent(1, " first", InfoEvent::StateNone);
    QTRY_COMPARE(writeFailures, 1);
    device.postEvent(1, " second", InfoEvent::StateNone);
    QTest::qWait(300);
    QCOMPARE(writeFailures, 1);

    // Once a write succeeds, a new failure is reported again.
    QVERIFY(QDir(blocker).removeRecursively());
    device.postEvent(1, " third", InfoEvent::StateNone);
    QVERIFY(testsupport::waitFor([&] { return stored(2).value(stored(2).size() - 1).endsWith(" third"); }, 5000));
    QVERIFY(QFile::remove(blocker));
    QVERIFY(QDir().mkpath(blocker));
    device.postEvent(1, " fourth", InfoEvent::StateNone);
    QTRY_COMPARE(writeFailures, 2);
    QTest::qWait(300);
    QCOMPARE(writeFailures, 2);
}

QTEST_GUILESS_MAIN(TestSyslogEvents)
#include "tst_syslogevents.moc"
