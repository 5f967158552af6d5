#pragma once
// Installs a software image on one device: shows the running and the
// proposed version, lets the user pick an image and starts the upload.

#include "tabstractsubwindow.h"
#include "tlinksoftware.h"

#include <QList>

class InfoService;
class QLabel;
class TLinkDeviceIf;
class TOption;
class TStatusDescription;
class TWindowTopPanel;

class ZelSoftwareUpdateWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    explicit ZelSoftwareUpdateWindow(TLinkDeviceIf *device);
    ~ZelSoftwareUpdateWindow() override;

    TLinkSoftware getSelectedSoftware() const { return selectedSoftware; }
    const QList<TLinkSoftware> &offeredSoftware() const { return softwareList; }

public slots:
    void update();
    void handleUpdateSelected();
    void handleSelectedSoftwareSelected(QWidget *pEmittedBy);
    void handleSearchSelected(QWidget *pEmittedBy);
    void handleSoftwareSelected(int itemId);

private slots:
    void handleDeviceDestroyed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    static bool isNone(const TLinkSoftware &software);
    void setNewVersionShown(bool shown);

    TLinkDeviceIf *device;
    QList<TLinkSoftware> softwareList;
    TLinkSoftware selectedSoftware;
    bool selectedByUser = false;
    QLabel *currentHeading;
    QLabel *currentVersion;
    QLabel *currentBuild;
    QLabel *newHeading;
    QLabel *newVersion;
    QLabel *newBuild;
    TStatusDescription *statusDescription;
    TOption *updateOption;
    TOption *cancelOption;
    TOption *optionsMenu;
    TWindowTopPanel *topPanel;
};
