#include "guiapp.h"
#include "guitestsupport.h"
#include "tabstractsubwindow.h"
#include "tmainwindow.h"
#include "toptionbutton.h"
#include "tscreen.h"
#include "tsubwindowborder.h"
#include "tsubwindowview.h"
#include "ttouchkeyboard.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPropertyAnimation>
#include <QSignalSpy>
#include <QThread>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A sub-window of a fixed size that records how its busy periods end.
class Window : public TAbstractSubWindow
{
    Q_OBJECT
public:
    explicit Window(const QSize &size = QSize(300, 200), int kind = 2, int keyboardMode = 0)
        : TAbstractSubWindow(kind, keyboardMode)
        , m_size(size)
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(QStringLiteral("sub-window"), this));
    }
    QSize sizeHint() const override { return m_size; }
    void setHint(const QSize &size) { m_size = size; }
    QList<int> endReasons;
    void handleBusyEnded(TBusyWidget::EndReason endReason) override { endReasons << int(endReason); }

private:
    QSize m_size;
};

QRect endRectangle(TAbstractSubWindow *window)
{
    return window->view() ? window->view()->border()->geometry() : QRect();
}

} // namespace

class TestSubWindows : public QObject
{
    Q_OBJECT
private:
    TMainWindow *m_main = nullptr;

    bool settle() { return QTest::qWaitFor([this] { return !m_main->isAnimating(); }, 5000); }

private slots:
    void init()
    {
        m_main = new TMainWindow(nullptr, QStringLiteral("MainWindowView"), false);
        m_main->resize(800, 600);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
    }
    void cleanup()
    {
        if (!m_main)
            return;
        for (TWindowView *view : m_main->openViews())
            view->close();
        delete m_main;
        m_main = nullptr;
        TSubWindowView::freeViews().clear();
    }

    // Shown from a widget of a window of its own, a sub-window opens over that
    // window and holds its input; shown later from the main window it is an
    // ordinary sub-window there again.
    void overWindowOfItsOwn()
    {
        QWidget other;
        other.setGeometry(100, 50, 600, 500);
        auto *button = new QLabel(QStringLiteral("pressed"), &other);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        Window window;
        window.showWindow(button);
        QVERIFY(QTest::qWaitFor([&] { return window.isVisible(); }, 5000));
        QVERIFY(window.isWindow());
        QCOMPARE(window.parentWidget(), &other);
        QCOMPARE(window.windowModality(), Qt::WindowModal);
        QVERIFY(!window.view());
        QVERIFY(other.geometry().contains(window.geometry()));
        QCOMPARE(m_main->topView(), m_main->windowView());
        window.close();
        QVERIFY(settle());
        window.showWindow(m_main->windowView());
        QVERIFY(settle());
        QVERIFY(!window.isWindow());
        QVERIFY(window.view());
        QCOMPARE(window.frameShape(), QFrame::NoFrame);
        QCOMPARE(window.contentsMargins(), QMargins());
        window.close();
        QVERIFY(settle());
    }

    void placement_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<int>("keyboardMode");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("wide window: centred") << QSize(700, 200) << QPoint(100, 300) << 0 << QPoint(50, 200);
        QTest::newRow("near the top-left corner") << QSize(300, 200) << QPoint(20, 20) << 0 << QPoint(74, 124);
        QTest::newRow("near the bottom-right corner") << QSize(300, 200) << QPoint(790, 590) << 0 << QPoint(425, 325);
        QTest::newRow("free place") << QSize(300, 200) << QPoint(400, 300) << 0 << QPoint(250, 200);
        QTest::newRow("tall window: centred vertically") << QSize(300, 450) << QPoint(400, 300) << 0 << QPoint(250, 100);
        // With the keyboard always shown the height counts as 600 - 228 = 372.
        QTest::newRow("keyboard takes the lower part") << QSize(300, 200) << QPoint(400, 300) << 1 << QPoint(250, 111);
    }
    void placement()
    {
        QFETCH(QSize, size);
        QFETCH(QPoint, from);
        QFETCH(int, keyboardMode);
        QFETCH(QPoint, topLeft);
        Window window(size, 2, keyboardMode);
        window.showWindow(from);
        QVERIFY(settle());
        QCOMPARE(endRectangle(&window), QRect(topLeft - QPoint(25, 25), size + QSize(50, 50)));
        QCOMPARE(window.size(), size);
        window.close();
    }

    // Shown: hosted by a pooled view on top of the main window; closed: the view
    // goes back to the pool and the screen area is on top again.
    void showAndClose()
    {
        auto *window = new Window;
        QSignalSpy aboutToShow(window, &TAbstractSubWindow::aboutToShow);
        window->showWindow(m_main->windowView());
        QCOMPARE(aboutToShow.count(), 1);
        TSubWindowView *view = window->view();
        QVERIFY(view);
        QCOMPARE(view->window(), window);
        QCOMPARE(m_main->topView(), view);
        QCOMPARE(view->showAnimation()->state(), QAbstractAnimation::Running);
        QVERIFY(m_main->isAnimating());
        QVERIFY(!m_main->isStackAll()); // only the top view is drawn live while it animates
        QVERIFY(settle());
        QVERIFY(view->border()->isVisible());
        QVERIFY(view->frontPixmap().isNull());
        QTRY_VERIFY_WITH_TIMEOUT(m_main->isStackAll(), 2000);
        QVERIFY(view->isOverlay());

        // Escape on the sub-window closes it.
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!window->view());
        QVERIFY(!window->isVisible());
        QCOMPARE(window->parent(), nullptr);
        QVERIFY(!view->isVisible());
        QCOMPARE(m_main->topView(), m_main->windowView());
        QVERIFY(m_main->openViews().isEmpty());
        QCOMPARE(TSubWindowView::freeViews(), QList<TSubWindowView *>{view});

        // Shown again: same view from the pool, size taken anew.
        window->setHint(QSize(320, 220));
        window->showWindow(QPoint(400, 300));
        QCOMPARE(window->view(), view);
        QVERIFY(TSubWindowView::freeViews().isEmpty());
        QCOMPARE(window->windowSize(), QSize(320, 220));
        QVERIFY(settle());

        // Closing from the view's side closes the sub-window too.
        view->close();
        QVERIFY(!window->isVisible());
        QVERIFY(!window->view());
        QCOMPARE(TSubWindowView::freeViews().size(), 1);

        // A sub-window destroyed while shown gives its view back.
        window->showWindow(QPoint(400, 300));
        guitest::MessageCapture capture;
        delete window;
        QCOMPARE(capture.count(QStringLiteral("Window frame not freed before destroy")), 1);
        QCOMPARE(TSubWindowView::freeViews().size(), 1);
        QVERIFY(!view->window());
        QCOMPARE(m_main->topView(), m_main->windowView());
    }

    // Windows and views that die with children they watch (default button,
    // hosted window, last focus widget) must not touch themselves afterwards.
    void destroyedWhileShown()
    {
        auto *first = new Window;
        first->setDefaultButton(new TOptionButton(first));
        first->showWindow(QPoint(400, 300));
        QVERIFY(settle());
        delete first;

        auto *second = new Window;
        auto *button = new TOptionButton(second);
        second->setDefaultButton(button);
        second->showWindow(QPoint(400, 300));
        QVERIFY(settle());
        button->setFocus();
        auto *third = new Window;
        third->showWindow(QPoint(300, 300)); // the second view keeps its focus widget
        QVERIFY(settle());
        QPointer<Window> guard(second);
        delete m_main; // takes the views and the windows they host with it
        m_main = nullptr;
        QVERIFY(guard.isNull());
        QVERIFY(TSubWindowView::freeViews().isEmpty());
    }

    void distressStaysOnTop()
    {
        Window normal;
        Window distress;
        distress.setDistress(1);
        Window later;
        normal.showWindow(QPoint(300, 300));
        distress.showWindow(QPoint(400, 300));
        // A distress window shown while another window is on top goes on top at once.
        QCOMPARE(m_main->topView(), distress.view());
        QVERIFY(distress.view()->border()->blinkTimer()->isActive());
        QVERIFY(settle());
        // A normal window shown now stays below it, without animation, inactive.
        later.showWindow(QPoint(500, 300));
        QCOMPARE(m_main->topView(), distress.view());
        QVERIFY(!later.view()->isEnabled());
        QVERIFY(later.view()->showAnimation()->state() != QAbstractAnimation::Running);
        QVERIFY(!later.view()->border()->isHidden());
        QCOMPARE(m_main->lowerStackCount(), 3);
        // A screen change closes normal windows only.
        TScreen screen(QStringLiteral("S"), QString());
        m_main->showNewScreen(&screen);
        QVERIFY(!normal.isVisible());
        QVERIFY(!later.isVisible());
        QVERIFY(distress.isVisible());
        m_main->forceAnimationCompletion();
        later.showWindow(QPoint(500, 300));
        QVERIFY(!later.view()->isEnabled());
        // When the distress window closes, the one below becomes the active top view.
        distress.close();
        QCOMPARE(m_main->topView(), later.view());
        QVERIFY(later.view()->isEnabled());
        QVERIFY(later.view()->isVisible());
        later.close();
        QCOMPARE(m_main->topView(), m_main->windowView());
        QCOMPARE(m_main->lowerStackCount(), 0);
    }

    // When the main window shrinks, a framed window may stick out by 13 px at most.
    void shrinkingKeepsWindowsVisible()
    {
        m_main->resize(1000, 700);
        Window window;
        window.showWindow(QPoint(900, 600));
        QVERIFY(settle());
        QCOMPARE(endRectangle(&window), QRect(600, 400, 350, 250));
        guitest::MessageCapture capture;
        m_main->resize(800, 600);
        QTRY_COMPARE(window.view()->size(), QSize(800, 600));
        QCOMPARE(endRectangle(&window), QRect(463, 363, 350, 250));
        QCOMPARE(capture.count(QStringLiteral("Sub-windows moved to stay visible")), 1);
        window.close();
    }

    void eventInfoCascade()
    {
        QList<Window *> windows;
        for (int i = 0; i < 6; ++i) {
            windows << new Window(QSize(200, 100), 0, 0);
            windows.last()->showEventInfo();
        }
        QCOMPARE(windows.at(4)->cascadeIndex(), 5);
        QCOMPARE(windows.at(5)->cascadeIndex(), 1);
        QCOMPARE(endRectangle(windows.at(5)), QRect(25, 45, 250, 150));
        QCOMPARE(TAbstractSubWindow::openEventInfoWindows().size(), 6);
        QVERIFY(windows.at(5)->view()->hostsEventInfoWindow());
        windows.at(0)->close();
        QCOMPARE(TAbstractSubWindow::openEventInfoWindows().size(), 5);
        // Event windows survive a screen change.
        TScreen screen(QStringLiteral("S"), QString());
        m_main->showNewScreen(&screen);
        QVERIFY(windows.at(5)->isVisible());
        qDeleteAll(windows);
        QVERIFY(TAbstractSubWindow::openEventInfoWindows().isEmpty());
    }

    void returnGoesToTheDefaultButton()
    {
        Window window;
        auto *button = new TOptionButton(&window);
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        window.showWindow(QPoint(400, 300));
        QVERIFY(settle());
        // Without a default button Return is taken and goes nowhere; Enter passes on.
        QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&window, &ret);
        QVERIFY(ret.isAccepted());
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Enter, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QVERIFY(!enter.isAccepted());

        window.setDefaultButton(button);
        QCOMPARE(button->objectName(), QStringLiteral("defaultOptionButton"));
        QTest::keyClick(&window, Qt::Key_Return);
        QCOMPARE(clicked.count(), 1);
        button->setEnabled(false);
        QTest::keyClick(&window, Qt::Key_Return);
        QCOMPARE(clicked.count(), 1);
        delete button;
        QCOMPARE(window.defaultButton(), nullptr);
        QTest::keyClick(&window, Qt::Key_Return);
    }

    // Keys that reach the view itself (the focus on the view, not in the window).
    void viewKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("focusedButton"); // -1: the focus stays on the view
        QTest::newRow("Escape closes") << int(Qt::Key_Escape) << true << true << -1;
        QTest::newRow("Down moves forward") << int(Qt::Key_Down) << true << false << 0;
        QTest::newRow("Up moves back") << int(Qt::Key_Up) << true << false << 1;
        QTest::newRow("Return passes on") << int(Qt::Key_Return) << false << false << -1;
        QTest::newRow("a letter passes on") << int(Qt::Key_A) << false << false << -1;
    }
    void viewKeys()
    {
        QFETCH(int, key);
        QFETCH(bool, accepted);
        QFETCH(bool, closes);
        QFETCH(int, focusedButton);
        Window window;
        QList<TOptionButton *> buttons{new TOptionButton(&window), new TOptionButton(&window)};
        for (TOptionButton *button : buttons)
            window.layout()->addWidget(button);
        window.setDefaultButton(buttons.at(1));
        QSignalSpy clicked(buttons.at(1), &QAbstractButton::clicked);
        window.showWindow(QPoint(400, 300));
        QVERIFY(settle());
        TSubWindowView *view = window.view();
        view->setFocus(Qt::OtherFocusReason);
        QCOMPARE(QApplication::focusWidget(), view);

        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        press.setAccepted(!accepted);
        QApplication::sendEvent(view, &press);
        QCOMPARE(press.isAccepted(), accepted);
        QCOMPARE(!window.view(), closes);
        QCOMPARE(view->isVisible(), !closes);
        if (closes)
            return;
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        release.setAccepted(!accepted);
        QApplication::sendEvent(view, &release);
        QCOMPARE(release.isAccepted(), accepted);
        QCOMPARE(clicked.count(), 0);
        QCOMPARE(QApplication::focusWidget(), focusedButton < 0 ? static_cast<QWidget *>(view) : buttons.at(focusedButton));

        // While the window is disabled (busy) the view takes every key and does nothing.
        {
            window.setEnabled(false);
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(view, &escape);
            QVERIFY(escape.isAccepted());
            QVERIFY(window.view());
            window.setEnabled(true);
            window.close();
        }
    }

    void busyWithWorkerThread()
    {
        Window window;
        window.resize(300, 200);
        QSignalSpy ended(&window, &TAbstractSubWindow::busyEnded);
        QThread *worker = QThread::create([] { QThread::msleep(100); });
        window.setBusy(QStringLiteral("zkgui_tools"), QStringLiteral("Storing"), worker, 0);
        QVERIFY(!window.isEnabled());
        QVERIFY(window.busyWidget());
        QVERIFY(ended.wait(5000));
        QCOMPARE(window.endReasons, QList<int>{int(TBusyWidget::Cleared)});
        QVERIFY(window.isEnabled());
        QVERIFY(!window.busyWidget());
        worker->wait();
        delete worker;

        // Without a thread the time-out ends it.
        window.setBusy(QString(), QStringLiteral("Waiting"), nullptr, 500);
        QVERIFY(ended.wait(5000));
        QCOMPARE(window.endReasons.last(), int(TBusyWidget::TimedOut));
        // clrBusy with no busy period just enables.
        window.setEnabled(false);
        window.clrBusy();
        QVERIFY(window.isEnabled());
    }

    // A window that always has a keyboard gets it after its opening animation.
    void keyboardAlwaysShown()
    {
        Window window(QSize(300, 200), 2, 1);
        window.showWindow(QPoint(400, 300));
        QVERIFY(settle());
        TTouchKeyboard *keyboard = window.view()->keyboard();
        QVERIFY(keyboard->isVisible());
        QCOMPARE(keyboard->currentHeight(), TTouchKeyboard::fullHeight);
        QVERIFY(!keyboard->isUserHideable());
        QVERIFY(m_main->isTopViewKeyboardVisible());
        window.close();
        QVERIFY(!m_main->isTopViewKeyboardVisible());
    }

    // A keyboard slide that would cover the frame pushes it up, to y = 37 at
    // most, then shrinks it; hidden again, the frame grows back but keeps its place.
    void keyboardMovesTheFrame()
    {
        Window window(QSize(400, 300), 2, 2);
        window.showWindow(QPoint(400, 300));
        QVERIFY(settle());
        QCOMPARE(endRectangle(&window), QRect(175, 125, 450, 350));
        TTouchKeyboard *keyboard = window.view()->keyboard();
        QVERIFY(keyboard->isUserHideable());
        QVERIFY(!keyboard->isVisible());
        keyboard->showKeyboard(true);
        QVERIFY(settle());
        QCOMPARE(keyboard->currentHeight(), TTouchKeyboard::fullHeight);
        QCOMPARE(endRectangle(&window), QRect(175, 37, 450, 613 - 37 - TTouchKeyboard::fullHeight));
        QCOMPARE(window.height(), endRectangle(&window).height() - 50);
        keyboard->hideKeyboard(HIDDING_REASON_REQUEST);
        QVERIFY(settle());
        QVERIFY(!keyboard->isVisible());
        QCOMPARE(endRectangle(&window), QRect(175, 37, 450, 350));
        // A key event the keyboard did not send hides a user-hideable keyboard.
        keyboard->showKeyboard(false);
        QSignalSpy hidding(keyboard, &TBaseTouchKeypad::hidding);
        QKeyEvent foreign(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
        QVERIFY(!keyboard->isOwnKeyEvent(&foreign));
        QCOMPARE(hidding.count(), 1);
        QCOMPARE(hidding.at(0).at(0).value<THiddingReason>(), HIDDING_REASON_OWN_KEY_EVENT_MISSING);
        window.close();
        QCOMPARE(keyboard->keyboardCharacterSet(), KEYBOARD_CHARACTER_SET_ASCII);
        // Shown again (the keyboard was put away at once): its slide starts afresh.
        window.showWindow(QPoint(400, 300));
        QVERIFY(settle());
        QCOMPARE(endRectangle(&window), QRect(175, 125, 450, 350));
        keyboard->showKeyboard(true);
        QVERIFY(settle());
        QCOMPARE(endRectangle(&window), QRect(175, 37, 450, 613 - 37 - TTouchKeyboard::fullHeight));
        window.close();
    }
};

ZEL_GUI_TEST_MAIN(TestSubWindows)

#include "tst_subwindows.moc"
