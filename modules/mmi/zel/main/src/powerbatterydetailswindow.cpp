#include "powerbatterydetailswindow.h"

#include "powerbatterycfgfield.h"
#include "powerbranchcfgfield.h"
#include "tlinkdeviceif.h"
#include "toption.h"
#include "toptioniconbutton.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

PowerBatteryDetailsWindow::PowerBatteryDetailsWindow(TLinkDeviceIf *device)
    : TAbstractSubWindow(2, 0), m_device(device)
{
    setMinimumWidth(500);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->setSpacing(2);
    layout->addLayout(header);
    auto *heading = new QLabel(tr("Power supply"), this);
    heading->setObjectName(QStringLiteral("headingLabel"));
    header->addWidget(heading);
    header->addStretch();
    auto *closeOption = new TOption(QString(), QStringLiteral("zkgui_close_cross"), this, SLOT(close()));
    closeOption->setParent(this);
    auto *closeButton = new TOptionIconButton(closeOption, this);
    closeButton->setMaximumWidth(58);
    header->addWidget(closeButton);

    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("horizontalLineLeft"));
    line->setMinimumHeight(1);
    line->setMaximumHeight(1);
    layout->addWidget(line);

    m_batteryField = new PowerBatteryCfgField(device, this);
    m_branchField = new PowerBranchCfgField(device, this);
    layout->addWidget(m_batteryField);
    layout->addWidget(m_branchField);

    connect(device, &TLinkDeviceIf::updated, this, &PowerBatteryDetailsWindow::updateData);
    // A device removed from the registry closes the window that serves it.
    connect(device, &QObject::destroyed, this, [this] { close(); });
}

void PowerBatteryDetailsWindow::updateData()
{
    if (!m_device || !m_device->isOnline())
        close();
}
