#include "zelsoftwaresearchwindow.h"

#include "infoservice.h"
#include "tbuttonbar.h"
#include "tlinkdevicehandler.h"
#include "toption.h"
#include "toptionbutton.h"
#include "twindowtoppanel.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QSettings>
#include <QVBoxLayout>

static const char searchPathKey[] = "upload_manager/search_path";

ZelSoftwareSearchWindow::ZelSoftwareSearchWindow()
    : TAbstractSubWindow(2, 0)
{
    setMinimumWidth(500);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    topPanel = new TWindowTopPanel(this, tr("Search for software"), InfoService::getServiceIconName(256, 2), true,
                                   false);
    layout->addWidget(topPanel);
    layout->addSpacing(20);

    auto *heading = new QLabel(tr("Software search path"), this);
    heading->setObjectName(QStringLiteral("propertyHeading"));
    layout->addWidget(heading);

    pathOption = new TOption(tr("Edit"), this, SLOT(editPathSelected()));
    auto *pathButton = new TOptionButton(pathOption, this, TOptionButton::OtherButton);
    pathButton->setElideMode(Qt::ElideMiddle);
    layout->addWidget(pathButton);
    layout->addSpacing(40);

    searchOption = new TOption(tr("&Search"), QStringLiteral("zkgui_option_ok"), this, SLOT(handleSearchSelected()));
    cancelOption = new TOption(tr("&Cancel"), QStringLiteral("zkgui_option_cancel"), this, SLOT(close()));
    auto *bar = new TButtonBar(this);
    setDefaultButton(bar->addOption(searchOption, 0, Qt::AlignCenter));
    bar->addOption(cancelOption, 0, Qt::AlignCenter);
    layout->addWidget(bar);

    QSettings settings;
    pathOption->setText(settings.value(QLatin1String(searchPathKey), QDir::currentPath()).toString());
}

QString ZelSoftwareSearchWindow::searchPath() const
{
    return pathOption->text();
}

void ZelSoftwareSearchWindow::editPathSelected()
{
    const QString answer = QFileDialog::getExistingDirectory(this, tr("Software search path"), pathOption->text(),
                                                             QFileDialog::ShowDirsOnly);
    if (!answer.isEmpty())
        pathOption->setText(answer);
}

void ZelSoftwareSearchWindow::handleSearchSelected()
{
    const QString path = pathOption->text();
    {
        QSettings settings;
        settings.setValue(QLatin1String(searchPathKey), path);
    }
    TLinkDeviceHandler::instance()->initiateManualSoftwareSearch(path);
    close();
}
