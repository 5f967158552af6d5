#include "guiapp.h"
#include "guitestsupport.h"
#include "ticonbutton.h"
#include "ticonwidget.h"
#include "toption.h"
#include "toptionbutton.h"
#include "tstatusdescription.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QTimeLine>
#include <QtTest>

class TestIcons : public QObject
{
    Q_OBJECT
private slots:
    void iconPlacement_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QSize>("widget");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QRect>("placed");
        QTest::newRow("centred") << QSize(20, 10) << QSize(100, 50) << int(Qt::AlignCenter) << QRect(40, 20, 20, 10);
        QTest::newRow("right, bottom") << QSize(20, 10) << QSize(100, 50) << int(Qt::AlignRight | Qt::AlignBottom) << QRect(80, 40, 20, 10);
        QTest::newRow("left, top") << QSize(20, 10) << QSize(100, 50) << int(Qt::AlignLeft | Qt::AlignTop) << QRect(0, 0, 20, 10);
        QTest::newRow("justify, wide image in a square") << QSize(40, 20) << QSize(100, 100) << int(Qt::AlignJustify | Qt::AlignVCenter) << QRect(0, 25, 100, 50);
        QTest::newRow("justify, very flat widget") << QSize(40, 20) << QSize(100, 20) << int(Qt::AlignJustify) << QRect(30, 0, 40, 20);
    }
    void iconPlacement()
    {
        QFETCH(QSize, image);
        QFETCH(QSize, widget);
        QFETCH(int, alignment);
        QFETCH(QRect, placed);
        QCOMPARE(TIconWidget::imageRect(image, widget, Qt::Alignment(alignment)), placed);
    }

    // fadeHide on a hidden button and fadeShow on a visible one do nothing; a
    // finished fade-out leaves the button hidden at full opacity.
    void iconButtonFades()
    {
        QWidget host;
        auto *button = new TIconButton(QStringLiteral("Keys"), QStringLiteral("zkgui_keyboard"), &host);
        QVERIFY(button->minimumWidth() >= 58 && button->minimumHeight() >= 58);
        button->hide();
        button->fadeHide();
        QCOMPARE(button->fadeTimeLine()->state(), QTimeLine::NotRunning);
        host.show();
        button->show();
        button->fadeShow();
        QCOMPARE(button->fadeTimeLine()->state(), QTimeLine::NotRunning);
        button->fadeHide();
        QCOMPARE(button->fadeTimeLine()->state(), QTimeLine::Running);
        QVERIFY(QTest::qWaitFor([&] { return button->isHidden(); }, 3000));
        QVERIFY(QTest::qWaitFor([&] { return button->fadeTimeLine()->state() == QTimeLine::NotRunning; }, 3000));
        QCOMPARE(button->opacity(), 1.0);
        button->show();
        QCOMPARE(button->opacity(), 1.0);
        // A fade-out turned round half way becomes a fade-in from there.
        button->fadeHide();
        QVERIFY(QTest::qWaitFor([&] { return button->opacity() < 0.8; }, 3000));
        button->fadeShow();
        QCOMPARE(button->fadeTimeLine()->direction(), QTimeLine::Forward);
        QVERIFY(QTest::qWaitFor([&] { return button->fadeTimeLine()->state() == QTimeLine::NotRunning; }, 3000));
        QVERIFY(button->isVisible());
    }

    void statusPanel()
    {
        TStatusDescription panel(7, QStringLiteral("Data not available"), nullptr, QString(), true);
        QCOMPARE(TStatusDescription::symbolName(panel.status()), QStringLiteral("zkgui_status_info"));
        QCOMPARE(TStatusDescription::symbolName(2), QStringLiteral("zkgui_status_error"));
        QCOMPARE(panel.headingLabel()->objectName(), QStringLiteral("headingLarge"));
        QVERIFY(!panel.descriptionLabel());
        panel.setDescription(QStringLiteral("Later"));
        QPointer<QLabel> first = panel.descriptionLabel();
        QCOMPARE(first->objectName(), QStringLiteral("descriptionLarge"));
        panel.setDescription(QString());
        QVERIFY(!panel.descriptionLabel());
        panel.setDescription(QStringLiteral("Again"));
        QVERIFY(panel.descriptionLabel());
        QCOMPARE(panel.descriptionLabel()->text(), QStringLiteral("Again"));
        QVERIFY(QTest::qWaitFor([&] { return !first; }, 1000)); // the old label went
    }

    // Arrow keys: the one pointing where the menu opens opens it; the others
    // are left to the parent on press.
    void optionButtonKeys_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("withMenu");
        QTest::addColumn<bool>("pressAccepted");
        QTest::newRow("menu up, Down") << 0 << int(Qt::Key_Down) << true << false;
        QTest::newRow("menu up, Up") << 0 << int(Qt::Key_Up) << true << true;
        QTest::newRow("menu right, Right") << 3 << int(Qt::Key_Right) << true << true;
        QTest::newRow("menu right, Left") << 3 << int(Qt::Key_Left) << true << false;
        QTest::newRow("no menu, Up") << 0 << int(Qt::Key_Up) << false << false;
        QTest::newRow("no menu, Return") << 0 << int(Qt::Key_Return) << false << true;
    }
    void optionButtonKeys()
    {
        QFETCH(int, direction);
        QFETCH(int, key);
        QFETCH(bool, withMenu);
        QFETCH(bool, pressAccepted);
        TOption option(QStringLiteral("Menu"), nullptr, nullptr);
        if (withMenu)
            option.addOption(new TOption(QStringLiteral("child"), &option, nullptr));
        TOptionButton button(&option, nullptr);
        button.setDirection(direction);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        press.setAccepted(false);
        QCoreApplication::sendEvent(&button, &press);
        QCOMPARE(press.isAccepted(), pressAccepted);
        QCOMPARE(button.isDown(), pressAccepted);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&button, &release);
        QVERIFY(!button.isDown());
    }
};

ZEL_GUI_TEST_MAIN(TestIcons)
#include "tst_icons.moc"
