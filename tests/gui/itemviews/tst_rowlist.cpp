#include "guiapp.h"
#include "guitestsupport.h"
#include "tabstractlistitemdetailwidget.h"
#include "tabstractsubwindow.h"
#include "tbuttonbar.h"
#include "tlistcolumndesc.h"
#include "tlistitem.h"
#include "tlistitemview.h"
#include "tlistview.h"
#include "tlistwidget.h"
#include "tmainwindow.h"
#include "toption.h"
#include "tstylesheet.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(TListItem *)

namespace {

// Details that show the item's first text under the header row.
class NameDetails : public TAbstractListItemDetailWidget
{
public:
    explicit NameDetails(TListWidget *list)
        : TAbstractListItemDetailWidget(list)
    {
        label = new QLabel(this);
        contentLayout()->addWidget(label);
        connect(this, &TAbstractListItemDetailWidget::setDetails, this,
                [this](TListItem *item) { label->setText(item ? item->texts().value(0) : QString()); });
    }
    QLabel *label;
};

} // namespace

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

    // The empty-list text shows centred one third down, also under the
    // shipped style sheet, whose backgrounds cover the list widget itself.
    void emptyListText_data()
    {
        QTest::addColumn<bool>("styled");
        QTest::newRow("plain") << false;
        QTest::newRow("shipped style sheet") << true;
    }
    void emptyListText()
    {
        QFETCH(bool, styled);
        makeList(0);
        if (styled) {
            QVERIFY(!TStyleSheet::instance()->getStyleSheet().isEmpty());
            m_list->setStyleSheet(TStyleSheet::instance()->getStyleSheet());
        }
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

    // Tab and the arrows in an empty check list leave it to its parent and
    // read no item.
    void emptyCheckListPassesTab()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *list = new TListWidget(&window, 1, 9);
        list->addColumn(new TListColumnDesc(4, 58, 58, 0));
        list->addColumn(new TListColumnDesc(2, 320, 400, 5));
        list->setCheckable(true);
        layout->addWidget(list);
        auto *after = new QLineEdit(&window);
        layout->addWidget(after);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        list->setFocus(Qt::TabFocusReason);
        QVERIFY(list->hasFocus());
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(list, &down);
        QVERIFY(!down.isAccepted());
        QTest::keyClick(list, Qt::Key_Tab);
        QTRY_VERIFY(after->hasFocus());
        QCOMPARE(list->currentItem(), nullptr);
    }

    // A text column can be right-aligned: its text then ends at the column's right edge.
    void rightAlignedColumn()
    {
        m_list = new TListWidget(nullptr, 1, 9);
        auto *text = new TListColumnDesc(2, 250, 250, 5);
        text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(text->alignment(), 130);
        m_list->addColumn(text);
        m_list->addItem(new TListItem(1, QStringLiteral("IIII"), m_list));
        m_list->resize(600, 58);
        m_list->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_list));
        TListItemView *row = rowShowing(m_list->items().first());
        QVERIFY(row);
        const QImage image = row->grab().toImage();
        const QRect column = row->columnRects().first();
        // The push-button background changes only from top to bottom: compare
        // each pixel with the one on its line near the row's right end.
        auto inkIn = [&](int from, int to) {
            for (int x = from; x < to; ++x)
                for (int y = 10; y < image.height() - 10; ++y)
                    if (image.pixelColor(x, y) != image.pixelColor(image.width() - 20, y))
                        return true;
            return false;
        };
        QVERIFY(inkIn(column.center().x(), column.right() - 2));
        QVERIFY(!inkIn(column.left() + 10, column.center().x()));
    }

    // A click on a row of a plain list opens its details page: the ghost
    // grows from the row to the whole page and the list hides; Escape or a
    // click on the header row closes it again.
    void detailsPage()
    {
        TMainWindow main(nullptr, QStringLiteral("MainWindowView"), false);
        makeList(5, 0);
        auto *details = new NameDetails(m_list);
        m_list->setDetailsPage(details);
        QSignalSpy clicked(m_list, &TListWidget::itemClicked);
        TListItem *item = m_list->items().at(2);
        TListItemView *row = rowShowing(item);
        QTest::mouseClick(row, Qt::LeftButton, Qt::NoModifier, row->rect().center());
        QCOMPARE(clicked.count(), 1);
        QVERIFY(m_list->isDetailsPageShown());
        QVERIFY(main.isAnimating());
        QCOMPARE(m_list->detailsGhost()->y(), row->y());
        QCOMPARE(details->rowWidget()->item(), item);
        QVERIFY(details->rowWidget()->hasDetailFlag());
        QCOMPARE(details->label->text(), QStringLiteral("entry 2"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_list->listPage()->isVisible(), 2000);
        QCOMPARE(m_list->detailsGhost()->geometry(), QRect(QPoint(0, 0), m_list->detailsPage()->size()));
        QVERIFY(!main.isAnimating());
        QVERIFY(!m_list->listPage()->isEnabled());

        QKeyEvent escape(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(m_list, &escape);
        QVERIFY(escape.isAccepted());
        QVERIFY(m_list->listPage()->isVisible());
        main.forceAnimationCompletion();
        QVERIFY(!m_list->isDetailsPageShown());
        QVERIFY(!m_list->detailsPage()->isVisible());
        QVERIFY(m_list->listPage()->isEnabled());
        QVERIFY(!main.isAnimating());

        QTest::mouseClick(row, Qt::LeftButton, Qt::NoModifier, row->rect().center());
        main.forceAnimationCompletion();
        QVERIFY(!m_list->listPage()->isVisible());
        TListItemView *header = details->rowWidget();
        QTest::mouseClick(header, Qt::LeftButton, Qt::NoModifier, header->rect().center());
        QVERIFY(!header->hasDetailFlag());
        QTRY_VERIFY_WITH_TIMEOUT(!m_list->isDetailsPageShown(), 2000);
        QVERIFY(m_list->listPage()->isVisible());
        QCOMPARE(clicked.count(), 3);
    }

    // With a details window a click fills the detail widget and shows the
    // window; a click on the window's header row closes it.
    void detailsWindow()
    {
        TMainWindow main(nullptr, QStringLiteral("MainWindowView"), false);
        main.resize(800, 600);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        makeList(3, 0);
        auto *window = new TAbstractSubWindow(2, 0);
        auto *details = new NameDetails(m_list);
        auto *layout = new QVBoxLayout(window);
        layout->addWidget(details);
        m_list->setDetailsWindow(window, details);
        TListItemView *row = rowShowing(m_list->items().at(1));
        QTest::mouseClick(row, Qt::LeftButton, Qt::NoModifier, row->rect().center());
        QTRY_VERIFY_WITH_TIMEOUT(window->isVisible(), 2000);
        QCOMPARE(details->label->text(), QStringLiteral("entry 1"));
        QVERIFY(!m_list->isDetailsPageShown());
        main.forceAnimationCompletion();
        TListItemView *header = details->rowWidget();
        QTest::mouseClick(header, Qt::LeftButton, Qt::NoModifier, header->rect().center());
        QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 2000);
        delete window;
    }

    // A preview follows the current item; an empty selection list hides it.
    void preview_data()
    {
        QTest::addColumn<int>("items");
        QTest::newRow("items") << 3;
        QTest::newRow("empty") << 0;
    }
    void preview()
    {
        QFETCH(int, items);
        makeList(items, 2);
        QWidget container;
        auto *preview = new NameDetails(m_list);
        preview->setParent(&container);
        m_list->setPreview(preview, &container);
        if (items) {
            m_list->setCurrentItem(m_list->items().at(1), false);
            QVERIFY(container.isVisible());
            QCOMPARE(preview->label->text(), QStringLiteral("entry 1"));
            QCOMPARE(preview->rowWidget()->item(), m_list->items().at(1));
            return;
        }
        container.show();
        preview->rowWidget()->setItem(new TListItem(7, QStringLiteral("stale"), m_list));
        m_list->setCurrentItem(nullptr, false);
        QVERIFY(!container.isVisible());
        QCOMPARE(preview->rowWidget()->item(), nullptr);
    }

    // A button bar lies over the bottom of the rows while minimised and takes
    // its own room below them once fully shown.
    void buttonBar()
    {
        makeList(12, 0);
        auto *bar = new TButtonBar(nullptr, true);
        auto *act = new TOption(QStringLiteral("Act"), nullptr, nullptr);
        act->setParent(bar);
        bar->addOption(act);
        bar->setMinimized();
        m_list->setButtonBar(bar);
        QTRY_COMPARE(m_list->rowArea()->height(), m_list->height());
        QCOMPARE(bar->parentWidget(), m_list->listPage());
        QCOMPARE(bar->geometry().bottom(), m_list->listPage()->height() - 1);
        bar->setFullyShown();
        QTRY_COMPARE(m_list->rowArea()->height(), m_list->height() - bar->height());
        QVERIFY(bar->geometry().top() >= m_list->rowArea()->geometry().bottom());
    }
};

ZEL_GUI_TEST_MAIN(TestRowList)
#include "tst_rowlist.moc"
