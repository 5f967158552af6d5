#include "zeldevicemibfilewindow.h"

#include "tlinkdeviceif.h"
#include "zeldownloadpath.h"

ZelDeviceMibfileWindow::ZelDeviceMibfileWindow(TLinkDeviceIf *device)
    : ZelDownloadWindow(device, device->getMibFileService(), false)
{
    const QString directory = ZelDownloadPath::directory(QStringLiteral("mibfile/destination_path"));
    const QString app = device->getServiceApp(1840);
    const QString name = app.mid(app.lastIndexOf(QLatin1Char('/')) + 1);
    setProposedPath(QStringLiteral("%1\\%2").arg(directory, name));
}

void ZelDeviceMibfileWindow::startDownload(const QString &localPath)
{
    device->downloadMibFile(localPath);
}
