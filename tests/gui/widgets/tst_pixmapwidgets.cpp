#include "guiapp.h"
#include "guitestsupport.h"
#include "tanimationpixmapwidget.h"
#include "tsubwindowborder.h"

#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QtTest>

namespace {

QPixmap filled(int w, int h, const QColor &colour)
{
    QPixmap pixmap(w, h);
    pixmap.fill(colour);
    return pixmap;
}

// Renders the widget on transparent ground.
QImage paint(QWidget *widget)
{
    QImage image(widget->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

class TestPixmapWidgets : public QObject
{
    Q_OBJECT
private slots:
    void nullPixmapsPaintNothing()
    {
        TAnimationPixmapWidget widget;
        widget.resize(20, 20);
        const QImage image = paint(&widget);
        QCOMPARE(image.pixelColor(10, 10).alpha(), 0);
    }

    // Background red, middle green at (0,0)-(9,9), front blue where asked.
    void layers_data()
    {
        QTest::addColumn<qreal>("middleOpacity");
        QTest::addColumn<qreal>("frontOpacity");
        QTest::addColumn<QRect>("frontGeometry");
        QTest::addColumn<QColor>("atMiddle");     // pixel (5, 5)
        QTest::addColumn<QColor>("atBackground"); // pixel (15, 15)
        const QRect away(20, 20, 5, 5);
        QTest::newRow("all opaque") << 1.0 << 1.0 << away << QColor(Qt::green) << QColor(Qt::red);
        QTest::newRow("middle hidden") << 0.0 << 1.0 << away << QColor(Qt::red) << QColor(Qt::red);
        QTest::newRow("front covers middle") << 1.0 << 1.0 << QRect(0, 0, 12, 12) << QColor(Qt::blue)
                                             << QColor(Qt::red);
        QTest::newRow("half front over middle")
            << 1.0 << 0.5 << QRect(0, 0, 12, 12) << QColor(0, 128, 127) << QColor(Qt::red);
    }
    void layers()
    {
        QFETCH(qreal, middleOpacity);
        QFETCH(qreal, frontOpacity);
        QFETCH(QRect, frontGeometry);
        QFETCH(QColor, atMiddle);
        QFETCH(QColor, atBackground);
        TAnimationPixmapWidget widget;
        widget.resize(30, 30);
        widget.setBackgroundPixmap(filled(30, 30, Qt::red));
        widget.setMiddlePixmap(filled(10, 10, Qt::green));
        QCOMPARE(widget.middelGeometry(), QRect(0, 0, 10, 10));
        widget.setFrontPixmap(filled(4, 4, Qt::blue));
        widget.setFrontGeometry(frontGeometry);
        widget.setMiddelOpacity(middleOpacity);
        widget.setFrontOpacity(frontOpacity);
        const QImage image = paint(&widget);
        const QColor middle = image.pixelColor(5, 5);
        QVERIFY2(qAbs(middle.red() - atMiddle.red()) <= 2 && qAbs(middle.green() - atMiddle.green()) <= 2
                     && qAbs(middle.blue() - atMiddle.blue()) <= 2,
                 qPrintable(middle.name()));
        QCOMPARE(image.pixelColor(15, 15), atBackground);
    }

    // With the middle at opacity 0.5, the background is painted a second time at 0.5.
    void backgroundPaintedTwice()
    {
        TAnimationPixmapWidget widget;
        widget.resize(10, 10);
        QPixmap halfRed(10, 10);
        halfRed.fill(QColor(255, 0, 0, 128));
        widget.setBackgroundPixmap(halfRed);
        widget.setMiddelOpacity(1.0);
        const int once = paint(&widget).pixelColor(5, 5).alpha();
        widget.setMiddelOpacity(0.5);
        const int twice = paint(&widget).pixelColor(5, 5).alpha();
        QVERIFY2(twice > once + 20, qPrintable(QStringLiteral("%1 %2").arg(once).arg(twice)));
    }

    // The frame runs from the window colour inside through the pen colour to transparent outside.
    void borderGradient()
    {
        TSubWindowBorder border;
        border.setStyleSheet(QStringLiteral("background-color: white; color: black;"));
        border.resize(100, 100);
        border.ensurePolished();
        const QImage large = paint(&border);
        QVERIFY(large.pixelColor(50, 23).alpha() > 0);
        QVERIFY(large.pixelColor(50, 2).alpha() < large.pixelColor(50, 23).alpha());
        QCOMPARE(large.pixelColor(50, 50), QColor(Qt::white));
    }

    void distressBlinks()
    {
        TSubWindowBorder border;
        border.setDistress(true);
        QTimer *timer = border.blinkTimer();
        QVERIFY(timer);
        border.setDistress(true);
        QCOMPARE(border.blinkTimer(), timer);
        QCOMPARE(border.findChildren<QTimer *>().size(), 1);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 500);
        QVERIFY(border.blinkPhase());
        QCOMPARE(border.middleStop(), 0.6);
        border.distressTimeout();
        QVERIFY(!border.blinkPhase());
        QCOMPARE(border.middleStop(), 0.25);
        // The blink phase paints the band red.
        border.resize(100, 100);
        border.distressTimeout();
        const QImage red = paint(&border);
        const QColor band = red.pixelColor(50, 10);
        QVERIFY2(band.red() > 100 && band.green() < 60, qPrintable(band.name(QColor::HexArgb)));
        border.setDistress(false);
        QVERIFY(!timer->isActive());
        QCOMPARE(border.middleStop(), 0.25);
    }
};

ZEL_GUI_TEST_MAIN(TestPixmapWidgets)

#include "tst_pixmapwidgets.moc"
