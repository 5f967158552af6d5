#include "fingerinput.h"
#include "guiapp.h"
#include "guitestsupport.h"
#include "tflickgesture.h"
#include "tmousedraggesture.h"
#include "tscrollanimation.h"
#include "tviewport.h"

#include <QGestureEvent>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QtTest>

namespace {

// A widget subscribed to the finger gestures, wholly covered by a child, so
// that every stroke reaches it through the child as in a scroll area.
class Recorder : public QWidget
{
public:
    Recorder()
    {
        TViewPort::grabFingerGestures(this);
        auto *child = new QWidget(this);
        child->setGeometry(0, 0, 300, 300);
        resize(300, 300);
    }
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::Gesture)
            return QWidget::event(event);
        auto *gestures = static_cast<QGestureEvent *>(event);
        if (auto *drag = static_cast<TMouseDragGesture *>(gestures->gesture(TViewPort::dragGestureType()))) {
            dragStates << drag->state();
            if (drag->state() == Qt::GestureStarted || drag->state() == Qt::GestureUpdated)
                dragOffset += drag->verticalOffset();
        }
        if (QSwipeGesture *swipe = TViewPort::swipeOf(gestures)) {
            if (swipe->state() == Qt::GestureFinished)
                flicks << swipe->verticalDirection();
        }
        gestures->accept();
        return true;
    }
    QList<Qt::GestureState> dragStates;
    int dragOffset = 0;
    QList<QSwipeGesture::SwipeDirection> flicks;
};

} // namespace

class TestScrollGestures : public QObject
{
    Q_OBJECT
private slots:
    void strokes_data()
    {
        QTest::addColumn<bool>("mouse");
        QTest::addColumn<QPoint>("travel");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("msPerStep");
        QTest::addColumn<int>("restBeforeRelease");
        QTest::addColumn<bool>("drags");
        // QSwipeGesture::SwipeDirection, NoDirection for none; -1 for a
        // finger, whose strokes are fast by the real clock: not checked.
        QTest::addColumn<int>("flick");

        const int none = QSwipeGesture::NoDirection;
        QTest::newRow("tap that wanders 20 px") << true << QPoint(-20, -20) << 4 << 20 << 10 << false << none;
        QTest::newRow("slow drag up") << true << QPoint(0, -120) << 6 << 100 << 10 << true << none;
        QTest::newRow("finger drag up") << false << QPoint(0, -120) << 6 << 100 << 10 << true << -1;
        QTest::newRow("finger tap that wanders 20 px") << false << QPoint(20, 20) << 2 << 20 << 10 << false << none;
        QTest::newRow("flick up moves the view down") << true << QPoint(0, -120) << 6 << 5 << 5 << true
                                                      << int(QSwipeGesture::Down);
        QTest::newRow("flick down") << true << QPoint(0, 150) << 5 << 5 << 5 << true << int(QSwipeGesture::Up);
        QTest::newRow("fast, then rests before release") << true << QPoint(0, -120) << 6 << 5 << 300 << true << none;
        QTest::newRow("fast sideways") << true << QPoint(150, -25) << 5 << 5 << 5 << true << none;
    }
    // Where the drag starts, what it carries, and which strokes flick.
    void strokes()
    {
        QFETCH(bool, mouse);
        QFETCH(QPoint, travel);
        QFETCH(int, steps);
        QFETCH(int, msPerStep);
        QFETCH(int, restBeforeRelease);
        QFETCH(bool, drags);
        QFETCH(int, flick);

        Recorder recorder;
        recorder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&recorder));
        FingerInput finger(recorder.childAt(150, 150), mouse);
        finger.press(QPoint(150, 150));
        finger.moveBy(travel, steps, msPerStep);
        if (drags) {
            QVERIFY(!recorder.dragStates.isEmpty());
            QCOMPARE(recorder.dragStates.first(), Qt::GestureStarted);
            // The drag carries the whole way from the press, slop included.
            QCOMPARE(recorder.dragOffset, -travel.y());
        }
        finger.release(restBeforeRelease);

        QCOMPARE(recorder.dragStates.isEmpty(), !drags);
        if (drags)
            QCOMPARE(recorder.dragStates.last(), Qt::GestureFinished);
        if (flick < 0)
            return;
        QCOMPARE(recorder.flicks.size(), flick == QSwipeGesture::NoDirection ? 0 : 1);
        if (!recorder.flicks.isEmpty())
            QCOMPARE(int(recorder.flicks.first()), flick);
    }

    void swipeRule_data()
    {
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("direction");
        QTest::addColumn<bool>("repeated");
        QTest::addColumn<int>("viewHeight");
        QTest::addColumn<QList<int>>("linear"); // duration, from, to; empty: no scroll
        QTest::addColumn<QList<int>>("ease");

        const int down = QSwipeGesture::Down, up = QSwipeGesture::Up;
        QTest::newRow("a page down") << 0 << 2000 << down << false << 300 << QList<int>{0, 0, 0}
                                     << QList<int>{700, 0, 250};
        QTest::newRow("a page down, cut at the end") << 1900 << 2000 << down << false << 300
                                                     << QList<int>{0, 1900, 1900} << QList<int>{400, 1900, 2000};
        QTest::newRow("repeated down runs to the end") << 100 << 2000 << down << true << 300
                                                       << QList<int>{1400, 100, 1500} << QList<int>{1200, 1500, 2000};
        QTest::newRow("repeated up runs to the start") << 1600 << 2000 << up << true << 300
                                                       << QList<int>{1100, 1600, 500} << QList<int>{1200, 500, 0};
        QTest::newRow("a long page up") << 1500 << 2000 << up << false << 650 << QList<int>{100, 1500, 1400}
                                        << QList<int>{1200, 1400, 900};
        QTest::newRow("down at the end") << 2000 << 2000 << down << false << 300 << QList<int>() << QList<int>();
        QTest::newRow("up at the start") << 0 << 2000 << up << true << 300 << QList<int>() << QList<int>();
        QTest::newRow("sideways") << 500 << 2000 << int(QSwipeGesture::Left) << false << 300 << QList<int>()
                                  << QList<int>();
        QTest::newRow("a view lower than the margin") << 500 << 2000 << down << false << 40 << QList<int>()
                                                      << QList<int>();
    }
    void swipeRule()
    {
        QFETCH(int, pos);
        QFETCH(int, maximum);
        QFETCH(int, direction);
        QFETCH(bool, repeated);
        QFETCH(int, viewHeight);
        QFETCH(QList<int>, linear);
        QFETCH(QList<int>, ease);

        QScrollBar bar(Qt::Vertical);
        bar.setRange(0, maximum);
        bar.setValue(pos);
        TScrollAnimation scroll(&bar, nullptr);
        const bool starts = scroll.prepareSwipe(QSwipeGesture::SwipeDirection(direction), repeated, viewHeight);
        QCOMPARE(starts, !linear.isEmpty());
        if (!starts)
            return;
        auto parts = [](QPropertyAnimation *a) {
            return QList<int>{a->duration(), a->startValue().toInt(), a->endValue().toInt()};
        };
        QCOMPARE(parts(scroll.linearAnimation()), linear);
        QCOMPARE(parts(scroll.easeAnimation()), ease);
        QCOMPARE(scroll.easeAnimation()->easingCurve().type(), QEasingCurve::OutQuad);
        QCOMPARE(scroll.linearAnimation()->easingCurve().type(), QEasingCurve::Linear);
        QCOMPARE(scroll.scrollGroup()->animationAt(0), scroll.linearAnimation());
    }

    // Repeats are swipes in the direction of the one just before (and soon after it).
    void swipeClock()
    {
        TScrollAnimation::SwipeClock clock;
        QVERIFY(!clock.swipe(QSwipeGesture::Down));
        QVERIFY(clock.swipe(QSwipeGesture::Down));
        QVERIFY(!clock.swipe(QSwipeGesture::Up));
        QVERIFY(clock.swipe(QSwipeGesture::Up));
    }
};

ZEL_GUI_TEST_MAIN(TestScrollGestures)
#include "tst_scrollgestures.moc"
