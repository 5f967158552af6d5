#pragma once
// Asks one device for its diagnostic report, saved to a file the user picks.

#include "tabstractsubwindow.h"

class TLinkDeviceIf;
class TOption;
class TWindowTopPanel;

class ZelDiagRepWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    explicit ZelDiagRepWindow(TLinkDeviceIf *device);

    QString destinationPath() const;

public slots:
    void handleDownloadSelected(QWidget *pEmitedBy);
    void handleDownloadConfirmed();
    void editFileNameSelected();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    TLinkDeviceIf *device;
    TOption *downloadOption;
    TOption *cancelOption;
    TOption *fileNameOption;
    TWindowTopPanel *topPanel;
};
