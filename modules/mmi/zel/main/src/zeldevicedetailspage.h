#pragma once
// ZelDeviceDetailsPage: the page that shows one device: name, model image,
// state, identity and LAN data, all property groups, and the buttons that
// open the device's windows. While shown, the device is the SNMP engine's
// active device and each of its updates refreshes the page.
#include <QAbstractButton>

#include "tpage.h"

#include <QList>
#include <QPointer>
#include <QProcess>

#include "tlinkdeviceif.h"

class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class TActivityWidget;
class TElideLabel;
class TIconWidget;
class TLinkDeviceIf;
class TOption;
class TOptionIconButton;
class TPropertiesTouchList;
class TPropertiesTouchListItem;
class TTouchListWidget;
class TUpdateObject;

class ZelDeviceDetailsPage : public TPage
{
    Q_OBJECT
public:
    ZelDeviceDetailsPage(TLinkDeviceIf *device, QWidget *parent = nullptr);
    ~ZelDeviceDetailsPage() override;

    TLinkDeviceIf *device() const { return m_device; }
    void setDevice(TLinkDeviceIf *device);

    // Width of the left column and of the list's name column for a page width.
    static int leftColumnWidth(int pageWidth);
    static int nameColumnWidth(int pageWidth);

    TPropertiesTouchList *propertiesList() const { return m_list; }
    QList<TPropertiesTouchListItem *> groupItems() const { return m_groupItems; }
    TPropertiesTouchListItem *generalItem() const { return m_generalItem; }
    TPropertiesTouchListItem *lanItem() const { return m_lanItem; }
    TElideLabel *headingLabel() const { return m_heading; }
    TIconWidget *modelImage() const { return m_modelImage; }
    QLabel *statusHeading() const { return m_statusHeading; }
    QLabel *statusDetails() const { return m_statusDetails; }
    TActivityWidget *stateIndicator() const { return m_stateIndicator; }
    QWidget *leftColumn() const { return m_leftColumn; }
    TOption *managementOption() const { return m_management; }
    TOption *liveLogOption() const { return m_liveLog; }
    TOption *rebootOption() const { return m_reboot; }
    TOption *softwareUpdateOption() const { return m_softwareUpdate; }
    TOption *diagReportOption() const { return m_diagReport; }
    TOption *configurationOption() const { return m_configuration; }
    TOption *webOption() const { return m_web; }
    TOption *testLinkOption() const { return m_testLink; }
    TOption *mibFileOption() const { return m_mibFile; }
    TOptionIconButton *softwareUpdateButton() const { return m_softwareUpdateButton; }
    bool isLinkTestEnabled() const { return m_linkTest; }

public slots:
    void refreshPage() override;
    void resetPage() override;
    void handleManagmentSelected(QWidget *pEmittedBy);
    void handleDiagRepSelected(QWidget *pEmittedBy);
    void handleLiveLogSelected(QWidget *pEmittedBy);
    void handleRebootSelected(QWidget *pEmittedBy);
    void handleSoftwareUpdateSelected(QWidget *pEmittedBy);
    void handleDeviceConfigSelected(QWidget *pEmittedBy);
    void handleDeviceWebSelected(QWidget *pEmittedBy);
    void handleDeviceTestSelected(QWidget *pEmittedBy);
    void handleMibfileSelected(QWidget *pEmittedBy);
    void activateDevice(bool activate);
    void processError(QProcess::ProcessError error);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void readLinkTestSetting();

    // Guarded: the registry may delete a device while a page still holds it.
    QPointer<TLinkDeviceIf> m_device;
    TUpdateObject *m_updateObject = nullptr;
    TElideLabel *m_heading;
    TIconWidget *m_modelImage;
    QWidget *m_leftColumn;
    QProcess m_process;
    bool m_linkTest = false;
    TPropertiesTouchListItem *m_generalItem;
    TPropertiesTouchListItem *m_lanItem;
    QList<TPropertiesTouchListItem *> m_groupItems;
    TPropertiesTouchList *m_list;
    TTouchListWidget *m_listWidget;
    TOption *m_management, *m_liveLog, *m_reboot, *m_softwareUpdate, *m_diagReport, *m_configuration, *m_web,
        *m_testLink, *m_mibFile;
    TOptionIconButton *m_managementButton, *m_liveLogButton, *m_rebootButton, *m_softwareUpdateButton;
    QVBoxLayout *m_rightLayout;
    TActivityWidget *m_stateIndicator;
    QLabel *m_statusHeading;
    QLabel *m_statusDetails;
};
