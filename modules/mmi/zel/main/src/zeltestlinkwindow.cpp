#include "zeltestlinkwindow.h"
#include "zelresulttree.h"

#include "tbuttonbar.h"
#include "tdevicetestif.h"
#include "tdevicetestlinkdevice.h"
#include "thelpcontrol.h"
#include "tlinkdevice.h"
#include "tlinkdeviceif.h"
#include "toption.h"
#include "toptionbutton.h"
#include "twindowtoppanel.h"
#include "zelreportdocument.h"
#include "zeltestlogwindow.h"
#include "zelhelppage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QHBoxLayout>
#include <QIcon>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {
// Severity of a status word: higher is worse; -1 for other texts.
int severityOf(const QString &status)
{
    if (status == QLatin1String("failed"))
        return 3;
    if (status == QLatin1String("warning"))
        return 2;
    if (status == QLatin1String("notify"))
        return 1;
    if (status == QLatin1String("success"))
        return 0;
    return -1;
}
} // namespace

ZelTestLinkWindow::ZelTestLinkWindow(TLinkDeviceIf *device)
    : TAbstractSubWindow(2, 0), m_device(device)
{
    m_testDevice.reset(new TDeviceTestLinkDevice(qobject_cast<TLinkDevice *>(device)));
    m_test = new TDeviceTestIf(m_testDevice.get(), this);
    connect(m_test, &TDeviceTestIf::updated, this, &ZelTestLinkWindow::handleResult);
    connect(m_test, &TDeviceTestIf::finished, this, &ZelTestLinkWindow::handleFinish);
    connect(m_test, &TDeviceTestIf::sendLogEntry, this, &ZelTestLinkWindow::handleLogEntry);

    setMinimumWidth(690);
    // Fits the 600 px main window with the sub-window border around it.
    setMinimumHeight(526);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_viewLogOption = new TOption(tr("View Log"), this, SLOT(handleStartLog()));
    m_viewLogOption->setParent(this);
    auto *toolRow = new QWidget;
    auto *toolLayout = new QHBoxLayout(toolRow);
    toolLayout->setContentsMargins(0, 0, 0, 0);
    toolLayout->setSpacing(0);
    auto *viewLogButton = new TOptionButton(m_viewLogOption, toolRow, TOptionButton::BarButton);
    viewLogButton->setMinimumWidth(65);
    toolLayout->addWidget(viewLogButton);
    toolLayout->addStretch();

    m_topPanel = new TWindowTopPanel(this, tr("Test link"), QStringLiteral("i_service_test_40"), false, true,
                                     nullptr, toolRow);
    layout->addWidget(m_topPanel);
    layout->addSpacing(20);

    m_tree = new ZelResultTree(this);
    m_tree->setColumnCount(3);
    m_tree->setHeaderLabels({tr("Test"), tr("Parameters"), tr("Result")});
    layout->addWidget(m_tree);
    layout->addSpacing(40);

    m_retestOption = new TOption(tr("Retest"), QStringLiteral("i_service_test_30"), this, SLOT(handleStartSelected()));
    m_downloadOption =
        new TOption(tr("Download"), QStringLiteral("i_service_diag_rep_30"), this, SLOT(handleTftpDownload()));
    m_rebootOption = new TOption(tr("Reboot"), QStringLiteral("i_service_reboot_30"), this, SLOT(handleDeviceReboot()));
    for (TOption *option : {m_retestOption, m_downloadOption, m_rebootOption})
        option->setParent(this);

    auto *bar = new TButtonBar(this);
    m_retestButton = bar->addOption(m_retestOption, 0, Qt::AlignCenter);
    m_downloadButton = bar->addOption(m_downloadOption, 0, Qt::AlignCenter);
    m_rebootButton = bar->addOption(m_rebootOption, 0, Qt::AlignCenter);
    for (TOptionButton *button : {m_retestButton, m_downloadButton, m_rebootButton})
        button->setMinimumWidth(135);
    setDefaultButton(m_retestButton);
    layout->addWidget(bar);

    handleStartSelected();
}

ZelTestLinkWindow::~ZelTestLinkWindow()
{
    // The test front object reads the device view: it goes first.
    delete m_test;
    m_test = nullptr;
}

QList<TOption *> ZelTestLinkWindow::options() const
{
    return {m_retestOption, m_downloadOption, m_rebootOption, m_viewLogOption};
}

QStringList ZelTestLinkWindow::getDeviceInfo() const
{
    if (!m_device)
        return QStringList{QString(), QString(), QString(), QString(), QString()};
    return {m_device->getDisplayName(), m_device->getVendor(), m_device->getModel(), m_device->getSerialNumber(),
            m_device->getSoftwareVersion()};
}

QString ZelTestLinkWindow::statusIconFile(const QString &status)
{
    static const char *const files[] = {"zkgui_option_ok.png", "zkgui_status_info.png", "zkgui_status_warning.png",
                                        "zkgui_status_error.png"};
    const int severity = severityOf(status);
    if (severity < 0)
        return QString();
    // The status icons always come from the day images.
    return ZelReportDocument::resourceFolder() + QLatin1String("day/") + QLatin1String(files[severity]);
}

void ZelTestLinkWindow::setBusyState(bool busy)
{
    m_topPanel->setBusy(busy);
    for (TOption *option : options())
        option->setEnabled(!busy);
}

void ZelTestLinkWindow::handleStartSelected()
{
    setBusyState(true);
    m_test->startTest();
}

void ZelTestLinkWindow::handleTftpDownload()
{
    setBusyState(true);
    m_test->startTftpDownload();
}

void ZelTestLinkWindow::handleDeviceReboot()
{
    setBusyState(true);
    m_test->rebootDevice();
}

void ZelTestLinkWindow::handleResult(const QStringList &test_name_list, const QList<QStringList> &result_list)
{
    auto *step = new QTreeWidgetItem(test_name_list);
    QFont font(QApplication::font().family(), 12, 35);
    step->setFont(0, font);
    m_tree->addTopLevelItem(step);

    int severity = 0;
    for (const QStringList &row : result_list) {
        auto *child = new QTreeWidgetItem(step);
        for (int c = 0; c < row.size(); ++c) {
            const QString &text = row.at(c);
            // Only the result column holds a status; a value that reads like
            // one ("warning" as a severity setting) stays text.
            const int rowSeverity = c == 2 ? severityOf(text) : -1;
            if (rowSeverity < 0) {
                child->setText(c, text);
                continue;
            }
            const QIcon icon(statusIconFile(text));
            child->setIcon(c, icon);
            // The step shows the icon of its most severe row.
            if (rowSeverity == 3) {
                step->setIcon(2, icon);
                severity = 3;
            } else if (rowSeverity == 0) {
                if (severity == 0)
                    step->setIcon(2, icon);
            } else if (severity <= rowSeverity) {
                severity = rowSeverity;
                step->setIcon(2, icon);
            }
        }
    }
    if (test_name_list.value(0) == QLatin1String("Mib properties"))
        m_snmpValues = result_list;
}

void ZelTestLinkWindow::handleFinish()
{
    setBusyState(false);
}

void ZelTestLinkWindow::handleStartLog()
{
    auto *log = new ZelTestLogWindow(this);
    log->setAttribute(Qt::WA_DeleteOnClose);
    log->showWindow(this);
}

void ZelTestLinkWindow::handleLogEntry(const QStringList &logEntry)
{
    m_logEntries.append(logEntry);
}

void ZelTestLinkWindow::showEvent(QShowEvent *event)
{
    THelpControl::instance()->addHelp(ZelHelpPage::url(QStringLiteral("diagnostics_report.html")), this);
    TAbstractSubWindow::showEvent(event);
}

void ZelTestLinkWindow::closeEvent(QCloseEvent *event)
{
    THelpControl::instance()->removeHelp(this);
    TAbstractSubWindow::closeEvent(event);
}
