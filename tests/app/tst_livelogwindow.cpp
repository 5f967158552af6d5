// The live log window: one per device, following the end of the text,
// start/stop by the service state, and its stored geometry.

#include "app2fakedevice.h"
#include "app2testsupport.h"
#include "tactivitywidget.h"
#include "telidelabel.h"
#include "thelpcontrol.h"
#include "toption.h"
#include "ttextreadonly.h"
#include "twindowtoppanel.h"
#include "zellivelogwindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>

namespace {

QString manyLines(int count, const QString &prefix)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("%1 %2").arg(prefix).arg(i);
    return lines.join(QLatin1Char('\n'));
}

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

class TestLiveLogWindow : public QObject
{
    Q_OBJECT
private:
    QPointer<ZelLiveLogWindow> open(App2FakeDevice *device)
    {
        QPointer<ZelLiveLogWindow> window = ZelLiveLogWindow::openForDevice(device, nullptr);
        if (window && !QTest::qWaitForWindowExposed(window))
            qWarning("live log window not exposed");
        return window;
    }
    bool closeAndWait(QPointer<ZelLiveLogWindow> &window)
    {
        window->close();
        return QTest::qWaitFor([&] { return !window; }, 3000);
    }

private slots:
    void init() { QSettings().clear(); }

    // One window per device; the same device's window is brought forward.
    void oneWindowPerDevice()
    {
        App2FakeDevice first(QStringLiteral("First"));
        App2FakeDevice second(QStringLiteral("Second"));
        QPointer<ZelLiveLogWindow> a = open(&first);
        QVERIFY(a && a->isVisible());
        QCOMPARE(a->logDisplay()->toPlainText(), QStringLiteral("\nReading log ...\n"));
        QCOMPARE(a->windowTitle(), QStringLiteral("Live logging - First"));
        QCOMPARE(first.calls, QStringList{QStringLiteral("connectLiveLog 999")});
        QVERIFY(THelpControl::instance()->pageFor(a, QUrl()).toString().endsWith(QStringLiteral("/live_logging.html")));
        QCOMPARE(ZelLiveLogWindow::openForDevice(&first, nullptr), a.data());
        QPointer<ZelLiveLogWindow> b = open(&second);
        QVERIFY(b && b != a);
        QCOMPARE(ZelLiveLogWindow::windowForDevice(&second), b.data());

        QVERIFY(closeAndWait(a));
        QCOMPARE(first.calls.last(), QStringLiteral("disconnectLiveLog"));
        QVERIFY(!ZelLiveLogWindow::windowForDevice(&first));
        QVERIFY(ZelLiveLogWindow::windowForDevice(&second));
        QVERIFY(closeAndWait(b));
    }

    // A device removed while its window is open closes the window.
    void deviceRemoved()
    {
        auto *device = new App2FakeDevice;
        QPointer<ZelLiveLogWindow> window = open(device);
        QVERIFY(window && window->isConnected());
        delete device;
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QVERIFY(!ZelLiveLogWindow::windowForDevice(device));
    }

    // New lines are added while the view is at the end; scrolling up stops
    // the feed and freezes the text; back at the end the stored lines are
    // asked for again and replace the text.
    void followsTheEnd()
    {
        App2FakeDevice device;
        QPointer<ZelLiveLogWindow> window = open(&device);
        QVERIFY(window);
        QVERIFY(window->panel()->activityWidget());
        QVERIFY(device.deliverInit(manyLines(200, QStringLiteral("stored"))));
        QScrollBar *bar = window->logDisplay()->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());

        QVERIFY(device.deliverLine(QStringLiteral("fresh one")));
        QVERIFY(window->logDisplay()->toPlainText().endsWith(QStringLiteral("stored 199\nfresh one")));
        QCOMPARE(bar->value(), bar->maximum());

        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QVERIFY(!window->isConnected());
        QCOMPARE(device.calls.last(), QStringLiteral("disconnectLiveLog"));
        window->handleNewLogText(QStringLiteral("dropped"));
        QVERIFY(!window->logDisplay()->toPlainText().contains(QStringLiteral("dropped")));

        device.calls.clear();
        bar->setValue(bar->maximum());
        QVERIFY(window->isConnected());
        QCOMPARE(device.calls, QStringList{QStringLiteral("connectLiveLog 999")});
        QVERIFY(device.deliverInit(QStringLiteral("reloaded")));
        QCOMPARE(window->logDisplay()->toPlainText(), QStringLiteral("reloaded"));

        // The display keeps at most 1000 blocks.
        QVERIFY(device.deliverInit(manyLines(1200, QStringLiteral("many"))));
        QCOMPARE(window->logDisplay()->document()->blockCount(), 1000);
        QVERIFY(closeAndWait(window));
    }

    void startStop_data()
    {
        QTest::addColumn<bool>("online");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<bool>("start");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<bool>("busy");
        QTest::newRow("off") << true << 512 << "Live logging - Off" << true << false << false;
        QTest::newRow("starting") << true << 513 << "Live logging - Starting" << false << false << true;
        QTest::newRow("on") << true << 514 << "Live logging - On" << false << true << false;
        QTest::newRow("offline") << false << 512 << "Live logging - Offline" << false << false << false;
    }
    void startStop()
    {
        QFETCH(bool, online);
        QFETCH(int, state);
        QFETCH(QString, heading);
        QFETCH(bool, start);
        QFETCH(bool, stop);
        QFETCH(bool, busy);
        App2FakeDevice device;
        QPointer<ZelLiveLogWindow> window = open(&device);
        QVERIFY(device.deliverInit(QStringLiteral("x")));
        device.online = online;
        device.setServiceState(512, state);
        emit device.updated(&device);
        QCOMPARE(window->panel()->headingLabel()->text(), heading);
        QCOMPARE(window->startLogOption()->isEnabled(), start);
        QCOMPARE(window->stopLogOption()->isEnabled(), stop);
        QCOMPARE(bool(window->panel()->sideIcon()), !online);
        QCOMPARE(window->panel()->activityWidget()->isActive(), busy);

        device.calls.clear();
        window->handleStopLog();
        QCOMPARE(device.calls, QStringList{QStringLiteral("stopLiveLogging")});
        QVERIFY(window->isConnected());
        QVERIFY(closeAndWait(window));
    }

    void startConnects()
    {
        App2FakeDevice device;
        QPointer<ZelLiveLogWindow> window = open(&device);
        QVERIFY(device.deliverInit(manyLines(200, QStringLiteral("s"))));
        window->logDisplay()->verticalScrollBar()->setValue(0);
        QVERIFY(!window->isConnected());
        device.calls.clear();
        window->handleStartLog();
        QCOMPARE(device.calls, (QStringList{QStringLiteral("startLiveLogging"), QStringLiteral("connectLiveLog 999")}));
        QVERIFY(closeAndWait(window));
    }

    // The window opens where it was closed, cut to the screen and moved onto
    // it (the offscreen test screen is 800 x 600); closing stores where it is.
    void geometry_data()
    {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("nothing stored: 800 x 600 at 100, 100 moved onto the screen")
            << QRect() << QRect(0, 0, 800, 600);
        QTest::newRow("larger than the screen") << QRect(-300, -200, 5000, 4000) << QRect(0, 0, 800, 600);
        QTest::newRow("below the screen") << QRect(10, 300, 780, 530) << QRect(10, 70, 780, 530);
        QTest::newRow("fits") << QRect(5, 6, 780, 530) << QRect(5, 6, 780, 530);
    }
    void geometry()
    {
        QFETCH(QRect, stored);
        QFETCH(QRect, expected);
        if (available() != QRect(0, 0, 800, 600))
            QSKIP("the expectations are for an 800 x 600 screen");
        if (stored.isValid())
            QSettings().setValue(QStringLiteral("TLiveLogWindow/geometry"), stored);
        App2FakeDevice device;
        {
            ZelLiveLogWindow window(&device);
            QCOMPARE(window.geometry(), expected);
        }
        QPointer<ZelLiveLogWindow> window = open(&device);
        const QRect shown = window->geometry();
        QVERIFY(closeAndWait(window));
        QSettings settings;
        QCOMPARE(settings.value(QStringLiteral("TLiveLogWindow/geometry")).toRect(), shown);
        QCOMPARE(settings.value(QStringLiteral("TLiveLogWindow/isMaximized")).toBool(), false);
    }

    void maximizedKept()
    {
        App2FakeDevice device;
        QPointer<ZelLiveLogWindow> window = open(&device);
        const QRect normal = window->geometry();
        window->showMaximized();
        QVERIFY(QTest::qWaitFor([&] { return window->isMaximized(); }, 3000));
        QVERIFY(closeAndWait(window));
        QSettings settings;
        QCOMPARE(settings.value(QStringLiteral("TLiveLogWindow/isMaximized")).toBool(), true);
        QCOMPARE(settings.value(QStringLiteral("TLiveLogWindow/geometry")).toRect(), normal);
        window = open(&device);
        QVERIFY(window->isMaximized());
        QVERIFY(closeAndWait(window));
    }
};

APP2_TEST_MAIN(TestLiveLogWindow)
#include "tst_livelogwindow.moc"
