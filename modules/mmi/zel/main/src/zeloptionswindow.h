#pragma once
// The application's service options: loading the debug devices and
// offering the link test.

#include "tabstractcfgwindow.h"

class TListWidget;
class ZelDevicePageScreen;

class ZelOptionsWindow : public TAbstractCfgWindow
{
    Q_OBJECT
public:
    explicit ZelOptionsWindow(ZelDevicePageScreen *screen);

    TListWidget *debugDevicesList() const { return debugDevicesListWidget; }
    TListWidget *linkTestList() const { return linkTestListWidget; }

    // The file the debug devices are read from.
    static QString debugDevicesFileName();

public slots:
    void updateData() override;
    void storeData() override;
    void handleStoreCompleted(int res);
    void focusChangedHandler(QWidget *pOld, QWidget *pNow);
    void handleBusyEnded(TBusyWidget::EndReason endReason) override;

private:
    TListWidget *makeList(const QString &text, int minWidth);

    ZelDevicePageScreen *screen;
    TListWidget *debugDevicesListWidget;
    TListWidget *linkTestListWidget;
    bool debugDevicesLoaded = false;
    bool storeEnded = false;
};
