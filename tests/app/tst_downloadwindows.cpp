// The small per-device windows: diagnostic report and MIB file download,
// reboot, and the software search folder.

#include "app2fakedevice.h"
#include "app2testsupport.h"
#include "testsupport.h"
#include "thelpcontrol.h"
#include "tbuttonbar.h"
#include "tlinkdevice.h"
#include "tlinkdevicehandler.h"
#include "tlinkuploadmanagerif.h"
#include "tmessagewindow.h"
#include "toption.h"
#include "toptionbutton.h"
#include "toptioniconbutton.h"
#include "telidelabel.h"
#include "twindowtoppanel.h"
#include "twindowview.h"
#include "zeldevicemibfilewindow.h"
#include "zeldiagrepwindow.h"
#include "zelrebootwindow.h"
#include "zelsoftwaresearchwindow.h"
#include "zelsoftwareupdatewindow.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTcpSocket>
#include <QFileDialog>
#include <QLineEdit>

namespace {

QString backslashed(QString path)
{
    return path.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

TOptionButton *buttonWithText(QWidget *window, const QString &text)
{
    for (TOptionButton *button : window->findChildren<TOptionButton *>())
        if (button->text() == text)
            return button;
    return nullptr;
}

QString documentsFolder()
{
    return backslashed(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                       QStringLiteral("/Vantor/ZEL"));
}

} // namespace

class TestDownloadWindows : public QObject
{
    Q_OBJECT
private:
    TMainWindow *m_main = nullptr;

    // Presses the download button; answers a question when one shows.
    template <typename W> void pressDownload(W *window, int answer)
    {
        TOptionButton *download = buttonWithText(window, QStringLiteral("&Download"));
        QVERIFY(download);
        QCOMPARE(window->defaultButton(), download);
        download->click();
        QVERIFY(app2test::settle(m_main));
        const QList<TMessageWindow *> questions = app2test::openWindows<TMessageWindow>();
        if (answer < 0) {
            QVERIFY(questions.isEmpty());
            return;
        }
        QCOMPARE(questions.size(), 1);
        TMessageWindow *question = questions.first();
        QCOMPARE(question->getHeader(), QStringLiteral("Overwrite the existing file?"));
        QCOMPARE(question->getDescription(), QStringLiteral("A file with the selected name already exists."));
        const QList<TOptionButton *> buttons = question->buttonBar()->findChildren<TOptionButton *>();
        TOptionButton *no = buttons.at(0) == question->defaultButton() ? buttons.at(1) : buttons.at(0);
        (answer ? question->defaultButton() : no)->click();
        QVERIFY(app2test::settle(m_main));
    }

private slots:
    void initTestCase()
    {
        m_main = app2test::makeMainWindow();
        QVERIFY(m_main);
    }
    void cleanupTestCase() { delete m_main; }
    void init() { QSettings().clear(); }

    void diagnosticsFileName_data()
    {
        QTest::addColumn<QString>("displayName");
        QTest::addColumn<QString>("storedFolder");
        QTest::addColumn<QString>("expected"); // "%1" stands for the documents folder
        QTest::newRow("blanks removed, default folder")
            << "My  Alias (Product X 2)" << QString() << "%1\\MyAlias(ProductX2).diag";
        QTest::newRow("stored folder with forward slashes")
            << "Unit" << "/data/reports" << "\\data\\reports\\Unit.diag";
        // The alias comes from the device: it never leads out of the folder.
        // The device sends the report under this name: never a hidden one,
        // which the TFTP server would refuse.
        QTest::newRow("alias with separators")
            << "../../etc/x" << "/data/reports" << "\\data\\reports\\_.._etc_x.diag";
        QTest::newRow("alias of dots") << ".." << "/data/reports" << "\\data\\reports\\device.diag";
        QTest::newRow("alias beginning with dots")
            << ". .hidden (Unit)" << "/data/reports" << "\\data\\reports\\hidden(Unit).diag";
    }
    void diagnosticsFileName()
    {
        QFETCH(QString, displayName);
        QFETCH(QString, storedFolder);
        QFETCH(QString, expected);
        if (!storedFolder.isEmpty())
            QSettings().setValue(QStringLiteral("diag_rep/destination_path"), storedFolder);
        App2FakeDevice device(displayName);
        ZelDiagRepWindow window(&device);
        QCOMPARE(window.destinationPath(), expected.arg(documentsFolder()));
        QCOMPARE(buttonWithText(&window, expected.arg(documentsFolder()))->elideMode(), Qt::ElideLeft);
        QVERIFY(!QSettings().contains(QStringLiteral("mibfile/destination_path")));
    }

    // With a device object of the device layer: the window shows its service
    // and name; a file chosen in the dialog (or a cancelled dialog) sets the
    // path; Download makes the device remember the folder.
    void fileDialogAndDeviceObject()
    {
        QTemporaryDir chosen;
        QSettings().setValue(QStringLiteral("diag_rep/destination_path"), QDir::tempPath());
        device_param_t param;
        param.srvurl = QStringLiteral("service:device.vantor://127.0.2.33");
        param.vendor = QStringLiteral("Vantor");
        param.model = QStringLiteral("4320");
        param.product = QStringLiteral("ZK 100");
        param.alias = QStringLiteral("Bridge 7");
        param.serialno = QStringLiteral("7007");
        param.uniqueId = QStringLiteral("app2-7007");
        TLinkDevice device(param, nullptr);
        QPointer<ZelDiagRepWindow> window = new ZelDiagRepWindow(&device);
        window->setAttribute(Qt::WA_DeleteOnClose);
        const QString proposed = backslashed(QDir::tempPath()) + QStringLiteral("\\Bridge7(ZK100).diag");
        QCOMPARE(window->destinationPath(), proposed);
        QCOMPARE(window->findChild<TWindowTopPanel *>()->headingLabel()->text(),
                 device.getDiagReportService()->getName());
        window->showWindow(m_main->windowView());
        QVERIFY(app2test::settle(m_main));

        auto answerDialog = [](const QString &file) {
            QTimer::singleShot(200, [file] {
                auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Destination file name"));
                if (file.isEmpty()) {
                    dialog->reject();
                } else {
                    // Typed into the dialog's name field, as a user would.
                    dialog->setDirectory(QFileInfo(file).absolutePath());
                    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                    QVERIFY(name);
                    name->setText(QFileInfo(file).fileName());
                    static_cast<QDialog *>(dialog)->accept();
                }
            });
        };
        answerDialog(QString());
        window->editFileNameSelected();
        QCOMPARE(window->destinationPath(), proposed);
        const QString target = chosen.path() + QStringLiteral("/report one.diag");
        answerDialog(target);
        window->editFileNameSelected();
        QCOMPARE(window->destinationPath(), backslashed(target));

        buttonWithText(window, QStringLiteral("&Download"))->click();
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QCOMPARE(QSettings().value(QStringLiteral("diag_rep/destination_path")).toString(), chosen.path());
        QCOMPARE(device.getDiagReportService()->getState(), 769);
        QVERIFY(app2test::settle(m_main));
    }

    // The MIB window through a device object: the file the device's web
    // server sends is written where the window proposes, and the device
    // remembers the folder.
    void mibFileFromWebServer()
    {
        if (!testsupport::isRoot())
            QSKIP("serving HTTP on port 80 of 127.0.2.34 needs root");
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.2.34")), 80));
        QByteArray request;
        connect(&server, &QTcpServer::newConnection, &server, [&] {
            QTcpSocket *socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [&request, socket] {
                request += socket->readAll();
                if (!request.contains("\r\n\r\n"))
                    return;
                const QByteArray body = "VANTOR-MIB DEFINITIONS ::= BEGIN\nEND\n";
                socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        });

        // Nothing stored: the window proposes the documents folder's Vantor\ZEL.
        QSettings().remove(QStringLiteral("mibfile/destination_path"));
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                               QStringLiteral("/Vantor/ZEL");
        QVERIFY(QDir().mkpath(folder));
        device_param_t param;
        param.srvurl = QStringLiteral("service:device.vantor://127.0.2.34");
        param.model = QStringLiteral("4320");
        param.product = QStringLiteral("ZK 100");
        param.serialno = QStringLiteral("7034");
        param.uniqueId = QStringLiteral("app2-7034");
        TLinkDevice device(param, nullptr);
        QNetworkAccessManager network;
        device.setNetworkAccessManager(&network);
        device_service_t mib;
        mib.srvurl = QStringLiteral("service:mib.vantor:http://");
        mib.address = QStringLiteral("127.0.2.34");
        mib.attributes = QStringLiteral("/vantor.mib");
        device.addService(mib);
        QCOMPARE(device.getServiceApp(1840), QStringLiteral("/vantor.mib"));

        QPointer<ZelDeviceMibfileWindow> window = new ZelDeviceMibfileWindow(&device);
        window->setAttribute(Qt::WA_DeleteOnClose);
        QCOMPARE(window->destinationPath(), backslashed(folder) + QStringLiteral("\\vantor.mib"));
        window->showWindow(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        buttonWithText(window, QStringLiteral("&Download"))->click();
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        const QString file = folder + QStringLiteral("/vantor.mib");
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo(file).size() > 0; }, 5000));
        QVERIFY(request.startsWith("GET /vantor.mib "));
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("VANTOR-MIB DEFINITIONS ::= BEGIN\nEND\n"));
        QCOMPARE(QSettings().value(QStringLiteral("mibfile/destination_path")).toString(), folder);
        QVERIFY(app2test::settle(m_main));
    }

    void mibFileName_data()
    {
        QTest::addColumn<QString>("serviceApp");
        QTest::addColumn<QString>("expected");
        QTest::newRow("url path") << "/mibs/VANTOR-ZK-MIB.txt" << "\\mibs\\VANTOR-ZK-MIB.txt";
        QTest::newRow("no slash") << "zk.mib" << "\\mibs\\zk.mib";
        // A name from the device never leads out of the folder, and without
        // one the file is named after the device.
        QTest::newRow("empty") << "" << "\\mibs\\AliasOne(ProductX).mib";
        QTest::newRow("only dots") << "/mibs/.." << "\\mibs\\AliasOne(ProductX).mib";
        QTest::newRow("backslashes") << "..\\..\\etc\\x" << "\\mibs\\_.._etc_x";
        QTest::newRow("drive") << "C:x.mib" << "\\mibs\\C_x.mib";
    }
    void mibFileName()
    {
        QFETCH(QString, serviceApp);
        QFETCH(QString, expected);
        QSettings().setValue(QStringLiteral("mibfile/destination_path"), QStringLiteral("/mibs"));
        App2FakeDevice device;
        device.mibApp = serviceApp;
        ZelDeviceMibfileWindow window(&device);
        QCOMPARE(window.destinationPath(), expected);
    }

    // Download to a new file sends the request at once; to an existing file
    // only after a yes, and a no leaves the window as it was.
    void download_data()
    {
        QTest::addColumn<bool>("mib");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<int>("answer"); // -1 no question expected, 0 no, 1 yes
        for (bool mib : {false, true}) {
            const char *kind = mib ? "mib" : "diagnostics";
            QTest::addRow("%s, new file", kind) << mib << false << -1;
            QTest::addRow("%s, existing file, no", kind) << mib << true << 0;
            QTest::addRow("%s, existing file, yes", kind) << mib << true << 1;
        }
    }
    void download()
    {
        QFETCH(bool, mib);
        QFETCH(bool, fileExists);
        QFETCH(int, answer);
        QTemporaryDir dir;
        QSettings().setValue(mib ? QStringLiteral("mibfile/destination_path") : QStringLiteral("diag_rep/destination_path"),
                             dir.path());
        App2FakeDevice device(QStringLiteral("Unit"));
        device.mibApp = QStringLiteral("/m/Unit.mib");
        const QString file = dir.path() + (mib ? QStringLiteral("/Unit.mib") : QStringLiteral("/Unit.diag"));
        if (fileExists) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
        }
        QPointer<TAbstractSubWindow> window = mib ? static_cast<TAbstractSubWindow *>(new ZelDeviceMibfileWindow(&device))
                                                  : new ZelDiagRepWindow(&device);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->showWindow(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        if (mib)
            pressDownload(static_cast<ZelDeviceMibfileWindow *>(window.data()), answer);
        else
            pressDownload(static_cast<ZelDiagRepWindow *>(window.data()), answer);
        const QString request = (mib ? QStringLiteral("downloadMibFile ") : QStringLiteral("downloadDiagReport ")) + file;
        if (answer == 0) {
            QVERIFY(device.calls.isEmpty());
            QVERIFY(window && window->isVisible());
            window->close();
        } else {
            QCOMPARE(device.calls, QStringList{request});
        }
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QVERIFY(app2test::settle(m_main));
    }

    // The diagnostics and reboot windows register their help page while
    // shown; the MIB window has no help button and registers none.
    void helpPages_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("page");
        QTest::newRow("diagnostics") << 0 << "diagnostics_report.html";
        QTest::newRow("mib") << 1 << QString();
        QTest::newRow("reboot") << 2 << "reboot.html";
    }
    void helpPages()
    {
        QFETCH(int, kind);
        QFETCH(QString, page);
        App2FakeDevice device;
        QScopedPointer<TAbstractSubWindow> window;
        if (kind == 0)
            window.reset(new ZelDiagRepWindow(&device));
        else if (kind == 1)
            window.reset(new ZelDeviceMibfileWindow(&device));
        else
            window.reset(new ZelRebootWindow(&device));
        const QString home = QStringLiteral("file:///home.html");
        THelpControl::instance()->setHomeUrl(QUrl(home));
        window->showWindow(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        TWindowTopPanel *panel = window->findChild<TWindowTopPanel *>();
        QVERIFY(panel);
        const QString shownPage = THelpControl::instance()->pageFor(window.data(), QUrl()).toString();
        if (page.isEmpty()) {
            QCOMPARE(shownPage, home);
            QVERIFY(panel->buttons().isEmpty());
        } else {
            QVERIFY2(shownPage.endsWith(QStringLiteral("/") + page), qPrintable(shownPage));
            QVERIFY(QFile::exists(QUrl(shownPage).toLocalFile()));
            QCOMPARE(panel->buttons().size(), 1);
        }
        window->close();
        QVERIFY(app2test::settle(m_main));
        QCOMPARE(THelpControl::instance()->pageFor(window.data(), QUrl()).toString(), home);
    }

    // A device removed while one of its windows is open closes the window.
    void deviceRemoved_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("diagnostics") << 0;
        QTest::newRow("mib") << 1;
        QTest::newRow("reboot") << 2;
        QTest::newRow("software update") << 3;
    }
    void deviceRemoved()
    {
        QFETCH(int, kind);
        QSettings().setValue(QStringLiteral("tftp_server/portnumber"), testsupport::freeUdpPort());
        auto *device = new App2FakeDevice;
        QPointer<TAbstractSubWindow> window;
        if (kind == 0)
            window = new ZelDiagRepWindow(device);
        else if (kind == 1)
            window = new ZelDeviceMibfileWindow(device);
        else if (kind == 2)
            window = new ZelRebootWindow(device);
        else
            window = new ZelSoftwareUpdateWindow(device);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->showWindow(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        delete device;
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QVERIFY(app2test::settle(m_main));
    }

    // Reboot asks the device and closes; Cancel and Escape close without a request.
    void reboot_data()
    {
        QTest::addColumn<int>("action"); // 0 Reboot, 1 Cancel, 2 Escape
        QTest::newRow("reboot") << 0;
        QTest::newRow("cancel") << 1;
        QTest::newRow("escape") << 2;
    }
    void reboot()
    {
        QFETCH(int, action);
        App2FakeDevice device;
        QPointer<ZelRebootWindow> window = new ZelRebootWindow(&device);
        window->setAttribute(Qt::WA_DeleteOnClose);
        // 400 px wide, and at least 240 high: as high as its wrapped text needs.
        QCOMPARE(window->width(), 400);
        QVERIFY(window->height() >= 240);
        QVERIFY(window->findChild<TWindowTopPanel *>()->headingLabel()->text().contains(QStringLiteral("Reboot")));
        window->showWindow(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        if (action == 0)
            buttonWithText(window, QStringLiteral("&Reboot"))->click();
        else if (action == 1)
            buttonWithText(window, QStringLiteral("&Cancel"))->click();
        else
            QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QCOMPARE(device.calls, action == 0 ? QStringList{QStringLiteral("rebootDevice")} : QStringList());
        QVERIFY(app2test::settle(m_main));
    }

    // The search window proposes the stored folder (else the current one);
    // Search stores it, starts a search there and closes; Cancel stores nothing.
    void softwareSearch_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("search");
        QTest::newRow("no stored path, cancel") << QString() << false;
        QTest::newRow("no stored path, search") << QString() << true;
        QTest::newRow("stored path, search") << "/tmp/zel-images" << true;
    }
    void softwareSearch()
    {
        QFETCH(QString, stored);
        QFETCH(bool, search);
        QSettings().setValue(QStringLiteral("tftp_server/portnumber"), testsupport::freeUdpPort());
        if (!stored.isEmpty())
            QSettings().setValue(QStringLiteral("upload_manager/search_path"), stored);
        auto *uploads = TLinkDeviceHandler::instance()->findChild<TLinkUploadManagerIf *>();
        QVERIFY(uploads);
        QSignalSpy searched(uploads, &TLinkUploadManagerIf::fileSearchFinished);
        QPointer<ZelSoftwareSearchWindow> window = new ZelSoftwareSearchWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
        const QString expected = stored.isEmpty() ? QDir::currentPath() : stored;
        QCOMPARE(window->searchPath(), expected);
        window->showWindow(m_main->windowView());
        QVERIFY(app2test::settle(m_main));
        buttonWithText(window, search ? QStringLiteral("&Search") : QStringLiteral("&Cancel"))->click();
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 3000));
        QSettings settings;
        if (search) {
            QCOMPARE(settings.value(QStringLiteral("upload_manager/search_path")).toString(), expected);
            QVERIFY(QTest::qWaitFor([&] {
                for (const QList<QVariant> &args : searched)
                    if (args.at(0).toString() == expected)
                        return true;
                return false;
            }, 5000));
        } else {
            QCOMPARE(settings.contains(QStringLiteral("upload_manager/search_path")), !stored.isEmpty());
        }
        QVERIFY(app2test::settle(m_main));
    }
};

APP2_TEST_MAIN(TestDownloadWindows)
#include "tst_downloadwindows.moc"
