// Events and the event hub: the event table, unknown ids, the flags that
// decide logging, syslog and pop-up, and raising from another thread.
#include "infodevice.h"
#include "infoevent.h"
#include "infomanager.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

class TestInfoEvent : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void eventTable_data();
    void eventTable();
    void unknownIdIsAnEventNotACrash();
    void severityAndStateTexts_data();
    void severityAndStateTexts();
    void sourceAndServiceNames();
    void flagsDecideDispatch_data();
    void flagsDecideDispatch();
    void raisedFromAnotherThreadArrivesOnGuiThread();
};

void TestInfoEvent::initTestCase()
{
    QCoreApplication::setOrganizationName("Vantor & Vantor");
    QCoreApplication::setApplicationName("ZEL");
    QVERIFY(QMetaType::type("InfoEvent") != QMetaType::UnknownType);

    // First use from several threads at once: one hub, living on the main
    // thread whoever created it.
    QVector<InfoManager *> seen(8, nullptr);
    QList<QThread *> threads;
    for (int i = 0; i < seen.size(); ++i)
        threads.append(QThread::create([&seen, i] { seen[i] = InfoManager::instance(); }));
    for (QThread *thread : qAsConst(threads))
        thread->start();
    for (QThread *thread : qAsConst(threads)) {
        QVERIFY(thread->wait(5000));
        delete thread;
    }
    InfoManager *hub = InfoManager::instance();
    QVERIFY(hub);
    for (InfoManager *other : qAsConst(seen))
        QCOMPARE(other, hub);
    QCOMPARE(hub->thread(), QThread::currentThread());
}

void TestInfoEvent::eventTable_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("service");
    QTest::addColumn<int>("severity");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::newRow("1") << 1 << 1792 << 6 << 1 << "Device discovery" << "New device has been discovered.";
    QTest::newRow("3") << 3 << 1792 << 4 << 1 << "Device discovery" << "Device reported offline";
    QTest::newRow("16") << 16 << 0 << 6 << 1 << "Service discovery" << "SLP:";
    QTest::newRow("257") << 257 << 256 << 4 << 3 << "Software update failed"
                         << "Could not establish an update connection to the device!";
    QTest::newRow("259") << 259 << 256 << 6 << 1 << "Software update service"
                         << "Could not establish an update connection to the device!";
    QTest::newRow("263") << 263 << 256 << 3 << 3 << "Software update failed" << "Software file transfer error.";
    QTest::newRow("264") << 264 << 256 << 6 << 1 << "Software update service" << "Found -";
    QTest::newRow("273") << 273 << 272 << 6 << 1 << "Software search service" << "Device TIIF file removed.";
    QTest::newRow("514") << 514 << 512 << 3 << 3 << "Stop live logging failed" << "Communication error.";
    QTest::newRow("517") << 517 << 512 << 6 << 1 << "Syslog Manager" << "External Syslog configuration - ";
    QTest::newRow("770") << 770 << 768 << 3 << 3 << "Diagnostic report failed" << "Specified directory doesn't exist.";
    QTest::newRow("1026") << 1026 << 1024 << 6 << 1 << "Reboot service" << "found - ";
    QTest::newRow("1024") << 1024 << 1024 << 3 << 3 << "Reboot failed" << "Could not reboot the device.";
    QTest::newRow("1796") << 1796 << 1792 << 2 << 1 << "Device Status" << "changed - ";
    QTest::newRow("1825") << 1825 << 1824 << 6 << 1 << "Web service" << "activated - ";
    QTest::newRow("1842") << 1842 << 1840 << 6 << 1 << "Mib service" << "loaded - ";
    QTest::newRow("2049") << 2049 << 2048 << 4 << 3 << "Software Upload"
                          << "Software upload may fail because the ZEL TFTP server could not access all interfaces.";
    QTest::newRow("2307") << 2307 << 2304 << 4 << 1 << "SNMP manager"
                          << "Warning, installation path missing (mib files)\nPreset to ";
    QTest::newRow("0x10000001") << 0x10000001 << 0 << 6 << 3 << "Test event" << "Test event undefined info message.";
    QTest::newRow("0x10000006") << 0x10000006 << 256 << 4 << 3 << "Software update failed"
                                << "Test event software update warning message.";
}

void TestInfoEvent::eventTable()
{
    QFETCH(int, id);
    QFETCH(int, service);
    QFETCH(int, severity);
    QFETCH(int, flags);
    QFETCH(QString, title);
    QFETCH(QString, message);
    const QDateTime before = QDateTime::currentDateTime();
    const InfoEvent event(id, nullptr, " extra", InfoEvent::StateOn);
    QCOMPARE(event.getId(), id);
    QCOMPARE(event.getServiceType(), service);
    QCOMPARE(event.getSeverity(), severity);
    QCOMPARE(event.getSeverityId(), severity);
    QCOMPARE(event.getFlags(), flags);
    QCOMPARE(event.getTitle(), title);
    QCOMPARE(event.getMessage(), message);
    QCOMPARE(event.getDescription(), message + " extra");
    QCOMPARE(event.getExtraText(), QString(" extra"));
    QCOMPARE(event.getState(), 1);
    QVERIFY(event.getDateTime() >= before && event.getDateTime() <= QDateTime::currentDateTime());
}

void TestInfoEvent::unknownIdIsAnEventNotACrash()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^InfoEvent::InfoEvent.*unknown ID 99$"));
    const InfoEvent event(99, nullptr, " tail", 0);
    QCOMPARE(event.getId(), -1);
    QCOMPARE(event.getServiceType(), 0);
    QCOMPARE(event.getSeverity(), 3);
    QCOMPARE(event.getFlags(), 1);
    QCOMPARE(event.getTitle(), QString("Unknown event"));
    QCOMPARE(event.getDescription(), QString("Tried to create event with unknown ID 99 tail"));
    QCOMPARE(event.getSeverityName(), QString("ERROR"));
}

void TestInfoEvent::severityAndStateTexts_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("severityName");
    QTest::addColumn<QString>("severityIcon");
    QTest::addColumn<QString>("stateText");
    QTest::newRow("info") << 1 << 0 << "INFO" << "i_ev_severity_info" << "NONE";
    QTest::newRow("warning") << 2 << 1 << "WARNING" << "i_ev_severity_warning" << "ON";
    QTest::newRow("error") << 263 << 2 << "ERROR" << "i_ev_severity_error" << "OFF";
    QTest::newRow("severity 2") << 1796 << 5 << "UNKNOWN" << "i_ev_severity_error" << "?";
    QTest::newRow("negative state") << 1 << -1 << "INFO" << "i_ev_severity_info" << "?";
}

void TestInfoEvent::severityAndStateTexts()
{
    QFETCH(int, id);
    QFETCH(int, state);
    QFETCH(QString, severityName);
    QFETCH(QString, severityIcon);
    QFETCH(QString, stateText);
    const InfoEvent event(id, nullptr, QString(), state);
    QCOMPARE(event.getSeverityName(), severityName);
    QCOMPARE(event.getSeverityIcon(), severityIcon);
    QCOMPARE(event.getStateText(), stateText);

    QCOMPARE(InfoEvent::getSeverityIconName(6, true), QString("i_ev_severity_info_50"));
    QCOMPARE(InfoEvent::getSeverityIconName(4, false), QString("i_ev_severity_warning_35"));
    QCOMPARE(InfoEvent::getSeverityIconName(3, false), QString("i_ev_severity_error_35"));
    QCOMPARE(InfoEvent::getSeverityIconName(2, true), QString());
}

void TestInfoEvent::sourceAndServiceNames()
{
    auto *source = new InfoDevice(nullptr, "Syslog manager");
    const InfoEvent event(515, source, QString(), 0);
    QCOMPARE(event.getSource(), source);
    QCOMPARE(event.getSourceName(), QString("Syslog manager"));
    // An object without model information has no icon.
    QCOMPARE(event.getSourceIconName(1), QString());
    QCOMPARE(event.getServiceIconName(1), QString("i_service_live_log_30"));
    QCOMPARE(InfoEvent(0x10000001, nullptr, QString(), 0).getServiceIconName(1), QString());

    // An event outlives its source safely.
    delete source;
    QCOMPARE(event.getSource(), nullptr);
    QCOMPARE(event.getSourceName(), QString());
    QCOMPARE(event.getSourceIconName(2), QString());
}

void TestInfoEvent::flagsDecideDispatch_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("logged");
    QTest::addColumn<int>("popups");
    QTest::newRow("log only") << 259 << 1 << 0;
    QTest::newRow("log and pop-up") << 257 << 1 << 1;
    QTest::newRow("test event") << 0x10000001 << 1 << 1;
    QTest::newRow("unknown id") << 99 << 1 << 0;
}

void TestInfoEvent::flagsDecideDispatch()
{
    QFETCH(int, id);
    QFETCH(int, logged);
    QFETCH(int, popups);
    InfoManager *hub = InfoManager::instance();
    QSignalSpy logSpy(hub, &InfoManager::logEvent);
    QSignalSpy syslogSpy(hub, &InfoManager::syslogEvent);
    QSignalSpy popupSpy(hub, &InfoManager::popupEvent);
    InfoDevice device(nullptr, "Device Handler");

    if (id == 99)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("unknown ID 99"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^\\*\\*\\*LOG EVENT\\*\\*\\* .*Device Handler"));
    device.postEvent(id, " text", InfoEvent::StateNone);

    QCOMPARE(logSpy.count(), logged);
    QCOMPARE(syslogSpy.count(), logged);
    QCOMPARE(popupSpy.count(), popups);
    const QList<QVariant> syslog = syslogSpy.takeFirst();
    QCOMPARE(syslog.at(0).toString(), QString("127.0.0.0"));
    const InfoEvent event = syslog.at(1).value<InfoEvent>();
    QCOMPARE(event.getId(), id == 99 ? -1 : id);
    QCOMPARE(event.getSource(), &device);
    QCOMPARE(event.getExtraText(), QString(" text"));
}

void TestInfoEvent::raisedFromAnotherThreadArrivesOnGuiThread()
{
    InfoDevice source(nullptr, "TFTP server");
    QList<InfoEvent> received;
    QThread *receivedOn = nullptr;
    QObject receiver;
    connect(InfoManager::instance(), &InfoManager::popupEvent, &receiver, [&](const InfoEvent &event) {
        received.append(event);
        receivedOn = QThread::currentThread();
    });

    QThread *worker = QThread::create([&source] {
        source.postEvent(261, " worker", InfoEvent::StateNone);
    });
    worker->start();
    QVERIFY(worker->wait(5000));
    delete worker;

    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(receivedOn, QThread::currentThread());
    QCOMPARE(received.first().getId(), 261);
    QCOMPARE(received.first().getDescription(), QString("TFTP file transfer timeout. worker"));
    QCOMPARE(received.first().getSourceName(), QString("TFTP server"));
}

QTEST_GUILESS_MAIN(TestInfoEvent)
#include "tst_infoevent.moc"
