// The software update window: the proposed image, the selection list, the
// search state and the upload request.

#include "app2fakedevice.h"
#include "app2testsupport.h"
#include "tcolumnstouchlist.h"
#include "tcolumnstouchlistitem.h"
#include "testsupport.h"
#include "tabstracttouchlist.h"
#include "tlinkdevicehandler.h"
#include "tlinkuploadmanagerif.h"
#include "tmessagewindow.h"
#include "toption.h"
#include "toptionbutton.h"
#include "tstatusdescription.h"
#include "twindowview.h"
#include "tselectitemwindow.h"
#include "zelsoftwaresearchwindow.h"
#include "zelsoftwareupdatewindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>

Q_DECLARE_METATYPE(TLinkSoftware)
Q_DECLARE_METATYPE(QList<TLinkSoftware>)

namespace {

TLinkSoftware sw(int major, int minor, int build)
{
    return TLinkSoftware(quint8(major), quint8(minor), quint16(build), 0);
}

QString versions(const QList<TLinkSoftware> &list)
{
    QStringList texts;
    for (const TLinkSoftware &s : list)
        texts << s.getVersionText() + QLatin1Char('/') + s.getBuildText();
    return texts.join(QLatin1Char(' '));
}

TOptionButton *buttonWithText(QWidget *window, const QString &text)
{
    for (TOptionButton *button : window->findChildren<TOptionButton *>())
        if (button->text() == text)
            return button;
    return nullptr;
}

// What the window shows: "current | new or - | Update on/off | status heading or -".
QString shown(ZelSoftwareUpdateWindow *window)
{
    QGridLayout *grid = window->findChild<QGridLayout *>();
    auto text = [grid](int row, int column) {
        return static_cast<QLabel *>(grid->itemAtPosition(row, column)->widget())->text();
    };
    const QString current = text(0, 1) + QLatin1Char(' ') + text(0, 2);
    const QString next = grid->itemAtPosition(1, 1)->widget()->isVisibleTo(window)
                             ? text(1, 1) + QLatin1Char(' ') + text(1, 2)
                             : QStringLiteral("-");
    TStatusDescription *status = window->findChild<TStatusDescription *>();
    TOptionButton *update = buttonWithText(window, QStringLiteral("&Update"));
    return QStringLiteral("%1 | %2 | %3 | %4")
        .arg(current, next, update->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"),
             status->isVisibleTo(window) ? status->heading() : QStringLiteral("-"));
}

} // namespace

class TestSoftwareUpdateWindow : public QObject
{
    Q_OBJECT
private:
    TMainWindow *m_main = nullptr;

    // The device handler's first software search has ended.
    bool searchIdle()
    {
        return QTest::qWaitFor([] { return TLinkDeviceHandler::instance()->softwareSearchService()->getFlags() != 2; },
                               15000);
    }

private slots:
    void initTestCase()
    {
        QSettings settings;
        settings.setValue(QStringLiteral("tftp_server/portnumber"), testsupport::freeUdpPort());
        settings.setValue(QStringLiteral("upload_manager/search_path"), QDir::tempPath() + QStringLiteral("/zel-none"));
        m_main = app2test::makeMainWindow();
        QVERIFY(m_main);
        // The first periodic search would come only after half a minute.
        TLinkDeviceHandler::instance()->rescanSoftware();
        QVERIFY(searchIdle());
    }
    void cleanupTestCase() { delete m_main; }

    void proposal_data()
    {
        QTest::addColumn<TLinkSoftware>("current");
        QTest::addColumn<QList<TLinkSoftware>>("images");
        QTest::addColumn<QString>("expected");
        const QString none = QStringLiteral(" | - | off | Newer software not detected");
        QTest::newRow("newest image proposed")
            << sw(1, 0, 1) << QList<TLinkSoftware>{sw(1, 2, 5), sw(1, 10, 1), sw(1, 2, 7)}
            << "01.00 Build 0001 | 01.10 Build 0001 | on | -";
        QTest::newRow("up to date") << sw(1, 2, 5) << QList<TLinkSoftware>{sw(1, 2, 5)} << "01.02 Build 0005" + none;
        QTest::newRow("no images") << sw(2, 0, 3) << QList<TLinkSoftware>() << "02.00 Build 0003" + none;
        QTest::newRow("no running version") << TLinkSoftware() << QList<TLinkSoftware>{sw(3, 1, 9)}
                                            << "00.00 Build 0000 | 03.01 Build 0009 | on | -";
    }
    void proposal()
    {
        QFETCH(TLinkSoftware, current);
        QFETCH(QList<TLinkSoftware>, images);
        QFETCH(QString, expected);
        App2FakeDevice device;
        device.current = current;
        device.images = images;
        QVERIFY(searchIdle());
        ZelSoftwareUpdateWindow window(&device);
        QCOMPARE(window.size(), QSize(500, 270));
        QCOMPARE(shown(&window), expected);

        // An image that disappears (drive removed) is dropped from the proposal.
        device.images.clear();
        emit device.updated(&device);
        QCOMPARE(shown(&window), current.getVersionText() + QStringLiteral(" Build ") + current.getBuildText() +
                                     QStringLiteral(" | - | off | Newer software not detected"));
    }

    // The list is sorted newest first, equal versions in the device's order;
    // picking an image that is not newer still allows the update of it.
    void selectAndUpdate()
    {
        App2FakeDevice device;
        device.current = sw(1, 10, 1);
        TLinkSoftware twin = sw(1, 2, 5);
        twin.setText1(QStringLiteral("second"));
        device.images = {sw(1, 2, 5), sw(1, 10, 1), sw(1, 2, 7), twin};
        QVERIFY(searchIdle());
        QPointer<ZelSoftwareUpdateWindow> window = new ZelSoftwareUpdateWindow(&device);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->showWindow(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        QVERIFY(shown(window).endsWith(QStringLiteral("| - | off | Newer software not detected")));

        window->handleSelectedSoftwareSelected(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        QCOMPARE(versions(window->offeredSoftware()), QStringLiteral("01.10/0001 01.02/0007 01.02/0005 01.02/0005"));
        QCOMPARE(window->offeredSoftware().at(3).getText1(), QStringLiteral("second"));
        const QList<TSelectItemWindow *> pickers = app2test::openWindows<TSelectItemWindow>();
        QCOMPARE(pickers.size(), 1);
        QStringList rows;
        for (TAbstractTouchListItem *item : pickers.first()->findChild<TColumnsTouchList *>()->findChildren<TAbstractTouchListItem *>())
            rows << static_cast<TColumnsTouchListItem *>(item)->texts().join(QLatin1Char('/'));
        QCOMPARE(rows.size(), 4);
        QVERIFY2(rows.contains(QStringLiteral("01.02/Build 0007")), qPrintable(rows.join(QLatin1Char(','))));
        emit pickers.first()->findChild<TColumnsTouchList *>()->itemClicked(2);
        QVERIFY(app2test::settle(m_main));
        QVERIFY(app2test::openWindows<TSelectItemWindow>().isEmpty());
        QCOMPARE(shown(window), QStringLiteral("01.10 Build 0001 | 01.02 Build 0005 | on | -"));

        buttonWithText(window, QStringLiteral("&Update"))->click();
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QCOMPARE(device.calls, QStringList{QStringLiteral("initiateSoftwareUpload 01.02 0005")});
        QVERIFY(app2test::settle(m_main));
    }

    void noImagesWarns()
    {
        App2FakeDevice device;
        ZelSoftwareUpdateWindow window(&device);
        window.handleSelectedSoftwareSelected(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        const QList<TMessageWindow *> warnings = app2test::openWindows<TMessageWindow>();
        QCOMPARE(warnings.size(), 1);
        QCOMPARE(warnings.first()->getHeader(), QStringLiteral("Software not detected"));
        QVERIFY(app2test::openWindows<TSelectItemWindow>().isEmpty());
        warnings.first()->close();
        QVERIFY(app2test::settle(m_main));
    }

    // While the search service is busy its texts replace the new version.
    void searchShown()
    {
        App2FakeDevice device;
        device.current = sw(1, 0, 0);
        device.images = {sw(1, 1, 0)};
        QVERIFY(searchIdle());
        ZelSoftwareUpdateWindow window(&device);
        QCOMPARE(shown(&window), QStringLiteral("01.00 Build 0000 | 01.01 Build 0000 | on | -"));
        InfoService *search = TLinkDeviceHandler::instance()->softwareSearchService();
        search->setState(1282, -1, QString());
        QVERIFY(QTest::qWaitFor([&] { return search->getState() == 1282; }, 3000));
        QCOMPARE(shown(&window), QStringLiteral("01.00 Build 0000 | - | off | Software search in progress"));
        QVERIFY(window.findChild<TStatusDescription *>()->descriptionLabel()->text().contains(
            QStringLiteral("requested path")));
        search->setState(1, -1, QString());
        QVERIFY(QTest::qWaitFor([&] { return search->getState() == 1; }, 3000));
        QCOMPARE(shown(&window), QStringLiteral("01.00 Build 0000 | 01.01 Build 0000 | on | -"));
    }

    // Escape does nothing, F5 searches; the menu's search entry opens the search window.
    void keysAndSearchEntry()
    {
        App2FakeDevice device;
        QPointer<ZelSoftwareUpdateWindow> window = new ZelSoftwareUpdateWindow(&device);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->showWindow(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(app2test::settle(m_main));
        QVERIFY(window && window->isVisible());
        // F5 searches at once.
        auto *uploads = TLinkDeviceHandler::instance()->findChild<TLinkUploadManagerIf *>();
        QVERIFY(uploads);
        QTest::qWait(200);
        QSignalSpy searched(uploads, &TLinkUploadManagerIf::fileSearchFinished);
        QTest::keyClick(window, Qt::Key_F5);
        QVERIFY(searched.wait(2000));
        window->handleSearchSelected(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        const QList<ZelSoftwareSearchWindow *> searches = app2test::openWindows<ZelSoftwareSearchWindow>();
        QCOMPARE(searches.size(), 1);
        searches.first()->close();
        window->close();
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QVERIFY(app2test::settle(m_main));
    }
};

APP2_TEST_MAIN(TestSoftwareUpdateWindow)
#include "tst_softwareupdatewindow.moc"
