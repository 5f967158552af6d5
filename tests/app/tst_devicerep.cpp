// The device report window: the device table from the registry, the
// certificate lines, and the PDF it saves.

#include "app2testsupport.h"
#include "apptest_app3pdf.h"
#include "guiapp.h"
#include "testsupport.h"
#include "tlinkdevice.h"
#include "tlinkdevicehandler.h"
#include "tmainwindow.h"
#include "tmessagewindow.h"
#include "ttextreadonly.h"
#include "zeldevicerepwindow.h"
#include "zelsavefiledialog.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

class TestDeviceRep : public QObject
{
    Q_OBJECT
private:
    static TLinkDeviceHandler *registry() { return TLinkDeviceHandler::instance(); }
    static TLinkDevice *deviceWithSerial(const QString &serial)
    {
        for (TLinkDeviceIf *device : registry()->getDevices())
            if (device->getSerialNumber() == serial)
                return qobject_cast<TLinkDevice *>(device);
        return nullptr;
    }
    static void closeReport()
    {
        if (ZelDeviceRepWindow::openWindow())
            ZelDeviceRepWindow::openWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!ZelDeviceRepWindow::openWindow());
    }
    static void clearRegistry()
    {
        for (TLinkDeviceIf *device : registry()->getDevices())
            registry()->deleteDevice(device);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void initTestCase()
    {
        QSettings settings;
        settings.setValue(QStringLiteral("tftp_server/portnumber"), testsupport::freeUdpPort());
        settings.setValue(QStringLiteral("syslog_server/portnumber"), testsupport::freeUdpPort());
        settings.setValue(QStringLiteral("snmp_manager/mib_path"), QStringLiteral(ZEL_SOURCE_RES_DIR "/mibs"));
        QVERIFY(registry());
        clearRegistry();
    }
    void cleanup()
    {
        closeReport();
        clearRegistry();
        ZelSaveFileDialog::setChooser({});
    }

    // No device: the table holds its header only and nothing is awaited.
    void emptyRegistry()
    {
        ZelDeviceRepWindow::showReport(nullptr);
        ZelDeviceRepWindow *window = ZelDeviceRepWindow::openWindow();
        QVERIFY(window);
        const QString text = window->deviceTable()->toPlainText();
        QVERIFY(text.contains(QStringLiteral("Device name                  ")));
        QVERIFY(text.contains(QStringLiteral("Firmware")));
        QVERIFY(!text.contains(QStringLiteral("offline")));
        QVERIFY(!window->isBusy());
        QCOMPARE(window->findChild<TTextReadOnly *>(QStringLiteral("reportDisplay"))->document(),
                 window->deviceTable());
    }

    // Rows in registry order, model names shortened, offline devices marked;
    // the PDF carries the table, the certificate and the collected lines.
    void tableAndPdf()
    {
        registry()->readDebugDevices(testsupport::fixture(QStringLiteral("app3_devices.xml")));
        QCOMPARE(registry()->getDevices().size(), 2);
        TLinkDevice *unit = deviceWithSerial(QStringLiteral("S-200"));
        QVERIFY(unit);
        unit->setOnline(false);

        ZelDeviceRepWindow::showReport(nullptr);
        ZelDeviceRepWindow *window = ZelDeviceRepWindow::openWindow();
        QVERIFY(window);
        const QString table = window->deviceTable()->toPlainText();
        const QStringList lines = table.split(QLatin1Char('\n'));
        QVERIFY2(lines.contains(QStringLiteral("Mast (Radar bridge)")), qPrintable(table));
        QVERIFY(lines.contains(QStringLiteral("ZK-2040")));
        QVERIFY(lines.contains(QStringLiteral("Power unit*")));
        QVERIFY(lines.contains(QStringLiteral("ZK-4411")));
        QVERIFY2(table.trimmed().endsWith(QStringLiteral("(*) Devices are offline")), qPrintable(table));
        QVERIFY(table.indexOf(QStringLiteral("Mast")) < table.indexOf(QStringLiteral("Power unit")));

        // Both devices answer from their own data: one line each, and the
        // window is done waiting. Later lines follow in arrival order.
        QVERIFY(QTest::qWaitFor([&] { return !window->isBusy(); }, 5000));
        const QString certificates = window->certificates()->toPlainText();
        QVERIFY2(certificates.count(QStringLiteral("AB2040,S-100,02.11")) == 1
                     && certificates.count(QStringLiteral("4411,S-200,01.03")) == 1,
                 qPrintable(certificates));
        window->handleDeviceCertificateText(QStringLiteral("CERT Mast firmware 02.11 verified\n"));
        window->handleDeviceCertificateText(QStringLiteral("CERT Power unit firmware 01.03 verified\n"));

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        QStringList offered;
        app3test::answerSaveDialog(pdf, &offered);
        QSettings().remove(QStringLiteral("device_rep/destination_path"));
        window->handleSaveReport(nullptr);
        QCOMPARE(offered.value(0), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                       + QStringLiteral("/Vantor/ZEL"));
        QCOMPARE(QSettings().value(QStringLiteral("device_rep/destination_path")).toString(), pdf);

        const QString text = app3test::pdfText(pdf);
        QVERIFY2(!text.isEmpty(), "pdftotext read nothing");
        for (const char *expected :
             {"DEVICE REPORT:", "Device name", "Model", "Serial number", "Firmware", "Mast (Radar bridge)",
              "ZK-2040", "S-100", "02.11", "Power unit*", "ZK-4411", "(*) Devices are offline",
              "FIRMWARE REVISION CERTIFICATE:", "Referring to IMO MSC Circ.1389",
              "NOTE: Certificate does not cover offline devices.", "Company:", "Signature:",
              "CERT Mast firmware 02.11 verified", "CERT Power unit firmware 01.03 verified"})
            QVERIFY2(text.contains(QLatin1String(expected)), expected);
        QVERIFY(text.contains(QLatin1String("AB2040,S-100,02.11")));
        QVERIFY(text.indexOf(QLatin1String("AB2040,S-100")) < text.indexOf(QLatin1String("CERT Mast")));
        QVERIFY(text.indexOf(QLatin1String("CERT Mast")) < text.indexOf(QLatin1String("CERT Power")));
        QVERIFY(text.contains(QDate::currentDate().toString(QStringLiteral("dd-MM-yyyy"))));

        // A cancelled dialog writes nothing and keeps the setting.
        QFile::remove(pdf);
        app3test::answerSaveDialog(QString(), &offered);
        window->handleSaveReport(nullptr);
        QCOMPARE(offered.value(1), pdf);
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(QSettings().value(QStringLiteral("device_rep/destination_path")).toString(), pdf);
    }

    // A name typed without the suffix gets ".pdf"; a file that cannot be
    // written is told in a message window.
    void saveNameAndFailure()
    {
        QScopedPointer<TMainWindow> main(app2test::makeMainWindow());
        QVERIFY(main);
        ZelDeviceRepWindow::showReport(nullptr);
        ZelDeviceRepWindow *window = ZelDeviceRepWindow::openWindow();
        QVERIFY(window);
        QTemporaryDir dir;
        QStringList offered;
        app3test::answerSaveDialog(dir.filePath(QStringLiteral("typed")), &offered);
        window->handleSaveReport(nullptr);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("typed"))));
        QVERIFY(app3test::pdfText(dir.filePath(QStringLiteral("typed.pdf"))).contains(QLatin1String("DEVICE REPORT:")));
        QCOMPARE(QSettings().value(QStringLiteral("device_rep/destination_path")).toString(),
                 dir.filePath(QStringLiteral("typed.pdf")));
        QVERIFY(app2test::openWindows<TMessageWindow>().isEmpty());

        app3test::answerSaveDialog(dir.filePath(QStringLiteral("missing/report.PDF")), &offered);
        window->handleSaveReport(nullptr);
        QVERIFY(app2test::settle(main.data()));
        const QList<TMessageWindow *> told = app2test::openWindows<TMessageWindow>();
        QCOMPARE(told.size(), 1);
        QCOMPARE(told.first()->getHeader(), QStringLiteral("Report not saved"));
        QVERIFY2(told.first()->getDescription().contains(QStringLiteral("missing/report.PDF")),
                 qPrintable(told.first()->getDescription()));
        told.first()->close();
        QVERIFY(app2test::settle(main.data()));
        closeReport();
    }

    // Opening the report again rebuilds it in the same window, and each
    // device's certificate line arrives once.
    void reopenKeepsOneLinePerDevice()
    {
        registry()->readDebugDevices(testsupport::fixture(QStringLiteral("app3_devices.xml")));
        TLinkDeviceIf *device = registry()->getDevices().value(0);
        QVERIFY(device);
        ZelDeviceRepWindow::showReport(nullptr);
        ZelDeviceRepWindow *window = ZelDeviceRepWindow::openWindow();
        const QString firstTime = window->certificates()->toPlainText();
        ZelDeviceRepWindow::showReport(nullptr);
        QCOMPARE(ZelDeviceRepWindow::openWindow(), window);
        QCOMPARE(window->certificates()->toPlainText(), firstTime);
        emit device->certificateReady(QStringLiteral("one line\n"));
        QCOMPARE(window->certificates()->toPlainText().count(QStringLiteral("one line")), 1);
        QCOMPARE(window->deviceTable()->toPlainText().count(QStringLiteral("Mast (Radar bridge)")), 1);
    }
};

int main(int argc, char **argv)
{
    GuiApp app(argc, argv);
    app.setOrganizationName(QStringLiteral("Vantor & Vantor"));
    app.setApplicationName(QStringLiteral("ZEL"));
    TestDeviceRep test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_devicerep.moc"
