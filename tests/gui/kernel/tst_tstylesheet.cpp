#include "guiapp.h"
#include "guitestsupport.h"
#include "tstylesheet.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
bool globalReadyBeforeApp = false;
QString globalSheetBeforeApp;
}

class TestTStyleSheet : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString root() const { return m_dir.path(); }
    void writeFile(const QString &relative, const QByteArray &content)
    {
        QFile file(root() + QLatin1Char('/') + relative);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void writeImage(const QString &mode, const QString &name, int width)
    {
        QVERIFY(guitest::writePng(root() + QLatin1Char('/') + mode + QLatin1Char('/') + name + QLatin1String(".png"),
                                  width, 10, Qt::red));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QDir(root()).mkpath(QStringLiteral("day"));
        QDir(root()).mkpath(QStringLiteral("night"));
        writeFile(QStringLiteral("day/zkgui_stylesheet.css"), "QWidget { color: black; }\n");
        writeFile(QStringLiteral("night/zkgui_stylesheet.css"), "QWidget { color: red; }\n");
        writeImage(QStringLiteral("day"), QStringLiteral("zkgui_no_image"), 1);
        writeImage(QStringLiteral("night"), QStringLiteral("zkgui_no_image"), 2);
        int width = 10;
        for (const char *suffix : {"", "_normal", "_pressed", "_checked", "_pressed_checked", "_disabled"})
            writeImage(QStringLiteral("day"), QStringLiteral("x") + QLatin1String(suffix), width++);
        writeImage(QStringLiteral("day"), QStringLiteral("z"), 30);
        writeImage(QStringLiteral("night"), QStringLiteral("z"), 31);
    }

    // The global instance is built before main in day mode, with the shipped
    // sheets, and without any pixmap (Qt aborts on a pixmap before the application).
    void globalInstanceBeforeApplication()
    {
        QVERIFY(globalReadyBeforeApp);
        QVERIFY(globalSheetBeforeApp.contains(QLatin1String("WindowArea")));
        QCOMPARE(TStyleSheet::instance()->getMode(), 0);
    }

    void buttonStates_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("width"); // each suffix has its own image width
        QTest::newRow("normal") << 0 << 11;
        QTest::newRow("pressed") << 1 << 12;
        QTest::newRow("checked") << 2 << 13;
        QTest::newRow("pressed and checked") << 3 << 14;
        QTest::newRow("disabled") << 4 << 15;
        QTest::newRow("unknown state: base name") << 7 << 10;
        QTest::newRow("negative state: base name") << -1 << 10;
    }
    void buttonStates()
    {
        QFETCH(int, state);
        QFETCH(int, width);
        TStyleSheet sheet(0, root());
        QCOMPARE(sheet.getButtonPixmap(QStringLiteral("x"), state, false).width(), width);
    }

    void missingImages_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("fallback");
        QTest::addColumn<int>("warnings"); // over two lookups
        // The fallback is cached under the missing name, so only the first lookup reads (and warns).
        QTest::newRow("missing normal, fallback: warns once") << "y_normal" << true << 1;
        QTest::newRow("missing disabled: silent") << "y_disabled" << true << 0;
        QTest::newRow("the quiet antenna image") << "zel_ant_singleAnt_inNone_outNone_normal" << true << 0;
        // A null entry does not count as found: every lookup tries the file again.
        QTest::newRow("no fallback: null, warns each time") << "y_pressed" << false << 2;
        QTest::newRow("empty name: null, silent") << "" << true << 0;
    }
    void missingImages()
    {
        QFETCH(QString, name);
        QFETCH(bool, fallback);
        QFETCH(int, warnings);
        TStyleSheet sheet(0, root());
        guitest::MessageCapture capture;
        for (int i = 0; i < 2; ++i) {
            const QPixmap pixmap = sheet.getPixmap(name, fallback);
            const bool expectFallback = fallback && !name.isEmpty();
            QCOMPARE(pixmap.isNull(), !expectFallback);
            if (expectFallback)
                QCOMPARE(pixmap.width(), 1); // the day fallback image
        }
        QCOMPARE(capture.count(QStringLiteral("Missing image ")), warnings);
        if (warnings)
            QVERIFY(capture.lines().join('\n').contains(root() + QLatin1String("/day/") + name + QLatin1String(".png")));
    }

    // The names asked for in either mode, found or not, so that a test can
    // check each is shipped by day and by night; optional ones are left out.
    void requestedImagesListed()
    {
        TStyleSheet sheet(0, root());
        sheet.getPixmap(QStringLiteral("x_normal"));
        sheet.getPixmap(QStringLiteral("y_normal"), false);
        sheet.getPixmap(QStringLiteral("x_disabled"));
        sheet.getPixmap(QString());
        sheet.setMode(1);
        sheet.getPixmap(QStringLiteral("z"));
        sheet.getPixmap(QStringLiteral("x_normal"));
        QCOMPARE(sheet.requestedImages(), QStringList({"x_normal", "y_normal", "z"}));
    }

    void modesKeepTheirOwnCaches()
    {
        writeImage(QStringLiteral("day"), QStringLiteral("cached"), 40);
        writeImage(QStringLiteral("night"), QStringLiteral("cached"), 41);
        TStyleSheet sheet(0, root());
        QCOMPARE(sheet.getPixmap(QStringLiteral("cached")).width(), 40);
        sheet.setMode(1);
        QCOMPARE(sheet.getPixmap(QStringLiteral("cached")).width(), 41);
        // Back in day mode the cached image is served without reading the file.
        QVERIFY(QFile::remove(root() + QLatin1String("/day/cached.png")));
        sheet.setMode(0);
        QCOMPARE(sheet.getPixmap(QStringLiteral("cached")).width(), 40);
        QCOMPARE(sheet.getPixmap(QStringLiteral("z")).width(), 30);
    }

    void setModeEmitsEvenWhenUnchanged()
    {
        TStyleSheet sheet(0, root());
        QSignalSpy spy(&sheet, SIGNAL(styleSheetChanged(QString)));
        sheet.setMode(0);
        sheet.setMode(1);
        QCOMPARE(spy.count(), 2);
        QVERIFY(spy.at(0).at(0).toString().contains(QLatin1String("black")));
        QVERIFY(spy.at(1).at(0).toString().contains(QLatin1String("red")));
        QCOMPARE(sheet.getMode(), 1);
        QCOMPARE(sheet.getStyleSheet(), spy.at(1).at(0).toString());
    }

    void extensionSheetMissingAtNight()
    {
        writeFile(QStringLiteral("day/ext.css"), "QLabel { color: blue; }\n");
        TStyleSheet sheet(0, root());
        guitest::MessageCapture capture;
        QSignalSpy spy(&sheet, SIGNAL(styleSheetChanged(QString)));
        sheet.addStyleSheet(QStringLiteral("ext.css"));
        QCOMPARE(spy.count(), 0);
        QCOMPARE(capture.count(QStringLiteral("Missing style sheet ")), 1);
        QVERIFY(sheet.getStyleSheet().endsWith(QLatin1String("QLabel { color: blue; }\n")));
        QVERIFY(sheet.getStyleSheet().startsWith(QLatin1String("QWidget { color: black; }")));
        sheet.setMode(1);
        QCOMPARE(sheet.getStyleSheet(), QStringLiteral("QWidget { color: red; }\n"));
    }

    void openFourVariant()
    {
        writeFile(QStringLiteral("day/fonts.css"),
                  "A { font-family: \"Droid Sans\"; }\nB { font-family: \"Droid Sans Mono\"; }\n"
                  "C { font-family: Droid Sans; }\n");
        TStyleSheet sheet(0, root());
        QString normal = QStringLiteral("first;");
        QString variant = QStringLiteral("first;");
        sheet.loadStyleSheet(root() + QLatin1String("/day/fonts.css"), normal, variant);
        QVERIFY(normal.startsWith(QLatin1String("first;A { font-family: \"Droid Sans\"; }")));
        QVERIFY(normal.contains(QLatin1String("\"Droid Sans Mono\";")));
        QVERIFY(variant.contains(QLatin1String("A { font-family: \"Droid Sans Open Four\"; }")));
        QVERIFY(variant.contains(QLatin1String("B { font-family: \"Droid Sans Mono Open Four\"; }")));
        QVERIFY(variant.contains(QLatin1String("C { font-family: Droid Sans; }")));
        // A missing file leaves both texts alone.
        sheet.loadStyleSheet(root() + QLatin1String("/day/none.css"), normal, variant);
        QVERIFY(normal.endsWith(QLatin1String("C { font-family: Droid Sans; }\n")));
    }

    // The shipped res folder has every image the framework asks for, by day and by night.
    void shippedImages_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"zkgui_no_image", "zkgui_busy_arrow", "zkgui_help_normal", "zkgui_close_cross_normal",
                                 "zkgui_close_cross_pressed", "zkgui_fade_border_top_20", "zkgui_fade_border_bottom_20",
                                 "zkgui_device_msgterminal", "zkgui_device_usb", "zkgui_device_sdcard",
                                 "zkgui_checkbox_pressed_checked", "zkgui_option_ok_disabled"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void shippedImages()
    {
        QFETCH(QString, name);
        TStyleSheet sheet(0);
        QVERIFY(!sheet.getPixmap(name, false).isNull());
        sheet.setMode(1);
        QVERIFY(!sheet.getPixmap(name, false).isNull());
        QVERIFY(sheet.getStyleSheet().contains(QLatin1String("WindowArea")));
    }
};

int main(int argc, char **argv)
{
    globalReadyBeforeApp = TStyleSheet::instance() != nullptr;
    globalSheetBeforeApp = TStyleSheet::instance()->getStyleSheet();
    GuiApp app(argc, argv);
    TestTStyleSheet test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tstylesheet.moc"
