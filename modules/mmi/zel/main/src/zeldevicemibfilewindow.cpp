#include "zeldevicemibfilewindow.h"

#include "tlinkdeviceif.h"
#include "zeldownloadpath.h"

ZelDeviceMibfileWindow::ZelDeviceMibfileWindow(TLinkDeviceIf *device)
    : ZelDownloadWindow(device, device->getMibFileService(), false)
{
    const QString directory = ZelDownloadPath::directory(QStringLiteral("mibfile/destination_path"));
    const QString app = device->getServiceApp(1840);
    // The name comes from the device: it must not lead out of the folder, and
    // without one the file is named after the device.
    QString name = ZelDownloadPath::fileName(app.mid(app.lastIndexOf(QLatin1Char('/')) + 1));
    if (name.isEmpty()) {
        name = ZelDownloadPath::fileName(device->getName().remove(QLatin1Char(' ')));
        name = (name.isEmpty() ? QStringLiteral("device") : name) + QLatin1String(".mib");
    }
    setProposedPath(QStringLiteral("%1\\%2").arg(directory, name));
}

void ZelDeviceMibfileWindow::startDownload(const QString &localPath)
{
    device->downloadMibFile(localPath);
}
