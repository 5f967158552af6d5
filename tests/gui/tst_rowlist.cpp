#include "guiapp.h"
#include "guitestsupport.h"
#include "tlistcolumndesc.h"
#include "tlistitem.h"
#include "tlistitemview.h"
#include "tlistview.h"
#include "tlistwidget.h"
#include "tmainwindow.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(TListItem *)

class TestRowList : public QObject
{
    Q_OBJECT
private:
    TListWidget *m_list = nullptr;

    // A shown check list like the configuration windows make: check box and text, 9 rows high.
    void makeList(int items, int mode = 1)
    {
        m_list = new TListWidget(nullptr, mode, 9);
        m_list->addColumn(new TListColumnDesc(4, 58, 58, 0));
        m_list->addColumn(new TListColumnDesc(2, 320, 400, 5));
        for (int i = 0; i < items; ++i)
            m_list->addItem(new TListItem(100 + i, QStringLiteral("entry %1").arg(i), m_list));
        m_list->resize(600, 9 * 58);
        m_list->show();
        m_list->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_list));
    }
    TListItemView *rowShowing(TListItem *item) const
    {
        for (TListItemView *row : m_list->rowWidgets())
            if (row->item() == item)
                return row;
        return nullptr;
    }

private slots:
    void init() { qRegisterMetaType<TListItem *>(); }
    void cleanup()
    {
        delete m_list;
        m_list = nullptr;
    }

    void columnLayout_data()
    {
        QTest::addColumn<QList<int>>("columns"); // type, min, max, margin per column
        QTest::addColumn<int>("rowWidth");
        QTest::addColumn<QList<int>>("expected"); // left, right per column
        QTest::newRow("check box and text") << QList<int>{4, 58, 58, 0, 2, 320, 400, 5} << 800
                                            << QList<int>{-1, 56, 61, 460};
        QTest::newRow("spare width in order") << QList<int>{2, 100, 150, 0, 2, 100, 300, 0} << 300
                                              << QList<int>{-1, 148, 148, 299};
        QTest::newRow("overflow cuts") << QList<int>{2, 300, 400, 0, 2, 300, 400, 5, 2, 100, 100, 5} << 400
                                       << QList<int>{-1, 298, 303, 399, 404, 399};
        QTest::newRow("type 5 without widgets hidden") << QList<int>{5, 58, 58, 0, 2, 100, 100, 5} << 300
                                                       << QList<int>{-1, -1, 4, 103};
        QTest::newRow("check box raised to 58") << QList<int>{4, 40, 40, 0} << 100 << QList<int>{-1, 56};
        QTest::newRow("max raised to min") << QList<int>{2, 300, 200, 0} << 400 << QList<int>{-1, 298};
    }
    void columnLayout()
    {
        QFETCH(QList<int>, columns);
        QFETCH(int, rowWidth);
        QFETCH(QList<int>, expected);
        QList<TListColumnDesc *> descs;
        QObject owner;
        for (int i = 0; i < columns.size(); i += 4)
            descs << new TListColumnDesc(columns[i], columns[i + 1], columns[i + 2], columns[i + 3], &owner);
        const QVector<QRect> rects = TListColumnDesc::layout(descs, QRect(0, 0, rowWidth, 58), false, false);
        QCOMPARE(rects.size(), descs.size());
        for (int i = 0; i < rects.size(); ++i) {
            QCOMPARE(rects[i].left(), expected[2 * i]);
            QCOMPARE(rects[i].right(), expected[2 * i + 1]);
        }
    }

    void columnDefaults()
    {
        TListColumnDesc check(4, 40, 40, 0);
        QCOMPARE(check.minWidth(), 58);
        QCOMPARE(check.maxWidth(), 58);
        QCOMPARE(check.alignment(), 129);
        QCOMPARE(check.visibility(), 2);
        QVERIFY(!check.isShown(false, false) == false);
        TListColumnDesc text(2, 300, 200, 5);
        QCOMPARE(text.maxWidth(), 300);
    }

    void itemCheckSignals()
    {
        TListWidget list(nullptr, 1, 3);
        auto *item = new TListItem(7, QStringLiteral("seven"), &list);
        list.addItem(item);
        QSignalSpy updated(item, &TListItem::updated);
        QSignalSpy toggled(&list, &TListWidget::itemToggled);
        item->setChecked(false);
        QCOMPARE(updated.count(), 0);
        QCOMPARE(toggled.count(), 0);
        item->setChecked(true);
        QCOMPARE(updated.count(), 1);
        QCOMPARE(toggled.count(), 1);
        QCOMPARE(list.findItem(7), item);
        QCOMPARE(list.findItem(8), nullptr);
        item->setEnabled(false);
        QVERIFY(item->isCheckInvalid());
    }

    void scrollBarRange_data()
    {
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("maximum");
        QTest::newRow("12 items") << 12 << true << 3;
        QTest::newRow("9 items") << 9 << false << 0;
        QTest::newRow("none") << 0 << false << 0;
    }
    void scrollBarRange()
    {
        QFETCH(int, items);
        QFETCH(bool, shown);
        QFETCH(int, maximum);
        makeList(items);
        QCOMPARE(m_list->visibleRows(), 9);
        QCOMPARE(m_list->scrollBar()->isVisible(), shown);
        QCOMPARE(m_list->scrollBar()->maximum(), maximum);
        QCOMPARE(m_list->scrollBar()->pageStep(), 9);
        QVERIFY(m_list->rowWidgets().size() >= 11); // the rows that fit plus two
    }

    void scrollingSlidesAndRebinds()
    {
        TMainWindow main(nullptr, QStringLiteral("MainWindowView"), false);
        makeList(12);
        m_list->scrollBar()->setValue(3);
        QVERIFY(m_list->isSliding());
        QVERIFY(main.isAnimating());
        QTRY_VERIFY_WITH_TIMEOUT(!m_list->isSliding(), 2000);
        QVERIFY(!main.isAnimating());
        QCOMPARE(m_list->offset(), -174);
        QCOMPARE(m_list->topIndex(), 3);
        const auto rows = m_list->rowWidgets();
        for (int j = 0; j < rows.size(); ++j) {
            QCOMPARE(rows[j]->y(), 58 * j);
            QCOMPARE(rows[j]->item(), m_list->items().value(3 + j));
        }

        // Wheel: 120 moves three rows towards the start, never past the first item.
        QWheelEvent up(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_list->rowArea(), &up);
        QCOMPARE(m_list->scrollBar()->value(), 0);
        QWheelEvent down(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_list->rowArea(), &down);
        QCOMPARE(m_list->scrollBar()->value(), 3);
        m_list->instantAnimationEnd();
        QCOMPARE(m_list->offset(), -174);
        QVERIFY(!main.isAnimating());
    }

    void checkPressAndDrag()
    {
        makeList(3);
        m_list->setCheckable(true);
        QSignalSpy toggled(m_list, &TListWidget::itemToggled);
        QSignalSpy checks(m_list, &TListWidget::itemsCheckUpdate);
        TListItem *item = m_list->items().at(1);
        TListItemView *row = rowShowing(item);
        const QPoint text(200, 29);
        QTest::mousePress(row, Qt::LeftButton, Qt::NoModifier, text);
        QCOMPARE(row->pressState(), 3);
        QTest::mouseRelease(row, Qt::LeftButton, Qt::NoModifier, text);
        QVERIFY(item->isChecked());
        QCOMPARE(toggled.count(), 1);
        QCOMPARE(checks.count(), 1);
        QCOMPARE(m_list->currentItem(), item);

        // Dragging out of the row before releasing does nothing.
        QTest::mousePress(row, Qt::LeftButton, Qt::NoModifier, text);
        QMouseEvent out(QEvent::MouseMove, QPoint(200, 80), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(row, &out);
        QCOMPARE(row->pressState(), 4);
        QTest::mouseRelease(row, Qt::LeftButton, Qt::NoModifier, QPoint(200, 80));
        QVERIFY(item->isChecked());
        QCOMPARE(toggled.count(), 1);
        QCOMPARE(row->pressState(), 0);

        // A disabled item refuses the check.
        QSignalSpy invalid(m_list, &TListWidget::checkedItemInvalid);
        item->setEnabled(false);
        m_list->handleViewCheckClicked(row);
        QCOMPARE(invalid.count(), 1);
        QVERIFY(item->isChecked());

        // Unchecking everything by making the list not checkable sends no per-item signal.
        m_list->setCheckable(false);
        QVERIFY(!item->isChecked());
        QCOMPARE(toggled.count(), 1);
        QCOMPARE(checks.count(), 2);
    }

    void keysAtTheEnds()
    {
        makeList(3);
        m_list->setFocus(Qt::TabFocusReason);
        QCOMPARE(m_list->currentItem(), m_list->items().at(0));
        QTRY_VERIFY(rowShowing(m_list->items().at(0))->hasFocus());
        TListItemView *first = rowShowing(m_list->items().at(0));
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(first, &down); // the row leaves it to the list
        QCOMPARE(m_list->currentItem(), m_list->items().at(1));
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QVERIFY(QApplication::sendEvent(first, &tab)); // consumed by the list's filter
        QCOMPARE(m_list->currentItem(), m_list->items().at(2));
        // On the last item Down and Tab are left to the parent.
        QKeyEvent tabAgain(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(rowShowing(m_list->items().at(2)), &tabAgain);
        QCOMPARE(m_list->currentItem(), m_list->items().at(2));
        QKeyEvent downAgain(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        m_list->setFocus();
        QApplication::sendEvent(m_list, &downAgain);
        QVERIFY(!downAgain.isAccepted());
        QCOMPARE(m_list->currentItem(), m_list->items().at(2));
    }

    // Backtab into a check list: the last visible item becomes current, also
    // when the list is too low to show one whole row.
    void backtabFocus_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("expected");
        QTest::newRow("nine rows") << 9 * 58 << 8;
        QTest::newRow("no whole row") << 40 << 0;
    }
    void backtabFocus()
    {
        QFETCH(int, height);
        QFETCH(int, expected);
        makeList(12);
        m_list->resize(600, height);
        QTRY_COMPARE(m_list->visibleRows(), height / 58);
        m_list->clearFocus();
        m_list->setFocus(Qt::BacktabFocusReason);
        QCOMPARE(m_list->currentItem(), m_list->items().at(expected));
    }

    void clearingTheCurrentItem_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("firstBecomesCurrent");
        QTest::newRow("selection list") << 2 << 3 << true;
        QTest::newRow("empty selection list") << 2 << 0 << false;
        QTest::newRow("check list") << 1 << 3 << false;
    }
    void clearingTheCurrentItem()
    {
        QFETCH(int, mode);
        QFETCH(int, items);
        QFETCH(bool, firstBecomesCurrent);
        makeList(items, mode);
        if (items)
            m_list->setCurrentItem(m_list->items().last(), false);
        QSignalSpy selected(m_list, &TListWidget::itemSelected);
        m_list->setCurrentItem(nullptr, false);
        QCOMPARE(selected.count(), 1);
        TListItem *expected = firstBecomesCurrent ? m_list->items().first() : nullptr;
        QCOMPARE(selected.at(0).at(0).value<TListItem *>(), expected);
        QCOMPARE(m_list->currentItem(), expected);
    }

    void emptyListText()
    {
        makeList(0);
        m_list->setEmptyListText(QStringLiteral("XXXXXXXX"));
        const QImage image = m_list->grab().toImage();
        const QColor background = image.pixelColor(2, 2);
        int firstInk = -1;
        for (int y = 0; y < image.height() && firstInk < 0; ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) != background) {
                    firstInk = y;
                    break;
                }
        QVERIFY(firstInk >= image.height() / 3);
        QVERIFY(firstInk < image.height() / 3 + 20);
    }
};

ZEL_GUI_TEST_MAIN(TestRowList)
#include "tst_rowlist.moc"
