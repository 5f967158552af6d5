#include "guiapp.h"
#include "guitestsupport.h"
#include "tmainwindow.h"
#include "tsavepixmapthread.h"
#include "tscreen.h"
#include "tstylesheet.h"
#include "tupdateobject.h"
#include "twindowview.h"

#include <QDir>
#include <QGraphicsPixmapItem>
#include <QKeyEvent>
#include <QLabel>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTimeLine>
#include <QtTest>

namespace {

class Emitter : public QObject
{
    Q_OBJECT
signals:
    void ping();
};

// A screen that counts pings while its update object runs.
class CountingScreen : public TScreen
{
    Q_OBJECT
public:
    CountingScreen(const QString &heading, Emitter *emitter, const QColor &colour)
        : TScreen(heading, QStringLiteral("page of ") + heading)
    {
        setObjectName(QStringLiteral("screen") + heading);
        setStyleSheet(QStringLiteral("#%1 { background-color: %2; }").arg(objectName(), colour.name()));
        auto *update = new TUpdateObject(emitter, SIGNAL(ping()), this, SLOT(onPing()));
        addUpdateObject(update);
        new QLabel(heading, this);
    }
    int pings = 0;
    int refreshes = 0;
public slots:
    void onPing() { ++pings; }
    void refreshScreen() override { ++refreshes; }
};

class Animated : public QObject
{
    Q_OBJECT
public:
    int ended = 0;
public slots:
    void instantAnimationEnd() { ++ended; }
};

QString screenshotFolder()
{
    return QDir::tempPath() + QLatin1String("/userdata/screenshots");
}

} // namespace

class TestTMainWindow : public QObject
{
    Q_OBJECT
private:
    TMainWindow *m_window = nullptr;
    Emitter m_emitter;

private slots:
    void init()
    {
        m_window = new TMainWindow(nullptr, QStringLiteral("MainWindowView"), true);
        m_window->resize(800, 600);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
    }

    void construction()
    {
        QCOMPARE(TMainWindow::instance(), m_window);
        QCOMPARE(QThread::currentThread()->objectName(), QStringLiteral("Main GUI thread"));
        QVERIFY(m_window->findChild<QObject *>(QStringLiteral("pGraphicsView")));
        QCOMPARE(m_window->topView(), m_window->windowView());
        QCOMPARE(m_window->windowView()->objectName(), QStringLiteral("MainWindowView"));
        QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("pTimeLabel"))->text().size(), 5);
    }

    void screenChange()
    {
        CountingScreen a(QStringLiteral("A"), &m_emitter, Qt::darkCyan);
        CountingScreen b(QStringLiteral("B"), &m_emitter, Qt::darkMagenta);
        QSignalSpy forced(m_window, &TMainWindow::instantAnimationCompletion);

        // The first screen zooms in too, and is live only when the zoom is over.
        m_window->showNewScreen(&a);
        QCOMPARE(m_window->currentScreen(), &a);
        QVERIFY(m_window->isAnimating());
        QCOMPARE(m_window->scalingTimeLine()->state(), QTimeLine::Running);
        QVERIFY(!a.isVisible());
        QCOMPARE(a.refreshes, 1);
        QVERIFY(QTest::qWaitFor([&] { return !m_window->isAnimating(); }, 5000));
        QVERIFY(a.isVisible());
        QVERIFY(a.pixmapItem()->transform().isIdentity());
        QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("pScreenLabel"))->text(), QStringLiteral("A"));
        QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("pPageLabel"))->text(), QStringLiteral("page of A"));

        // The current screen or none: nothing at all.
        m_window->showNewScreen(&a);
        m_window->showNewScreen(nullptr);
        QVERIFY(!m_window->isAnimating());
        QCOMPARE(forced.count(), 0);

        // Two changes in a row: the first completes at once before the second zooms.
        m_window->showNewScreen(&b);
        m_window->showNewScreen(&a);
        QCOMPARE(forced.count(), 1);
        QVERIFY(b.pixmapItem()->transform().isIdentity());
        QVERIFY(!b.isVisible());
        QCOMPARE(m_window->currentScreen(), &a);
        // Ending through the registry finishes the zoom at once.
        m_window->forceAnimationCompletion();
        QVERIFY(!m_window->isAnimating());
        QVERIFY(a.isVisible());
        QVERIFY(a.pixmapItem()->transform().isIdentity());
        QCOMPARE(b.pixmapItem()->transform().m11(), 0.0);
    }

    // Update objects run only while their screen is current.
    void updateObjectsFollowTheScreen()
    {
        CountingScreen a(QStringLiteral("A"), &m_emitter, Qt::darkCyan);
        CountingScreen b(QStringLiteral("B"), &m_emitter, Qt::darkMagenta);
        // Deactivating a screen that was never active changes nothing.
        QSignalSpy state(a.updateObjects().first(), &TUpdateObject::stateChanged);
        a.deactivate();
        QCOMPARE(state.count(), 0);
        emit m_emitter.ping();
        QCOMPARE(a.pings, 0);

        m_window->showNewScreen(&a);
        emit m_emitter.ping();
        QCOMPARE(a.pings, 1);
        QCOMPARE(b.pings, 0);
        m_window->showNewScreen(&b);
        emit m_emitter.ping();
        QCOMPARE(a.pings, 1);
        QCOMPARE(b.pings, 1);
        QCOMPARE(state.count(), 2);

        // A heading change of a screen that is not current leaves the labels alone.
        m_window->forceAnimationCompletion();
        QSignalSpy headings(&a, &TScreen::headingsChanged);
        a.setPageHeading(QStringLiteral("other"));
        QCOMPARE(headings.count(), 1);
        QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("pPageLabel"))->text(), QStringLiteral("page of B"));
        b.setPageHeading(QStringLiteral("second"));
        QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("pPageLabel"))->text(), QStringLiteral("second"));
    }

    void updateObjectStartStop()
    {
        Emitter emitter;
        auto *receiver = new CountingScreen(QStringLiteral("R"), &emitter, Qt::gray);
        TUpdateObject *update = receiver->updateObjects().first();
        QSignalSpy state(update, &TUpdateObject::stateChanged);
        update->start();
        update->start();
        emit emitter.ping();
        QCOMPARE(receiver->pings, 1);
        QCOMPARE(state.count(), 1);
        QCOMPARE(state.at(0).at(0).toBool(), true);
        update->stop();
        update->stop();
        emit emitter.ping();
        QCOMPARE(receiver->pings, 1);
        QCOMPARE(state.count(), 2);
        QVERIFY(!update->isRunning());
        // The update object dies with its receiver.
        QSignalSpy gone(update, &QObject::destroyed);
        delete receiver;
        QCOMPARE(gone.count(), 1);
    }

    void animatingRegistry()
    {
        auto *animated = new Animated;
        guitest::MessageCapture capture;
        m_window->addAnimatingWidget(animated, "1instantAnimationEnd()");
        m_window->addAnimatingWidget(animated, "1instantAnimationEnd()");
        QCOMPARE(m_window->animatingCount(), 1);
        m_window->forceAnimationCompletion();
        QCOMPARE(animated->ended, 1);
        QCOMPARE(capture.count(QStringLiteral("Force animation completion")), 1);
        m_window->removeAnimatingWidget(animated, "1instantAnimationEnd()");
        QVERIFY(!m_window->isAnimating());
        m_window->forceAnimationCompletion();
        QCOMPARE(animated->ended, 1);
        // A registered object that dies leaves the registry.
        m_window->addAnimatingWidget(animated, "1instantAnimationEnd()");
        delete animated;
        QVERIFY(!m_window->isAnimating());
        QCOMPARE(capture.count(QStringLiteral("animating widget destroyed")), 1);
    }

    void screenshot_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QSize>("size");
        QTest::newRow("Alt+F12: the whole window") << int(Qt::AltModifier) << QSize(800, 600);
        QTest::newRow("Alt+Ctrl+F12: small grey")
            << int(Qt::AltModifier | Qt::ControlModifier) << QSize(400, 300);
    }
    void screenshot()
    {
        QFETCH(int, modifiers);
        QFETCH(QSize, size);
        CountingScreen a(QStringLiteral("Screenshot"), &m_emitter, QColor(200, 60, 30));
        m_window->showNewScreen(&a);
        m_window->forceAnimationCompletion();
        QDir(screenshotFolder()).removeRecursively();
        QKeyEvent key(QEvent::KeyPress, Qt::Key_F12, Qt::KeyboardModifiers(modifiers));
        QApplication::sendEvent(m_window, &key);
        QVERIFY(key.isAccepted());
        QVERIFY(m_window->screenshotSaver());
        QCOMPARE(m_window->screenshotSaver()->objectName(), QStringLiteral("Save pixmap thread"));
        QSignalSpy saved(m_window->screenshotSaver(), &TSavePixmapThread::saved);
        QVERIFY(saved.count() == 1 || saved.wait(10000));
        const QString file = saved.at(0).at(0).toString();
        QCOMPARE(QFileInfo(file).absolutePath(), screenshotFolder());
        QVERIFY2(QRegularExpression(QStringLiteral("^screenshot_\\d{8}_\\d{6}\\.png$"))
                     .match(QFileInfo(file).fileName()).hasMatch(), qPrintable(file));
        QImage image;
        QVERIFY(image.load(file, "PNG"));
        QCOMPARE(image.size(), size);
        const QColor centre = image.pixelColor(size.width() / 2, size.height() / 2);
        if (modifiers & Qt::ControlModifier)
            QVERIFY(centre.red() == centre.green() && centre.green() == centre.blue());
        else
            QCOMPARE(centre, QColor(200, 60, 30));
        if (qEnvironmentVariableIsSet("ZEL_KEEP_SCREENSHOT"))
            QFile::copy(file, qEnvironmentVariable("ZEL_KEEP_SCREENSHOT") + QFileInfo(file).fileName());
    }

    // At most three screenshots are in flight; a fourth is dropped.
    void fourthScreenshotDropped()
    {
        QPixmap pixmap(10, 10);
        pixmap.fill(Qt::gray);
        m_window->saveScreenshot(pixmap, false);
        TSavePixmapThread *saver = m_window->screenshotSaver();
        QSignalSpy saved(saver, &TSavePixmapThread::saved);
        QVERIFY(saved.wait(10000));
        saved.clear();
        // Hold the saver thread as a slow disk would.
        QSemaphore gate;
        QMetaObject::invokeMethod(saver, [&gate] { gate.acquire(); }, Qt::QueuedConnection);
        guitest::MessageCapture capture;
        for (int i = 0; i < 4; ++i)
            m_window->saveScreenshot(pixmap, false);
        QCOMPARE(capture.count(QStringLiteral("Discarded screenshot request, no processing slots available")), 1);
        gate.release();
        QVERIFY(QTest::qWaitFor([&] { return saved.count() == 3; }, 10000));
        QVERIFY(QTest::qWaitFor([&] { return saver->availableSlots() == 3; }, 5000));
    }

    // Screenshots within one second each get a file of their own; a write
    // that fails says so and leaves no file behind.
    void screenshotsKeptApartAndFailuresTold()
    {
        QDir(screenshotFolder()).removeRecursively();
        QPixmap pixmap(10, 10);
        pixmap.fill(Qt::gray);
        m_window->saveScreenshot(pixmap, false);
        TSavePixmapThread *saver = m_window->screenshotSaver();
        QSignalSpy saved(saver, &TSavePixmapThread::saved);
        QSignalSpy failed(saver, &TSavePixmapThread::failed);
        m_window->saveScreenshot(pixmap, false);
        m_window->saveScreenshot(pixmap, false);
        QVERIFY(QTest::qWaitFor([&] { return saver->availableSlots() == 3; }, 10000));
        const QStringList files = QDir(screenshotFolder()).entryList(QDir::Files);
        QCOMPARE(files.size(), 3);
        const int savedBefore = saved.count();
        for (const QString &file : files)
            QVERIFY2(QRegularExpression(QStringLiteral("^screenshot_\\d{8}_\\d{6}(_\\d+)?\\.png$")).match(file).hasMatch(),
                     qPrintable(file));

        guitest::MessageCapture capture;
        m_window->saveScreenshot(QPixmap(), false); // nothing an image writer can write
        QVERIFY(failed.wait(10000));
        QVERIFY(QTest::qWaitFor([&] { return saver->availableSlots() == 3; }, 5000));
        QCOMPARE(capture.count(QStringLiteral("save completed")), 0);
        QCOMPARE(capture.count(QStringLiteral("save failed")), 1);
        QCOMPARE(saved.count(), savedBefore);
        QVERIFY(!QFile::exists(failed.at(0).at(0).toString()));
        QCOMPARE(QDir(screenshotFolder()).entryList(QDir::Files).size(), 3);
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("Alt+F11 census") << int(Qt::Key_F11) << int(Qt::AltModifier) << true;
        QTest::newRow("F11 alone") << int(Qt::Key_F11) << 0 << false;
        QTest::newRow("F12 alone") << int(Qt::Key_F12) << 0 << false;
        QTest::newRow("F1 taken") << int(Qt::Key_F1) << 0 << true;
        QTest::newRow("Escape taken") << int(Qt::Key_Escape) << 0 << true;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, accepted);
        guitest::MessageCapture capture;
        QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
        QApplication::sendEvent(m_window, &event);
        QCOMPARE(event.isAccepted(), accepted);
        QCOMPARE(capture.count(QStringLiteral("+++++ Total widgets count")), key == Qt::Key_F11 && accepted ? 1 : 0);
    }

    void mapToMainWindow()
    {
        QWidget outside;
        QCOMPARE(m_window->mapToMainWindow(&outside, QPoint(3, 3)), QPoint(-1, -1));
        QCOMPARE(m_window->mapToMainWindow(nullptr, QPoint(3, 3)), QPoint(-1, -1));
        QCOMPARE(m_window->mapToMainWindow(m_window->windowView(), QPoint(3, 4)), QPoint(3, 4));
    }

    void dayNightSwitch()
    {
        TStyleSheet *sheet = TStyleSheet::instance();
        QCOMPARE(m_window->styleSheet(), sheet->getStyleSheet());
        m_window->changeModeTimeout();
        QCOMPARE(sheet->getMode(), 1);
        // The application object restyles the visible windows on the next pass of the loop.
        QVERIFY(QTest::qWaitFor([&] { return m_window->styleSheet() == sheet->getStyleSheet(); }, 2000));
        m_window->changeModeTimeout();
        QCOMPARE(sheet->getMode(), 0);
    }
};

ZEL_GUI_TEST_MAIN(TestTMainWindow)

#include "tst_tmainwindow.moc"
