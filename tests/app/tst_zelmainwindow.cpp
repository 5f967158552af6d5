// The application object's volume signals and the upload manager that
// follows them, the message lines and the fitting of a stored window
// rectangle onto the screen.
#include "apptest_app1setup.h"
#include "removablevolumewatcher.h"
#include "tlinkuploadmanagerif.h"
#include "zelapp.h"
#include "zelmessagehandler.h"
#include "zelwindowgeometry.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

class TestZelMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void volumesBecomeDriveSignalsOnlyWithWatchedWindow();
    void uploadManagerFollowsDriveSignals();
    void messageLines_data();
    void messageLines();
    void storedGeometryFitsOntoScreen_data();
    void storedGeometryFitsOntoScreen();
};

void TestZelMainWindow::volumesBecomeDriveSignalsOnlyWithWatchedWindow()
{
    ZelApp *app = ZelApp::instance();
    QVERIFY(app);
    QSignalSpy found(app, &ZelApp::usbDriveFound);
    QSignalSpy removed(app, &ZelApp::usbDriveRemoved);
    emit app->volumeWatcher()->volumeAdded(QStringLiteral("/media/stick"));
    QCOMPARE(found.count(), 0);

    QWidget window;
    app->setWatchedWindow(&window);
    emit app->volumeWatcher()->volumeAdded(QStringLiteral("/media/stick"));
    emit app->volumeWatcher()->volumeRemoved(QStringLiteral("/media/stick"));
    QCOMPARE(found.count(), 1);
    QCOMPARE(found.at(0).at(0).toString(), QStringLiteral("/media/stick"));
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(0).toString(), QStringLiteral("/media/stick"));
    app->setWatchedWindow(nullptr);
}

// The upload manager hears of volumes through the application object alone.
void TestZelMainWindow::uploadManagerFollowsDriveSignals()
{
    ZelApp *app = ZelApp::instance();
    QVERIFY(app);
    QTemporaryDir stick;
    QVERIFY(stick.isValid());
    TLinkUploadManagerIf manager;
    QSignalSpy initiated(&manager, &TLinkUploadManagerIf::fileSearchInitiated);
    QSignalSpy finished(&manager, &TLinkUploadManagerIf::fileSearchFinished);

    QWidget window;
    app->setWatchedWindow(&window);
    emit app->volumeWatcher()->volumeAdded(stick.path());
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(initiated.count(), 1);
    QCOMPARE(initiated.at(0).at(0).toString(), stick.path());
    QCOMPARE(finished.at(0).at(0).toString(), stick.path());
    app->setWatchedWindow(nullptr);
}

void TestZelMainWindow::messageLines_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("debug") << int(QtDebugMsg) << QByteArray("Debug: text\n");
    QTest::newRow("warning") << int(QtWarningMsg) << QByteArray("Warning: text\n");
    QTest::newRow("critical") << int(QtCriticalMsg) << QByteArray("Critical: text\n");
    QTest::newRow("fatal") << int(QtFatalMsg) << QByteArray("Fatal: text\n");
    QTest::newRow("info writes nothing") << int(QtInfoMsg) << QByteArray();
}

void TestZelMainWindow::messageLines()
{
    QFETCH(int, type);
    QFETCH(QByteArray, line);
    QCOMPARE(zelMessageLine(QtMsgType(type), QStringLiteral("text")), line);
}

void TestZelMainWindow::storedGeometryFitsOntoScreen_data()
{
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("fitted");
    const QRect area(0, 0, 1280, 1024);
    QTest::newRow("default fits") << QRect(100, 100, 800, 600) << area << QRect(100, 100, 800, 600);
    QTest::newRow("too large") << QRect(50, 60, 2000, 1500) << area << area;
    QTest::newRow("off to the left and top") << QRect(-300, -200, 800, 600) << area << QRect(0, 0, 800, 600);
    QTest::newRow("off to the right and bottom") << QRect(1000, 900, 800, 600) << area << QRect(480, 424, 800, 600);
    QTest::newRow("second screen") << QRect(1300, 10, 800, 600) << QRect(1280, 0, 1024, 768)
                                   << QRect(1300, 10, 800, 600);
}

void TestZelMainWindow::storedGeometryFitsOntoScreen()
{
    QFETCH(QRect, stored);
    QFETCH(QRect, available);
    QFETCH(QRect, fitted);
    QCOMPARE(ZelWindowGeometry::fitted(stored, available), fitted);
}

APP1_TEST_MAIN(TestZelMainWindow)
#include "tst_zelmainwindow.moc"
