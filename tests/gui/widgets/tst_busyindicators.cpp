#include "guiapp.h"
#include "guitestsupport.h"
#include "tactivityanimator.h"
#include "tactivitywidget.h"
#include "tbusywidget.h"

#include <QElapsedTimer>
#include <QPropertyAnimation>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>


class TestBusyIndicators : public QObject
{
    Q_OBJECT
private slots:
    // clearAfter: ms after setBusy when clearBusy is called (-1 never, -2 close() instead).
    void busyOverlay_data()
    {
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("clearAfter");
        QTest::addColumn<int>("reason");
        QTest::addColumn<int>("notBefore"); // ms; coarse timers may fire up to 5 % early
        QTest::addColumn<bool>("arrowDrawn");
        QTest::newRow("time-out counts from setBusy") << 1000 << -1 << 1 << 900 << true;
        QTest::newRow("short time-out: never before 450 ms") << 200 << -1 << 1 << 400 << true;
        QTest::newRow("no time-out, cleared later") << 0 << 700 << 2 << 650 << true;
        QTest::newRow("cleared within 50 ms: no arrow") << 0 << 0 << 2 << 0 << false;
        QTest::newRow("cleared while the arrow shows: held 400 ms") << 5000 << 150 << 2 << 400 << true;
        QTest::newRow("closed from outside") << 5000 << -2 << 3 << 0 << false;
    }
    void busyOverlay()
    {
        QFETCH(int, timeout);
        QFETCH(int, clearAfter);
        QFETCH(int, reason);
        QFETCH(int, notBefore);
        QFETCH(bool, arrowDrawn);
        QWidget window;
        window.resize(400, 300);
        window.show();
        auto *busy = new TBusyWidget(&window);
        busy->setAttribute(Qt::WA_DeleteOnClose);
        busy->setGeometry(window.rect());
        QSignalSpy ended(busy, &TBusyWidget::busyEnded);
        QSignalSpy destroyed(busy, &QObject::destroyed);
        bool arrowSeen = false;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] { arrowSeen = arrowSeen || (ended.isEmpty() && busy->arrowShown()); });
        probe.start(10);
        QElapsedTimer clock;
        clock.start();
        busy->setBusy(QStringLiteral("zkgui_tools"), QStringLiteral("Working"), timeout);
        QCOMPARE(busy->state(), int(TBusyWidget::Waiting));
        if (clearAfter == 0)
            busy->clearBusy();
        else if (clearAfter == -2)
            busy->close();
        else if (clearAfter > 0)
            QTimer::singleShot(clearAfter, busy, &TBusyWidget::clearBusy);
        QVERIFY(ended.count() == 1 || ended.wait(10000));
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(ended.count(), 1);
        QCOMPARE(int(ended.at(0).at(0).value<TBusyWidget::EndReason>()), reason);
        QVERIFY2(elapsed >= notBefore, qPrintable(QString::number(elapsed)));
        QCOMPARE(arrowSeen, arrowDrawn);
        QVERIFY(destroyed.count() == 1 || destroyed.wait(2000));
    }

    void clearInIdleStateDoesNothing()
    {
        TBusyWidget busy;
        QSignalSpy ended(&busy, &TBusyWidget::busyEnded);
        busy.clearBusy();
        QCOMPARE(ended.count(), 0);
        QCOMPARE(busy.state(), int(TBusyWidget::Idle));
    }

    void spinnersTurnTogether()
    {
        TActivityAnimator *animator = TActivityAnimator::instance();
        QWidget host;
        auto *first = new TActivityWidget(28, &host);
        auto *second = new TActivityWidget(10, &host);
        QCOMPARE(first->size(), QSize(56, 56));
        host.show();
        first->setActive(true);
        second->setActive(true);
        QCOMPARE(animator->registeredCount(), 2);
        QCOMPARE(animator->animation()->state(), QAbstractAnimation::Running);
        QTest::qWait(200);
        first->setActive(false);
        second->setActive(false);
        QCOMPARE(animator->animation()->state(), QAbstractAnimation::Paused);
        const qreal pausedAngle = animator->angle();
        QVERIFY(pausedAngle < 360.0 && pausedAngle > 0.0);
        QTest::qWait(100);
        QCOMPARE(animator->angle(), pausedAngle);
        // Activated again, it goes on from the paused angle.
        second->setActive(true);
        QCOMPARE(animator->animation()->state(), QAbstractAnimation::Running);
        QVERIFY(qAbs(animator->angle() - pausedAngle) < 30.0);
        second->setActive(false);
    }

    void hiddenSpinnerCostsNothing()
    {
        TActivityAnimator *animator = TActivityAnimator::instance();
        QWidget host;
        auto *spinner = new TActivityWidget(20, &host);
        const int before = animator->registeredCount();
        spinner->setActive(true);
        QCOMPARE(animator->registeredCount(), before);
        host.show();
        QCOMPARE(animator->registeredCount(), before + 1);
        host.hide();
        QCOMPARE(animator->registeredCount(), before);
        host.show();
        delete spinner;
        QCOMPARE(animator->registeredCount(), before);
    }
};

ZEL_GUI_TEST_MAIN(TestBusyIndicators)

#include "tst_busyindicators.moc"
