#pragma once
// Fetches one device's MIB file to a file the user picks.

#include "tabstractsubwindow.h"

class TLinkDeviceIf;
class TOption;
class TWindowTopPanel;

class ZelDeviceMibfileWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    explicit ZelDeviceMibfileWindow(TLinkDeviceIf *device);

    QString destinationPath() const;

public slots:
    void handleDownloadSelected(QWidget *pEmitedBy);
    void handleDownloadConfirmed();
    void editFileNameSelected();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    TLinkDeviceIf *device;
    TOption *downloadOption;
    TOption *cancelOption;
    TOption *fileNameOption;
    TWindowTopPanel *topPanel;
};
