// Every window of the application as a technician meets it: the main window
// at 800 x 600 with the shipped style sheets and images, four simulated
// devices of the four models found by discovery, and each window opened from
// there. A window fails when a control lies outside its parent or the main
// window, two controls laid side by side overlap, a text is cut, an image is
// missing (the placeholder is drawn), or a page that lists values lists none.
// A text that stands out from its background by less than 4.5:1 fails too,
// and so does any image the windows asked for that is not shipped both by
// day and by night. Built twice: by day, and (ZEL_LAYOUT_NIGHT) in night mode.
// Each window is saved as a PNG for a person to look at.
#include "apptest_app1setup.h"
#include "layoutcheck.h"
#include "testsupport.h"

#include "infoevent.h"
#include "powerbatterydetailswindow.h"
#include "powerbatterycfgfield.h"
#include "powerbranchcfgfield.h"
#include "propertygroup.h"
#include "abstractproperty.h"
#include "syslogcfgwindow.h"
#include "tabstractcfgwindow.h"
#include "thelpcontrol.h"
#include "thelpwindow.h"
#include "tlinkdeviceif.h"
#include "twebviewscroll.h"
#include "tmessagewindow.h"
#include "toption.h"
#include "toptioniconbutton.h"
#include "toptionmenuwindow.h"
#include "tpasswordreqwindow.h"
#include "tproductmessage.h"
#include "tproductmessagewindow.h"
#include "tpropertiestouchlist.h"
#include "tpropertiestouchlistitem.h"
#include "tstyle.h"
#include "tstylesheet.h"
#include "twindowtoppanel.h"
#include "tbasekeydata.h"
#include "ttouchkey.h"
#include "ttouchkeyboard.h"
#include "zeldevicedetailspage.h"
#include "zeldevicelistitem.h"
#include "zeldevicelistpage.h"
#include "zeldevicemibfilewindow.h"
#include "zeldevicepagescreen.h"
#include "zeldevicerepwindow.h"
#include "zeldiagrepwindow.h"
#include "zelreportdocument.h"
#include "zellivelogwindow.h"
#include "zelmainwindow.h"
#include "zeloptionswindow.h"
#include "zelrebootwindow.h"
#include "zelsoftwaresearchwindow.h"
#include "zelsoftwareupdatewindow.h"
#include "zeltestlinkwindow.h"
#include "zeltestlogwindow.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QTreeWidget>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>
#include <QVBoxLayout>
#include <QWebFrame>

#include <map>
#include <memory>

namespace {

// Collects the "Missing image" warnings: each is a placeholder drawn.
QStringList g_missingImages;
QtMessageHandler g_previousHandler = nullptr;

void captureMissingImages(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg && text.contains(QLatin1String("Missing image")))
        g_missingImages << text;
    if (g_previousHandler)
        g_previousHandler(type, context, text);
}

struct SimulatedDevice
{
    const char *address;
    const char *model;
    const char *serial;
    const char *product;
    const char *alias;
};

const SimulatedDevice simulatedDevices[] = {
    {"127.0.3.20", "4320", "130020", "VANTOR-4320", "Mast terminal"},
    {"127.0.3.21", "4330", "130021", "VANTOR-4330", ""},
    {"127.0.3.22", "4350", "130022", "VANTOR-4350", "Bridge antenna"},
    {"127.0.3.23", "4411", "130023", "VANTOR-4411", "Power supply"},
};

} // namespace

class TestWindowLayout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void deviceList();
    void detailsPage_data();
    void detailsPage();
    void deviceWindows_data();
    void deviceWindows();
    void powerSupplyWindows();
    void settingsWindows();
    void eventPopUps();
    void messageWindows();
    void longHeadingKeepsWindowWidth();
    void topLevelWindows();
    void helpPagesNameNoKeys();
    // Last: every image looked up by the windows above.
    void imagesShippedByDayAndNight();

private:
    TLinkDeviceIf *deviceOf(const QString &model) const;
    bool settle();
    // Checks the window shown in the main window (or on its own) and saves
    // what the user sees under name.
    void check(QWidget *window, const QString &name);
    void showInMain(TAbstractSubWindow *window);
    void closeAll();
    // Help asked from the widget shows the page of that file, not a blank one.
    // With byKey, F1 is pressed in the widget instead.
    void checkHelp(QWidget *from, const QString &fileName, bool byKey = false);

    std::vector<std::unique_ptr<testsupport::Peer>> m_peers;
    ZelMainWindow *m_main = nullptr;
    ZelDevicePageScreen *m_screen = nullptr;
    QString m_pngDir;
};

void TestWindowLayout::initTestCase()
{
    if (!testsupport::isRoot())
        QSKIP("simulated devices answer SLP on port 427 and SNMP on port 161: root needed");
    m_pngDir = QStringLiteral(ZEL_LAYOUT_PNG_DIR);
    QVERIFY(QDir().mkpath(m_pngDir));
    for (const SimulatedDevice &d : simulatedDevices) {
        auto peer = std::make_unique<testsupport::Peer>();
        const QStringList args = {"--address", d.address, "--model", d.model,   "--serial", d.serial,
                                  "--product", d.product, "--alias", d.alias,   "--no-telnet", "--no-http"};
        QVERIFY(peer->start(QStringLiteral(ZEL_DEVSIM), args));
        QVERIFY2(peer->waitForOutput(QStringLiteral("devsim ready"), 10000), qPrintable(peer->output()));
        m_peers.push_back(std::move(peer));
    }
    g_previousHandler = qInstallMessageHandler(captureMissingImages);

    m_main = new ZelMainWindow;
    m_main->resize(800, 600);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
    m_screen = qobject_cast<ZelDevicePageScreen *>(m_main->currentScreen());
    QVERIFY(m_screen);
    // Every device found, online and with its values read.
    auto ready = [this] {
        for (const SimulatedDevice &d : simulatedDevices) {
            TLinkDeviceIf *device = deviceOf(QLatin1String(d.model));
            if (!device || !device->isOnline() || !m_screen->listPage()->rowOf(device)
                || m_screen->listPage()->rowOf(device)->secondValue().isEmpty())
                return false;
        }
        return true;
    };
    QVERIFY2(testsupport::waitFor(ready, 60000), "the four simulated devices were not all listed");
    QCOMPARE(m_main->size(), QSize(800, 600));
}

void TestWindowLayout::cleanupTestCase()
{
    closeAll();
    delete m_main;
    qInstallMessageHandler(g_previousHandler);
    for (auto &peer : m_peers)
        peer->stop();
}

void TestWindowLayout::init()
{
    g_missingImages.clear();
}

TLinkDeviceIf *TestWindowLayout::deviceOf(const QString &model) const
{
    for (const SimulatedDevice &d : simulatedDevices) {
        if (model == QLatin1String(d.model)) {
            const QList<TLinkDeviceIf *> found = app1DevicesAt({QLatin1String(d.address)});
            return found.value(0);
        }
    }
    return nullptr;
}

bool TestWindowLayout::settle()
{
    // Animations end, queued layouts and paints run.
    const bool done = testsupport::waitFor([this] { return !m_main->isAnimating() && m_screen->getAnimationState() == 0; }, 10000);
    QTest::qWait(300);
    return done;
}

void TestWindowLayout::check(QWidget *window, const QString &name)
{
    QVERIFY(settle());
    QWidget *shown = window->isWindow() ? window : m_main;
    const QImage image = shown->grab().toImage();
    QVERIFY(image.save(m_pngDir + QLatin1Char('/') + name + QStringLiteral(".png")));
    if (window->isWindow()) {
        const QRect screen(0, 0, 800, 600);
        QVERIFY2(window->width() <= screen.width() && window->height() <= screen.height(),
                 qPrintable(QStringLiteral("%1 is %2x%3, larger than the 800x600 screen")
                                .arg(name).arg(window->width()).arg(window->height())));
    }
    const QStringList faults = layoutcheck::faults(window) + layoutcheck::contrastFaults(window, shown, image);
    QVERIFY2(faults.isEmpty(), qPrintable(name + QStringLiteral(":\n  ") + faults.join(QStringLiteral("\n  "))));
    QVERIFY2(g_missingImages.isEmpty(), qPrintable(name + QStringLiteral(":\n  ") + g_missingImages.join(QStringLiteral("\n  "))));
}

void TestWindowLayout::showInMain(TAbstractSubWindow *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->showWindow(m_screen);
}

void TestWindowLayout::closeAll()
{
    for (QWidget *widget : QApplication::allWidgets()) {
        auto *window = qobject_cast<TAbstractSubWindow *>(widget);
        if (window && window->isVisible() && !window->isClosing())
            window->close();
    }
    settle();
}

void TestWindowLayout::checkHelp(QWidget *from, const QString &fileName, bool byKey)
{
    if (byKey)
        QTest::keyClick(from, Qt::Key_F1);
    else
        THelpControl::instance()->show(from);
    THelpWindow *help = nullptr;
    auto shown = [&] {
        help = nullptr;
        for (QWidget *w : QApplication::allWidgets())
            if (auto *h = qobject_cast<THelpWindow *>(w); h && h->isVisible() && !h->isClosing())
                help = h;
        return help && help->webView()->mainFrame()->url().fileName() == fileName
            && !help->webView()->mainFrame()->toPlainText().trimmed().isEmpty();
    };
    QVERIFY2(testsupport::waitFor(shown, 5000),
             qPrintable(QStringLiteral("help for %1 shows \"%2\" instead of %3")
                            .arg(layoutcheck::describe(from),
                                 help ? help->webView()->mainFrame()->url().toString() : QStringLiteral("nothing"), fileName)));
    QVERIFY(help->webView()->mainFrame()->url().isLocalFile());
    help->close();
}

void TestWindowLayout::deviceList()
{
    m_screen->handleHomeSelected();
    check(m_main, QStringLiteral("device_list"));
}

void TestWindowLayout::detailsPage_data()
{
    QTest::addColumn<QString>("model");
    for (const SimulatedDevice &d : simulatedDevices)
        QTest::newRow(d.model) << QString::fromLatin1(d.model);
}

void TestWindowLayout::detailsPage()
{
    QFETCH(QString, model);
    TLinkDeviceIf *device = deviceOf(model);
    QVERIFY(device);
    m_screen->showDevice(device);
    QVERIFY(settle());
    auto *page = qobject_cast<ZelDeviceDetailsPage *>(m_screen->currentPage());
    QVERIFY(page);
    QCOMPARE(page->device(), device);
    // The page lists the device's groups, each with values read from the device.
    auto listed = [page] {
        if (page->groupItems().isEmpty())
            return false;
        for (TPropertiesTouchListItem *item : page->groupItems()) {
            if (item->rows().isEmpty())
                return false;
            for (const auto &row : item->rows()) {
                if (!row.hasValue)
                    return false;
            }
        }
        return true;
    };
    QVERIFY2(testsupport::waitFor(listed, 20000),
             qPrintable(QStringLiteral("model %1: %2 groups listed").arg(model).arg(page->groupItems().size())));
    check(m_main, QStringLiteral("details_%1").arg(model));
    // The Software update button flashes when newer software is found: its
    // flash image is drawn over the button.
    TOptionIconButton *update = page->softwareUpdateButton();
    const bool wasFlashing = update->isFlashing();
    update->setFlashing(true);
    update->grab();
    update->setFlashing(wasFlashing);
    QVERIFY2(g_missingImages.isEmpty(), qPrintable(g_missingImages.join(QLatin1Char('\n'))));
    // The bar's buttons stand side by side with images of one size and their names on one line.
    QList<TOptionIconButton *> bar;
    for (TOptionIconButton *button : page->findChildren<TOptionIconButton *>())
        if (button->isVisible() && (button->textFlags() & TOptionIconButton::DrawText))
            bar << button;
    QVERIFY(bar.size() >= 4);
    for (TOptionIconButton *button : qAsConst(bar)) {
        const QSize image = TStyleSheet::instance()->getButtonPixmap(button->option()->iconName(), TStyleSheet::Normal).size();
        QVERIFY2(image == QSize(120, 86), qPrintable(QStringLiteral("%1: image %2x%3")
                                                         .arg(button->text()).arg(image.width()).arg(image.height())));
        QCOMPARE(button->mapTo(m_main, button->rect().bottomLeft()).y(), bar.first()->mapTo(m_main, bar.first()->rect().bottomLeft()).y());
        QCOMPARE(button->height(), bar.first()->height());
    }
    // The expand mark beside a group heading stays above the group's first value.
    const TPropertiesTouchList *list = page->propertiesList();
    const QPixmap expand = TStyleSheet::instance()->getButtonPixmap(QStringLiteral("zkgui_expand"), 2, true);
    QVERIFY2(expand.height() <= list->verticalPadding() / 2 + list->groupHeadingMetrics().lineSpacing(),
             qPrintable(QStringLiteral("expand image %1 px high over a heading of %2 px")
                            .arg(expand.height())
                            .arg(list->verticalPadding() / 2 + list->groupHeadingMetrics().lineSpacing())));
    // With the first group opened, its values show beside their names.
    page->groupItems().first()->setCollapsed(false, false);
    page->propertiesList()->emitUpdated();
    check(m_main, QStringLiteral("details_%1_open").arg(model));
}

void TestWindowLayout::deviceWindows_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("window");
    for (const char *window : {"diagnostics_report", "mib_file", "reboot", "software_update", "software_search", "link_test",
                               "test_log", "management_menu"})
        QTest::newRow(window) << QStringLiteral("4350") << QString::fromLatin1(window);
}

void TestWindowLayout::deviceWindows()
{
    QFETCH(QString, model);
    QFETCH(QString, window);
    TLinkDeviceIf *device = deviceOf(model);
    QVERIFY(device);
    m_screen->showDevice(device);
    QVERIFY(settle());
    if (window == QLatin1String("management_menu")) {
        // The Management button opens the menu of the device's services.
        auto *page = qobject_cast<ZelDeviceDetailsPage *>(m_screen->currentPage());
        QVERIFY(page);
        TOptionIconButton *management = nullptr;
        for (TOptionIconButton *button : page->findChildren<TOptionIconButton *>())
            if (button->option() == page->managementOption())
                management = button;
        QVERIFY(management);
        TOptionMenuWindow::showMenu(management);
        QVERIFY(settle());
        TOptionMenuWindow *menu = nullptr;
        for (QWidget *w : QApplication::allWidgets())
            if (auto *m = qobject_cast<TOptionMenuWindow *>(w); m && m->isVisible() && !m->isClosing())
                menu = m;
        QVERIFY(menu);
        check(menu, window);
        closeAll();
        return;
    }
    TAbstractSubWindow *shown = nullptr;
    if (window == QLatin1String("diagnostics_report"))
        shown = new ZelDiagRepWindow(device);
    else if (window == QLatin1String("mib_file"))
        shown = new ZelDeviceMibfileWindow(device);
    else if (window == QLatin1String("reboot"))
        shown = new ZelRebootWindow(device);
    else if (window == QLatin1String("software_update"))
        shown = new ZelSoftwareUpdateWindow(device);
    else if (window == QLatin1String("software_search"))
        shown = new ZelSoftwareSearchWindow;
    else
        shown = new ZelTestLinkWindow(device);
    showInMain(shown);
    if (window == QLatin1String("test_log")) {
        QVERIFY(settle());
        auto *link = qobject_cast<ZelTestLinkWindow *>(shown);
        link->handleStartLog();
        QList<ZelTestLogWindow *> logs;
        QVERIFY(testsupport::waitFor([&] {
            logs.clear();
            for (QWidget *w : QApplication::allWidgets())
                if (auto *log = qobject_cast<ZelTestLogWindow *>(w); log && log->isVisible())
                    logs << log;
            return !logs.isEmpty();
        }, 5000));
        check(logs.first(), window);
        // Help from the log shows the log's page, not that of the link test below it.
        checkHelp(logs.first(), QStringLiteral("live_logging.html"));
        if (QTest::currentTestFailed())
            return;
        // So does F1 pressed in the log.
        QWidget *display = logs.first()->findChild<QWidget *>(QStringLiteral("logDisplay"));
        QVERIFY(display);
        QApplication::setActiveWindow(m_main);
        display->setFocusPolicy(Qt::StrongFocus);
        display->setFocus(Qt::OtherFocusReason);
        QVERIFY(testsupport::waitFor([display] { return display->hasFocus(); }, 2000));
        checkHelp(display, QStringLiteral("live_logging.html"), true);
    } else if (window == QLatin1String("link_test")) {
        // With the steps listed: rows a finger can hit, the result column in view.
        QTreeWidget *tree = qobject_cast<ZelTestLinkWindow *>(shown)->resultTree();
        QVERIFY(testsupport::waitFor([tree] { return tree->topLevelItemCount() >= 2; }, 30000));
        tree->topLevelItem(0)->setExpanded(true);
        check(shown, window);
        QVERIFY(tree->visualItemRect(tree->topLevelItem(0)).height() >= 58);
        QHeaderView *header = tree->header();
        QVERIFY2(header->sectionViewportPosition(2) + header->sectionSize(2) <= tree->viewport()->width()
                     && header->sectionSize(2) >= header->sectionSizeHint(2),
                 "the Result column is cut");
        checkHelp(shown, QStringLiteral("diagnostics_report.html"));
    } else {
        check(shown, window);
    }
    closeAll();
}

void TestWindowLayout::powerSupplyWindows()
{
    TLinkDeviceIf *device = deviceOf(QStringLiteral("4411"));
    QVERIFY(device);
    m_screen->showDevice(device);
    QVERIFY(settle());
    auto *details = new PowerBatteryDetailsWindow(device);
    showInMain(details);
    check(details, QStringLiteral("power_supply"));
    for (QWidget *field : {static_cast<QWidget *>(details->batteryField()), static_cast<QWidget *>(details->branchField())}) {
        QVERIFY(QMetaObject::invokeMethod(field, "showCfgWindow"));
        QVERIFY(settle());
        TAbstractCfgWindow *editor = nullptr;
        for (QWidget *w : QApplication::allWidgets())
            if (auto *cfg = qobject_cast<TAbstractCfgWindow *>(w); cfg && cfg->isVisible() && !cfg->isClosing())
                editor = cfg;
        QVERIFY(editor);
        check(editor, QStringLiteral("power_supply_%1").arg(QString::fromLatin1(field->metaObject()->className()).toLower()));
        editor->close();
        QVERIFY(settle());
    }
    closeAll();
}

void TestWindowLayout::settingsWindows()
{
    m_screen->handleHomeSelected();
    QVERIFY(settle());
    auto *syslog = new SyslogCfgWindow;
    showInMain(syslog);
    check(syslog, QStringLiteral("syslog_forwarding"));
    closeAll();

    // The password window types on the on-screen keyboard.
    auto *password = new TPasswordReqWindow(QStringLiteral("Password needed"), QStringLiteral("Configuration password"));
    showInMain(password);
    check(password, QStringLiteral("password"));
    TTouchKeyboard *keyboard = nullptr;
    for (QWidget *w : QApplication::allWidgets())
        if (auto *k = qobject_cast<TTouchKeyboard *>(w); k && k->isVisible())
            keyboard = k;
    QVERIFY(keyboard);
    check(keyboard, QStringLiteral("keyboard"));
    // A key's mark leaves its name free.
    for (TTouchKey *key : keyboard->findChildren<TTouchKey *>()) {
        if (!key->isVisible() || !key->keyData() || key->keyData()->iconName().isEmpty()
            || key->keyData()->getName().isEmpty())
            continue;
        const QImage mark = TStyleSheet::instance()->getPixmap(key->keyData()->iconName(), true).toImage();
        const QRect text = key->fontMetrics().boundingRect(key->rect().adjusted(16, 0, 0, 0), Qt::AlignCenter,
                                                           key->keyData()->getName());
        const QRect common = text & mark.rect();
        bool covered = false;
        for (int y = common.top(); y <= common.bottom() && !covered; ++y)
            for (int x = common.left(); x <= common.right() && !covered; ++x)
                covered = qAlpha(mark.pixel(x, y)) > 0;
        QVERIFY2(!covered, qPrintable(QStringLiteral("the mark of key \"%1\" covers its name").arg(key->keyData()->getName())));
    }
    closeAll();

    auto *options = new ZelOptionsWindow(m_screen);
    showInMain(options);
    check(options, QStringLiteral("options"));
    closeAll();
}

void TestWindowLayout::eventPopUps()
{
    TLinkDeviceIf *device = deviceOf(QStringLiteral("4320"));
    QVERIFY(device);
    // An event of a device service with a long text that wraps over lines.
    InfoEvent event(259, device, QStringLiteral(" The device did not answer the request to start the software "
                                                "download within the time allowed. Check that its network cable is "
                                                "plugged in, that no other program serves files on this computer, "
                                                "that the firewall lets the transfer through, and that the device "
                                                "is not restarting; then try the update again."), 1);
    m_main->handlePopUpEvent(event);
    QVERIFY(settle());
    QList<TAbstractSubWindow *> &popUps = TAbstractSubWindow::openEventInfoWindows();
    QVERIFY(!popUps.isEmpty());
    check(popUps.last(), QStringLiteral("event_popup"));
    closeAll();

    // An event of no service shows its severity image alone.
    TProductMessage message;
    message.severity = 4;
    message.heading = QStringLiteral("Device lost");
    message.description = QStringLiteral("The device no longer answers.");
    message.productName = QStringLiteral("Mast terminal");
    message.severityIconBig = InfoEvent::getSeverityIconName(4, true);
    message.severityIconSmall = InfoEvent::getSeverityIconName(4, false);
    message.time = QDateTime::currentDateTime();
    TProductMessageWindow *severityOnly = TProductMessageWindow::showMessage(message);
    QVERIFY(severityOnly);
    check(severityOnly, QStringLiteral("event_popup_severity"));
    closeAll();
}

void TestWindowLayout::messageWindows()
{
    const QString text = QStringLiteral("The settings could not be stored because the storage is full. "
                                        "Remove old reports and try again.");
    TMessageWindow *warning = TMessageWindow::showWarning(QStringLiteral("Settings not stored"), text, m_screen);
    QVERIFY(warning);
    check(warning, QStringLiteral("message_warning"));
    closeAll();
    TMessageWindow *question = TMessageWindow::yesNoQuestion(QStringLiteral("Reboot device?"), text, m_screen, this,
                                                             nullptr, nullptr);
    QVERIFY(question);
    check(question, QStringLiteral("message_question"));
    closeAll();
}

void TestWindowLayout::longHeadingKeepsWindowWidth()
{
    auto makeWindow = [](const QString &heading) {
        auto *window = new TAbstractSubWindow(2, 0);
        auto *layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new TWindowTopPanel(window, heading, QStringLiteral("zel_state_icon_40_help"), true, true));
        auto *content = new QWidget(window);
        content->setFixedSize(420, 200);
        layout->addWidget(content);
        return window;
    };
    auto *shortHeading = makeWindow(QStringLiteral("Settings"));
    showInMain(shortHeading);
    QVERIFY(settle());
    const int width = shortHeading->width();
    closeAll();
    auto *longHeading = makeWindow(QStringLiteral("Settings of the forwarding of live logging to another syslog "
                                                  "server on the ship's network"));
    showInMain(longHeading);
    check(longHeading, QStringLiteral("long_heading"));
    QCOMPARE(longHeading->width(), width);
    closeAll();
}

void TestWindowLayout::topLevelWindows()
{
    ZelDeviceRepWindow::showReport(m_screen);
    QVERIFY(settle());
    ZelDeviceRepWindow *report = nullptr;
    for (QWidget *w : QApplication::allWidgets())
        if (auto *r = qobject_cast<ZelDeviceRepWindow *>(w); r && r->isVisible())
            report = r;
    QVERIFY(report);
    check(report, QStringLiteral("device_report"));
    checkHelp(report, QStringLiteral("device_report.html"));
    // A save that fails says so over the report, not behind it in the main window.
    ZelReportDocument::showSaveFailure(QStringLiteral("/nowhere/report.pdf"), QStringLiteral("The folder does not exist."),
                                       report);
    TMessageWindow *notSaved = nullptr;
    QVERIFY(testsupport::waitFor([&] {
        for (QWidget *w : QApplication::allWidgets())
            if (auto *m = qobject_cast<TMessageWindow *>(w); m && m->isVisible() && !m->isClosing())
                notSaved = m;
        return notSaved != nullptr;
    }, 5000));
    QVERIFY(notSaved->isWindow());
    QCOMPARE(notSaved->parentWidget(), report);
    QCOMPARE(notSaved->windowModality(), Qt::WindowModal);
    QVERIFY2(report->geometry().contains(notSaved->geometry()),
             qPrintable(QStringLiteral("message at %1,%2 outside the report").arg(notSaved->x()).arg(notSaved->y())));
    check(notSaved, QStringLiteral("device_report_not_saved"));
    QPointer<TMessageWindow> closing = notSaved;
    notSaved->defaultButton()->click();
    QVERIFY(testsupport::waitFor([&] { return !closing || !closing->isVisible(); }, 5000));
    report->close();

    ZelLiveLogWindow *log = ZelLiveLogWindow::openForDevice(deviceOf(QStringLiteral("4330")), m_screen);
    QVERIFY(log);
    check(log, QStringLiteral("live_log"));
    log->close();

    THelpControl::instance()->show();
    THelpWindow *help = nullptr;
    QVERIFY(testsupport::waitFor([&] {
        for (QWidget *w : QApplication::allWidgets())
            if (auto *h = qobject_cast<THelpWindow *>(w); h && h->isVisible())
                help = h;
        return help != nullptr;
    }, 5000));
    check(help, QStringLiteral("help"));
    help->close();
    // F1 on the main window and the help window's Home button show the home page.
    checkHelp(m_main, QStringLiteral("home.html"));
    THelpControl::instance()->show(m_main, QUrl::fromLocalFile(QStringLiteral(ZEL_SOURCE_RES_DIR "/reboot.html")));
    QVERIFY(testsupport::waitFor([&] {
        help = nullptr;
        for (QWidget *w : QApplication::allWidgets())
            if (auto *h = qobject_cast<THelpWindow *>(w); h && h->isVisible() && !h->isClosing())
                help = h;
        return help && help->webView()->mainFrame()->url().fileName() == QLatin1String("reboot.html");
    }, 5000));
    help->handleHomeSelected();
    QVERIFY(testsupport::waitFor([&] {
        return help->webView()->mainFrame()->url().fileName() == QLatin1String("home.html")
            && !help->webView()->mainFrame()->toPlainText().trimmed().isEmpty();
    }, 5000));
    help->close();
    closeAll();
}

void TestWindowLayout::helpPagesNameNoKeys()
{
    // Read on a touch screen: a page says what to touch, never which key to press.
    const QRegularExpression functionKey(QStringLiteral("\\bF\\d+\\b"));
    const QFileInfoList pages = QDir(QStringLiteral(ZEL_SOURCE_RES_DIR)).entryInfoList({QStringLiteral("*.html")});
    QVERIFY(!pages.isEmpty());
    for (const QFileInfo &page : pages) {
        QFile file(page.filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        const QRegularExpressionMatch key = functionKey.match(text);
        QVERIFY2(!key.hasMatch(), qPrintable(QStringLiteral("%1 names the key %2").arg(page.fileName(), key.captured())));
    }
}

void TestWindowLayout::imagesShippedByDayAndNight()
{
    const QStringList names = TStyleSheet::instance()->requestedImages();
    QVERIFY(names.contains(QStringLiteral("zel_button_management_normal")));
    QStringList missing;
    for (const QString &name : names)
        for (const char *mode : {"day", "night"})
            if (!QFileInfo::exists(QStringLiteral(ZEL_SOURCE_RES_DIR "/%1/%2.png").arg(QLatin1String(mode), name)))
                missing << QStringLiteral("%1/%2.png").arg(QLatin1String(mode), name);
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("asked for but not shipped:\n  ") + missing.join(QStringLiteral("\n  "))));
}

int main(int argc, char **argv)
{
    app1SetUp(argc, argv);
#ifdef ZEL_LAYOUT_NIGHT
    TStyleSheet::instance()->setMode(1);
#endif
    QApplication::setStyle(new TStyle);
    TestWindowLayout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowlayout.moc"
