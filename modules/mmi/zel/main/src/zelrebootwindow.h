#pragma once
// Confirms and requests the restart of one device.

#include "tabstractsubwindow.h"

class TLinkDeviceIf;
class TOption;
class TWindowTopPanel;

class ZelRebootWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    explicit ZelRebootWindow(TLinkDeviceIf *device);

public slots:
    void handleRebootSelected();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    TLinkDeviceIf *device;
    TOption *rebootOption;
    TOption *cancelOption;
    TWindowTopPanel *topPanel;
};
