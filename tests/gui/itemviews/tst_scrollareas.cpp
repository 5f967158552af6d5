#include "guiapp.h"
#include "guitestsupport.h"
#include "tfadeboarder.h"
#include "tscrollwidget.h"
#include "tverticalscrollarea.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

namespace {
// Counts its paints.
class CountingFade : public TFadeBoarder
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        ++paints;
        TFadeBoarder::paintEvent(event);
    }
};
} // namespace

class TestScrollAreas : public QObject
{
    Q_OBJECT
private slots:
    void fadeRepaintsOnlyOnChange()
    {
        CountingFade fade;
        fade.resize(100, 100);
        fade.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fade));
        QVERIFY(fade.testAttribute(Qt::WA_TransparentForMouseEvents));
        QVERIFY(fade.isTopFadeVisible() && fade.isBottomFadeVisible());
        QTRY_VERIFY(fade.paints > 0);
        QTest::qWait(20);
        fade.paints = 0;
        fade.setTopFadeVisible(true); // unchanged
        QTest::qWait(30);
        QCOMPARE(fade.paints, 0);
        fade.setTopFadeVisible(false);
        fade.setTopFadeVisible(false);
        QTRY_COMPARE(fade.paints, 1);
        QTest::qWait(30);
        QCOMPARE(fade.paints, 1);

        // Only the bottom image is drawn now.
        const QImage image = fade.grab().toImage();
        QCOMPARE(image.pixelColor(50, 1), fade.grab().toImage().pixelColor(50, 50));
        QVERIFY(image.pixelColor(50, 98) != image.pixelColor(50, 50));
    }

    void fadesFollowTheScrollBar()
    {
        TVerticalScrollArea area;
        auto *content = new TScrollWidget;
        content->setMinimumHeight(600);
        area.setWidget(content);
        area.setWidgetResizable(true);
        area.resize(300, 200);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QCOMPARE(content->objectName(), QStringLiteral("opaqueWidget"));
        QCOMPARE(area.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(area.fadeBoarder()->geometry(), area.contentsRect());
        QScrollBar *bar = area.verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        TFadeBoarder *fade = area.fadeBoarder();
        QVERIFY(!fade->isTopFadeVisible());
        QVERIFY(fade->isBottomFadeVisible());
        bar->setValue(bar->maximum() / 2);
        QVERIFY(fade->isTopFadeVisible() && fade->isBottomFadeVisible());
        bar->setValue(bar->maximum());
        QVERIFY(fade->isTopFadeVisible());
        QVERIFY(!fade->isBottomFadeVisible());
        // Content that fits: neither fade.
        content->setMinimumHeight(50);
        QTRY_COMPARE(bar->maximum(), 0);
        QVERIFY(!fade->isTopFadeVisible());
        QVERIFY(!fade->isBottomFadeVisible());
        QVERIFY(content->maximumWidth() <= area.viewport()->width());
    }

    void scrollWidgetReportsWidthOnly()
    {
        TScrollWidget widget;
        widget.resize(400, 300);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QSignalSpy spy(&widget, &TScrollWidget::widthChanged);
        widget.resize(400, 500);
        QCOMPARE(spy.count(), 0);
        widget.resize(420, 500);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 420);
    }
};

ZEL_GUI_TEST_MAIN(TestScrollAreas)
#include "tst_scrollareas.moc"
