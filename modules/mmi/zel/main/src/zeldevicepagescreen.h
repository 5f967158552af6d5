#pragma once
// ZelDevicePageScreen: the application's screen. Holds the device list page
// and two device details pages and moves between them (a zoom between the
// list and a device, a slide between devices), and carries the button bar
// with the device report, the settings and the help.
#include <QAbstractButton>

#include "tpage.h"
#include "tpagescreen.h"
#include "zeloptionstates.h"

#include <QPointer>

class TLinkDeviceIf;
class TOption;
class TOptionIconButton;
class TPasswordReqWindow;
class ZelDeviceDetailsPage;
class ZelDeviceListPage;
class ZelOptionsWindow;

class ZelDevicePageScreen : public TPageScreen
{
    Q_OBJECT
public:
    explicit ZelDevicePageScreen(QWidget *parent = nullptr);

    void showDevice(TLinkDeviceIf *device);
    ZelOptionStates getOptionStates();
    void setOptionStates(const ZelOptionStates &states);

    ZelDeviceListPage *listPage() const { return m_listPage; }
    ZelDeviceDetailsPage *detailsPage1() const { return m_detailsPage1; }
    ZelDeviceDetailsPage *detailsPage2() const { return m_detailsPage2; }
    TOptionIconButton *previousButton() const { return m_previousButton; }
    TOptionIconButton *nextButton() const { return m_nextButton; }
    TOptionIconButton *listButton() const { return m_listButton; }
    TOptionIconButton *reportButton() const { return m_reportButton; }
    TOptionIconButton *settingButton() const { return m_settingButton; }
    int storedMoveCount() const { return m_storedMoveCount; }
    bool isOptionsPasswordNeeded() const { return m_optionsPasswordNeeded; }
    TPasswordReqWindow *passwordWindow() const { return m_passwordReqWindow; }

public slots:
    void handleHomeSelected() override;
    void handleListPageSelected();
    void handleDeviceReportSelected();
    void handleSettingSelected();
    void handleExtSyslogSelected();
    void handleZelOptions();
    void showZelOptionWindow();
    void handleLeftSelected();
    void handleRightSelected();
    void handleAnimationCompleted();
    void handleBackgroundSelected();
    void handlePasswordReqWindowDestroyed();
    void handleZelOptionsWindowDestroyed();
    void createDevices();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The index of the current details page's device and the other details
    // page; -1 and null when no details page is current.
    int currentIndex(const QList<TLinkDeviceIf *> &devices, ZelDeviceDetailsPage **target);
    ZelDeviceDetailsPage *secondDetailsPage();
    static QRect deviceImageRect() { return QRect(34, 20, 252, 252); }

    ZelDeviceListPage *m_listPage = nullptr;
    ZelDeviceDetailsPage *m_detailsPage1 = nullptr;
    ZelDeviceDetailsPage *m_detailsPage2 = nullptr;
    QPointer<ZelOptionsWindow> m_zelOptionsWindow;
    TOptionIconButton *m_previousButton = nullptr;
    TOptionIconButton *m_nextButton = nullptr;
    TOptionIconButton *m_listButton = nullptr;
    TOptionIconButton *m_reportButton = nullptr;
    TOptionIconButton *m_settingButton = nullptr;
    TPasswordReqWindow *m_passwordReqWindow = nullptr;
    int m_storedMoveCount = 0;
    bool m_debugDevicesLoaded = false;
    bool m_optionsPasswordNeeded = true;
};
