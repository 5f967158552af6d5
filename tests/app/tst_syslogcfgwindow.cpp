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
#include "tmessagewindow.h"
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

    // Digits typed into an octet stay as typed when the field loses the
    // focus; OK stores all three keys, the octets in plain decimal, hands
    // them to the syslog layer and closes. Cancel stores nothing.
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
        QCOMPARE(octet->text(), QStringLiteral("10"));
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

    // An address typed in one go runs through the fields: a full octet or a
    // full stop moves on to the next field, the last octet on to the port.
    void typedAddressRunsThroughFields_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("twelve digits") << "127000000010" << "127.0.0.10";
        QTest::newRow("full stops") << "10.1.20.3." << "10.1.20.3";
    }
    void typedAddressRunsThroughFields()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QPointer<SyslogCfgWindow> window = new SyslogCfgWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->showWindow(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        TLineEdit *first = window->addressFields().first();
        first->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return first->hasFocus(); }, 2000));
        for (const QChar c : typed) {
            QWidget *focus = QApplication::focusWidget();
            QVERIFY(focus);
            QTest::keyClick(focus, c.toLatin1());
        }
        QVERIFY(window->portField()->hasFocus());
        QTest::keyClicks(window->portField(), QStringLiteral("1514"));
        window->okButton()->click();
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QCOMPARE(QSettings().value(QStringLiteral("syslog_server/ext_server_address")).toString(), stored);
        QCOMPARE(QSettings().value(QStringLiteral("syslog_server/ext_server_port_no")).toInt(), 1514);
        QVERIFY(app2test::settle(m_main));
    }

    // An empty octet or an unusable port is not stored: OK tells why and the
    // window stays open, every field showing what was typed (no zeros put in
    // front that would make an empty field look like a number).
    void incompleteInputRefused_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("port");
        QTest::newRow("empty octet") << "192||1|7" << "514";
        QTest::newRow("empty port") << "192|168|1|7" << "";
        QTest::newRow("port zero") << "192|168|1|7" << "0";
    }
    void incompleteInputRefused()
    {
        QFETCH(QString, address);
        QFETCH(QString, port);
        QPointer<SyslogCfgWindow> window = new SyslogCfgWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->showWindow(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        const QStringList octets = address.split(QLatin1Char('|'));
        for (int i = 0; i < 4; ++i)
            window->addressFields().at(i)->setText(octets.at(i));
        window->portField()->setText(port);
        // Walk the focus through every field and back, so each one loses it once.
        QList<QWidget *> chain;
        for (TLineEdit *field : window->addressFields())
            chain << field;
        chain << window->portField() << window->addressFields().first();
        for (QWidget *widget : qAsConst(chain)) {
            widget->setFocus();
            QVERIFY(QTest::qWaitFor([&] { return widget->hasFocus(); }, 2000));
        }
        window->okButton()->click();
        QVERIFY(app2test::settle(m_main));
        QVERIFY(window);
        QVERIFY(QSettings().allKeys().isEmpty());
        const QList<TMessageWindow *> told = app2test::openWindows<TMessageWindow>();
        QCOMPARE(told.size(), 1);
        QCOMPARE(told.first()->getHeader(), QStringLiteral("Invalid syslog server"));
        told.first()->close();
        QVERIFY(app2test::settle(m_main));
        // Back in the window, with what was typed.
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->portField()->text(), port);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(window->addressFields().at(i)->text(), octets.at(i));
        window->close();
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QVERIFY(app2test::settle(m_main));
    }
};

APP2_TEST_MAIN(TestSyslogCfgWindow)
#include "tst_syslogcfgwindow.moc"
