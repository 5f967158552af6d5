#include "zeldownloadwindow.h"

#include "infoservice.h"
#include "tbuttonbar.h"
#include "thelpcontrol.h"
#include "tlinkdeviceif.h"
#include "tmessagewindow.h"
#include "toption.h"
#include "toptionbutton.h"
#include "twindowtoppanel.h"
#include "zeldownloadpath.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QVBoxLayout>

ZelDownloadWindow::ZelDownloadWindow(TLinkDeviceIf *device, InfoService *service, bool withHelp)
    : TAbstractSubWindow(2, 0), device(device)
{
    // A device removed from the registry closes the window that serves it.
    connect(device, &QObject::destroyed, this, &QWidget::close);
    setMinimumWidth(500);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    topPanel = new TWindowTopPanel(this, service->getName(), service->getIconName(2, true), withHelp, false);
    layout->addWidget(topPanel);
    layout->addSpacing(20);

    auto *heading = new QLabel(tr("Destination file name"), this);
    heading->setObjectName(QStringLiteral("propertyHeading"));
    layout->addWidget(heading);

    fileNameOption = new TOption(tr("Edit"), this, SLOT(editFileNameSelected()));
    auto *fileNameButton = new TOptionButton(fileNameOption, this, TOptionButton::OtherButton);
    fileNameButton->setElideMode(Qt::ElideLeft);
    layout->addWidget(fileNameButton);
    layout->addSpacing(40);

    downloadOption = new TOption(tr("&Download"), QStringLiteral("zkgui_option_ok"), this,
                                 SLOT(handleDownloadSelected(QWidget *)));
    cancelOption = new TOption(tr("&Cancel"), QStringLiteral("zkgui_option_cancel"), this, SLOT(close()));
    auto *bar = new TButtonBar(this);
    setDefaultButton(bar->addOption(downloadOption, 0, Qt::AlignCenter));
    bar->addOption(cancelOption, 0, Qt::AlignCenter);
    layout->addWidget(bar);
}

void ZelDownloadWindow::setProposedPath(const QString &path)
{
    fileNameOption->setText(ZelDownloadPath::shown(path));
}

QString ZelDownloadWindow::destinationPath() const
{
    return fileNameOption->text();
}

void ZelDownloadWindow::editFileNameSelected()
{
    const QString answer = QFileDialog::getSaveFileName(this, tr("Destination file name"),
                                                        ZelDownloadPath::local(fileNameOption->text()), QString());
    if (!answer.isEmpty())
        fileNameOption->setText(ZelDownloadPath::shown(answer));
}

void ZelDownloadWindow::handleDownloadSelected(QWidget *pEmitedBy)
{
    if (QFile::exists(ZelDownloadPath::local(fileNameOption->text()))) {
        TMessageWindow::yesNoQuestion(tr("Overwrite the existing file?"),
                                      tr("A file with the selected name already exists."), pEmitedBy, this,
                                      SLOT(handleDownloadConfirmed()), nullptr);
        return;
    }
    handleDownloadConfirmed();
}

void ZelDownloadWindow::handleDownloadConfirmed()
{
    // Shown with "\\" separators, handed on as this platform's file functions take it.
    startDownload(ZelDownloadPath::local(fileNameOption->text()));
    close();
}

void ZelDownloadWindow::closeEvent(QCloseEvent *event)
{
    THelpControl::instance()->removeHelp(this);
    TAbstractSubWindow::closeEvent(event);
}
