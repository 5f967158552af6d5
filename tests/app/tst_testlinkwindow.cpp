// The link test window and its test log: results as a tree with the worst
// status on each step, the busy state of the operations, a full run against
// a simulated device, and the link test report PDF.

#include "app2testsupport.h"
#include "apptest_app3device.h"
#include "apptest_app3pdf.h"
#include "guiapp.h"
#include "tdevicetestif.h"
#include "testsupport.h"
#include "tlinkdevice.h"
#include "tlinkdevicehandler.h"
#include "tmainwindow.h"
#include "tmessagewindow.h"
#include "toption.h"
#include "tsubwindowview.h"
#include "ttextreadonly.h"
#include "zelsavefiledialog.h"
#include "zeltestlinkwindow.h"
#include "zeltestlogwindow.h"

#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTreeWidget>
#include <QtTest>

namespace {
const QString Address = QStringLiteral("127.0.2.53");

QImage iconImage(const QIcon &icon)
{
    return icon.isNull() ? QImage() : icon.pixmap(16, 16).toImage();
}
QImage statusImage(const QString &status)
{
    const QString file = ZelTestLinkWindow::statusIconFile(status);
    return file.isEmpty() ? QImage() : QIcon(file).pixmap(16, 16).toImage();
}
bool optionsEnabled(ZelTestLinkWindow *window, bool enabled)
{
    for (TOption *option : window->options())
        if (option->isEnabled() != enabled)
            return false;
    return true;
}
QStringList stepNames(QTreeWidget *tree)
{
    QStringList names;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        names << tree->topLevelItem(i)->text(0);
    return names;
}
} // namespace

class TestLinkWindow : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<app3test::ServedDevice> m_served;
    TMainWindow *m_main = nullptr;

    // A window whose test runs unseen: the test's own results are cut off so
    // that only the rows given by the test case show.
    ZelTestLinkWindow *quietWindow()
    {
        auto *window = new ZelTestLinkWindow(m_served->device);
        window->testInterface()->disconnect(window);
        window->handleFinish();
        return window;
    }

private slots:
    void initTestCase()
    {
        if (!testsupport::isRoot())
            QSKIP("the simulated device's SNMP port 161 on 127.0.2.x needs root");
        app3test::prepareRegistrySettings();
        QVERIFY(TLinkDeviceHandler::instance());
        m_served = app3test::serveDevice(Address, QStringLiteral("4411"), QStringLiteral("440053"),
                                         QStringLiteral("Supply"));
        QVERIFY(m_served);
        m_main = app3test::makeMainWindow();
    }
    void cleanupTestCase()
    {
        delete m_main;
        m_served.reset();
    }
    void cleanup()
    {
        ZelSaveFileDialog::setChooser({});
        if (m_main)
            for (TWindowView *view : m_main->openViews())
                view->close();
        QTest::qWait(10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The step row carries the icon of its worst row; status words in the
    // result column show as icons, every other text as text.
    void stepSeverity_data()
    {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("stepIcon");
        QTest::newRow("success only") << QList<QStringList>{{"a", "1", "success"}, {"b", "2", "success"}}
                                      << "success";
        QTest::newRow("warning wins over notify")
            << QList<QStringList>{{"a", "1", "success"}, {"b", "2", "notify"}, {"c", "3", "warning"},
                                  {"d", "4", "notify"}}
            << "warning";
        QTest::newRow("failed wins whatever follows")
            << QList<QStringList>{{"a", "1", "failed"}, {"b", "2", "warning"}, {"c", "3", "success"}} << "failed";
        QTest::newRow("no keyword") << QList<QStringList>{{"a", "1", "done"}, {"b", "2", "Success"}} << "";
        QTest::newRow("keyword in the value column")
            << QList<QStringList>{{"zkLoggingClientEventSeverity", "warning", "success"}, {"failed", "notify", "success"}}
            << "success";
    }
    void stepSeverity()
    {
        QFETCH(QList<QStringList>, rows);
        QFETCH(QString, stepIcon);
        std::unique_ptr<ZelTestLinkWindow> window(quietWindow());
        window->handleResult({QStringLiteral("SNMP")}, rows);
        QTreeWidget *tree = window->resultTree();
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem *step = tree->topLevelItem(0);
        QCOMPARE(step->text(0), QStringLiteral("SNMP"));
        QCOMPARE(iconImage(step->icon(2)), statusImage(stepIcon));
        QCOMPARE(step->childCount(), rows.size());
        for (int r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < rows.at(r).size(); ++c) {
                const QString &cell = rows.at(r).at(c);
                const bool keyword = c == 2 && !ZelTestLinkWindow::statusIconFile(cell).isEmpty();
                QCOMPARE(step->child(r)->text(c), keyword ? QString() : cell);
                QCOMPARE(iconImage(step->child(r)->icon(c)), statusImage(keyword ? cell : QString()));
            }
        }
    }

    // Steps accumulate; only a "Mib properties" step replaces the SNMP values.
    void snmpValuesAndLog()
    {
        std::unique_ptr<ZelTestLinkWindow> window(quietWindow());
        window->handleResult({"Mib properties"}, {{"zkA", "1", "success"}});
        window->handleResult({"SNMP"}, {{"sysName", "x", "success"}});
        QCOMPARE(window->getSnmpValues(), (QList<QStringList>{{"zkA", "1", "success"}}));
        window->handleResult({"Mib properties"}, {{"zkB", "2", "failed"}, {"zkC", "3", "success"}});
        QCOMPARE(window->getSnmpValues(), (QList<QStringList>{{"zkB", "2", "failed"}, {"zkC", "3", "success"}}));
        QCOMPARE(stepNames(window->resultTree()), (QStringList{"Mib properties", "SNMP", "Mib properties"}));
        window->handleLogEntry({"SLP", "test", "OK", "fine"});
        QCOMPARE(window->getLogEntries(), (QList<QStringList>{{"SLP", "test", "OK", "fine"}}));
        QCOMPARE(window->getDeviceInfo(),
                 (QStringList{"Supply (VANTOR-4411)", "Vantor & Vantor", "4411", "440053", m_served->device->getSoftwareVersion()}));
    }

    // The log window: a header row, then one row per entry in arrival order;
    // the report PDF carries the device, the log and the SNMP values.
    void logWindowAndReport()
    {
        QPointer<ZelTestLinkWindow> link(quietWindow());
        const QList<QStringList> entries{{"SLP", "test", "OK", "Valid SLP attributes"},
                                         {"Reboot", "service", "WARNING", "Slow restart"},
                                         {"Diagnostic report", "service", "ERROR", "No report"}};
        for (const QStringList &entry : entries)
            link->handleLogEntry(entry);
        link->handleResult({"Mib properties"}, {{"zkZk441xMaxChargeCurrent", "5000", "success"},
                                                {"zkLoggingClientEventSeverity", "warning", "success"},
                                                {"sysObjectID", ".1.3.6.1.4.1.32473.1.4411", "success"}});

        auto *log = new ZelTestLogWindow(link);
        log->setAttribute(Qt::WA_DeleteOnClose);
        const QString shown = log->logDocument()->toPlainText();
        QStringList cells = shown.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList expected{"Test service name  ", "Component ", "Severity  ", "Describtion"};
        for (const QStringList &entry : entries)
            expected += entry;
        QCOMPARE(cells, expected);
        QCOMPARE(log->findChild<TTextReadOnly *>(QStringLiteral("logDisplay"))->document(), log->logDocument());
        log->showWindow(m_main);
        QVERIFY(app3test::settle(m_main));
        log->grab().save(QDir::temp().filePath(QStringLiteral("app3_test_log.png")));

        // The first dialog offers the documents folder; the next one the file chosen.
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("linktest.pdf"));
        QStringList offered;
        app3test::answerSaveDialog(pdf, &offered);
        log->handlePrint(nullptr);
        QCOMPARE(offered.value(0),
                 QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/Vantor/ZEL"));
        QCOMPARE(QSettings().value(QStringLiteral("link_test/destination_path")).toString(), pdf);
        // Blanks collapsed: the report's cells wrap and pad their texts.
        const QString text = app3test::pdfText(pdf).simplified();
        QVERIFY2(!text.isEmpty(), "pdftotext read nothing");
        for (const char *line : {"LINK test Report:", "Device: Supply", "(VANTOR-4411)", "Model: 4411 - Vantor & Vantor", "Version: 01.07",
                                 "Serial No:440053", "Test service name", "Describtion", "Valid SLP attributes",
                                 "Slow restart", "No report", "ZEL moitored SNMP values:", "SNMP NAME", "VALIDATION",
                                 "zkZk441xMaxChargeCurrent", "zkLoggingClientEventSeverity",
                                 ".1.3.6.1.4.1.32473.1.4411"})
            QVERIFY2(text.contains(QLatin1String(line)), qPrintable(QString::fromLatin1(line) + " in: " + text));
        QVERIFY(text.indexOf("Valid SLP attributes") < text.indexOf("Slow restart"));
        QVERIFY(text.indexOf("Slow restart") < text.indexOf("No report"));

        // With the link test window gone the report still saves, from what was taken.
        delete link;
        QFile::remove(pdf);
        log->handlePrint(nullptr);
        QCOMPARE(offered.value(1), pdf);
        QVERIFY(app3test::pdfText(pdf).contains(QLatin1String("zkZk441xMaxChargeCurrent")));

        // A name typed without the suffix gets ".pdf"; a file that cannot be
        // written is told in a message window.
        app3test::answerSaveDialog(dir.filePath(QStringLiteral("typed")), &offered);
        log->handlePrint(nullptr);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("typed"))));
        QVERIFY(app3test::pdfText(dir.filePath(QStringLiteral("typed.pdf"))).contains(QLatin1String("LINK test Report:")));
        QCOMPARE(QSettings().value(QStringLiteral("link_test/destination_path")).toString(),
                 dir.filePath(QStringLiteral("typed.pdf")));
        QVERIFY(app2test::openWindows<TMessageWindow>().isEmpty());
        app3test::answerSaveDialog(dir.filePath(QStringLiteral("missing/linktest.pdf")), &offered);
        log->handlePrint(nullptr);
        QVERIFY(app3test::settle(m_main));
        const QList<TMessageWindow *> told = app2test::openWindows<TMessageWindow>();
        QCOMPARE(told.size(), 1);
        QCOMPARE(told.first()->getHeader(), QStringLiteral("Report not saved"));
        QVERIFY(told.first()->getDescription().contains(QStringLiteral("missing")));
        told.first()->close();
        QVERIFY(app3test::settle(m_main));

        // Cancelling writes nothing.
        QFile::remove(pdf);
        app3test::answerSaveDialog(QString(), &offered);
        log->handlePrint(nullptr);
        QVERIFY(!QFile::exists(pdf));
        log->close();
    }

    // Opening starts a full run against the device: busy until it ends, then
    // result rows; Retest adds the new steps below the first ones.
    void fullRunAgainstDevice()
    {
        auto *window = new ZelTestLinkWindow(m_served->device);
        window->setAttribute(Qt::WA_DeleteOnClose);
        QSignalSpy finished(window->testInterface(), &TDeviceTestIf::finished);
        QVERIFY(optionsEnabled(window, false));
        window->showWindow(m_main);
        QVERIFY(app3test::settle(m_main));
        QVERIFY2(testsupport::waitFor([&] { return optionsEnabled(window, true); }, 120000),
                 qPrintable(stepNames(window->resultTree()).join(',')));
        // The MIB steps report after the run's first end.
        QVERIFY2(testsupport::waitFor([&] { return !window->getSnmpValues().isEmpty(); }, 60000),
                 qPrintable(stepNames(window->resultTree()).join(',')));
        QTest::qWait(1000);
        const QStringList first = stepNames(window->resultTree());
        QVERIFY2(first.mid(0, 2) == (QStringList{"SLP", "SNMP"}), qPrintable(first.join(',')));
        QVERIFY(first.contains(QStringLiteral("Mib properties")));
        QVERIFY(!window->getLogEntries().isEmpty());
        QVERIFY(window->getSnmpValues().contains(QStringList{"zkZk441xMaxChargeCurrent", "5000", "success"}));
        // The maker's own device passes the attribute check without a warning.
        QCOMPARE(iconImage(window->resultTree()->topLevelItem(0)->icon(2)), statusImage(QStringLiteral("success")));
        QVERIFY(window->getLogEntries().contains(QStringList{"SLP", "test", "OK", "Valid SLP attributes"}));
        QTreeWidgetItem *snmp = window->resultTree()->topLevelItem(1);
        QVERIFY(snmp->childCount() > 0);
        QCOMPARE(iconImage(snmp->icon(2)), statusImage(QStringLiteral("success")));
        window->grab().save(QDir::temp().filePath(QStringLiteral("app3_link_test.png")));

        // Retest: busy again, and the second run's steps follow the first's.
        window->options().at(0)->selected(nullptr);
        QVERIFY(optionsEnabled(window, false));
        QVERIFY(testsupport::waitFor([&] { return optionsEnabled(window, true); }, 120000));
        QTest::qWait(1000);
        const QStringList both = stepNames(window->resultTree());
        QCOMPARE(both.mid(0, first.size()), first);
        QVERIFY(both.size() >= 2 * 2 && both.mid(first.size()).contains(QStringLiteral("SNMP")));
        window->close();
    }
};

int main(int argc, char **argv)
{
    GuiApp app(argc, argv);
    app.setOrganizationName(QStringLiteral("Vantor & Vantor"));
    app.setApplicationName(QStringLiteral("ZEL"));
    TestLinkWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_testlinkwindow.moc"
