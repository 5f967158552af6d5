#include "guiapp.h"
#include "guitestsupport.h"
#include "tanimationpixmapwidget.h"
#include "tbusywidget.h"
#include "tmainwindow.h"
#include "toption.h"
#include "tpage.h"
#include "tpagescreen.h"
#include "tupdateobject.h"

#include <QKeyEvent>
#include <QLabel>
#include <QParallelAnimationGroup>
#include <QPointer>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

class Emitter : public QObject
{
    Q_OBJECT
signals:
    void changed();
};

// A page of the screen (its child, as a screen makes its own pages) that
// counts the emitter's signals while its update object runs.
class CountingPage : public TPage
{
    Q_OBJECT
public:
    CountingPage(const QString &title, Emitter *emitter, QWidget *parent = nullptr)
        : TPage(title, parent)
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(title, this));
        addUpdateObject(new TUpdateObject(emitter, SIGNAL(changed()), this, SLOT(count())));
    }
    int hits = 0;
    QRect selectedRect = QRect(10, 10, 100, 40);
    QRect getSelectedRect() const override { return selectedRect; }
public slots:
    void count() { ++hits; }
};

} // namespace

class TestPageScreen : public QObject
{
    Q_OBJECT
private:
    TMainWindow *m_main = nullptr;
    QPointer<TPageScreen> m_screen;
    Emitter m_emitter;
    CountingPage *m_a = nullptr;
    CountingPage *m_b = nullptr;

    bool settle() { return QTest::qWaitFor([this] { return !m_main->isAnimating(); }, 5000); }
    void change(int kind, TPage *page)
    {
        if (kind == 0)
            m_screen->changePageNoAnimation(page);
        else if (kind == 1)
            m_screen->changePageMovedToSide(page, false);
        else
            m_screen->changePageFromPixmapScaled(page, QPixmap(20, 20), kind == 3, QRect(0, 0, 20, 20), QRect(50, 50, 20, 20));
    }
    // The settled arrangement: only the current page shown, in the page area's layout, live.
    void verifySettled(CountingPage *current, CountingPage *previous)
    {
        QCOMPARE(m_screen->getAnimationState(), 0);
        QCOMPARE(m_screen->currentPage(), current);
        QVERIFY(current->isVisible());
        QVERIFY(m_screen->pageArea()->layout()->indexOf(current) >= 0);
        QCOMPARE(current->geometry(), m_screen->pageArea()->rect());
        QVERIFY(!m_screen->pixmapWidget()->isVisible());
        QVERIFY(current->isActive() && current->isEnabled());
        QCOMPARE(m_screen->pageHeading(), current->title());
        if (previous) {
            QVERIFY(!previous->isVisible());
            QVERIFY(!previous->isActive());
            QVERIFY(m_screen->pageArea()->layout()->indexOf(previous) < 0);
        }
        const int a = m_a->hits, b = m_b->hits;
        emit m_emitter.changed();
        QCOMPARE(m_a->hits - a + m_b->hits - b, 1);
        QCOMPARE(current->hits, (current == m_a ? a : b) + 1);
    }

private slots:
    void init()
    {
        m_main = new TMainWindow(nullptr, QStringLiteral("MainWindowView"), false);
        m_main->resize(800, 600);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        m_screen = new TPageScreen(QStringLiteral("Devices"));
        m_a = new CountingPage(QStringLiteral("List"), &m_emitter, m_screen);
        m_b = new CountingPage(QStringLiteral("Details"), &m_emitter, m_screen);
        m_screen->setFirstPage(m_a);
        m_main->showNewScreen(m_screen);
        QVERIFY(settle());
    }
    void cleanup()
    {
        delete m_main;
        m_main = nullptr;
        delete m_screen;
    }

    void firstPage()
    {
        verifySettled(m_a, nullptr);
    }

    // Each kind of change ends in the same arrangement, whether it runs to
    // its end or is ended at once.
    void changes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("atOnce");
        QTest::addColumn<int>("runningState");
        QTest::newRow("none") << 0 << false << 0;
        QTest::newRow("slide") << 1 << false << 1;
        QTest::newRow("slide, ended at once") << 1 << true << 1;
        QTest::newRow("zoom in") << 2 << false << 4;
        QTest::newRow("zoom in, ended at once") << 2 << true << 4;
        QTest::newRow("zoom out") << 3 << false << 3;
        QTest::newRow("zoom out, ended at once") << 3 << true << 3;
    }
    void changes()
    {
        QFETCH(int, kind);
        QFETCH(bool, atOnce);
        QFETCH(int, runningState);
        QSignalSpy completed(m_screen, &TPageScreen::animationCompleted);
        change(kind, m_b);
        QCOMPARE(m_screen->getAnimationState(), runningState);
        QCOMPARE(m_screen->currentPage(), m_b);
        if (kind >= 2)
            QVERIFY(m_screen->pixmapWidget()->isVisible() && !m_b->isVisible());
        if (atOnce)
            m_main->forceAnimationCompletion();
        QVERIFY(settle());
        QCOMPARE(completed.count(), kind == 0 ? 0 : 1);
        verifySettled(m_b, m_a);
        // Asking for the current page again changes nothing.
        change(kind, m_b);
        QCOMPARE(m_screen->getAnimationState(), 0);
        QVERIFY(!m_main->isAnimating());
    }

    // "previous" during a "next" slide sends the outgoing page back from where it is.
    void slideReverses()
    {
        m_screen->changePageMovedToSide(m_b, false);
        QVERIFY(QTest::qWaitFor([&] { return m_screen->movePosX() < -50; }, 3000));
        const int aLeft = m_a->x();
        m_screen->changePageMovedToSide(m_a, true);
        QCOMPARE(m_screen->getAnimationState(), 2);
        QVERIFY(qAbs(m_a->x() - aLeft) < 60); // no jump
        QCOMPARE(m_screen->currentPage(), m_a);
        QVERIFY(settle());
        verifySettled(m_a, m_b);
    }

    // A new change while one runs completes the running one first.
    void changeDuringSlide()
    {
        auto *c = new CountingPage(QStringLiteral("Third"), &m_emitter, m_screen);
        m_screen->changePageMovedToSide(m_b, false);
        m_screen->changePageNoAnimation(c);
        QCOMPARE(m_screen->getAnimationState(), 0);
        QVERIFY(!m_b->isVisible());
        QVERIFY(c->isVisible() && c->isActive());
        QVERIFY(!m_main->isAnimating());
    }

    // A receiver of animationCompleted that starts another change owns the arrangement.
    void changeFromCompletion()
    {
        bool again = true;
        connect(m_screen, &TPageScreen::animationCompleted, this, [&] {
            if (again) {
                again = false;
                m_screen->changePageMovedToSide(m_a, true);
            }
        });
        m_screen->changePageMovedToSide(m_b, false);
        QVERIFY(QTest::qWaitFor([&] { return !again; }, 3000));
        QCOMPARE(m_screen->getAnimationState(), 2);
        QVERIFY(m_a->isVisible() && m_b->isVisible());
        QVERIFY(settle());
        verifySettled(m_a, m_b);
    }

    void zoomWithoutCurrentPage()
    {
        TPageScreen screen(QStringLiteral("Empty"));
        screen.resize(800, 600);
        CountingPage page(QStringLiteral("P"), &m_emitter);
        screen.changePageFromPixmapScaled(&page, QPixmap(), false, QRect(), QRect());
        QCOMPARE(screen.pixmapWidget()->frontGeometry(), QRect(0, 0, 800, 520));
        QCOMPARE(screen.pixmapWidget()->frontPixmap().size(), QSize(800, 520));
        screen.instantAnimationEnd();
        QCOMPARE(screen.currentPage(), &page);
        // Without a first page reset and refresh do nothing.
        screen.resetScreen();
        QCOMPARE(screen.currentPage(), &page);
    }

    void pageSelection()
    {
        QHBoxLayout buttons;
        QPushButton aButton, bButton;
        aButton.setCheckable(true);
        bButton.setCheckable(true);
        buttons.addWidget(&aButton);
        buttons.addWidget(&bButton);
        m_a->setPageButton(&aButton);
        m_b->setPageButton(&bButton);
        m_screen->setPageButtonLayout(&buttons);
        connect(m_a, &TPage::selected, m_screen, &TPageScreen::handlePageSelected);
        connect(m_b, &TPage::selected, m_screen, &TPageScreen::handlePageSelected);
        bButton.click();
        QCOMPARE(m_screen->getAnimationState(), 1); // from the right
        QVERIFY(settle());
        aButton.setChecked(false);
        aButton.click();
        QCOMPARE(m_screen->getAnimationState(), 2); // from the left
        QVERIFY(settle());
        QVERIFY(aButton.isChecked());
        // The current page again: no change.
        m_screen->handlePageSelected(m_a);
        QCOMPARE(m_screen->getAnimationState(), 0);
        // A disabled screen keeps its page and re-checks its button.
        m_screen->setEnabled(false);
        aButton.setChecked(false);
        m_screen->handlePageSelected(m_b);
        QCOMPARE(m_screen->currentPage(), m_a);
        QVERIFY(aButton.isChecked());
        m_screen->setEnabled(true);
        m_a->setPageButton(nullptr);
        m_b->setPageButton(nullptr);
    }

    // The menu takes the input while it is open; a busy or inactive page
    // leaves both disabled; hiding an inactive page releases its menu.
    void pageMenu()
    {
        m_a->showMenu(); // no options: nothing
        QVERIFY(!m_a->pageMenu());
        TOption one(QStringLiteral("One"), nullptr, nullptr);
        m_a->setMenuOptions({&one});
        m_a->showMenu();
        QPointer<QWidget> menu = m_a->pageMenu();
        QVERIFY(menu);
        QCOMPARE(menu->objectName(), QStringLiteral("pageMenuBackGround"));
        m_a->showMenu();
        QCOMPARE(m_a->pageMenu(), menu.data());
        QVERIFY(menu->isEnabled() && !m_a->isEnabled());
        m_a->closeMenu();
        QVERIFY(QTest::qWaitFor([&] { return !menu; }, 2000));
        QVERIFY(m_a->isEnabled());

        m_a->showMenu();
        menu = m_a->pageMenu();
        m_screen->changePageNoAnimation(m_b);
        QVERIFY(!menu || !menu->isEnabled());
        QVERIFY(QTest::qWaitFor([&] { return !menu; }, 2000)); // hidden while inactive: released
        QVERIFY(!m_a->pageMenu());
    }

    // A menu opened on a busy page stays disabled with the page; when the
    // busy period ends the menu takes the input and the page stays disabled.
    void busyPageWithMenu()
    {
        TOption one(QStringLiteral("One"), nullptr, nullptr);
        m_a->setMenuOptions({&one});
        auto *overlay = new TBusyWidget(m_a);
        overlay->setBusy(QStringLiteral("zkgui_busy_arrow"), QStringLiteral("Working"), 10000);
        m_a->setBusy(overlay, nullptr);
        QVERIFY(!m_a->isEnabled());
        m_a->showMenu();
        QWidget *menu = m_a->pageMenu();
        QVERIFY(menu && !menu->isEnabled() && !m_a->isEnabled());
        QSignalSpy ended(m_a, &TPage::busyEnded);
        m_a->clrBusy();
        QVERIFY(ended.count() == 1 || ended.wait(3000));
        QVERIFY(!m_a->busyWidget());
        QVERIFY(menu->isEnabled());
        QVERIFY(!m_a->isEnabled());
        m_a->closeMenu();
        QVERIFY(m_a->isEnabled());
    }

    // Escape goes home; Tab leaves the screen when no child takes the focus.
    void screenKeys()
    {
        QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
        other.setAccepted(true);
        QCoreApplication::sendEvent(m_screen, &other);
        QVERIFY(!other.isAccepted());
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
        release.setAccepted(false);
        QCoreApplication::sendEvent(m_screen, &release);
        QVERIFY(release.isAccepted());
    }

    // The arrow and tab keys move the focus through the page; their release is
    // taken, the release of any other key passes on.
    void screenFocusKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("Down") << int(Qt::Key_Down) << 0 << 1;
        QTest::newRow("Right") << int(Qt::Key_Right) << 0 << 1;
        QTest::newRow("Up") << int(Qt::Key_Up) << 1 << 0;
        QTest::newRow("Left") << int(Qt::Key_Left) << 1 << 0;
    }
    void screenFocusKeys()
    {
        QFETCH(int, key);
        QFETCH(int, from);
        QFETCH(int, to);
        QList<QPushButton *> buttons{new QPushButton(m_a), new QPushButton(m_a)};
        for (QPushButton *button : buttons)
            button->show();
        buttons.at(from)->setFocus(Qt::OtherFocusReason);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        press.setAccepted(false);
        QCoreApplication::sendEvent(m_screen, &press);
        QVERIFY(press.isAccepted());
        QCOMPARE(QApplication::focusWidget(), buttons.at(to));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        release.setAccepted(false);
        QCoreApplication::sendEvent(m_screen, &release);
        QVERIFY(release.isAccepted());
        QKeyEvent other(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier);
        QCoreApplication::sendEvent(m_screen, &other);
        QVERIFY(!other.isAccepted());
        QCOMPARE(QApplication::focusWidget(), buttons.at(to));
        qDeleteAll(buttons);
    }
};

ZEL_GUI_TEST_MAIN(TestPageScreen)
#include "tst_pagescreen.moc"
