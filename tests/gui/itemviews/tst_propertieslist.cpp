#include "guiapp.h"
#include "guitestsupport.h"
#include "tpropertiestouchlist.h"
#include "tpropertiestouchlistitem.h"
#include "tstylesheet.h"
#include "ttouchlistview.h"
#include "ttouchlistwidget.h"

#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

class TestPropertiesList : public QObject
{
    Q_OBJECT
private:
    TTouchListWidget *m_widget = nullptr;

private slots:
    void cleanup()
    {
        delete m_widget;
        m_widget = nullptr;
    }

    void columnWidths_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("listWidth");
        QTest::addColumn<int>("name");
        QTest::addColumn<int>("value");
        QTest::newRow("300") << 300 << 300 << 145 << 145;
        QTest::newRow("150 raised to 210") << 150 << 210 << 100 << 100;
        QTest::newRow("610") << 610 << 610 << 300 << 300;
    }
    void columnWidths()
    {
        QFETCH(int, width);
        QFETCH(int, listWidth);
        QFETCH(int, name);
        QFETCH(int, value);
        TPropertiesTouchList list;
        list.setWidth(width);
        QCOMPARE(list.listWidth(), listWidth);
        QCOMPARE(list.nameColumnWidth(), name);
        QCOMPARE(list.valueColumnWidth(), value);
    }

    void fixedNameColumn()
    {
        TPropertiesTouchList list;
        list.setWidth(400);
        list.setNameColumnWidth(80);
        QCOMPARE(list.nameColumnWidth(), 100);
        QCOMPARE(list.valueColumnWidth(), 290);
        list.setWidth(600);
        QCOMPARE(list.nameColumnWidth(), 100);
        QCOMPARE(list.valueColumnWidth(), 490);
    }

    void rowsAndHeights()
    {
        TPropertiesTouchList list;
        list.setWidth(400);
        auto *group = new TPropertiesTouchListItem(&list, 1, QStringLiteral("Network"), false);
        group->setProperty(0, QStringLiteral("Address"), QString());
        group->setProperty(3, QStringLiteral("Mask"), QStringLiteral("255.0.0.0"));
        QCOMPARE(group->rows().size(), 4);
        group->setProperty(-1, QStringLiteral("bad"), QStringLiteral("row")); // ignored
        group->setPropertyName(-2, QStringLiteral("bad"));
        QCOMPARE(group->rows().size(), 4);
        QCOMPARE(group->rows().at(0).displayText(), QStringLiteral("-"));
        QVERIFY(group->rows().at(0).height >= list.propertyValueMetrics().height()); // the "-" keeps its line
        QCOMPARE(group->rows().at(1).height, 0);
        QVERIFY(!group->rows().at(1).hasValue);
        group->setPropertyName(1, QStringLiteral("Gateway"));
        QCOMPARE(group->rows().at(1).displayText(), QStringLiteral("Update pending"));
        const int line = list.propertyValueMetrics().lineSpacing() + 2;
        QCOMPARE(group->rows().at(1).height, line);
        int sum = 0;
        for (const auto &row : group->rows())
            sum += row.height;
        QCOMPARE(group->fullRowsHeight(), sum);
        QCOMPARE(group->height(), 20 + list.groupHeadingMetrics().lineSpacing() + sum);

        // A long value wraps in the value column and makes its row higher.
        group->setProperty(2, QStringLiteral("Text"), QStringLiteral("word ").repeated(40));
        QVERIFY(group->rows().at(2).height > 2 * line);

        auto *collapsed = new TPropertiesTouchListItem(&list, 2, QStringLiteral("Details"), true);
        collapsed->setProperty(0, QStringLiteral("a"), QStringLiteral("b"));
        QVERIFY(collapsed->isCollapsed());
        QCOMPARE(collapsed->height(), 20 + list.groupHeadingMetrics().lineSpacing() + 10);

        // Opened at once, a collapsed group measures its wrapped values like an animated opening.
        collapsed->setProperty(1, QStringLiteral("long"), QStringLiteral("word ").repeated(40));
        QCOMPARE(collapsed->rows().at(1).height, line);
        QSignalSpy updated(&list, &TAbstractTouchList::updated);
        collapsed->setCollapsed(false, false);
        QCOMPARE(updated.count(), 0);
        QCOMPARE(collapsed->visableFactor(), 1.0);
        QVERIFY(collapsed->rows().at(1).height > 2 * line);
    }

    void tapOpensAndClosesGroup()
    {
        auto *list = new TPropertiesTouchList;
        QVector<TPropertiesTouchListItem *> groups;
        for (int g = 0; g < 3; ++g) {
            auto *group = new TPropertiesTouchListItem(list, g, QStringLiteral("Group %1").arg(g), g == 2);
            for (int r = 0; r < 8; ++r)
                group->setProperty(r, QStringLiteral("name %1").arg(r), QStringLiteral("value %1").arg(r));
            groups << group;
        }
        list->addItems({groups[0], groups[1], groups[2]});
        m_widget = new TTouchListWidget;
        m_widget->resize(500, 300);
        m_widget->setList(list);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget));
        TTouchListView *view = m_widget->view();
        QScrollBar *bar = m_widget->verticalScrollBar();
        bar->setValue(bar->maximum());
        TPropertiesTouchListItem *last = groups[2];
        const int closedHeight = last->height();
        QRect rowRect = view->itemRect(last);

        // The heading area: right-aligned heading followed by the expand image.
        const int headingWidth = list->groupHeadingMetrics().horizontalAdvance(last->heading());
        const QPoint onHeading(rowRect.left() + list->nameColumnWidth() - headingWidth / 2, rowRect.top() + 5);
        QCOMPARE(last->toolTipText(onHeading, rowRect), QStringLiteral("Show properties"));
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(rowRect.right() - 5, rowRect.top() + 5));
        QVERIFY(last->isCollapsed()); // a press elsewhere does nothing
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, onHeading);
        QVERIFY(!last->isCollapsed());
        QVERIFY(last->isAnimating());
        QCOMPARE(list->trackedItem(), last);
        QTRY_VERIFY_WITH_TIMEOUT(!last->isAnimating(), 3000);
        QCOMPARE(last->visableFactor(), 1.0);
        QVERIFY(last->height() > closedHeight);
        // The view followed the growing group to its end.
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(view->itemRect(last).bottom() < view->height() + 1);

        rowRect = view->itemRect(last);
        const QPoint onHeadingNow(onHeading.x(), rowRect.top() + 5);
        QCOMPARE(last->toolTipText(onHeadingNow, rowRect), QStringLiteral("hide properties"));

        // A right click on a value copies it (the third row lies below the expand image).
        const int valueX = list->nameColumnWidth() + list->columnGap() + 3;
        const int valueY = rowRect.top() + 10 + list->groupHeadingMetrics().lineSpacing() + last->rows().at(0).height
                           + last->rows().at(1).height + 3;
        QCOMPARE(last->toolTipText(QPoint(valueX, valueY), rowRect),
                 QStringLiteral("Right-click to copy\nvalue to clipboard"));
        QTest::mousePress(view, Qt::RightButton, Qt::NoModifier, QPoint(valueX, valueY));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("value 2"));

        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, onHeadingNow);
        QVERIFY(last->isCollapsed());
        QTRY_VERIFY_WITH_TIMEOUT(!last->isAnimating(), 3000);
        QCOMPARE(last->height(), closedHeight);
    }

    void userScrollEndsFollowing()
    {
        auto *list = new TPropertiesTouchList;
        auto *top = new TPropertiesTouchListItem(list, 0, QStringLiteral("Top"), false);
        for (int r = 0; r < 10; ++r)
            top->setProperty(r, QStringLiteral("n"), QStringLiteral("v"));
        auto *group = new TPropertiesTouchListItem(list, 1, QStringLiteral("Grows"), true);
        for (int r = 0; r < 30; ++r)
            group->setProperty(r, QStringLiteral("n"), QStringLiteral("v"));
        list->addItems({top, group});
        m_widget = new TTouchListWidget;
        m_widget->resize(400, 250);
        m_widget->setList(list);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget));
        group->setCollapsed(false, true);
        QTest::qWait(100);
        QVERIFY(group->isAnimating());
        // A wheel turn ends the following; the group grows below the view's edge.
        QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_widget->view(), &wheel);
        QCOMPARE(list->trackedItem(), nullptr);
        const int value = m_widget->verticalScrollBar()->value();
        QTRY_VERIFY_WITH_TIMEOUT(!group->isAnimating(), 3000);
        QCOMPARE(m_widget->verticalScrollBar()->value(), value);
        QVERIFY(m_widget->view()->itemRect(group).bottom() > m_widget->view()->height());
    }
};

ZEL_GUI_TEST_MAIN(TestPropertiesList)
#include "tst_propertieslist.moc"
