#include "zeldevicerepwindow.h"

#include "thelpcontrol.h"
#include "tlinkdevicehandler.h"
#include "tlinkdeviceif.h"
#include "toption.h"
#include "toptionbutton.h"
#include "tstylesheet.h"
#include "ttextreadonly.h"
#include "twindowtoppanel.h"
#include "zelreportdocument.h"
#include "zelsavefiledialog.h"
#include "zelwindowgeometry.h"
#include "zelhelppage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDebug>
#include <QHBoxLayout>
#include <QSettings>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextTable>
#include <QUrl>
#include <QVBoxLayout>

ZelDeviceRepWindow *ZelDeviceRepWindow::s_window = nullptr;

static const char *const GeometryGroup = "TDeviceReportWindow";

ZelDeviceRepWindow::ZelDeviceRepWindow()
    : TAbstractSubWindow(2, 0)
{
    m_deviceTable = new QTextDocument(this);
    m_certificates = new QTextDocument(this);

    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setMinimumSize(776, 526);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *bar = new QWidget;
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->setSpacing(0);
    m_saveOption = new TOption(tr("Save report"), this, SLOT(handleSaveReport(QWidget*)));
    m_saveOption->setParent(this);
    auto *saveButton = new TOptionButton(m_saveOption, bar);
    saveButton->setMinimumWidth(65);
    barLayout->addWidget(saveButton);
    barLayout->addStretch();

    m_topPanel = new TWindowTopPanel(this, QString(), QString(), true, true, nullptr, bar);
    m_topPanel->setBusy(true);
    m_topPanel->setHeadingMinimumWidth(260);
    layout->addWidget(m_topPanel);

    m_display = new TTextReadOnly(this);
    m_display->setObjectName(QStringLiteral("reportDisplay"));
    layout->addWidget(m_display);

    update();
    setGeometry(ZelWindowGeometry::restore(QLatin1String(GeometryGroup)));
    s_window = this;
}

ZelDeviceRepWindow::~ZelDeviceRepWindow()
{
    if (s_window == this)
        s_window = nullptr;
}

bool ZelDeviceRepWindow::isBusy() const
{
    return m_busy;
}

void ZelDeviceRepWindow::showReport(QWidget *pFrom)
{
    Q_UNUSED(pFrom)
    ZelDeviceRepWindow *window = s_window;
    if (!window) {
        window = new ZelDeviceRepWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        window->m_deviceTable->clear();
        window->m_certificates->clear();
    }
    window->handleInitDeviceListText();

    if (window->isVisible()) {
        if (window->isMinimized()) {
            if (window->isMaximized())
                window->showTopLevelMaximized();
            else
                window->showTopLevel();
        } else {
            window->showTopLevel();
        }
    } else {
        if (ZelWindowGeometry::wasMaximized(QLatin1String(GeometryGroup)))
            window->showTopLevelMaximized();
        else
            window->showTopLevel();
        window->setFocus();
    }
    window->activateWindow();
}

void ZelDeviceRepWindow::update()
{
    m_topPanel->setIconName(QStringLiteral("zkgui_button_device_report_40"));
    m_topPanel->setSideIcon(QString());
    setWindowTitle(tr("Device Report"));
    setWindowIcon(QIcon(TStyleSheet::instance()->getPixmap(QStringLiteral("zkgui_button_device_report_40"))));
}

QString ZelDeviceRepWindow::modelText(const QString &model)
{
    QString text = model;
    if (text.size() >= 2 && !text.at(0).isDigit() && !text.at(1).isDigit())
        text.remove(0, 2);
    return QStringLiteral("ZK-%1").arg(text);
}

void ZelDeviceRepWindow::handleInitDeviceListText()
{
    const QList<TLinkDeviceIf *> devices = TLinkDeviceHandler::instance()->getDevices();
    m_pending = devices;
    m_busy = !m_pending.isEmpty();
    m_topPanel->setBusy(m_busy);

    QTextCursor cursor(m_deviceTable);
    QTextTable *table = cursor.insertTable(1, 4, ZelReportDocument::tableFormat());
    const QStringList header{tr("Device name                  "), tr("Model "), tr("Serial number  "),
                             tr("Firmware")};
    for (int c = 0; c < header.size(); ++c)
        table->cellAt(0, c).firstCursorPosition().insertText(header.at(c));

    bool anyOffline = false;
    for (TLinkDeviceIf *device : devices) {
        // A device connects its certificate signals on every request: drop
        // those of an earlier request so that each line arrives once.
        disconnect(device, nullptr, this, nullptr);
        device->requestCertificate(this, SLOT(handleDeviceCertificateText(const QString &)),
                                   SLOT(handleDeviceReady(TLinkDeviceIf*)));
        const bool online = device->isOnline();
        anyOffline = anyOffline || !online;
        const int row = table->rows();
        table->appendRows(1);
        const QStringList cells{device->getName() + (online ? QString() : QStringLiteral("*")),
                                modelText(device->getModel()), device->getSerialNumber(),
                                device->getSoftwareVersion()};
        for (int c = 0; c < cells.size(); ++c)
            table->cellAt(row, c).firstCursorPosition().insertText(cells.at(c));
    }
    if (anyOffline) {
        const int row = table->rows();
        table->appendRows(1);
        table->cellAt(row, 0).firstCursorPosition().insertText(tr("(*) Devices are offline"));
    }
    m_display->setDocument(m_deviceTable);
    update();
}

void ZelDeviceRepWindow::handleDeviceCertificateText(const QString &text)
{
    QTextCursor cursor(m_certificates);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

void ZelDeviceRepWindow::handleDeviceReady(TLinkDeviceIf *pDevice)
{
    m_pending.removeAll(pDevice);
    if (m_pending.isEmpty()) {
        m_busy = false;
        m_topPanel->setBusy(false);
    }
}

void ZelDeviceRepWindow::handleSaveReport(QWidget *pEmittedBy)
{
    const QString defaultPath = ZelReportDocument::defaultFolder(QStringLiteral("\\"));
    QSettings settings;
    const QString stored = settings.value(QStringLiteral("device_rep/destination_path")).toString();
    QString offered = settings.value(QStringLiteral("device_rep/destination_path"), defaultPath).toString();
    offered.replace(QLatin1Char('\\'), QLatin1Char('/'));

    const QString chosen =
        ZelSaveFileDialog::getSaveFileName(pEmittedBy, tr("Destination file name"), offered, tr("Report (*.pdf)"));
    if (chosen.isEmpty())
        return;
    const QString fileName = ZelReportDocument::pdfFileName(chosen);
    if (fileName != stored)
        settings.setValue(QStringLiteral("device_rep/destination_path"), fileName);

    QTextDocument document;
    document.setDocumentMargin(1);
    QTextCursor cursor(&document);
    QTextTable *table = cursor.insertTable(4, 3, ZelReportDocument::tableFormat());
    table->cellAt(0, 0).firstCursorPosition().insertText(tr("                                      "));
    table->cellAt(0, 1).firstCursorPosition().insertText(tr("                                      "));
    QTextCursor logoCursor = table->cellAt(0, 2).firstCursorPosition();
    ZelReportDocument::insertLogo(logoCursor);
    table->cellAt(2, 2).firstCursorPosition().insertText(ZelReportDocument::addressBlock());
    table->cellAt(3, 0).firstCursorPosition().insertText(tr("DEVICE REPORT:"));
    table->cellAt(3, 2).firstCursorPosition().insertText(
        QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yyyy h:mm")));

    cursor.movePosition(QTextCursor::End);
    cursor.insertFragment(QTextDocumentFragment(m_deviceTable));
    cursor.insertText(tr("\n\nFIRMWARE REVISION CERTIFICATE:\n"));
    cursor.insertText(tr("\nReferring to IMO MSC Circ.1389 this document is to certify that the listed "
                         "equipment(s) has been verified/updated to have the latest software revision. "));
    cursor.insertText(tr("NOTE: Certificate does not cover offline devices.\n\n"));
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(tr("Date:   \t__________________________________________\n\n"));
    cursor.insertText(tr("Company:\t__________________________________________\n\n"));
    cursor.insertText(tr("Signature:\t__________________________________________\n\n\n"));
    cursor.insertFragment(QTextDocumentFragment(m_certificates));

    QString error;
    if (!ZelReportDocument::printPdf(&document, fileName, &error))
        ZelReportDocument::showSaveFailure(fileName, error, pEmittedBy ? pEmittedBy : this);
}

void ZelDeviceRepWindow::showEvent(QShowEvent *event)
{
    THelpControl::instance()->addHelp(ZelHelpPage::url(QStringLiteral("device_report.html")), this);
    TAbstractSubWindow::showEvent(event);
}

void ZelDeviceRepWindow::closeEvent(QCloseEvent *event)
{
    THelpControl::instance()->removeHelp(this);
    for (TLinkDeviceIf *device : TLinkDeviceHandler::instance()->getDevices())
        device->closeDebugSession();
    ZelWindowGeometry::store(this, QLatin1String(GeometryGroup));
    TAbstractSubWindow::closeEvent(event);
}
