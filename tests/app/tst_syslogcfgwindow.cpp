// The syslog forwarding settings window: what it shows from the settings,
// what OK writes and hands to the syslog layer.

#include "app2testsupport.h"
#include "infoevent.h"
#include "infomanager.h"
#include "syslogcfgwindow.h"
#include "testsupport.h"
#include "tlineedit.h"
#include "tlinksyslogif.h"
#include "tlistitem.h"
#include "tlistwidget.h"
#include "toptionbutton.h"
#include "twindowview.h"

#include <QSettings>
#include <QSignalSpy>

namespace {

QString fieldTexts(SyslogCfgWindow *window)
{
    QStringList texts;
    for (TLineEdit *field : window->addressFields())
        texts << field->text();
    return texts.join(QLatin1Char('|')) + QStringLiteral(" port ") + window->portField()->text();
}

} // namespace

class TestSyslogCfgWindow : public QObject
{
    Q_OBJECT
private:
    TMainWindow *m_main = nullptr;

private slots:
    void initTestCase()
    {
        m_main = app2test::makeMainWindow();
        QVERIFY(m_main);
    }
    void cleanupTestCase() { delete m_main; }
    void init() { QSettings().clear(); }

    void shownValues_data()
    {
        QTest::addColumn<QVariant>("state");
        QTest::addColumn<QVariant>("address");
        QTest::addColumn<QVariant>("port");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("fields");
        QTest::newRow("nothing stored") << QVariant() << QVariant() << QVariant() << false << "0|0|0|0 port 514";
        QTest::newRow("all stored") << QVariant(true) << QVariant("192.168.0.20") << QVariant(1514) << true
                                    << "192|168|0|20 port 1514";
        QTest::newRow("three parts") << QVariant(false) << QVariant("10.1.2") << QVariant(514) << false
                                     << "0|0|0|0 port 514";
        QTest::newRow("empty parts kept") << QVariant(true) << QVariant("10..2.") << QVariant() << true
                                          << "10||2| port 514";
    }
    void shownValues()
    {
        QFETCH(QVariant, state);
        QFETCH(QVariant, address);
        QFETCH(QVariant, port);
        QFETCH(bool, checked);
        QFETCH(QString, fields);
        {
            QSettings settings;
            if (state.isValid())
                settings.setValue(QStringLiteral("syslog_server/ext_server_state"), state);
            if (address.isValid())
                settings.setValue(QStringLiteral("syslog_server/ext_server_address"), address);
            if (port.isValid())
                settings.setValue(QStringLiteral("syslog_server/ext_server_port_no"), port);
        }
        SyslogCfgWindow window;
        window.updateData();
        QCOMPARE(window.enableList()->findItem(0)->isChecked(), checked);
        QCOMPARE(window.enableList()->findItem(0)->texts().value(0), QStringLiteral("Forward live logging."));
        QCOMPARE(fieldTexts(&window), fields);
        // Showing writes nothing back.
        QCOMPARE(QSettings().allKeys().size(), int(state.isValid()) + int(address.isValid()) + int(port.isValid()));
    }

    // Digits typed into an octet gain leading zeros when the field loses the
    // focus; OK stores all three keys, the octets in plain decimal (a padded
    // "010" would be read as octal 8 by the address parser), hands them to the
    // syslog layer and closes. Cancel stores nothing.
    void okStoresAndForwards_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("ok") << true;
        QTest::newRow("cancel") << false;
    }
    void okStoresAndForwards()
    {
        QFETCH(bool, ok);
        QSettings().setValue(QStringLiteral("syslog_server/portnumber"), testsupport::freeUdpPort());
        QSettings().setValue(QStringLiteral("syslog_server/ext_server_address"), QStringLiteral("127.0.2.31"));
        TLinkSyslogIf::instance()->init();
        QSignalSpy events(InfoManager::instance(), &InfoManager::logEvent);

        QPointer<SyslogCfgWindow> window = new SyslogCfgWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->showWindow(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        QCOMPARE(fieldTexts(window), QStringLiteral("127|0|2|31 port 514"));

        TLineEdit *octet = window->addressFields().at(2);
        octet->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return octet->hasFocus(); }, 2000));
        QTest::keyClicks(octet, QStringLiteral("10"));
        window->portField()->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return window->portField()->hasFocus(); }, 2000));
        QCOMPARE(octet->text(), QStringLiteral("010"));
        QTest::keyClicks(window->portField(), QStringLiteral("5514"));
        window->enableList()->findItem(0)->setChecked(true);

        (ok ? window->okButton() : window->cancelButton())->click();
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QSettings settings;
        if (!ok) {
            QCOMPARE(settings.allKeys().size(), 2);
            QVERIFY(app2test::settle(m_main));
            return;
        }
        QCOMPARE(settings.value(QStringLiteral("syslog_server/ext_server_address")).toString(),
                 QStringLiteral("127.0.10.31"));
        QCOMPARE(settings.value(QStringLiteral("syslog_server/ext_server_port_no")).toInt(), 5514);
        QCOMPARE(settings.value(QStringLiteral("syslog_server/ext_server_state")).toBool(), true);
        QVERIFY(QTest::qWaitFor([&] {
            for (const QList<QVariant> &args : events) {
                const InfoEvent event = args.at(0).value<InfoEvent>();
                if (event.getId() == 517)
                    return event.getExtraText() == QStringLiteral(" 127.0.10.31:5514") && event.getStateText() == "ON";
            }
            return false;
        }, 3000));
        QVERIFY(app2test::settle(m_main));
    }
};

APP2_TEST_MAIN(TestSyslogCfgWindow)
#include "tst_syslogcfgwindow.moc"
