#pragma once
// A window that fetches one file from a device to a file the user picks:
// the proposed destination, the file dialog, the question before an existing
// file is overwritten. Subclasses say which file and start the fetch.

#include "tabstractsubwindow.h"

class InfoService;
class TLinkDeviceIf;
class TOption;
class TWindowTopPanel;

class ZelDownloadWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    QString destinationPath() const;

public slots:
    void handleDownloadSelected(QWidget *pEmitedBy);
    void handleDownloadConfirmed();
    void editFileNameSelected();

protected:
    // `service` gives the heading and icon; `withHelp` shows the help button.
    ZelDownloadWindow(TLinkDeviceIf *device, InfoService *service, bool withHelp);

    // The destination proposed first, written with "\\" separators.
    void setProposedPath(const QString &path);
    // Asks the device for the file, saved at `localPath`.
    virtual void startDownload(const QString &localPath) = 0;

    void closeEvent(QCloseEvent *event) override;

    TLinkDeviceIf *device;

private:
    TOption *downloadOption;
    TOption *cancelOption;
    TOption *fileNameOption;
    TWindowTopPanel *topPanel;
};
