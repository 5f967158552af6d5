// One row of the device list: its painted texts, service marks with their
// tooltips, the hiding of its images and the shared state icon position.
#include "apptest_app1setup.h"
#include "tactivitywidget.h"
#include "toption.h"
#include "zeldevicelistitem.h"

#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

class TestZelDeviceListItem : public QObject
{
    Q_OBJECT
private slots:
    void textsAreElidedAndValuesFollowLabels();
    void marksHaveTooltipsByCell();
    void imagesHideAndShow();
    void stateIconCyclesThroughFourPlaces();
};

void TestZelDeviceListItem::textsAreElidedAndValuesFollowLabels()
{
    ZelDeviceListItem row(QStringLiteral("i_device_4320_button_100x100"));
    row.resize(300, 110);
    const QString longName = QString(60, QLatin1Char('W'));
    row.setTexts(longName, QStringLiteral("Software version"), QStringLiteral("01.07"), QStringLiteral("Status"),
                 QStringLiteral("OK"));
    row.grab();
    QVERIFY(row.shownName().endsWith(QChar(0x2026)));
    QVERIFY(row.shownName().size() < longName.size());
    QCOMPARE(row.firstValueStart(), row.firstLabelEnd() + 5);
    QCOMPARE(row.height(), 110);
}

void TestZelDeviceListItem::marksHaveTooltipsByCell()
{
    ZelDeviceListItem row(QStringLiteral("i_device_4320_button_100x100"));
    row.resize(400, 110);
    row.setServiceMarks({{QStringLiteral("i_service_sw_update_21"), QStringLiteral("New software available")},
                         {QStringLiteral("i_service_live_log_21_active"), QStringLiteral("Logging on")}});
    row.show();
    QVERIFY(QTest::qWaitForWindowExposed(&row));
    row.grab();
    const QRect cell = row.marksCell();
    QCOMPARE(cell.size(), QSize(21, 21));
    QCOMPARE(cell.left(), 106);
    QCOMPARE(row.markTextAt(cell.center()), QStringLiteral("New software available"));
    QCOMPARE(row.markTextAt(cell.center() + QPoint(23, 0)), QStringLiteral("Logging on"));
    QCOMPARE(row.markTextAt(cell.center() + QPoint(46, 0)), QString());

    QHelpEvent help(QEvent::ToolTip, cell.center() + QPoint(23, 0), row.mapToGlobal(cell.center() + QPoint(23, 0)));
    QVERIFY(QCoreApplication::sendEvent(&row, &help));
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("Logging on"));
}

void TestZelDeviceListItem::imagesHideAndShow()
{
    ZelDeviceListItem row(QStringLiteral("i_device_4320_button_100x100"));
    row.show();
    row.setStateIcon(QStringLiteral("zel_state_icon_small_ok"), false);
    row.setImagesVisible(false);
    QVERIFY(!row.stateIcon()->isVisible());
    QCOMPARE(row.option()->iconName(), QString());
    row.setImagesVisible(true);
    QVERIFY(row.stateIcon()->isVisible());
    QCOMPARE(row.option()->iconName(), QStringLiteral("i_device_4320_button_100x100"));
}

void TestZelDeviceListItem::stateIconCyclesThroughFourPlaces()
{
    ZelDeviceListItem first(QStringLiteral("a"));
    ZelDeviceListItem second(QStringLiteral("b"));
    const QList<QPoint> places = {QPoint(0, 35), QPoint(0, 70), QPoint(70, 70), QPoint(0, 0)};
    for (const QPoint &place : places) {
        ZelDeviceListItem::cycleStateIconPosition({&first, &second});
        QCOMPARE(first.stateIcon()->geometry(), QRect(place, QSize(40, 40)));
        QCOMPARE(second.stateIcon()->geometry(), QRect(place, QSize(40, 40)));
    }
    ZelDeviceListItem::cycleStateIconPosition({&first});
    ZelDeviceListItem later(QStringLiteral("c"));
    QCOMPARE(later.stateIcon()->pos(), QPoint(0, 35));
    for (int i = 0; i < 3; ++i)
        ZelDeviceListItem::cycleStateIconPosition({});
}

APP1_TEST_MAIN(TestZelDeviceListItem)
#include "tst_zeldevicelistitem.moc"
