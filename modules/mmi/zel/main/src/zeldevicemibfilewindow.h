#pragma once
// Fetches one device's MIB file to a file the user picks.

#include "zeldownloadwindow.h"

class ZelDeviceMibfileWindow : public ZelDownloadWindow
{
    Q_OBJECT
public:
    explicit ZelDeviceMibfileWindow(TLinkDeviceIf *device);

protected:
    void startDownload(const QString &localPath) override;
};
