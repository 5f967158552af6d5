// The link test's result tree under a finger: rows and marks big enough to
// touch, the result column in view however long the other texts, and a tap
// on a step opening or closing it.
#include "zelresulttree.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QtTest>

class TestResultTree : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_tree = new ZelResultTree;
        m_tree->setColumnCount(3);
        m_tree->setHeaderLabels({QStringLiteral("Test"), QStringLiteral("Parameters"), QStringLiteral("Result")});
        for (int s = 0; s < 3; ++s) {
            auto *step = new QTreeWidgetItem(m_tree, {QStringLiteral("Step %1 with a name much longer than its column").arg(s)});
            for (int c = 0; c < 3; ++c)
                new QTreeWidgetItem(step, {QStringLiteral("check %1").arg(c),
                                           QString(80, QLatin1Char('p')), QStringLiteral("OK")});
        }
        m_tree->resize(600, 500);
        m_tree->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_tree));
    }
    void cleanup() { delete m_tree; }

    void rowsFitAFinger()
    {
        QTreeWidgetItem *step = m_tree->topLevelItem(0);
        step->setExpanded(true);
        for (QTreeWidgetItem *item : {step, step->child(0)})
            QVERIFY2(m_tree->visualItemRect(item).height() >= ZelResultTree::RowHeight,
                     qPrintable(QString::number(m_tree->visualItemRect(item).height())));
        QVERIFY(m_tree->indentation() >= ZelResultTree::MarkSize);
    }

    void resultColumnStaysInView_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("wide") << 760;
        QTest::newRow("narrow") << 360;
    }
    void resultColumnStaysInView()
    {
        QFETCH(int, width);
        m_tree->topLevelItem(0)->setExpanded(true);
        m_tree->resize(width, 500);
        QVERIFY(QTest::qWaitFor([&] { return m_tree->viewport()->width() < width; }, 2000));
        QHeaderView *header = m_tree->header();
        m_tree->horizontalScrollBar()->setValue(m_tree->horizontalScrollBar()->maximum());
        QCOMPARE(m_tree->horizontalScrollBar()->maximum(), 0);
        QVERIFY(header->sectionSize(2) >= header->sectionSizeHint(2));
        QCOMPARE(header->sectionViewportPosition(2) + header->sectionSize(2), m_tree->viewport()->width());
    }

    // s: a tap; d: a double tap (press, release, double click, release).
    void taps_data()
    {
        QTest::addColumn<QString>("taps");
        QTest::addColumn<bool>("onChild");
        QTest::addColumn<bool>("expanded");
        QTest::newRow("a tap opens") << "s" << false << true;
        QTest::newRow("a second tap closes") << "ss" << false << false;
        QTest::newRow("a double tap opens") << "d" << false << true;
        QTest::newRow("double tap, then a tap closes") << "ds" << false << false;
        QTest::newRow("a tap on a result row leaves its step open") << "s" << true << true;
    }
    void taps()
    {
        QFETCH(QString, taps);
        QFETCH(bool, onChild);
        QFETCH(bool, expanded);
        QTreeWidgetItem *step = m_tree->topLevelItem(1);
        QTreeWidgetItem *target = step;
        if (onChild) {
            step->setExpanded(true);
            target = step->child(1);
        }
        QWidget *viewport = m_tree->viewport();
        const QPoint at = m_tree->visualItemRect(target).center();
        auto send = [&](QEvent::Type type) {
            QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &event);
        };
        for (const QChar tap : taps) {
            send(QEvent::MouseButtonPress);
            send(QEvent::MouseButtonRelease);
            if (tap == QLatin1Char('d')) {
                send(QEvent::MouseButtonDblClick);
                send(QEvent::MouseButtonRelease);
            }
        }
        QCOMPARE(step->isExpanded(), expanded);
    }

private:
    ZelResultTree *m_tree = nullptr;
};

QTEST_MAIN(TestResultTree)
#include "tst_resulttree.moc"
