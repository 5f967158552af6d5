// The options window: the two options between the device screen and the
// settings, and the one-time loading of the debug devices.

#include "app2testsupport.h"
#include "testsupport.h"
#include "tlinkdevicehandler.h"
#include "tlinkdeviceif.h"
#include "tlistitem.h"
#include "tlistwidget.h"
#include "toptionbutton.h"
#include "twindowview.h"
#include "zeldevicepagescreen.h"
#include "zeloptionswindow.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>

namespace {

bool writeDebugFile(const QStringList &serials)
{
    const QString fileName = ZelOptionsWindow::debugDevicesFileName();
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<debug_devices>\n";
    int octet = 40;
    for (const QString &serial : serials)
        xml += QStringLiteral("<device><ip_address>127.0.2.%1</ip_address><model>4320</model><serialno>%2</serialno>"
                              "<product>Bridge unit</product></device>\n")
                   .arg(octet++)
                   .arg(serial)
                   .toUtf8();
    xml += "</debug_devices>\n";
    return file.write(xml) == xml.size();
}

// The debug devices in the registry; discovery may add devices of other
// tests that run beside this one.
int deviceCount()
{
    int count = 0;
    for (TLinkDeviceIf *device : TLinkDeviceHandler::instance()->getDevices())
        if (device->getSerialNumber().startsWith(QLatin1String("APP2-D")))
            ++count;
    return count;
}

} // namespace

class TestOptionsWindow : public QObject
{
    Q_OBJECT
private:
    TMainWindow *m_main = nullptr;
    ZelDevicePageScreen *m_screen = nullptr;

    // Opens the window, sets the two rows, presses OK; true when the window
    // reported stored once and closed.
    bool runWindow(bool debugDevices, bool linkTest, bool *shownDebug = nullptr, bool *shownLinkTest = nullptr)
    {
        QPointer<ZelOptionsWindow> window = new ZelOptionsWindow(m_screen);
        window->setAttribute(Qt::WA_DeleteOnClose);
        QSignalSpy stored(window.data(), &TAbstractCfgWindow::stored);
        window->showWindow(m_main->windowView());
        if (!app2test::settle(m_main))
            return false;
        if (shownDebug)
            *shownDebug = window->debugDevicesList()->findItem(0)->isChecked();
        if (shownLinkTest)
            *shownLinkTest = window->linkTestList()->findItem(0)->isChecked();
        window->debugDevicesList()->findItem(0)->setChecked(debugDevices);
        window->linkTestList()->findItem(0)->setChecked(linkTest);
        window->okButton()->click();
        // Closed at once: the busy overlay does not hold it.
        const bool closed = QTest::qWaitFor([&] { return !window; }, 1500);
        return closed && stored.count() == 1 && app2test::settle(m_main);
    }

private slots:
    void initTestCase()
    {
        QSettings().setValue(QStringLiteral("tftp_server/portnumber"), testsupport::freeUdpPort());
        m_main = app2test::makeMainWindow();
        QVERIFY(m_main);
        m_screen = new ZelDevicePageScreen(m_main);
    }
    void cleanupTestCase() { delete m_main; }

    void linkTestOption()
    {
        bool debugShown = true;
        bool linkShown = true;
        QVERIFY(runWindow(false, true, &debugShown, &linkShown));
        QVERIFY(!debugShown);
        QVERIFY(!linkShown);
        QCOMPARE(QSettings().value(QStringLiteral("link_test/state")).toBool(), true);
        QVERIFY(runWindow(false, false, nullptr, &linkShown));
        QVERIFY(linkShown);
        QCOMPARE(QSettings().value(QStringLiteral("link_test/state")).toBool(), false);
    }

    // Without the file nothing loads and the row shows unchecked next time;
    // with it the devices load once; a later OK loads nothing more.
    void debugDevicesOnce()
    {
        const int before = deviceCount();
        bool shown = true;
        QVERIFY(runWindow(true, false));
        QCOMPARE(deviceCount(), before);
        QVERIFY(runWindow(true, false, &shown));
        QVERIFY(!shown);
        QVERIFY(writeDebugFile({QStringLiteral("APP2-D1"), QStringLiteral("APP2-D2")}));
        QVERIFY(runWindow(true, false));
        QCOMPARE(deviceCount(), before + 2);

        QVERIFY(writeDebugFile({QStringLiteral("APP2-D3")}));
        QVERIFY(runWindow(true, false, &shown));
        QVERIFY(shown);
        QVERIFY(runWindow(false, false, &shown));
        QVERIFY(shown);
        QCOMPARE(deviceCount(), before + 2);
    }
};

APP2_TEST_MAIN(TestOptionsWindow)
#include "tst_optionswindow.moc"
