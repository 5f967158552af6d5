// The device screen inside the main window, fed with devices of a debug
// device file: the list rows, the details page, moving between devices,
// going back to the list, the options password, the background names and
// the width rules of both pages.
#include "app2fakedevice.h"
#include "apptest_app1setup.h"
#include "telidelabel.h"
#include "testsupport.h"
#include "infoservice.h"
#include "tactivitywidget.h"
#include "tlinkdevicehandler.h"
#include "tlinkdeviceif.h"
#include "toption.h"
#include "toptioniconbutton.h"
#include "tpasswordreqwindow.h"
#include "tpropertiestouchlistitem.h"
#include "zeldevicedetailspage.h"
#include "zeldevicelistitem.h"
#include "zeldevicelistpage.h"
#include "zeldevicepagescreen.h"
#include "zelmainwindow.h"

#include <QKeyEvent>
#include "tlineedit.h"

#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

namespace {
const QStringList Addresses = {QStringLiteral("127.0.2.20"), QStringLiteral("127.0.2.21"), QStringLiteral("127.0.2.22")};
}

class TestZelDeviceScreen : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void listShowsOneRowPerDevice();
    void listWidthRule_data();
    void listWidthRule();
    void detailsPageShowsDevice();
    void previousAndNextMoveBetweenDevices();
    void mainMenuReturnsToListWithDeviceSelected();
    void managementFollowsServicesAndLinkTest_data();
    void managementFollowsServicesAndLinkTest();
    void detailsWidthRule_data();
    void detailsWidthRule();
    void busyServiceShownOnRowAndPage();
    void backgroundNamesCycle();
    void rowOfDeletedDeviceOpensNothing();
    // Last: the password window's warning stays over the screen.
    void optionsPasswordAskedUntilFirstCorrectEntry();

private:
    bool waitForAnimations() const
    {
        return testsupport::waitFor([this] { return m_screen->getAnimationState() == 0; }, 5000);
    }
    ZelMainWindow *m_window = nullptr;
    ZelDevicePageScreen *m_screen = nullptr;
    QList<TLinkDeviceIf *> m_devices;
};

void TestZelDeviceScreen::initTestCase()
{
    QSettings().remove(QStringLiteral("link_test/state"));
    m_window = new ZelMainWindow;
    m_window->resize(1024, 700);
    m_window->show();
    m_screen = qobject_cast<ZelDevicePageScreen *>(m_window->currentScreen());
    QVERIFY(m_screen);
    QVERIFY(waitForAnimations());
    TLinkDeviceHandler::instance()->readDebugDevices(testsupport::fixture(QStringLiteral("app1_devices.xml")));
    QVERIFY(testsupport::waitFor([this] {
        m_devices = app1DevicesAt(Addresses);
        if (m_devices.size() != 3)
            return false;
        for (TLinkDeviceIf *device : qAsConst(m_devices)) {
            if (!m_screen->listPage()->rowOf(device))
                return false;
        }
        return true;
    }, 10000));
}

void TestZelDeviceScreen::cleanupTestCase()
{
    delete m_window;
}

void TestZelDeviceScreen::listShowsOneRowPerDevice()
{
    ZelDeviceListPage *list = m_screen->listPage();
    QVERIFY(!list->discoveryHeader());
    QCOMPARE(list->rowOf(m_devices.at(0))->name(), QStringLiteral("Bridge (VANTOR-4320)"));
    QCOMPARE(list->rowOf(m_devices.at(1))->name(), QStringLiteral("VANTOR-4330"));
    // Rows keep the registry's order in the grid.
    const QList<ZelDeviceListItem *> rows = list->rows();
    QVERIFY(rows.indexOf(list->rowOf(m_devices.at(0))) < rows.indexOf(list->rowOf(m_devices.at(2))));
    // A second report of the same device does not add a row.
    const int count = rows.size();
    list->handleDeviceUpdated(m_devices.at(0));
    QCOMPARE(list->rows().size(), count);
}

void TestZelDeviceScreen::listWidthRule_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rowWidth");
    QTest::newRow("1000") << 1000 << 2 << 496;
    QTest::newRow("1200") << 1200 << 3 << 397;
    QTest::newRow("399") << 399 << 2 << 196;
}

void TestZelDeviceScreen::listWidthRule()
{
    QFETCH(int, width);
    QFETCH(int, columns);
    QFETCH(int, rowWidth);
    ZelDeviceListPage *list = m_screen->listPage();
    list->handleScrollWidgetWidthChanged(width);
    QCOMPARE(list->columnCount(), columns);
    QCOMPARE(list->rowWidth(), rowWidth);
    const QList<ZelDeviceListItem *> rows = list->rows();
    for (int i = 0; i < rows.size(); ++i) {
        int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
        list->grid()->getItemPosition(list->grid()->indexOf(rows.at(i)), &row, &column, &rowSpan, &columnSpan);
        QCOMPARE(row, i / columns);
        QCOMPARE(column, i % columns);
        QCOMPARE(rows.at(i)->maximumWidth(), rowWidth);
    }
}

void TestZelDeviceScreen::detailsPageShowsDevice()
{
    TLinkDeviceIf *device = m_devices.at(1);
    m_screen->listPage()->handleDeviceSelected(m_screen->listPage()->rowOf(device));
    QVERIFY(waitForAnimations());
    ZelDeviceDetailsPage *page = m_screen->detailsPage1();
    QVERIFY(page);
    QCOMPARE(m_screen->currentPage(), page);
    QCOMPARE(page->objectName(), QStringLiteral("DeviceDetailsPage1"));
    QCOMPARE(page->device(), device);
    QCOMPARE(page->headingLabel()->text(), QStringLiteral("VANTOR-4330"));
    const auto &general = page->generalItem()->rows();
    QCOMPARE(general.size(), 6);
    QCOMPARE(general.at(0).value, QStringLiteral("VANTOR-4330"));
    QCOMPARE(general.at(3).value, QStringLiteral("120021"));
    QCOMPARE(general.at(5).value, QStringLiteral("4330"));
    QCOMPARE(page->lanItem()->rows().at(0).value, QStringLiteral("127.0.2.21"));
    QVERIFY(m_screen->previousButton()->isVisibleTo(m_screen));
    QVERIFY(!m_screen->reportButton()->isVisibleTo(m_screen));
}

void TestZelDeviceScreen::previousAndNextMoveBetweenDevices()
{
    const QList<TLinkDeviceIf *> all = TLinkDeviceHandler::instance()->getDevices();
    const int first = all.indexOf(m_devices.at(0));
    m_screen->showDevice(m_devices.at(1));
    QVERIFY(waitForAnimations());
    QVERIFY(m_screen->previousButton()->option()->isEnabled());

    // Back to the first test device with a slide; it becomes the second page's device.
    m_screen->handleLeftSelected();
    QVERIFY(waitForAnimations());
    QCOMPARE(m_screen->currentPage(), m_screen->detailsPage2());
    QCOMPARE(m_screen->detailsPage2()->device(), m_devices.at(0));
    QCOMPARE(m_screen->previousButton()->option()->isEnabled(), first > 0);
    QVERIFY(m_screen->nextButton()->option()->isEnabled());

    // Two quick moves: the second is queued and runs when the first slide ends.
    m_screen->handleRightSelected();
    m_screen->handleRightSelected();
    QCOMPARE(m_screen->storedMoveCount(), 1);
    QVERIFY(testsupport::waitFor([this] {
        return m_screen->storedMoveCount() == 0 && m_screen->getAnimationState() == 0;
    }, 5000));
    auto *current = qobject_cast<ZelDeviceDetailsPage *>(m_screen->currentPage());
    QVERIFY(current);
    QCOMPARE(current->device(), all.at(first + 2));
}

void TestZelDeviceScreen::mainMenuReturnsToListWithDeviceSelected()
{
    auto *current = qobject_cast<ZelDeviceDetailsPage *>(m_screen->currentPage());
    QVERIFY(current && current->device());
    TLinkDeviceIf *shown = current->device();
    m_screen->handleHomeSelected();
    QVERIFY(waitForAnimations());
    QCOMPARE(m_screen->currentPage(), m_screen->listPage());
    QCOMPARE(m_screen->listPage()->selectedDevice(), shown);
    QVERIFY(m_screen->reportButton()->isVisibleTo(m_screen));
    QVERIFY(!m_screen->nextButton()->isVisibleTo(m_screen));
    // On the list page itself it does nothing.
    m_screen->handleHomeSelected();
    QCOMPARE(m_screen->getAnimationState(), 0);
}

void TestZelDeviceScreen::managementFollowsServicesAndLinkTest_data()
{
    // The options a device's service word and the link test setting enable.
    QTest::addColumn<int>("word");
    QTest::addColumn<bool>("linkTest");
    QTest::addColumn<QString>("enabled");
    QTest::newRow("nothing") << 0x00 << false << "";
    QTest::newRow("reboot and live log") << 0x06 << false << "reboot live";
    QTest::newRow("link test alone") << 0x00 << true << "management test";
    QTest::newRow("web interface") << 0x08 << false << "management web";
    QTest::newRow("diagnostic report") << 0x10 << false << "management diag";
    QTest::newRow("configuration") << 0x40 << false << "management config";
    QTest::newRow("mib file") << 0x80 << false << "management mib";
    QTest::newRow("all") << 0xff << true << "management reboot live web diag config mib test";
}

void TestZelDeviceScreen::managementFollowsServicesAndLinkTest()
{
    QFETCH(int, word);
    QFETCH(bool, linkTest);
    QFETCH(QString, enabled);
    App2FakeDevice device;
    device.serviceWord = Services_t(word);
    QSettings().setValue(QStringLiteral("link_test/state"), linkTest);
    ZelDeviceDetailsPage page(&device);
    page.resetPage();
    QSettings().remove(QStringLiteral("link_test/state"));
    const QStringList expected = enabled.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QList<QPair<QString, TOption *>> options = {
        {QStringLiteral("management"), page.managementOption()}, {QStringLiteral("reboot"), page.rebootOption()},
        {QStringLiteral("live"), page.liveLogOption()},           {QStringLiteral("web"), page.webOption()},
        {QStringLiteral("diag"), page.diagReportOption()},        {QStringLiteral("config"), page.configurationOption()},
        {QStringLiteral("mib"), page.mibFileOption()},            {QStringLiteral("test"), page.testLinkOption()},
    };
    for (const auto &option : options) {
        // A child of a disabled Management menu cannot be reached, whatever its own state.
        if (!expected.contains(QStringLiteral("management"))
            && QStringList({"web", "diag", "config", "mib", "test"}).contains(option.first))
            continue;
        QVERIFY2(option.second->isEnabled() == expected.contains(option.first), qPrintable(option.first));
    }
}

void TestZelDeviceScreen::detailsWidthRule_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("nameColumn");
    QTest::newRow("800") << 800 << 320 << 170;
    QTest::newRow("920") << 920 << 320 << 194;
    QTest::newRow("1100") << 1100 << 400 << 170 + (700 - 480) / 5;
    QTest::newRow("1200 capped") << 1200 << 400 << 234;
}

void TestZelDeviceScreen::detailsWidthRule()
{
    QFETCH(int, width);
    QFETCH(int, left);
    QFETCH(int, nameColumn);
    QCOMPARE(ZelDeviceDetailsPage::leftColumnWidth(width), left);
    QCOMPARE(ZelDeviceDetailsPage::nameColumnWidth(width), nameColumn);
}

void TestZelDeviceScreen::busyServiceShownOnRowAndPage()
{
    TLinkDeviceIf *device = m_devices.at(1);
    InfoService *reboot = device->getRebootService();
    const int idle = reboot->getState();
    reboot->setState(1025, 45, QStringLiteral(" of the device"));
    QTRY_COMPARE(reboot->getState(), 1025);
    const QString text = reboot->getTitle() + QStringLiteral(" 45%");

    ZelDeviceDetailsPage page(device);
    page.refreshPage();
    QCOMPARE(page.statusHeading()->text(), text);
    QCOMPARE(page.statusDetails()->text(), reboot->getLongText() + QStringLiteral(" of the device"));
    QVERIFY(page.stateIndicator()->isActive());
    QCOMPARE(page.stateIndicator()->iconName(), QStringLiteral("i_service_reboot_50"));
    QVERIFY(!page.managementOption()->isEnabled());
    QVERIFY(!page.rebootOption()->isEnabled());
    QVERIFY(!page.softwareUpdateOption()->isEnabled());

    ZelDeviceListPage *list = m_screen->listPage();
    list->handleDeviceUpdated(device);
    QCOMPARE(list->rowOf(device)->secondValue(), text);
    QVERIFY(list->rowOf(device)->stateIcon()->isActive());
    QCOMPARE(list->rowOf(device)->stateIcon()->iconName(), QStringLiteral("i_service_reboot_30"));

    reboot->setState(idle, -1, QString());
    QTRY_COMPARE(reboot->getState(), idle);
    page.refreshPage();
    QVERIFY(!page.stateIndicator()->isActive());
}

void TestZelDeviceScreen::rowOfDeletedDeviceOpensNothing()
{
    QCOMPARE(m_screen->currentPage(), m_screen->listPage());
    QPointer<TLinkDeviceIf> gone = m_devices.at(2);
    ZelDeviceListItem *row = m_screen->listPage()->rowOf(gone);
    TLinkDeviceHandler::instance()->deleteDevice(gone);
    QTRY_VERIFY(!gone);
    // The row stays; choosing it shows nothing, and other updates never touch the deleted device.
    QCOMPARE(m_screen->listPage()->rows().count(row), 1);
    m_screen->listPage()->handleDeviceSelected(row);
    QCOMPARE(m_screen->listPage()->selectedDevice(), nullptr);
    QCOMPARE(m_screen->getAnimationState(), 0);
    QCOMPARE(m_screen->currentPage(), m_screen->listPage());
    m_screen->listPage()->handleDeviceUpdated(m_devices.at(0));
    m_screen->listPage()->grabSelectedItem(nullptr);
    m_devices.removeAt(2);
}

void TestZelDeviceScreen::optionsPasswordAskedUntilFirstCorrectEntry()
{
    QSettings().remove(QStringLiteral("link_test/state"));
    QCOMPARE(m_screen->getOptionStates().linkTestEnabled, false);
    QVERIFY(QSettings().contains(QStringLiteral("link_test/state")));

    QVERIFY(m_screen->isOptionsPasswordNeeded());
    m_screen->handleZelOptions();
    TPasswordReqWindow *window = m_screen->passwordWindow();
    QVERIFY(window);
    window->passwordEdit()->setText(TPasswordReqWindow::defaultPassword());
    window->storeData();
    QVERIFY(m_screen->isOptionsPasswordNeeded());
    m_screen->handleZelOptions();
    QCOMPARE(m_screen->passwordWindow(), window);

    window->passwordEdit()->setText(QStringLiteral("quilbex"));
    window->storeData();
    QVERIFY(!m_screen->isOptionsPasswordNeeded());
    QTRY_VERIFY(!m_screen->passwordWindow());
}

void TestZelDeviceScreen::backgroundNamesCycle()
{
    QCOMPARE(m_screen->currentPage(), m_screen->listPage());
    const QStringList names = {QStringLiteral("deviceStarPage"), QStringLiteral("deviceStar2Page"),
                               QStringLiteral("deviceNetworkPage"), QString(), QStringLiteral("deviceGlobePage")};
    for (const QString &name : names) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
        QCoreApplication::sendEvent(m_screen, &press);
        QCOMPARE(m_screen->listPage()->objectName(), name);
    }
}

APP1_TEST_MAIN(TestZelDeviceScreen)
#include "tst_zeldevicescreen.moc"
