#include "zeloptionswindow.h"

#include "tlinkdevicehandler.h"
#include "tlistcolumndesc.h"
#include "tlistitem.h"
#include "tlistwidget.h"
#include "zeldevicepagescreen.h"

#include <QDebug>
#include <QFile>
#include <QHBoxLayout>
#include <QStandardPaths>
#include <QVBoxLayout>

ZelOptionsWindow::ZelOptionsWindow(ZelDevicePageScreen *screen)
    : TAbstractCfgWindow(tr("Edit ZEL options"), false), screen(screen)
{
    QFrame *frame = editingFrame();
    frame->setMinimumWidth(400);
    auto *row = new QHBoxLayout(frame);
    row->setAlignment(Qt::AlignTop);
    row->setContentsMargins(0, 1, 0, 0);
    row->setSpacing(0);
    auto *column = new QVBoxLayout;
    column->setAlignment(Qt::AlignTop);
    column->setContentsMargins(10, 0, 0, 0);
    column->setSpacing(0);
    row->addLayout(column);

    debugDevicesListWidget = makeList(tr("Load Debug Devices"), 320);
    linkTestListWidget = makeList(tr("Enable Link test"), 300);
    column->addWidget(debugDevicesListWidget);
    column->addWidget(linkTestListWidget);
    column->addStretch();
}

TListWidget *ZelOptionsWindow::makeList(const QString &text, int minWidth)
{
    auto *list = new TListWidget(editingFrame(), 1, 9);
    list->addColumn(new TListColumnDesc(4, 58, 58, 0));
    list->addColumn(new TListColumnDesc(2, minWidth, 400, 5));
    list->setCheckable(true);
    list->setFixedHeight(58);
    auto *item = new TListItem(0, text, list);
    item->setChecked(false);
    item->setEnabled(true);
    list->addItem(item, true);
    return list;
}

QString ZelOptionsWindow::debugDevicesFileName()
{
    return QStringLiteral("%1/%2/%3/debug.xml")
        .arg(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), QStringLiteral("Vantor"),
             QStringLiteral("ZEL"));
}

void ZelOptionsWindow::updateData()
{
    const ZelOptionStates options = screen->getOptionStates();
    debugDevicesLoaded = options.debugDevicesLoaded;
    debugDevicesListWidget->findItem(0)->setChecked(debugDevicesLoaded);
    linkTestListWidget->findItem(0)->setChecked(options.linkTestEnabled);
}

void ZelOptionsWindow::storeData()
{
    storeEnded = false;
    setBusy(QStringLiteral("zkgui_option_store"), tr("Storing the options ..."), nullptr, 10000);
    if (!debugDevicesLoaded && debugDevicesListWidget->findItem(0)->isChecked()) {
        const QString fileName = debugDevicesFileName();
        if (QFile::exists(fileName)) {
            TLinkDeviceHandler::instance()->readDebugDevices(fileName);
            debugDevicesLoaded = true;
        } else {
            qDebug() << "ZelOptionsWindow::storeData: no debug devices file" << fileName;
        }
    }
    ZelOptionStates options;
    options.debugDevicesLoaded = debugDevicesLoaded;
    options.linkTestEnabled = linkTestListWidget->findItem(0)->isChecked();
    screen->setOptionStates(options);
    handleBusyEnded(TBusyWidget::Closed);
}

void ZelOptionsWindow::handleStoreCompleted(int)
{
    clrBusy();
}

void ZelOptionsWindow::focusChangedHandler(QWidget *, QWidget *) {}

void ZelOptionsWindow::handleBusyEnded(TBusyWidget::EndReason)
{
    // The overlay also ends by itself later (its time-out) when the window
    // still exists then: the options are reported stored once only.
    if (storeEnded)
        return;
    storeEnded = true;
    emit stored();
    close();
}
