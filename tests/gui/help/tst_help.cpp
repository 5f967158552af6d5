#include "guiapp.h"
#include "guitestsupport.h"
#include "tactivitywidget.h"
#include "tcolumnstouchlist.h"
#include "tcolumnstouchlistitem.h"
#include "telidelabel.h"
#include "tselectitemwindow.h"
#include "ttouchlistcolumndesc.h"
#include "ttouchlistwidget.h"
#include "tfadeboarder.h"
#include "thelpcontrol.h"
#include "thelpwindow.h"
#include "tmainwindow.h"
#include "toption.h"
#include "toptioniconbutton.h"
#include "twebview.h"
#include "twebviewscroll.h"
#include "twindowtoppanel.h"

#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QtTest>

class TestHelp : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QUrl page(const QString &name, int paragraphs)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QUrl();
        QByteArray html = "<html><body><h1>" + name.toUtf8() + "</h1>";
        for (int i = 0; i < paragraphs; ++i)
            html += "<p style='height:100px;margin:0'>paragraph " + QByteArray::number(i) + "</p>";
        html += "<a name='end'>end</a></body></html>";
        file.write(html);
        return QUrl::fromLocalFile(path);
    }
    static bool load(TWebViewScroll *view, const QUrl &url)
    {
        QSignalSpy finished(view->webView(), &QWebView::loadFinished);
        view->setUrl(url);
        return finished.wait(10000) && finished.at(0).at(0).toBool();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
    }

    // A widget's own page or that of its nearest registered parent wins, then
    // the latest registration of its top-level window; a given URL wins;
    // nothing registered gives the home page.
    void helpRegistry()
    {
        THelpControl *control = THelpControl::instance();
        const QUrl home(QStringLiteral("file:///help/home.html"));
        control->setHomeUrl(home);
        QWidget windowA, windowB;
        auto *first = new QWidget(&windowA);
        auto *second = new QWidget(&windowA);
        QCOMPARE(control->pageFor(first, QUrl()), home);
        control->addHelp(QUrl(QStringLiteral("file:///help/first.html")), first);
        control->addHelp(QUrl(QStringLiteral("file:///help/second.html")), second);
        control->addHelp(QUrl(QStringLiteral("file:///help/other.html")), &windowB);
        // Two sub-windows in one window: each shows its own page, also when
        // asked from a control inside it.
        QCOMPARE(control->pageFor(first, QUrl()).fileName(), QStringLiteral("first.html"));
        QCOMPARE(control->pageFor(new QWidget(first), QUrl()).fileName(), QStringLiteral("first.html"));
        QCOMPARE(control->pageFor(&windowA, QUrl()).fileName(), QStringLiteral("second.html"));
        QCOMPARE(control->pageFor(first, QUrl(QStringLiteral("file:///help/given.html"))).fileName(),
                 QStringLiteral("given.html"));
        control->removeHelp(second);
        QCOMPARE(control->pageFor(second, QUrl()).fileName(), QStringLiteral("first.html"));
        control->removeHelp(first);
        control->removeHelp(first); // never registered now: nothing
        QCOMPARE(control->pageFor(first, QUrl()), home);
        QCOMPARE(control->pageFor(nullptr, QUrl()), home);
        control->removeHelp(&windowB);
        // A widget destroyed without removing its page no longer counts, and a
        // new widget in its place does not inherit it.
        auto *gone = new QWidget(&windowA);
        control->addHelp(QUrl(QStringLiteral("file:///help/gone.html")), gone);
        delete gone;
        auto *fresh = new QWidget(&windowA);
        QCOMPARE(control->pageFor(fresh, QUrl()), home);
        control->addHelp(QUrl(QStringLiteral("file:///help/fresh.html")), fresh);
        QCOMPARE(control->pageFor(&windowA, QUrl()).fileName(), QStringLiteral("fresh.html"));
        control->removeHelp(fresh);
    }

    // The help window loads a local page, and a second show reuses it.
    void helpWindowLoadsLocalPage()
    {
        const QUrl home = page(QStringLiteral("home.html"), 2);
        const QUrl other = page(QStringLiteral("other.html"), 2);
        THelpControl *control = THelpControl::instance();
        control->setHomeUrl(home);
        control->show();
        QPointer<THelpWindow> window = control->helpWindow();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("ZEL - Help"));
        TWebView *web = window->webView()->webView();
        QSignalSpy finished(web, &QWebView::loadFinished);
        QVERIFY(finished.wait(10000));
        QVERIFY(finished.last().at(0).toBool());
        QCOMPARE(web->url(), home);
        control->show(nullptr, other);
        QCOMPARE(control->helpWindow(), window.data());
        QVERIFY(QTest::qWaitFor([&] { return web->url() == other && !finished.isEmpty() && finished.last().at(0).toBool(); }, 10000));
        QVERIFY(QTest::qWaitFor([&] { return !window->topPanel()->activityWidget()->isActive(); }, 10000));
        window->topPanel()->buttons().first()->click(); // Home
        QVERIFY(QTest::qWaitFor([&] { return web->url() == home; }, 10000));
        // Escape goes to the page and does not close the window.
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(window->isVisible());
        window->close();
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QVERIFY(!control->helpWindow());
        QVERIFY(QSettings().contains(QStringLiteral("THelpWindow/geometry")));
        QCOMPARE(QSettings().value(QStringLiteral("THelpWindow/isMaximized")).toBool(), false);
    }

    // Help asked for while the closed window still waits for its deletion
    // builds a new window; the old one's end does not make the controller
    // forget the new one, so there is never a second help window.
    void oneHelpWindowAtATime()
    {
        THelpControl *control = THelpControl::instance();
        control->setHomeUrl(page(QStringLiteral("once.html"), 1));
        control->show();
        QPointer<THelpWindow> first = control->helpWindow();
        QVERIFY(first);
        first->close();
        control->show(); // before the closed window is deleted
        QPointer<THelpWindow> second = control->helpWindow();
        QVERIFY(second);
        QVERIFY(second != first);
        QVERIFY(QTest::qWaitFor([&] { return !first; }, 3000));
        QCOMPARE(control->helpWindow(), second.data());
        control->show();
        QCOMPARE(control->helpWindow(), second.data());
        int shown = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (qobject_cast<THelpWindow *>(widget) && widget->isVisible())
                ++shown;
        QCOMPARE(shown, 1);
        second->close();
        QVERIFY(QTest::qWaitFor([&] { return !second; }, 3000));
        QVERIFY(!control->helpWindow());
    }

    // A window closed while maximized over the whole screen reopens maximized.
    void reopensMaximized()
    {
        THelpControl *control = THelpControl::instance();
        control->setHomeUrl(page(QStringLiteral("max.html"), 1));
        QSettings().setValue(QStringLiteral("THelpWindow/isMaximized"), true);
        control->show();
        QPointer<THelpWindow> window = control->helpWindow();
        QVERIFY(QTest::qWaitFor([&] { return window->isMaximized(); }, 3000));
        window->close();
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QCOMPARE(QSettings().value(QStringLiteral("THelpWindow/isMaximized")).toBool(), true);
        control->show();
        window = control->helpWindow();
        QVERIFY(QTest::qWaitFor([&] { return window->isMaximized(); }, 3000));
        QSettings().setValue(QStringLiteral("THelpWindow/isMaximized"), false);
        window->showNormal();
        window->close();
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QCOMPARE(QSettings().value(QStringLiteral("THelpWindow/isMaximized")).toBool(), false);
    }

    void geometryFit_data()
    {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("fitted");
        const QRect area(0, 0, 1024, 768);
        QTest::newRow("inside") << QRect(100, 100, 800, 600) << QRect(100, 100, 800, 600);
        QTest::newRow("larger than the screen") << QRect(-50, 40, 2000, 1000) << QRect(0, 0, 1024, 768);
        QTest::newRow("off to the right and down") << QRect(900, 700, 400, 300) << QRect(624, 468, 400, 300);
        QTest::newRow("off to the left and up") << QRect(-300, -100, 400, 300) << QRect(0, 0, 400, 300);
    }
    void geometryFit()
    {
        QFETCH(QRect, stored);
        QFETCH(QRect, fitted);
        QCOMPARE(THelpWindow::fitIntoArea(stored, QRect(0, 0, 1024, 768)), fitted);
    }

    // The scroll bar follows the page: a short page has no range and no fades;
    // Page Down moves by the viewport height less 50; a new page starts at the top.
    void scrollBarFollowsPage()
    {
        TWebViewScroll view(QUrl(), nullptr);
        view.resize(600, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(load(&view, page(QStringLiteral("short.html"), 1)));
        QScrollBar *bar = view.verticalScrollBar();
        QCOMPARE(bar->maximum(), 0);
        QVERIFY(!view.fadeBoarder()->isTopFadeVisible() && !view.fadeBoarder()->isBottomFadeVisible());

        QVERIFY(load(&view, page(QStringLiteral("tall.html"), 40)));
        const int h = view.viewport()->height();
        QCOMPARE(bar->maximum(), view.mainFrame()->contentsSize().height() - h);
        QVERIFY(bar->maximum() > 2 * h);
        QVERIFY(!view.fadeBoarder()->isTopFadeVisible() && view.fadeBoarder()->isBottomFadeVisible());
        QTest::keyClick(view.webView(), Qt::Key_PageDown);
        // The scroll bar showing up narrows the page; the reader stays where he is.
        QTest::qWait(200);
        QCOMPARE(bar->value(), h - 50);
        QCOMPARE(view.mainFrame()->scrollPosition().y(), h - 50);
        QVERIFY(view.fadeBoarder()->isTopFadeVisible());

        QVERIFY(load(&view, page(QStringLiteral("tall2.html"), 30)));
        QCOMPARE(bar->value(), 0);
        QVERIFY(!view.fadeBoarder()->isTopFadeVisible());
    }

    // A page that scrolls by itself moves the scroll bar; the echo of the
    // scroll bar's own step is not applied twice.
    void pageScrollRequests()
    {
        TWebViewScroll view(QUrl(), nullptr);
        view.resize(600, 400);
        view.show();
        QVERIFY(load(&view, page(QStringLiteral("anchors.html"), 40)));
        QScrollBar *bar = view.verticalScrollBar();
        bar->setValue(100);
        QCoreApplication::processEvents();
        QCOMPARE(bar->value(), 100);
        QCOMPARE(view.mainFrame()->scrollPosition().y(), 100);
        view.handleScrollRequested(0, -60, QRect());
        QCOMPARE(bar->value(), 160);
    }

    void topPanel()
    {
        QWidget window;
        TWindowTopPanel bare(&window, QStringLiteral("A heading that is much longer than the little room the panel has for it"),
                             QStringLiteral("zkgui_help"), false, false);
        QVERIFY(bare.buttons().isEmpty());
        bare.resize(400, 60);
        QVERIFY(bare.headingLabel()->shownText().endsWith(QChar(0x2026)));
        TOption extra(QStringLiteral("Extra"), QStringLiteral("zkgui_tools"), nullptr, nullptr);
        TWindowTopPanel full(&window, QStringLiteral("Report"), QStringLiteral("zkgui_help"), true, true, &extra);
        QCOMPARE(full.buttons().size(), 3);
        QCOMPARE(full.buttons().first()->option(), &extra);
        // The Help option belongs to the panel: no option stays behind with the controller.
        QCOMPARE(full.buttons().at(1)->option()->parent(), &full);
        const int controllerChildren = THelpControl::instance()->children().size();
        delete new TWindowTopPanel(&window, QStringLiteral("Gone"), QStringLiteral("zkgui_help"), true, true);
        QCOMPARE(THelpControl::instance()->children().size(), controllerChildren);
        full.setSideIcon(QString()); // none yet: nothing
        QVERIFY(!full.sideIcon());
        full.setSideIcon(QStringLiteral("zkgui_lock"));
        QVERIFY(full.sideIcon());
        QCOMPARE(full.sideIcon()->size(), full.activityWidget()->size());
        window.show();
        full.buttons().last()->click(); // Close closes the panel's parent
        QVERIFY(!window.isVisible());
    }

    // The list is as high as its rows, at most 464 pixels; a click reports the
    // row's id and closes the window.
    void selectItemWindow_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("height");
        QTest::newRow("3 rows") << 3 << 174;
        QTest::newRow("20 rows") << 20 << 464;
    }
    void selectItemWindow()
    {
        QFETCH(int, rows);
        QFETCH(int, height);
        auto *list = new TColumnsTouchList; // the list widget's view owns it
        list->addColumn(new TTouchListColumnDesc(0, 200, 400, 10, list));
        for (int i = 0; i < rows; ++i) {
            auto *item = new TColumnsTouchListItem(list, 100 + i, QStringLiteral("row %1").arg(i));
            if (list->count() == i)
                list->addItem(item);
        }
        QCOMPARE(list->count(), rows);
        TSelectItemWindow window(QStringLiteral("Select software"), QStringLiteral("zkgui_help"), list);
        QCOMPARE(window.listWidget()->height(), height);
        QCOMPARE(window.listWidget()->minimumWidth(), list->totalWidth());
        QCOMPARE(window.topPanel()->buttons().size(), 2);
        QSignalSpy selected(&window, &TSelectItemWindow::selected);
        window.show();
        emit list->itemClicked(102);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.at(0).at(0).toInt(), 102);
        QVERIFY(!window.isVisible());
    }
};

ZEL_GUI_TEST_MAIN(TestHelp)
#include "tst_help.moc"
