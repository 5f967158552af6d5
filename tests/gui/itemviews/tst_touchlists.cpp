#include "guiapp.h"
#include "guitestsupport.h"
#include "tabstracttouchlist.h"
#include "tabstracttouchlistitem.h"
#include "tcolumnstouchlist.h"
#include "tcolumnstouchlistitem.h"
#include "tstylesheet.h"
#include "ttouchlistcolumndesc.h"
#include "ttouchlistview.h"
#include "ttouchlistwidget.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A row of a fixed height that records what is painted.
class Row : public TAbstractTouchListItem
{
public:
    Row(TAbstractTouchList *list, int id, int h = 50, bool selectable = true, bool pressable = true)
        : TAbstractTouchListItem(list, id, selectable, pressable)
        , m_height(h)
    {
    }
    int height() override { return m_height; }
    void paint(TTouchListPaintContext *context, const QRect &rowRect, const QPalette &) override
    {
        context->painter->fillRect(rowRect.adjusted(1, 1, -1, -1), m_pressed ? Qt::darkGray : Qt::lightGray);
    }
    int m_height;
};

TAbstractTouchList *makeList(int count, int height = 50, int focusMode = 1)
{
    auto *list = new TAbstractTouchList(nullptr, focusMode);
    for (int i = 0; i < count; ++i)
        list->addItem(new Row(list, i, height));
    return list;
}

QKeyEvent key(QEvent::Type type, int k, bool autoRepeat = false)
{
    return QKeyEvent(type, k, Qt::NoModifier, QString(), autoRepeat);
}

} // namespace

class TestTouchLists : public QObject
{
    Q_OBJECT
private:
    TTouchListWidget *m_widget = nullptr;
    TTouchListView *view() const { return m_widget->view(); }
    QScrollBar *bar() const { return m_widget->verticalScrollBar(); }

    void showList(TAbstractTouchList *list, QSize size = QSize(300, 200))
    {
        m_widget = new TTouchListWidget;
        m_widget->resize(size);
        m_widget->setList(list);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget));
        m_widget->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_widget));
    }

private slots:
    void cleanup()
    {
        delete m_widget;
        m_widget = nullptr;
    }

    void modelSignalsAndTrackedItem()
    {
        TAbstractTouchList list(nullptr, 1);
        auto *a = new Row(&list, 1), *b = new Row(&list, 2), *c = new Row(&list, 3), *d = new Row(&list, 4);
        QSignalSpy updated(&list, &TAbstractTouchList::updated);
        list.addItems({a, b, c, d});
        QCOMPARE(updated.count(), 1);
        QCOMPARE(list.totalHeight(), 200);

        list.setTrackedItem(b);
        QPointer<TAbstractTouchListItem> gone(a);
        list.removeItem(a);
        QVERIFY(gone.isNull());
        QCOMPARE(list.trackedItem(), b);
        updated.clear();
        list.removeItems({b, c, nullptr});
        QCOMPARE(updated.count(), 1);
        QCOMPARE(list.trackedItem(), nullptr);
        QCOMPARE(list.items(), QList<TAbstractTouchListItem *>{d});
    }

    void rowStates()
    {
        TAbstractTouchList list(nullptr, 1);
        auto *plain = new Row(&list, 7, 50, false, true);
        auto *row = new Row(&list, 8);
        list.addItems({plain, row});
        QSignalSpy updated(&list, &TAbstractTouchList::updated);
        QSignalSpy clicked(&list, SIGNAL(itemClicked(int, QPoint)));

        QVERIFY(!plain->select());
        QCOMPARE(updated.count(), 0);
        QVERIFY(row->select());
        QCOMPARE(updated.count(), 1);
        QVERIFY(row->select()); // already selected: true, silent
        QCOMPARE(updated.count(), 1);

        auto spacePress = key(QEvent::KeyPress, Qt::Key_Space);
        auto spaceRepeat = key(QEvent::KeyPress, Qt::Key_Space, true);
        QVERIFY(row->keyPress(&spacePress));
        QCOMPARE(updated.count(), 2);
        QVERIFY(row->keyPress(&spaceRepeat));
        QCOMPARE(updated.count(), 2);
        auto releaseRepeat = key(QEvent::KeyRelease, Qt::Key_Space, true);
        QVERIFY(!row->keyRelease(&releaseRepeat, QPoint()));
        auto release = key(QEvent::KeyRelease, Qt::Key_Space);
        QVERIFY(row->keyRelease(&release, QPoint(3, 4)));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.at(0).at(1).toPoint(), QPoint(3, 4));

        QVERIFY(row->press(QPoint(), QRect()));
        row->release(false, QPoint());
        QVERIFY(!row->isPressed());
        QCOMPARE(clicked.count(), 1);

        row->setEnabled(false);
        QVERIFY(!row->press(QPoint(), QRect()));
    }

    void itemClickedReachesBothForms()
    {
        TAbstractTouchList list(nullptr, 1);
        QSignalSpy withPoint(&list, SIGNAL(itemClicked(int, QPoint)));
        QSignalSpy idOnly(&list, SIGNAL(itemClicked(int)));
        emit list.itemClicked(5);
        emit list.itemClicked(6, QPoint(1, 2));
        QCOMPARE(withPoint.count(), 2);
        QCOMPARE(withPoint.at(0).at(1).toPoint(), QPoint(0, 0));
        QCOMPARE(idOnly.count(), 2);
        QCOMPARE(idOnly.at(1).at(0).toInt(), 6);
    }

    void scrollRangeFollowsRows()
    {
        showList(makeList(3)); // 150 px in a 200 px view
        QCOMPARE(bar()->maximum(), 0);
        QCOMPARE(m_widget->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        view()->list()->addItem(new Row(view()->list(), 3, 120));
        QCOMPARE(bar()->maximum(), 70);
        QCOMPARE(m_widget->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        QCOMPARE(bar()->pageStep(), 150);
        QCOMPARE(bar()->singleStep(), 50);
    }

    void viewWithoutList()
    {
        m_widget = new TTouchListWidget;
        m_widget->resize(200, 100);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget));
        QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        view()->handleTouchListUpdated();
        QCOMPARE(bar()->maximum(), 0);
        const QImage image = m_widget->grab().toImage();
        QCOMPARE(image.pixelColor(100, 50), m_widget->palette().color(QPalette::Window));
    }

    void tapSlop_data()
    {
        QTest::addColumn<QPoint>("move");
        QTest::addColumn<bool>("clicks");
        QTest::newRow("still") << QPoint(0, 0) << true;
        QTest::newRow("20 down") << QPoint(0, 20) << true;
        QTest::newRow("20 left") << QPoint(-20, 0) << true;
        QTest::newRow("21 down") << QPoint(0, 21) << false;
        QTest::newRow("21 right") << QPoint(21, 5) << false;
    }
    void tapSlop()
    {
        QFETCH(QPoint, move);
        QFETCH(bool, clicks);
        showList(makeList(6));
        QSignalSpy clicked(view()->list(), SIGNAL(itemClicked(int)));
        const QPoint start(100, 75); // row 1
        QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, start);
        QVERIFY(view()->list()->items().at(1)->isPressed());
        QMouseEvent moveEvent(QEvent::MouseMove, start + move, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view(), &moveEvent);
        QCOMPARE(view()->list()->items().at(1)->isPressed(), clicks);
        QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, start + move);
        QCOMPARE(clicked.count(), clicks ? 1 : 0);
        if (clicks)
            QCOMPARE(clicked.at(0).at(0).toInt(), 1);
        QVERIFY(!view()->list()->items().at(1)->isPressed());
    }

    // A receiver of itemClicked may remove the clicked row at once.
    void clickedRowRemovedByReceiver()
    {
        showList(makeList(3));
        TAbstractTouchList *list = view()->list();
        QPointer<TAbstractTouchListItem> row(list->items().at(1));
        connect(list, QOverload<int, QPoint>::of(&TAbstractTouchList::itemClicked), list,
                [list](int id) { list->removeItem(list->items().at(id)); });
        QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 75));
        QVERIFY(row.isNull());
        QCOMPARE(list->count(), 2);
        QCOMPARE(view()->pressedRow(), nullptr);
        // The same through the keyboard.
        view()->clearFocus();
        view()->setFocus(Qt::TabFocusReason);
        QCOMPARE(view()->selectedRow(), list->items().at(0));
        QTest::keyClick(view(), Qt::Key_Space);
        QCOMPARE(list->count(), 1);
        QCOMPARE(view()->selectedRow(), nullptr);
    }

    void tabWalk_data()
    {
        QTest::addColumn<int>("focusMode");
        QTest::addColumn<bool>("staysInList");
        QTest::addColumn<int>("selectedAfter");
        QTest::newRow("mode 2 leaves") << 2 << false << 2;
        QTest::newRow("mode 3 wraps") << 3 << true << 0;
    }
    void tabWalk()
    {
        QFETCH(int, focusMode);
        QFETCH(bool, staysInList);
        QFETCH(int, selectedAfter);
        auto *list = makeList(3, 50, focusMode);
        showList(list);
        view()->clearFocus();
        view()->setFocus(Qt::TabFocusReason);
        QCOMPARE(view()->selectedRow(), list->items().at(0));
        QTest::keyClick(view(), Qt::Key_Tab);
        QTest::keyClick(view(), Qt::Key_Tab);
        QCOMPARE(view()->selectedRow(), list->items().at(2));
        // Tab on the last row.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(view(), &tab);
        QCOMPARE(tab.isAccepted(), staysInList);
        QCOMPARE(view()->selectedRow(), list->items().at(selectedAfter));
        QVERIFY(list->items().at(selectedAfter)->isSelected());
    }

    void pageDownMovesSelectionAPage()
    {
        auto *list = makeList(12); // 50 px rows, 200 px view: four rows per page
        showList(list);
        view()->clearFocus();
        view()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(view(), Qt::Key_Down);
        QTest::keyClick(view(), Qt::Key_Down);
        QTest::keyClick(view(), Qt::Key_Down);
        QCOMPARE(view()->selectedRow(), list->items().at(3)); // last fully visible row
        QTest::keyClick(view(), Qt::Key_PageDown);
        QCOMPARE(view()->selectedRow(), list->items().at(7));
        QVERIFY(!list->items().at(3)->isSelected());
        QCOMPARE(view()->itemRect(list->items().at(7)).bottom() < view()->height(), true);
        QCOMPARE(bar()->value(), 215); // 15 px margin below row 7
        QTest::keyClick(view(), Qt::Key_PageUp);
        QCOMPARE(view()->selectedRow(), list->items().at(5)); // first row fully in view
    }

    void trackedRowFollowedUntilUserScrolls()
    {
        auto *list = makeList(4);
        showList(list);
        auto *last = static_cast<Row *>(list->items().last());
        list->setTrackedItem(last);
        last->m_height = 120; // grows past the bottom
        list->emitUpdated();
        QVERIFY(view()->itemRect(last).bottom() < view()->height());
        QCOMPARE(list->trackedItem(), last);
        QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(list->trackedItem(), nullptr);
        const int value = bar()->value();
        last->m_height = 300;
        list->emitUpdated();
        QCOMPARE(bar()->value(), value);
    }

    void fadesDrawnAtScrollableEdges()
    {
        showList(makeList(8));
        auto fadeAt = [this](int y) {
            const QImage image = m_widget->grab().toImage();
            return image.pixelColor(150, y) != QColor(Qt::lightGray);
        };
        QVERIFY(!fadeAt(2));
        QVERIFY(fadeAt(197));
        bar()->setValue(bar()->maximum());
        QVERIFY(fadeAt(2));
        QVERIFY(!fadeAt(197));
    }

    void columnRects_data()
    {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QList<int>>("maxWidths");
        QTest::addColumn<int>("rowWidth");
        QTest::addColumn<QList<int>>("expected"); // left, width pairs
        QTest::newRow("spare room in order") << QList<int>{100, 100, 100} << QList<int>{150, 100, 300} << 500
                                            << QList<int>{0, 150, 150, 100, 250, 250};
        QTest::newRow("exact fit") << QList<int>{100, 100} << QList<int>{200, 200} << 202
                                   << QList<int>{0, 102, 102, 100};
        QTest::newRow("cut at the right") << QList<int>{100, 100} << QList<int>{100, 100} << 150
                                          << QList<int>{0, 100, 100, 50};
    }
    void columnRects()
    {
        QFETCH(QList<int>, widths);
        QFETCH(QList<int>, maxWidths);
        QFETCH(int, rowWidth);
        QFETCH(QList<int>, expected);
        TColumnsTouchList list;
        for (int i = 0; i < widths.size(); ++i)
            list.addColumn(new TTouchListColumnDesc(0, widths[i], maxWidths[i], 1));
        const QVector<QRect> rects = list.columnRects(QRect(0, 0, rowWidth, 58));
        QCOMPARE(rects.size(), widths.size());
        for (int i = 0; i < rects.size(); ++i) {
            QCOMPARE(rects[i].left(), expected[2 * i]);
            QCOMPARE(rects[i].width(), expected[2 * i + 1]);
            QCOMPARE(rects[i].height(), 58);
        }
        QCOMPARE(list.totalWidth(), 101 * widths.size());
    }

    void columnTextsAndFonts()
    {
        auto *list = new TColumnsTouchList;
        auto *first = new TTouchListColumnDesc(0, 60, 60, 0);
        auto *second = new TTouchListColumnDesc(0, 60, 60, 0);
        first->setFontType(4);
        QCOMPARE(first->font().pointSize(), 10);
        list->addColumn(first);
        list->addColumn(second);
        auto *row = new TColumnsTouchListItem(list, 1, QStringLiteral("A"), QString(), QStringLiteral("C"));
        auto *empty = new TColumnsTouchListItem(list, 2, QStringLiteral(""), QStringLiteral("B"));
        auto *wide = new TColumnsTouchListItem(list, 3, QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWW"));
        auto *narrow = new TColumnsTouchListItem(list, 4, QStringLiteral("W"));
        QCOMPARE(row->texts(), (QStringList{"A", "C"}));
        QCOMPARE(empty->texts(), (QStringList{"", "B"}));
        QCOMPARE(row->height(), 58);
        list->addItems({row, empty, wide, narrow});
        showList(list, QSize(120, 240));
        // The wide text is cut with an ellipsis inside its 60 px column: nothing is painted past it.
        const QImage image = m_widget->grab().toImage();
        QVERIFY(!image.isNull());
        // Its second column looks as that of a row with a short text only.
        const QImage wideSecond = image.copy(QRect(61, 2 * 58 + 2, 56, 54));
        const QImage shortSecond = image.copy(QRect(61, 3 * 58 + 2, 56, 54));
        QVERIFY2(wideSecond == shortSecond, "the wide text runs into the second column");

        // A change of style sheet keeps the font each column was given.
        emit TStyleSheet::instance()->styleSheetChanged(QString());
        QCOMPARE(first->font().pointSize(), 10);
        QCOMPARE(first->font().family(), QApplication::font("default mono").family());
        QCOMPARE(second->font().pointSize(), 18);
        QCOMPARE(second->font().family(), QApplication::font("default normal").family());
    }
};

ZEL_GUI_TEST_MAIN(TestTouchLists)
#include "tst_touchlists.moc"
