#include "powerbatterycfgfield.h"

#include "powerbatterycfgwindow.h"
#include "psubatterycfg.h"
#include "tcfgfielditem.h"

#include <QDebug>

PowerBatteryCfgField::PowerBatteryCfgField(TLinkDeviceIf *device, QWidget *parent)
    : PowerCfgField(tr("Battery settings"), QStringLiteral("zkgui_settings_power_battery"), device, parent)
{
    addRows({tr("Max charge current"), tr("Max charge voltage"), tr("Float voltage"), tr("Min alarm voltage"),
             tr("Max alarm voltage"), tr("Min alarm temperature"), tr("Max alarm temperature")},
            TCfgFieldItem::TextRow, 0);
    updateData();
}

void PowerBatteryCfgField::showNoData()
{
    for (TCfgFieldItem *row : qAsConst(m_rows))
        row->setIconName(tr("Update pending"));
}

void PowerBatteryCfgField::showRecord(const psu_battery_cfg_t &record)
{
    const QString amperes = QStringLiteral(" A");
    const QString volts = QStringLiteral(" V");
    const QString degrees = QStringLiteral(" \u00b0C");
    const struct {
        double value;
        int decimals;
        const QString &unit;
    } values[] = {{record.maxChargeCurrent, 1, amperes}, {record.maxChargeVoltage, 1, volts},
                  {record.floatVoltage, 1, volts},       {record.minAlarmVoltage, 1, volts},
                  {record.maxAlarmVoltage, 1, volts},    {record.minAlarmTemp, 0, degrees},
                  {record.maxAlarmTemp, 0, degrees}};
    for (int i = 0; i < m_rows.size(); ++i)
        m_rows.at(i)->setIconName(QString::number(values[i].value, 'f', values[i].decimals) + values[i].unit);
}

void PowerBatteryCfgField::showCfgWindow()
{
    if (!recordValid()) {
        qDebug().noquote() << "PowerBatteryCfgField::showCfgWindow: no complete record read yet";
        return;
    }
    openEditor(new PowerBatteryCfgWindow(m_device, m_interface), SLOT(handlePowerBatteryCfgWindowDestroyed()));
}

void PowerBatteryCfgField::handlePowerBatteryCfgWindowDestroyed()
{
    m_editor = nullptr;
}
