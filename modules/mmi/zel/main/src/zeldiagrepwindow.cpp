#include "zeldiagrepwindow.h"

#include "thelpcontrol.h"
#include "tlinkdeviceif.h"
#include "zeldownloadpath.h"
#include "zelhelppage.h"

namespace {
// Longest name before ".diag" that the TFTP server still takes.
constexpr int MaxNameLength = 120;
} // namespace

ZelDiagRepWindow::ZelDiagRepWindow(TLinkDeviceIf *device)
    : ZelDownloadWindow(device, device->getDiagReportService(), true)
{
    const QString directory = ZelDownloadPath::directory(QStringLiteral("diag_rep/destination_path"));
    // The name comes from the device (its alias): it must not lead out of the
    // folder, and the device sends the report under it, so it must be one the
    // TFTP server takes (not hidden, not too long).
    QString name = ZelDownloadPath::fileName(device->getName().remove(QLatin1Char(' '))).left(MaxNameLength);
    if (name.isEmpty())
        name = QStringLiteral("device");
    setProposedPath(QStringLiteral("%1\\%2.diag").arg(directory, name));
}

void ZelDiagRepWindow::startDownload(const QString &localPath)
{
    device->downloadDiagReport(localPath);
}

void ZelDiagRepWindow::showEvent(QShowEvent *event)
{
    THelpControl::instance()->addHelp(ZelHelpPage::url(QStringLiteral("diagnostics_report.html")), this);
    ZelDownloadWindow::showEvent(event);
}
