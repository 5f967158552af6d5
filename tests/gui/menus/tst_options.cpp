#include "guiapp.h"
#include "guitestsupport.h"
#include "tabstractsubwindow.h"
#include "tbuttonbar.h"
#include "tflashanimator.h"
#include "tmainwindow.h"
#include "toption.h"
#include "toptionbutton.h"
#include "toptioniconbutton.h"
#include "toptionmenuwindow.h"
#include "tsubwindowview.h"

#include <QLabel>
#include <QSequentialAnimationGroup>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Records which option's leafSelected(int) fired, in order.
struct LeafLog : QObject
{
    QStringList hits;
    void watch(TOption *option)
    {
        connect(option, QOverload<int>::of(&TOption::leafSelected), this,
                [this, option](int id) { hits << option->text() + QLatin1Char(':') + QString::number(id); });
    }
};

class Receiver : public QObject
{
    Q_OBJECT
public:
    int calls = 0;
public slots:
    void handle() { ++calls; }
};

class PopUp : public TAbstractSubWindow
{
public:
    PopUp() : TAbstractSubWindow(0, 0) { (new QVBoxLayout(this))->addWidget(new QLabel(QStringLiteral("pop-up"), this)); }
    QSize sizeHint() const override { return QSize(200, 100); }
};

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT
private:
    TMainWindow *m_main = nullptr;
    QWidget *m_host = nullptr;

    bool settle() { return QTest::qWaitFor([this] { return !m_main->isAnimating(); }, 5000); }
    TOptionButton *hostButton(TOption *option, const QRect &geometry, int direction)
    {
        auto *button = new TOptionButton(option, m_host, TOptionButton::BarButton);
        button->setDirection(direction);
        button->setGeometry(geometry);
        button->show();
        return button;
    }

private slots:
    void init()
    {
        m_main = new TMainWindow(nullptr, QStringLiteral("MainWindowView"), false);
        m_main->resize(800, 600);
        m_host = new QWidget(m_main);
        m_host->setGeometry(0, 0, 800, 600);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        QVERIFY(settle());
    }
    void cleanup()
    {
        for (TWindowView *view : m_main->openViews())
            view->close();
        delete m_main;
        m_main = nullptr;
        qDeleteAll(TOptionMenuWindow::freeWindows());
        TOptionMenuWindow::freeWindows().clear();
        TSubWindowView::freeViews().clear();
    }

    void updatedSignals()
    {
        TOption option(QStringLiteral("a"), nullptr, nullptr);
        QSignalSpy updated(&option, &TOption::updated);
        option.setEnabled(true); // unchanged
        QCOMPARE(updated.count(), 0);
        option.setEnabled(false);
        option.setText(QStringLiteral("a"));
        option.setIconName(QString());
        QCOMPARE(updated.count(), 3);
        option.addOption(new TOption(QStringLiteral("child"), &option, nullptr));
        QCOMPARE(updated.count(), 3);
        QVERIFY(option.hasSubMenu());
    }

    // A leaf two levels down: one press reaches leaf, parent and root once each
    // with the leaf's id; the receiver's slot runs; the bound button relays it.
    void leafSelectionTravelsUp()
    {
        Receiver receiver;
        TOption root(QStringLiteral("root"), &receiver, nullptr);
        auto *middle = new TOption(QStringLiteral("middle"), &receiver, nullptr);
        auto *leaf = new TOption(QStringLiteral("leaf"), &receiver, SLOT(handle()));
        leaf->id = 42;
        LeafLog log;
        log.watch(leaf);
        log.watch(middle);
        log.watch(&root);
        root.addOption(middle);
        middle->addOption(leaf);
        TOptionButton rootButton(&root, nullptr);
        QSignalSpy rootRelay(&rootButton, &TOptionButton::leafSelected);
        TOptionButton leafButton(leaf, nullptr);
        QSignalSpy selected(leaf, QOverload<QWidget *>::of(&TOption::selected));
        guitest::MessageCapture capture;
        leafButton.click();
        QCOMPARE(log.hits, QStringList({"leaf:42", "middle:42", "root:42"}));
        QCOMPARE(receiver.calls, 1);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.at(0).at(0).value<QWidget *>(), &leafButton);
        QCOMPARE(rootRelay.count(), 1);
        QVERIFY(capture.count(QStringLiteral("was pressed from widget=")) == 1);
    }

    // Without receiver or slot a leaf still logs and reports id 0; a leaf
    // with a pop-up window both reports and opens it.
    void leafWithoutActionAndWithPopUp()
    {
        TOption bare(QStringLiteral("bare"), nullptr, "1handle()");
        QSignalSpy leaf(&bare, QOverload<int>::of(&TOption::leafSelected));
        TOptionButton button(&bare, m_host);
        button.show();
        button.click();
        QCOMPARE(leaf.count(), 1);
        QCOMPARE(leaf.at(0).at(0).toInt(), 0);

        PopUp popUp;
        bare.pPopUpWindow = &popUp;
        button.click();
        QCOMPARE(leaf.count(), 2);
        QVERIFY(popUp.view());
        QVERIFY(settle());
        popUp.close();
    }

    // A child that dies first leaves its parent's list.
    void destroyedChildLeavesTheList()
    {
        TOption root(QStringLiteral("root"), nullptr, nullptr);
        auto *child = new TOption(QStringLiteral("child"), nullptr, nullptr);
        root.addOption(child);
        QCOMPARE(root.children().size(), 1);
        delete child;
        QVERIFY(root.children().isEmpty());
        QVERIFY(root.hasSubMenu());
    }

    void buttonBinding()
    {
        auto *option = new TOption(QStringLiteral("&Store"), nullptr, nullptr);
        TOptionButton button(option, nullptr);
        QCOMPARE(button.text(), QStringLiteral("&Store"));
        QVERIFY(!button.isCheckable());
        option->setEnabled(false);
        QVERIFY(!button.isEnabled());
        option->addOption(new TOption(QStringLiteral("sub"), option, nullptr));
        QVERIFY(!button.isCheckable()); // adding a child updates nobody
        option->setText(QStringLiteral("Menu"));
        QVERIFY(button.isCheckable());
        QCOMPARE(button.text(), QStringLiteral("Menu"));
        delete option;
        QCOMPARE(button.option(), nullptr);
        QVERIFY(!button.isCheckable());
        QVERIFY(button.text().isEmpty());
        QVERIFY(!button.isEnabled()); // the enabled state is only set on binding
        button.setOption(nullptr);
        QVERIFY(button.isEnabled());
    }

    void gridShape_data()
    {
        QTest::addColumn<int>("children");
        QTest::addColumn<int>("available");
        QTest::addColumn<QSize>("columnsRows");
        QTest::newRow("4 in 300") << 4 << 300 << QSize(1, 4);
        QTest::newRow("7 in 300") << 7 << 300 << QSize(2, 4);
        QTest::newRow("11 in 300") << 11 << 300 << QSize(3, 4);
        QTest::newRow("lower than one row") << 3 << 40 << QSize(3, 1);
    }
    void gridShape()
    {
        QFETCH(int, children);
        QFETCH(int, available);
        QFETCH(QSize, columnsRows);
        QCOMPARE(TOptionMenuWindow::gridShape(children, available), columnsRows);
    }

    // Menus open beside their button, fall back to the other side near an
    // edge, and the whole chain closes on a leaf; windows return to the pool.
    void menuPlacement_data()
    {
        QTest::addColumn<QRect>("button");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("copyName");
        QTest::addColumn<bool>("leftOfButton");
        QTest::newRow("right, room") << QRect(100, 100, 150, 58) << 3 << "toTheRightMenuButton" << false;
        QTest::newRow("right, at the right edge") << QRect(640, 100, 150, 58) << 3 << "toTheLeftMenuButton" << true;
        QTest::newRow("left, room") << QRect(500, 100, 150, 58) << 2 << "toTheLeftMenuButton" << true;
        QTest::newRow("left, at the left edge") << QRect(10, 100, 150, 58) << 2 << "toTheRightMenuButton" << false;
        QTest::newRow("down") << QRect(100, 10, 150, 58) << 1 << "dropDownMenuButton" << false;
        QTest::newRow("up") << QRect(100, 500, 150, 58) << 0 << "dropUpMenuButton" << false;
    }
    void menuPlacement()
    {
        QFETCH(QRect, button);
        QFETCH(int, direction);
        QFETCH(QString, copyName);
        QFETCH(bool, leftOfButton);
        TOption root(QStringLiteral("menu"), nullptr, nullptr);
        for (int i = 0; i < 3; ++i)
            root.addOption(new TOption(QStringLiteral("entry %1").arg(i), &root, nullptr));
        TOptionButton *opener = hostButton(&root, button, direction);
        opener->click();
        QVERIFY(!opener->isChecked());
        QVERIFY(settle());
        TWindowView *top = qobject_cast<TWindowView *>(m_main->topView());
        QVERIFY(top);
        auto *view = qobject_cast<TSubWindowView *>(top);
        QVERIFY(view);
        auto *menu = qobject_cast<TOptionMenuWindow *>(view->window());
        QVERIFY(menu);
        QCOMPARE(menu->entries().size(), 3);
        QWidget *copy = menu->menuButton();
        QVERIFY(copy);
        QCOMPARE(copy->objectName(), copyName);
        QCOMPARE(copy->isVisible(), true);
        const QRect frame(menu->mapTo(m_main, QPoint(0, 0)), menu->size());
        if (direction >= 2) {
            QCOMPARE(frame.right() < button.left(), leftOfButton);
            QCOMPARE(frame.left() > button.right(), !leftOfButton);
        } else {
            QVERIFY(frame.left() >= 12 && frame.right() <= 800 - 12);
            QCOMPARE(frame.top() > button.top(), direction == 1);
        }
        menu->entries().at(1)->click();
        QVERIFY(settle());
        QCOMPARE(m_main->openViews().size(), 0);
        QCOMPARE(TOptionMenuWindow::freeWindows(), QList<TOptionMenuWindow *>({menu}));
        menu->close(); // a second close keeps one entry
        QCOMPARE(TOptionMenuWindow::freeWindows().size(), 1);
    }

    // A menu window takes the release of Escape and of the focus keys; Return
    // and Space belong to the focused entry and pass on.
    void menuKeyReleases_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("taken");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << true;
        QTest::newRow("Backtab") << int(Qt::Key_Backtab) << true;
        QTest::newRow("Right") << int(Qt::Key_Right) << true;
        QTest::newRow("Return") << int(Qt::Key_Return) << false;
        QTest::newRow("Space") << int(Qt::Key_Space) << false;
    }
    void menuKeyReleases()
    {
        QFETCH(int, key);
        QFETCH(bool, taken);
        TOptionMenuWindow menu;
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        release.setAccepted(!taken);
        QCoreApplication::sendEvent(&menu, &release);
        QCOMPARE(release.isAccepted(), taken);
    }

    // A nested menu: Escape closes only the inner one; a leaf closes both;
    // the pooled windows are reused by the next menu.
    void nestedMenus()
    {
        TOption root(QStringLiteral("menu"), nullptr, nullptr);
        auto *sub = new TOption(QStringLiteral("sub"), &root, nullptr);
        root.addOption(sub);
        auto *leaf = new TOption(QStringLiteral("leaf"), &root, nullptr);
        leaf->id = 7;
        sub->addOption(leaf);
        TOptionButton *opener = hostButton(&root, QRect(50, 50, 150, 58), 1);
        QSignalSpy relay(opener, &TOptionButton::leafSelected);
        opener->click();
        QVERIFY(settle());
        auto *outer = qobject_cast<TOptionMenuWindow *>(qobject_cast<TSubWindowView *>(m_main->topView())->window());
        QVERIFY(outer);
        outer->entries().first()->click();
        QVERIFY(settle());
        auto *inner = qobject_cast<TOptionMenuWindow *>(qobject_cast<TSubWindowView *>(m_main->topView())->window());
        QVERIFY(inner && inner != outer);
        QCOMPARE(m_main->openViews().size(), 2);
        QTest::keyClick(inner, Qt::Key_Escape);
        QVERIFY(QTest::qWaitFor([&] { return m_main->openViews().size() == 1; }, 3000));
        QVERIFY(settle());
        // Left in the first column closes only the inner menu too.
        outer->entries().first()->click();
        QVERIFY(settle());
        inner = qobject_cast<TOptionMenuWindow *>(qobject_cast<TSubWindowView *>(m_main->topView())->window());
        QCOMPARE(m_main->openViews().size(), 2);
        inner->entries().first()->setFocus();
        QTest::keyClick(inner, Qt::Key_Left);
        QVERIFY(QTest::qWaitFor([&] { return m_main->openViews().size() == 1; }, 3000));
        QVERIFY(settle());
        outer->entries().first()->click();
        QVERIFY(settle());
        inner = qobject_cast<TOptionMenuWindow *>(qobject_cast<TSubWindowView *>(m_main->topView())->window());
        inner->entries().first()->click();
        QVERIFY(settle());
        QCOMPARE(m_main->openViews().size(), 0);
        QCOMPARE(relay.count(), 1);
        QCOMPARE(TOptionMenuWindow::freeWindows().size(), 2);
    }

    // While animations run the menu waits for them to be ended at once; a
    // button that dies meanwhile gets no menu.
    void menuWaitsForAnimations()
    {
        TOption root(QStringLiteral("menu"), nullptr, nullptr);
        root.addOption(new TOption(QStringLiteral("a"), &root, nullptr));
        TOptionButton *opener = hostButton(&root, QRect(50, 50, 150, 58), 1);
        PopUp popUp;
        popUp.setAnimationKind(2);
        popUp.showWindow(QPoint(400, 300));
        QVERIFY(m_main->isAnimating());
        opener->click();
        QVERIFY(!m_main->isAnimating()); // forced to their end
        QVERIFY(QTest::qWaitFor([&] { return m_main->openViews().size() == 2; }, 2000));
        QVERIFY(settle());
        for (TWindowView *view : m_main->openViews())
            view->close();
        QVERIFY(settle());

        popUp.showWindow(QPoint(400, 300));
        QVERIFY(m_main->isAnimating());
        opener->click();
        delete opener;
        guitest::MessageCapture capture;
        QTest::qWait(50);
        QCOMPARE(m_main->openViews().size(), 1);
        QVERIFY(capture.count(QStringLiteral("Option window show aborted, free window")) == 1);
        QCOMPARE(TOptionMenuWindow::freeWindows().size(), 1); // the window is not lost to the pool
        popUp.close();
    }

    // A disabled or hidden button gets no menu; the window goes back to the pool.
    void noMenuFromDisabledButton()
    {
        TOption root(QStringLiteral("menu"), nullptr, nullptr);
        root.addOption(new TOption(QStringLiteral("a"), &root, nullptr));
        TOptionButton *opener = hostButton(&root, QRect(50, 50, 150, 58), 1);
        opener->setEnabled(false);
        guitest::MessageCapture capture;
        opener->clickHandler();
        QCOMPARE(capture.count(QStringLiteral("Option window show aborted, free window")), 1);
        QCOMPARE(m_main->openViews().size(), 0);
        QCOMPARE(TOptionMenuWindow::freeWindows().size(), 1);
        auto *icon = new TOptionIconButton(&root, m_host);
        QVERIFY(!icon->createMenuButton(TOptionMenuWindow::freeWindows().first(), 1)); // hidden
    }

    void iconButtonImageState_data()
    {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("down");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("state");
        QTest::newRow("plain") << false << false << true << "_normal";
        QTest::newRow("down") << false << true << true << "_pressed";
        QTest::newRow("checked") << true << false << true << "_pressed";
        QTest::newRow("checked and down") << true << true << true << "_normal";
        QTest::newRow("disabled") << false << false << false << "_disabled";
    }
    void iconButtonImageState()
    {
        QFETCH(bool, checked);
        QFETCH(bool, down);
        QFETCH(bool, enabled);
        QFETCH(QString, state);
        TOption option(QStringLiteral("tools"), QStringLiteral("zkgui_tools"), nullptr, nullptr);
        option.setEnabled(enabled);
        TOptionIconButton button(&option, nullptr);
        button.setCheckable(true);
        button.setChecked(checked);
        button.setDown(down);
        QCOMPARE(button.imageState(), state);
        QCOMPARE(button.toolTip(), QStringLiteral("tools"));
        button.setToolTip(QStringLiteral("own"));
        button.setTextFlags(3);
        QCOMPARE(button.toolTip(), QStringLiteral("own")); // not the option text: it stays
    }

    // Two flashing buttons share nothing but their own animator; hiding a
    // flashing button pauses its flash, showing resumes it where it stood.
    void flashPausesWhileHidden()
    {
        TOption option(QStringLiteral("flash"), QStringLiteral("zkgui_tools"), nullptr, nullptr);
        auto *button = new TOptionIconButton(&option, m_host);
        button->show();
        button->setFlashing(true);
        TFlashAnimator *animator = button->flashAnimator();
        QVERIFY(animator);
        QCOMPARE(animator->group()->state(), QAbstractAnimation::Running);
        QCOMPARE(animator->fadeDuration(), 120);
        QVERIFY(QTest::qWaitFor([&] { return animator->fadeDuration() > 120; }, 3000));
        const int duration = animator->fadeDuration();
        button->hide();
        QCOMPARE(animator->group()->state(), QAbstractAnimation::Paused);
        QCOMPARE(animator->opacity(), 0.0);
        button->show();
        QCOMPARE(animator->group()->state(), QAbstractAnimation::Running);
        QCOMPARE(animator->fadeDuration(), duration);
        button->setFlashing(false);
        QCOMPARE(animator->group()->state(), QAbstractAnimation::Stopped);
    }

    void flashDurations()
    {
        TFlashAnimator animator(nullptr);
        QWidget w;
        animator.addWidget(&w);
        QList<int> durations{animator.fadeDuration()};
        for (int loop = 1; loop < 11; ++loop) {
            animator.handleLoopChanged(loop);
            durations << animator.fadeDuration();
        }
        QCOMPARE(durations, QList<int>({120, 160, 213, 284, 378, 504, 672, 896, 1000, 1000, 1000}));
    }

    void buttonBarFolding()
    {
        TButtonBar bar(m_host, true);
        QSignalSpy shown(&bar, &TButtonBar::fullyShown);
        QSignalSpy leaf(&bar, &TButtonBar::leafSelected);
        TOption choice(QStringLiteral("choice"), nullptr, nullptr);
        TOptionButton *button = bar.addOption(&choice);
        bar.show();
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.takeFirst().at(0).toBool(), false); // minimised
        QCOMPARE(bar.maximumWidth(), 58);
        QVERIFY(!bar.isFullyShown());
        bar.toolsButton()->click();
        bar.setFullyShown(); // twice: one signal
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.takeFirst().at(0).toBool(), true);
        QVERIFY(bar.isFullyShown());
        QVERIFY(bar.optionFrame()->isVisible() && !bar.toolsButton()->isVisible());
        QCOMPARE(leaf.count(), 0); // the tools buttons are not relayed
        button->click();
        QCOMPARE(leaf.count(), 1);
        button->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return button->hasFocus(); }, 1000));
        bar.closeToolsButton()->click();
        QCOMPARE(shown.takeFirst().at(0).toBool(), false);
        QVERIFY(bar.toolsButton()->hasFocus());
        bar.hide();
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.takeFirst().at(0).toBool(), false);
    }

    void buttonBarVisibility()
    {
        TButtonBar plain(m_host, false);
        QSignalSpy shown(&plain, &TButtonBar::fullyShown);
        plain.setMinimized();
        plain.setFullyShown();
        QCOMPARE(shown.count(), 0);
        plain.show();
        plain.hide();
        plain.hide();
        QCOMPARE(shown.count(), 2);
        QCOMPARE(shown.at(1).at(0).toBool(), false);
        TButtonBar tools(m_host, true);
        QSignalSpy toolsShown(&tools, &TButtonBar::fullyShown);
        tools.setFullyShown(); // hidden: no signal
        QCOMPARE(toolsShown.count(), 0);
        tools.show();
        QCOMPARE(toolsShown.count(), 1);
        QCOMPARE(toolsShown.at(0).at(0).toBool(), true);
    }
};

ZEL_GUI_TEST_MAIN(TestOptions)
#include "tst_options.moc"
