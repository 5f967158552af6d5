#include "zeldiagrepwindow.h"

#include "thelpcontrol.h"
#include "tlinkdeviceif.h"
#include "zeldownloadpath.h"
#include "zelhelppage.h"

ZelDiagRepWindow::ZelDiagRepWindow(TLinkDeviceIf *device)
    : ZelDownloadWindow(device, device->getDiagReportService(), true)
{
    const QString directory = ZelDownloadPath::directory(QStringLiteral("diag_rep/destination_path"));
    // The name comes from the device (its alias): it must not lead out of the folder.
    const QString name = ZelDownloadPath::fileName(device->getName().remove(QLatin1Char(' ')));
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
