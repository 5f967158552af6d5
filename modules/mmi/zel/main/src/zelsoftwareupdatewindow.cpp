#include "zelsoftwareupdatewindow.h"

#include "infoservice.h"
#include "tbuttonbar.h"
#include "tcolumnstouchlist.h"
#include "tcolumnstouchlistitem.h"
#include "thelpcontrol.h"
#include "tlinkdevicehandler.h"
#include "tlinkdeviceif.h"
#include "tmessagewindow.h"
#include "toption.h"
#include "tstatusdescription.h"
#include "ttouchlistcolumndesc.h"
#include "twindowtoppanel.h"
#include "zelhelppage.h"
#include "tselectitemwindow.h"
#include "zelsoftwaresearchwindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QLabel *makeLabel(const QString &text, const char *objectName, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(objectName));
    return label;
}

} // namespace

ZelSoftwareUpdateWindow::ZelSoftwareUpdateWindow(TLinkDeviceIf *device)
    : TAbstractSubWindow(2, 0), device(device)
{
    InfoService *service = device->getSoftwareUpdateService();
    setFixedSize(500, 270);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    optionsMenu = new TOption(tr("Options"), QStringLiteral("zkgui_tools"), this, nullptr);
    optionsMenu->addOption(new TOption(tr("Select software"), this, SLOT(handleSelectedSoftwareSelected(QWidget *))));
    optionsMenu->addOption(new TOption(tr("Search for software"), this, SLOT(handleSearchSelected(QWidget *))));

    topPanel = new TWindowTopPanel(this, service->getName(), service->getIconName(2, true), true, false, optionsMenu);
    layout->addWidget(topPanel);
    layout->addStretch();

    auto *grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(9);
    grid->setVerticalSpacing(2);
    layout->addLayout(grid);
    currentHeading = makeLabel(tr("Current version"), "propertyHeading", this);
    currentVersion = makeLabel(QString(), "propertyLargeValue", this);
    currentBuild = makeLabel(QString(), "propertyValue", this);
    newHeading = makeLabel(tr("New version"), "propertyHeading", this);
    newVersion = makeLabel(QString(), "propertyLargeValue", this);
    newBuild = makeLabel(QString(), "propertyValue", this);
    const QList<QLabel *> rows[2] = {{currentHeading, currentVersion, currentBuild}, {newHeading, newVersion, newBuild}};
    for (int r = 0; r < 2; ++r) {
        rows[r][0]->setMargin(1);
        rows[r][2]->setIndent(5);
        rows[r][2]->setMargin(1);
        for (int c = 0; c < 3; ++c)
            grid->addWidget(rows[r][c], r, c);
    }
    grid->setColumnMinimumWidth(0, 200);
    grid->setColumnStretch(0, 0);
    grid->setColumnStretch(1, 0);
    grid->setColumnStretch(2, 1);

    layout->addStretch();
    statusDescription = new TStatusDescription(0, QString(), this, QString(), false);
    layout->addWidget(statusDescription);
    layout->addStretch();

    updateOption = new TOption(tr("&Update"), QStringLiteral("zkgui_option_ok"), this, SLOT(handleUpdateSelected()));
    cancelOption = new TOption(tr("&Cancel"), QStringLiteral("zkgui_option_cancel"), this, SLOT(close()));
    auto *bar = new TButtonBar(this);
    setDefaultButton(bar->addOption(updateOption, 0, Qt::AlignCenter));
    bar->addOption(cancelOption, 0, Qt::AlignCenter);
    layout->addWidget(bar);

    TLinkDeviceHandler *handler = TLinkDeviceHandler::instance();
    handler->setSoftwareSearchInterval(false, 5000, 5000);
    if (!device->isSoftwareUpToDate())
        device->getNewestSoftware(selectedSoftware);
    selectedByUser = false;

    connect(handler->softwareSearchService(), SIGNAL(stateUpdated()), this, SLOT(update()));
    connect(device, SIGNAL(updated(TLinkDeviceIf *)), this, SLOT(update()));
    // A device removed from the registry closes the window that serves it.
    connect(device, &QObject::destroyed, this, &ZelSoftwareUpdateWindow::handleDeviceDestroyed);
    update();
}

ZelSoftwareUpdateWindow::~ZelSoftwareUpdateWindow() = default;

bool ZelSoftwareUpdateWindow::isNone(const TLinkSoftware &software)
{
    return software.isVersion(0, 0, 0);
}

void ZelSoftwareUpdateWindow::setNewVersionShown(bool shown)
{
    newHeading->setVisible(shown);
    newVersion->setVisible(shown);
    newBuild->setVisible(shown);
}

void ZelSoftwareUpdateWindow::handleDeviceDestroyed()
{
    device = nullptr;
    close();
}

void ZelSoftwareUpdateWindow::update()
{
    if (!device)
        return;
    TLinkSoftware current;
    device->getCurrentSoftware(current);
    currentVersion->setText(current.getVersionText());
    currentBuild->setText(tr("Build") + QLatin1Char(' ') + current.getBuildText());

    InfoService *search = TLinkDeviceHandler::instance()->softwareSearchService();
    if (search->getFlags() == 2) {
        topPanel->setBusy(true);
        updateOption->setEnabled(false);
        setNewVersionShown(false);
        statusDescription->setVisible(true);
        statusDescription->setHeading(search->getStateText());
        statusDescription->setDescription(search->getDescription());
        return;
    }

    QList<TLinkSoftware> list;
    device->getSoftwareList(list);
    const bool upToDate = device->isSoftwareUpToDate();
    if (!upToDate && (!selectedByUser || isNone(selectedSoftware)))
        device->getNewestSoftware(selectedSoftware);

    bool listed = false;
    if (!isNone(selectedSoftware)) {
        for (const TLinkSoftware &sw : list)
            listed = listed || sw.isVersion(selectedSoftware.getMajor(), selectedSoftware.getMinor(),
                                             selectedSoftware.getBuild());
    }
    if (listed) {
        updateOption->setEnabled(true);
        setNewVersionShown(true);
        statusDescription->setVisible(false);
        topPanel->setBusy(false);
        newVersion->setText(selectedSoftware.getVersionText());
        newBuild->setText(tr("Build") + QLatin1Char(' ') + selectedSoftware.getBuildText());
        return;
    }
    TLinkSoftware none;
    none.setText1(selectedSoftware.getText1());
    none.setText2(selectedSoftware.getText2());
    none.setText3(selectedSoftware.getText3());
    selectedSoftware = none;
    updateOption->setEnabled(false);
    setNewVersionShown(false);
    statusDescription->setVisible(true);
    statusDescription->setStatus(0);
    statusDescription->setHeading(tr("Newer software not detected"));
    statusDescription->setDescription(tr("A newer software version for this device has not been detected. "
                                         "Please insert a USB device with the desired software version."));
    topPanel->setBusy(false);
}

void ZelSoftwareUpdateWindow::handleSelectedSoftwareSelected(QWidget *pEmittedBy)
{
    if (!device)
        return;
    softwareList.clear();
    QList<TLinkSoftware> list;
    device->getSoftwareList(list);
    for (const TLinkSoftware &sw : list) {
        int at = 0;
        while (at < softwareList.size() && !sw.isNewerThan(softwareList.at(at)))
            ++at;
        softwareList.insert(at, sw);
    }
    if (softwareList.isEmpty()) {
        TMessageWindow::showWarning(tr("Software not detected"),
                                    tr("No software for this device has been detected. "
                                       "Please insert a USB device with the desired software version."),
                                    pEmittedBy);
        return;
    }

    auto *touchList = new TColumnsTouchList;
    auto *versionColumn = new TTouchListColumnDesc(0, 100, 100, 0, touchList);
    versionColumn->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    versionColumn->setFontType(6);
    touchList->addColumn(versionColumn);
    auto *buildColumn = new TTouchListColumnDesc(0, 250, 500, 20, touchList);
    buildColumn->setFontType(5);
    touchList->addColumn(buildColumn);
    for (int i = 0; i < softwareList.size(); ++i) {
        const TLinkSoftware &sw = softwareList.at(i);
        touchList->addItem(new TColumnsTouchListItem(touchList, i, sw.getVersionText(),
                                                     tr("Build ") + sw.getBuildText()));
    }

    auto *window = new TSelectItemWindow(tr("Select Software"),
                                           device->getSoftwareUpdateService()->getIconName(2, true), touchList);
    touchList->setParent(window);
    connect(window, &TSelectItemWindow::selected, this, &ZelSoftwareUpdateWindow::handleSoftwareSelected);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->showWindow(pEmittedBy);
}

void ZelSoftwareUpdateWindow::handleSoftwareSelected(int itemId)
{
    if (itemId < 0 || itemId >= softwareList.size()) {
        qDebug("ZelSoftwareUpdateWindow::handleSoftwareSelected: no entry %d", itemId);
        return;
    }
    selectedSoftware = softwareList.at(itemId);
    selectedByUser = true;
    update();
}

void ZelSoftwareUpdateWindow::handleUpdateSelected()
{
    if (!device)
        return;
    device->initiateSoftwareUpload(selectedSoftware.clone());
    close();
}

void ZelSoftwareUpdateWindow::handleSearchSelected(QWidget *pEmittedBy)
{
    auto *window = new ZelSoftwareSearchWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->showWindow(pEmittedBy);
}

void ZelSoftwareUpdateWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F5) {
        TLinkDeviceHandler::instance()->rescanSoftware();
        if (!selectedByUser && device)
            device->getNewestSoftware(selectedSoftware);
    }
    // No other key does anything here, and none travels further.
    event->accept();
}

void ZelSoftwareUpdateWindow::showEvent(QShowEvent *event)
{
    THelpControl::instance()->addHelp(ZelHelpPage::url(QStringLiteral("software_update.html")), this);
    TAbstractSubWindow::showEvent(event);
}

void ZelSoftwareUpdateWindow::closeEvent(QCloseEvent *event)
{
    THelpControl::instance()->removeHelp(this);
    TAbstractSubWindow::closeEvent(event);
    TLinkDeviceHandler::instance()->setSoftwareSearchInterval(true, 0, 0);
    selectedByUser = false;
}
