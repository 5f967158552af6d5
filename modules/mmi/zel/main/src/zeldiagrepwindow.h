#pragma once
// Asks one device for its diagnostic report, saved to a file the user picks.

#include "zeldownloadwindow.h"

class ZelDiagRepWindow : public ZelDownloadWindow
{
    Q_OBJECT
public:
    explicit ZelDiagRepWindow(TLinkDeviceIf *device);

protected:
    void startDownload(const QString &localPath) override;
    void showEvent(QShowEvent *event) override;
};
