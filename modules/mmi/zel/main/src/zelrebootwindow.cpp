#include "zelrebootwindow.h"

#include "infoservice.h"
#include "tbuttonbar.h"
#include "thelpcontrol.h"
#include "tlinkdeviceif.h"
#include "toption.h"
#include "twindowtoppanel.h"
#include "zelhelppage.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

ZelRebootWindow::ZelRebootWindow(TLinkDeviceIf *device)
    : TAbstractSubWindow(2, 0), device(device)
{
    // A device removed from the registry closes the window that serves it.
    connect(device, &QObject::destroyed, this, &QWidget::close);
    setFixedSize(400, 240);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    InfoService *service = device->getRebootService();
    topPanel = new TWindowTopPanel(this, service->getName(), service->getIconName(2, true), true, false);
    layout->addWidget(topPanel);
    layout->addStretch(1);

    auto *text = new QLabel(tr("The device will be requested to reboot.\n\n"
                               "Communication with the device will be lost while the device is rebooting."),
                            this);
    text->setObjectName(QStringLiteral("propertyHeading"));
    text->setWordWrap(true);
    text->setContentsMargins(15, 0, 15, 0);
    layout->addWidget(text);
    layout->addStretch(2);

    rebootOption = new TOption(tr("&Reboot"), QStringLiteral("zkgui_option_ok"), this, SLOT(handleRebootSelected()));
    cancelOption = new TOption(tr("&Cancel"), QStringLiteral("zkgui_option_cancel"), this, SLOT(close()));
    auto *bar = new TButtonBar(this);
    setDefaultButton(bar->addOption(rebootOption, 0, Qt::AlignCenter));
    bar->addOption(cancelOption, 0, Qt::AlignCenter);
    layout->addWidget(bar);
    // The text wraps: the window grows so that nothing of it is cut.
    setFixedHeight(qMax(240, layout->totalHeightForWidth(400)));
}

void ZelRebootWindow::handleRebootSelected()
{
    device->rebootDevice();
    close();
}

void ZelRebootWindow::showEvent(QShowEvent *event)
{
    THelpControl::instance()->addHelp(ZelHelpPage::url(QStringLiteral("reboot.html")), this);
    TAbstractSubWindow::showEvent(event);
}

void ZelRebootWindow::closeEvent(QCloseEvent *event)
{
    THelpControl::instance()->removeHelp(this);
    TAbstractSubWindow::closeEvent(event);
}
