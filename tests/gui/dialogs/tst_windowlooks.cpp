#include "guiapp.h"
#include "guitestsupport.h"
#include "tabstractcfgwindow.h"
#include "tbuttonbar.h"
#include "tcfgfield.h"
#include "tcfgfielditem.h"
#include "tmainwindow.h"
#include "tmessagewindow.h"
#include "toption.h"
#include "toptionbutton.h"
#include "toptionmenuwindow.h"
#include "tpasswordreqwindow.h"
#include "tstylesheet.h"
#include "tsubwindowview.h"

#include <QDir>
#include <QLabel>
#include <QVBoxLayout>
#include <QtTest>

// Grabs the main window with pop-ups open, by day and by night. Set
// ZEL_GUI_SHOTS to a folder to keep the pictures for a look.
class TestWindowLooks : public QObject
{
    Q_OBJECT
private:
    QImage grabWith(int mode, const std::function<void(TMainWindow *, QWidget *)> &open, const QString &name)
    {
        TStyleSheet::instance()->setMode(mode);
        TMainWindow main(nullptr, QStringLiteral("MainWindowView"), false);
        main.resize(800, 600);
        auto *host = new QWidget(&main);
        host->setGeometry(0, 0, 800, 600);
        main.show();
        if (!QTest::qWaitForWindowExposed(&main))
            return QImage();
        open(&main, host);
        const bool settled = QTest::qWaitFor([&] { return !main.isAnimating(); }, 5000);
        QTest::qWait(50);
        const QImage image = settled ? main.grab().toImage() : QImage();
        const QString dir = qEnvironmentVariable("ZEL_GUI_SHOTS");
        if (!dir.isEmpty())
            image.save(QDir(dir).filePath(name + (mode ? QStringLiteral("_night.png") : QStringLiteral("_day.png"))));
        for (TWindowView *view : main.openViews())
            view->close();
        QTest::qWait(10);
        qDeleteAll(TOptionMenuWindow::freeWindows());
        TOptionMenuWindow::freeWindows().clear();
        TSubWindowView::freeViews().clear();
        TStyleSheet::instance()->setMode(0);
        return image;
    }

    static int colourCount(const QImage &image, const QRect &area)
    {
        QSet<QRgb> colours;
        for (int y = area.top(); y <= area.bottom(); y += 3)
            for (int x = area.left(); x <= area.right(); x += 3)
                colours.insert(image.pixel(x, y));
        return colours.size();
    }

private slots:
    void looks_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("message") << 0;
        QTest::newRow("password") << 1;
        QTest::newRow("menu") << 2;
    }
    void looks()
    {
        QFETCH(int, which);
        auto open = [which](TMainWindow *, QWidget *host) {
            if (which == 0) {
                TMessageWindow::yesNoQuestion(QStringLiteral("Overwrite the existing file?"),
                                              QStringLiteral("The file report.txt exists already."), host, nullptr,
                                              nullptr, nullptr)
                    ->setTimeStamp(QDateTime::currentDateTimeUtc());
            } else if (which == 1) {
                auto *field = new TCfgField(QStringLiteral("Battery"), QStringLiteral("zkgui_settings_power_battery"), host, true);
                auto *row = new TCfgFieldItem(QStringLiteral("Capacity"), field, 0, -1);
                row->setIconName(QStringLiteral("12 Ah"));
                field->addDataWidget(row);
                field->setGeometry(20, 20, 360, 160);
                field->show();
                field->showPasswordReqWindow();
            } else {
                auto *root = new TOption(QStringLiteral("Options"), host, nullptr);
                root->setHeading(QStringLiteral("Choose"));
                for (const char *text : {"Store", "Reload", "Remove"})
                    root->addOption(new TOption(QString::fromLatin1(text), QStringLiteral("zkgui_option_ok"), root, nullptr));
                auto *bar = new TButtonBar(host, false);
                bar->setGeometry(0, 542, 800, 58);
                bar->addOption(root, 0, Qt::AlignLeft)->setDirection(0);
                bar->addOption(new TOption(QStringLiteral("Close"), QStringLiteral("zkgui_option_cancel"), host, nullptr));
                bar->show();
                bar->findChild<TOptionButton *>()->click();
            }
        };
        const QImage day = grabWith(0, open, QString::fromLatin1(QTest::currentDataTag()));
        const QImage night = grabWith(1, open, QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(!day.isNull() && !night.isNull());
        QVERIFY(day != night);
        // Something more than a plain fill where the pop-up lies.
        const QRect middle(200, 150, 400, 300);
        QVERIFY(colourCount(day, middle) > 8);
        QVERIFY(colourCount(night, middle) > 8);
    }
};

ZEL_GUI_TEST_MAIN(TestWindowLooks)
#include "tst_windowlooks.moc"
