#include "fingerinput.h"
#include "guiapp.h"
#include "guitestsupport.h"
#include "tabstracttouchlist.h"
#include "tabstracttouchlistitem.h"
#include "tmainwindow.h"
#include "tscreen.h"
#include "tscrollwidget.h"
#include "ttouchlistview.h"
#include "ttouchlistwidget.h"
#include "tverticalscrollarea.h"
#include "tviewport.h"
#include "twebview.h"
#include "twebviewscroll.h"

#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSequentialAnimationGroup>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QWebFrame>
#include <QtTest>

namespace {

class Row : public TAbstractTouchListItem
{
public:
    Row(TAbstractTouchList *list, int id)
        : TAbstractTouchListItem(list, id, true, true)
    {
    }
    int height() override { return 50; }
    void paint(TTouchListPaintContext *context, const QRect &rowRect, const QPalette &) override
    {
        context->painter->fillRect(rowRect.adjusted(1, 1, -1, -1), isPressed() ? Qt::darkGray : Qt::lightGray);
    }
};

// One of the three finger-scrolled views, in a screen of the main window:
// "list" a touch list of 40 rows, "area" a scroll area of 40 buttons, "web" a
// long help page. Each row or button is 50 px high; the views are 300x200.
struct Scroller {
    QWidget *widget = nullptr;    // what the finger touches
    QWidget *animated = nullptr;  // the scrolled view, what registers with the main window
    QScrollBar *bar = nullptr;
    QSequentialAnimationGroup *group = nullptr;
    int clicks = 0;
    std::function<bool()> pressedAnything = [] { return false; };
};

} // namespace

class TestTouchScrolling : public QObject
{
    Q_OBJECT
private:
    TMainWindow *m_main = nullptr;
    TScreen *m_screen = nullptr;
    TScreen *m_other = nullptr;
    QTemporaryDir m_dir;
    Scroller m_scroller;

    void build(const QString &kind)
    {
        m_screen = new TScreen(QStringLiteral("Scroll"), QString(), m_main);
        m_other = new TScreen(QStringLiteral("Other"), QString(), m_main);
        auto *layout = new QVBoxLayout(m_screen);
        Scroller &s = m_scroller;
        if (kind == QLatin1String("list")) {
            auto *widget = new TTouchListWidget;
            auto *list = new TAbstractTouchList(nullptr, 1);
            for (int i = 0; i < 40; ++i)
                list->addItem(new Row(list, i));
            widget->setList(list);
            connect(list, &TAbstractTouchList::itemClicked, this, [this] { ++m_scroller.clicks; });
            s.widget = widget;
            s.animated = widget->view();
            s.bar = widget->verticalScrollBar();
            s.group = widget->view()->scrollGroup();
            s.pressedAnything = [view = widget->view()] { return view->pressedRow() != nullptr; };
        } else if (kind == QLatin1String("area")) {
            auto *area = new TVerticalScrollArea;
            auto *content = new TScrollWidget;
            auto *buttons = new QVBoxLayout(content);
            buttons->setContentsMargins(0, 0, 0, 0);
            buttons->setSpacing(0);
            QList<QPushButton *> all;
            for (int i = 0; i < 40; ++i) {
                auto *button = new QPushButton(QString::number(i), content);
                button->setFixedHeight(50);
                buttons->addWidget(button);
                connect(button, &QPushButton::clicked, this, [this] { ++m_scroller.clicks; });
                all << button;
            }
            area->setWidget(content);
            area->setWidgetResizable(true);
            s.widget = area;
            s.animated = area->viewPort();
            s.bar = area->verticalScrollBar();
            s.group = area->viewPort()->scrollGroup();
            s.pressedAnything = [all] {
                return std::any_of(all.begin(), all.end(), [](QPushButton *b) { return b->isDown(); });
            };
        } else {
            // Every row is a link to the end of the page.
            QByteArray html = "<html><body style='margin:0'>";
            for (int i = 0; i < 40; ++i)
                html += "<a href='#end' style='display:block;height:50px;margin:0'>" + QByteArray::number(i) + "</a>";
            html += "<a name='end'></a></body></html>";
            QFile file(m_dir.filePath(QStringLiteral("page.html")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(html);
            file.close();
            auto *web = new TWebViewScroll(QUrl());
            QSignalSpy loaded(web->webView(), &QWebView::loadFinished);
            web->setUrl(QUrl::fromLocalFile(file.fileName()));
            QVERIFY(QTest::qWaitFor([&] { return !loaded.isEmpty() && loaded.last().at(0).toBool(); }, 20000));
            s.widget = web;
            s.animated = web->webView();
            s.bar = web->verticalScrollBar();
            s.group = web->webView()->scrollGroup();
        }
        s.widget->setFixedSize(300, 200);
        layout->addWidget(s.widget);
        layout->addStretch();
        m_main->showNewScreen(m_screen);
        QVERIFY(QTest::qWaitFor([&] { return !m_main->isAnimating(); }, 10000));
        QVERIFY(s.widget->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(s.bar->maximum() >= 1000, 10000);
    }

    // A fast upward stroke from the middle of the view: the view travels down.
    void flick(bool mouse = true)
    {
        FingerInput finger(m_scroller.widget, mouse);
        finger.press(QPoint(150, 150));
        finger.moveBy(QPoint(0, -100), 5, 5);
        finger.release(5);
    }

    static void addKinds()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"list", "area", "web"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }

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
        delete m_main;
        m_main = nullptr;
        m_scroller = Scroller();
    }

    void dragMovesTheView_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("mouse");
        for (const char *kind : {"list", "area", "web"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1 by finger").arg(kind))) << QString::fromLatin1(kind) << false;
            QTest::newRow(qPrintable(QStringLiteral("%1 by mouse").arg(kind))) << QString::fromLatin1(kind) << true;
        }
    }
    // The content follows a slow drag pixel for pixel, both ways; what was
    // pressed at the start lets go without a click, and nothing runs on.
    void dragMovesTheView()
    {
        QFETCH(QString, kind);
        QFETCH(bool, mouse);
        build(kind);
        Scroller &s = m_scroller;
        FingerInput finger(s.widget, mouse);
        finger.press(QPoint(150, 150));
        finger.moveBy(QPoint(0, -120), 6, 100);
        QCOMPARE(s.bar->value(), 120);
        QVERIFY(!s.pressedAnything());
        finger.moveBy(QPoint(0, 40), 2, 100);
        QCOMPARE(s.bar->value(), 80);
        finger.release(200);
        QCOMPARE(s.clicks, 0);
        if (!mouse)
            return; // a finger's release is fast by the real clock and may flick on
        QCOMPARE(s.bar->value(), 80);
        QCOMPARE(s.group->state(), QAbstractAnimation::Stopped);
        QVERIFY(!m_main->isAnimating());
        if (kind == QLatin1String("web")) {
            // The page follows, and the link pressed at the start is not followed.
            auto *web = static_cast<TWebViewScroll *>(s.widget);
            QCOMPARE(web->mainFrame()->scrollPosition().y(), 80);
            QVERIFY(web->webView()->isDragged());
            QVERIFY(!web->webView()->url().hasFragment());
            // A tap does follow it.
            finger.tap(QPoint(150, 100));
            QTRY_VERIFY_WITH_TIMEOUT(web->webView()->url().hasFragment(), 10000);
            return;
        }

        // Dragging past the end stops at the end.
        finger.press(QPoint(150, 150));
        finger.moveBy(QPoint(0, 190), 5, 100);
        QCOMPARE(s.bar->value(), 0);
        finger.release(200);
    }

    void tapsStillClick_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("mouse");
        QTest::addColumn<QPoint>("wander");
        QTest::addColumn<bool>("twice");
        QTest::addColumn<int>("clicks");
        for (const char *kind : {"list", "area"}) {
            const QString k = QString::fromLatin1(kind);
            QTest::newRow(qPrintable(k + " wanders 20 px")) << k << false << QPoint(20, -20) << false << 1;
            QTest::newRow(qPrintable(k + " wanders 21 px")) << k << false << QPoint(0, 21) << false << 0;
            QTest::newRow(qPrintable(k + " double tap by finger")) << k << false << QPoint(0, 0) << true << 2;
            QTest::newRow(qPrintable(k + " double click")) << k << true << QPoint(0, 0) << true << 2;
        }
    }
    void tapsStillClick()
    {
        QFETCH(QString, kind);
        QFETCH(bool, mouse);
        QFETCH(QPoint, wander);
        QFETCH(bool, twice);
        QFETCH(int, clicks);
        build(kind);
        Scroller &s = m_scroller;
        FingerInput finger(s.widget, mouse);
        finger.press(QPoint(150, 75));
        if (!wander.isNull())
            finger.moveBy(wander, 2, 100);
        finger.release(200);
        if (twice)
            finger.tap(QPoint(150, 75), true);
        QCOMPARE(s.clicks, clicks);
        QVERIFY(!s.pressedAnything());
        // A wander inside the slop scrolls nothing.
        if (clicks > 0)
            QCOMPARE(s.bar->value(), 0);
    }

    void pressDuringFlickOnlyStopsIt_data() { addKinds(); }
    void pressDuringFlickOnlyStopsIt()
    {
        QFETCH(QString, kind);
        build(kind);
        Scroller &s = m_scroller;
        flick();
        QCOMPARE(s.group->state(), QAbstractAnimation::Running);
        QVERIFY(m_main->isAnimating());
        // The flick runs a page (view height - 50) on from where the drag left it.
        QTRY_VERIFY_WITH_TIMEOUT(s.bar->value() > 100, 10000);

        FingerInput finger(s.widget, false);
        finger.press(QPoint(150, 75));
        QCOMPARE(s.group->state(), QAbstractAnimation::Stopped);
        QVERIFY(!m_main->isAnimating());
        QVERIFY(!s.pressedAnything());
        const int stoppedAt = s.bar->value();
        finger.release();
        QCOMPARE(s.clicks, 0);
        QCOMPARE(s.bar->value(), stoppedAt);
    }

    void flickRunsAPageOn_data() { addKinds(); }
    void flickRunsAPageOn()
    {
        QFETCH(QString, kind);
        build(kind);
        Scroller &s = m_scroller;
        flick();
        QTRY_COMPARE_WITH_TIMEOUT(s.group->state(), QAbstractAnimation::Stopped, 10000);
        // The page is the height of the scrolled view less 50.
        QCOMPARE(s.bar->value(), 100 + s.animated->height() - 50);
        QVERIFY(!m_main->isAnimating());
        QCOMPARE(s.clicks, 0);
    }

    void scrollEndsWithTheView_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("how");
        for (const char *kind : {"list", "area", "web"})
            for (const char *how : {"screen change", "hide", "instant end"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(kind, how)))
                    << QString::fromLatin1(kind) << QString::fromLatin1(how);
    }
    // A running scroll ends where it is when its view goes or the main window
    // finishes its animations at once, and leaves the registry.
    void scrollEndsWithTheView()
    {
        QFETCH(QString, kind);
        QFETCH(QString, how);
        build(kind);
        Scroller &s = m_scroller;
        QSignalSpy forced(m_main, &TMainWindow::instantAnimationCompletion);
        flick();
        QCOMPARE(s.group->state(), QAbstractAnimation::Running);
        QCOMPARE(m_main->animatingCount(), 1);
        if (how == QLatin1String("screen change")) {
            m_main->showNewScreen(m_other);
            QCOMPARE(forced.count(), 1);
        } else if (how == QLatin1String("hide")) {
            s.widget->hide();
        } else {
            m_main->forceAnimationCompletion();
        }
        QCOMPARE(s.group->state(), QAbstractAnimation::Stopped);
        QVERIFY(s.bar->value() < 250);
        QTRY_VERIFY_WITH_TIMEOUT(!m_main->isAnimating(), 10000);
        if (how == QLatin1String("screen change"))
            QVERIFY(!s.widget->isVisible());
    }
};

ZEL_GUI_TEST_MAIN(TestTouchScrolling)
#include "tst_touchscrolling.moc"
