#include "powerbatterycfgwindow.h"

#include "powercfgfield.h"
#include "tlineedit.h"
#include "tlinkdeviceif.h"
#include "tmessagewindow.h"
#include "toptionbutton.h"
#include "tpsubatteryif.h"
#include "tstandardkeydata.h"
#include "ttouchnumberkeypad.h"
#include "tuintvalidator.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QRegExpValidator>
#include <QVBoxLayout>
#include <cmath>

namespace {
const QString Degrees = QStringLiteral("\u00b0C");

// One range check: the value, its bounds, the message prefix, decimals, unit
// and the field to correct.
struct RangeCheck {
    double value;
    double low;
    double high;
    const char *heading;
    const char *prefix;
    int decimals;
    QString unit;
    int field;
};
} // namespace

PowerBatteryCfgWindow::PowerBatteryCfgWindow(TLinkDeviceIf *device, TPsuBatteryIf *interface)
    : TAbstractCfgWindow(tr("Edit battery settings"), false), m_device(device), m_interface(interface)
{
    m_record.supplyBranch = 0;
    QFrame *frame = editingFrame();
    frame->setMinimumWidth(700);
    auto *columns = new QHBoxLayout(frame);
    columns->setAlignment(Qt::AlignTop);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    auto *settings = new QVBoxLayout;
    settings->setAlignment(Qt::AlignTop);
    settings->setContentsMargins(10, 0, 0, 0);
    settings->setSpacing(0);
    columns->addLayout(settings);
    auto *keypadColumn = new QVBoxLayout;
    m_keypad = new TTouchNumberKeypad(frame);
    keypadColumn->addWidget(m_keypad);
    columns->addLayout(keypadColumn);

    // Fields in focus order: integer part and tenths of the currents and
    // voltages, sign and magnitude of the temperatures.
    const struct {
        int maxLength;
        int low;
        int high;
    } digits[] = {{2, 2, 40},  {1, 0, 9}, {2, 26, 29}, {1, 0, 9}, {2, 24, 28}, {1, 0, 9}, {2, 20, 30},
                  {1, 0, 9},   {2, 20, 32}, {1, 0, 9}, {1, 0, 0}, {2, 20, 25}, {1, 0, 0}, {3, 25, 110}};
    for (int f = 0; f < FieldCount; ++f) {
        if (f == MinTempSign || f == MaxTempSign) {
            auto *validator = new QRegExpValidator(QRegExp(QStringLiteral("[-+]"), Qt::CaseSensitive), this);
            m_fields << makeField(1, validator, f == MinTempSign ? QLatin1Char('-') : QLatin1Char('+'));
        } else {
            m_fields << makeField(digits[f].maxLength, new TUintValidator(digits[f].low, digits[f].high, this),
                                  QLatin1Char('0'));
        }
    }

    settings->addLayout(headingBlock(tr("Charge settings")));
    auto *chargeRow = new QHBoxLayout;
    chargeRow->setAlignment(Qt::AlignTop);
    chargeRow->setContentsMargins(0, 0, 0, 0);
    chargeRow->setSpacing(0);
    chargeRow->addLayout(decimalBlock(tr("Max current"), CurrentInt, tr("A"), 0, 0));
    chargeRow->addLayout(decimalBlock(tr("Max voltage"), ChargeVoltageInt, tr("V"), 0, 0));
    chargeRow->addLayout(decimalBlock(tr("Float voltage"), FloatVoltageInt, tr("V"), 0, 0));
    settings->addLayout(chargeRow);
    settings->addSpacing(10);
    settings->addLayout(headingBlock(tr("Alarm settings")));
    auto *voltageRow = new QHBoxLayout;
    voltageRow->setAlignment(Qt::AlignTop);
    voltageRow->setContentsMargins(0, 0, 0, 0);
    voltageRow->setSpacing(0);
    voltageRow->addLayout(decimalBlock(tr("Min voltage"), MinVoltageInt, tr("V"), 0, 0));
    voltageRow->addLayout(decimalBlock(tr("Max voltage"), MaxVoltageInt, tr("V"), 192, 9));
    settings->addLayout(voltageRow);
    auto *temperatureRow = new QHBoxLayout;
    temperatureRow->setAlignment(Qt::AlignTop);
    temperatureRow->setContentsMargins(0, 0, 0, 0);
    temperatureRow->setSpacing(0);
    temperatureRow->addLayout(temperatureBlock(tr("Min temperature"), MinTempSign, tr("\u00b0C"), 0));
    temperatureRow->addLayout(temperatureBlock(tr("Max temperature"), MaxTempSign, tr("\u00b0C"), 192));
    settings->addLayout(temperatureRow);

    m_signKeyData << new TStandardKeyData(Qt::Key_Minus, QStringLiteral("-"), QString(), QString(), false)
                  << new TStandardKeyData(Qt::Key_Plus, QStringLiteral("+"), QString(), QString(), false);
    while (m_signKeyData.size() < 10)
        m_signKeyData << nullptr;

    setFocusWidget(m_fields.at(0));
    m_fields.at(0)->setPreviousFocusWidget(cancelButton());
    for (int f = 1; f < FieldCount; ++f)
        m_fields.at(f)->setPreviousFocusWidget(m_fields.at(f - 1));
    for (int f = 0; f < FieldCount - 1; ++f) {
        if (f <= MaxVoltageTenths && f % 2 == 0)
            m_fields.at(f)->setNextFocusWidget(m_fields.at(f + 1), Qt::Key_Period, Qt::Key_Comma);
        else
            m_fields.at(f)->setNextFocusWidget(m_fields.at(f + 1));
    }
    m_fields.at(MaxTempMagnitude)->setNextFocusWidget(okButton());
}

PowerBatteryCfgWindow::~PowerBatteryCfgWindow()
{
    // The keypad may still point at the sign keys: give it its digits back first.
    m_keypad->restoreKeyData();
    qDeleteAll(m_signKeyData);
}

TLineEdit *PowerBatteryCfgWindow::makeField(int maxLength, QValidator *validator, QChar padding)
{
    auto *edit = new TLineEdit(m_keypad, false, editingFrame(), true);
    edit->setMaxLength(maxLength);
    edit->setValidator(validator);
    edit->setPadding(padding, 1);
    edit->setMaximumWidth(58);
    edit->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    return edit;
}

QBoxLayout *PowerBatteryCfgWindow::headingBlock(const QString &heading)
{
    auto *row = new QHBoxLayout;
    auto *label = new QLabel(heading, editingFrame());
    label->setObjectName(QStringLiteral("headingLabel"));
    row->addWidget(label);
    row->addStretch();
    auto *block = new QVBoxLayout;
    block->addLayout(row);
    auto *line = new QFrame(editingFrame());
    line->setObjectName(QStringLiteral("horizontalLineLeft"));
    line->setMinimumHeight(1);
    line->setMaximumHeight(1);
    block->addWidget(line);
    return block;
}

static QVBoxLayout *settingBlock(QWidget *parent, const QString &labelText, QHBoxLayout **fieldsRow)
{
    auto *block = new QVBoxLayout;
    auto *label = new QLabel(labelText, parent);
    label->setObjectName(QStringLiteral("OptionLabel"));
    label->setMinimumWidth(50);
    block->addWidget(label);
    auto *row = new QHBoxLayout;
    row->setAlignment(Qt::AlignLeft);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    block->addLayout(row);
    *fieldsRow = row;
    return block;
}

QBoxLayout *PowerBatteryCfgWindow::decimalBlock(const QString &label, int intField, const QString &unit,
                                                int extraSpace1, int extraSpace2)
{
    QHBoxLayout *row = nullptr;
    QVBoxLayout *block = settingBlock(editingFrame(), label, &row);
    row->addWidget(m_fields.at(intField));
    auto *point = new QLabel(QStringLiteral("."), editingFrame());
    point->setFixedWidth(10);
    point->setAlignment(Qt::AlignCenter);
    row->addWidget(point);
    row->addWidget(m_fields.at(intField + 1));
    row->addSpacing(5);
    auto *unitLabel = new QLabel(unit, editingFrame());
    unitLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    row->addWidget(unitLabel);
    if (extraSpace1)
        row->addSpacing(extraSpace1);
    if (extraSpace2)
        row->addSpacing(extraSpace2);
    row->addStretch();
    return block;
}

QBoxLayout *PowerBatteryCfgWindow::temperatureBlock(const QString &label, int signField, const QString &unit,
                                                    int extraSpace)
{
    QHBoxLayout *row = nullptr;
    QVBoxLayout *block = settingBlock(editingFrame(), label, &row);
    row->addWidget(m_fields.at(signField));
    row->addSpacing(10);
    row->addWidget(m_fields.at(signField + 1));
    row->addSpacing(5);
    auto *unitLabel = new QLabel(unit, editingFrame());
    unitLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    row->addWidget(unitLabel);
    if (extraSpace)
        row->addSpacing(extraSpace);
    row->addStretch();
    return block;
}

void PowerBatteryCfgWindow::focusChangedHandler(QWidget *pOld, QWidget *pNow)
{
    Q_UNUSED(pOld)
    if (pNow && (pNow == m_fields.at(MinTempSign) || pNow == m_fields.at(MaxTempSign)))
        m_keypad->setKeyData(m_signKeyData);
    else
        m_keypad->restoreKeyData();
}

void PowerBatteryCfgWindow::setDecimal(int intField, double value)
{
    int whole = int(value + 0.01);
    int tenths = qMax(0, int((float(value) - whole) * 10.5));
    // Hundredths that round the tenths up to ten do not fit the one-digit
    // field: the value then shows as the next whole number.
    if (tenths > 9) {
        ++whole;
        tenths = 0;
    }
    m_fields.at(intField)->setText(QString::number(whole));
    m_fields.at(intField + 1)->setText(QString::number(tenths));
}

void PowerBatteryCfgWindow::setTemperature(int signField, double value)
{
    m_fields.at(signField)->setText(float(value) + 0.01 < 0 ? tr("-") : QStringLiteral("+"));
    m_fields.at(signField + 1)->setText(QString::number(std::fabs(value), 'f', 0));
}

double PowerBatteryCfgWindow::decimal(int intField) const
{
    return m_fields.at(intField)->text().toDouble() + m_fields.at(intField + 1)->text().toDouble() / 10;
}

double PowerBatteryCfgWindow::temperature(int signField) const
{
    const double magnitude = m_fields.at(signField + 1)->text().toDouble();
    return m_fields.at(signField)->text() == QLatin1String("-") ? -magnitude : magnitude;
}

void PowerBatteryCfgWindow::updateData()
{
    connect(qApp, &QApplication::focusChanged, this, &PowerBatteryCfgWindow::focusChangedHandler,
            Qt::UniqueConnection);
    if (!m_device || !m_device->isOnline() || !m_interface) {
        showStatusDescription(tr("Data not available"), QString());
        return;
    }
    if (!m_interface->getConfig().dataValid) {
        // Nothing is edited that was not read from the device.
        showStatusDescription(tr("Data not available"), QString());
        return;
    }
    m_record = m_interface->getConfig();
    setDecimal(CurrentInt, m_record.maxChargeCurrent);
    setDecimal(ChargeVoltageInt, m_record.maxChargeVoltage);
    setDecimal(FloatVoltageInt, m_record.floatVoltage);
    setDecimal(MinVoltageInt, m_record.minAlarmVoltage);
    setDecimal(MaxVoltageInt, m_record.maxAlarmVoltage);
    setTemperature(MinTempSign, m_record.minAlarmTemp);
    setTemperature(MaxTempSign, m_record.maxAlarmTemp);
    m_base = m_record;
    m_shownTexts.clear();
    for (const TLineEdit *edit : qAsConst(m_fields))
        m_shownTexts << edit->text();
    showEditingFrame();
}

bool PowerBatteryCfgWindow::validateInput()
{
    const psu_battery_cfg_t &r = m_record;
    const QString a = QStringLiteral("A");
    const QString v = QStringLiteral("V");
    const RangeCheck ranges[] = {
        {r.maxChargeCurrent, 2, 40, QT_TR_NOOP("Invalid current"), QT_TR_NOOP("Max charge current must be between "), 1, a, CurrentInt},
        {r.maxChargeVoltage, 26, 29, QT_TR_NOOP("Invalid voltage"), QT_TR_NOOP("Max charge voltage must be between "), 1, v, ChargeVoltageInt},
        {r.floatVoltage, 24, 28.5, QT_TR_NOOP("Invalid voltage"), QT_TR_NOOP("Float voltage must be between "), 1, v, FloatVoltageInt},
        {r.minAlarmVoltage, 20, 30, QT_TR_NOOP("Invalid voltage"), QT_TR_NOOP("Min alarm voltage must be between "), 1, v, MinVoltageInt},
        {r.maxAlarmVoltage, 20, 32, QT_TR_NOOP("Invalid voltage"), QT_TR_NOOP("Max alarm voltage must be between "), 1, v, MaxVoltageInt},
        {r.minAlarmTemp, -20, 25, QT_TR_NOOP("Invalid temperature"), QT_TR_NOOP("Min battery alarm temperature must be between "), 0, Degrees,
         MinTempMagnitude},
        {r.maxAlarmTemp, 25, 110, QT_TR_NOOP("Invalid temperature"), QT_TR_NOOP("Max battery alarm temperature must be between "), 0, Degrees,
         MaxTempMagnitude},
    };
    // Values are whole tenths; compare with a little slack for the binary fractions.
    const double slack = 1e-6;
    auto fail = [this](const QString &heading, const QString &text, int f) {
        m_fields.at(f)->setFocus(Qt::OtherFocusReason);
        TMessageWindow::showWarning(heading, text, this, nullptr, nullptr);
        return false;
    };
    for (const RangeCheck &c : ranges) {
        if (c.value < c.low - slack || c.value > c.high + slack) {
            const QString text = tr(c.prefix) + QString::number(c.low, 'f', c.decimals) + c.unit + tr(" and ")
                                 + QString::number(c.high, 'f', c.decimals) + c.unit;
            return fail(tr(c.heading), text, c.field);
        }
    }
    const struct {
        bool failed;
        const char *text;
        int field;
    } crossChecks[] = {
        {r.floatVoltage > r.maxChargeVoltage + slack, QT_TR_NOOP("Max charge voltage can not be smaller than float voltage"),
         ChargeVoltageInt},
        {r.minAlarmVoltage > r.maxAlarmVoltage + slack, QT_TR_NOOP("Max alarm voltage can not be smaller than min alarm voltage"),
         MaxVoltageInt},
        {r.maxChargeVoltage > r.maxAlarmVoltage + slack, QT_TR_NOOP("Max alarm voltage can not be smaller than max charge voltage"),
         MaxVoltageInt},
        {r.floatVoltage > r.maxAlarmVoltage + slack, QT_TR_NOOP("Max alarm voltage can not be smaller than float voltage"),
         MaxVoltageInt},
        {r.maxChargeVoltage < r.minAlarmVoltage - slack, QT_TR_NOOP("Min alarm voltage can not be bigger than max charge voltage"),
         MinVoltageInt},
        {r.floatVoltage < r.minAlarmVoltage - slack, QT_TR_NOOP("Min alarm voltage can not be bigger than float voltage"),
         MinVoltageInt},
    };
    for (const auto &c : crossChecks)
        if (c.failed)
            return fail(tr("Invalid voltage"), tr(c.text), c.field);
    return true;
}

void PowerBatteryCfgWindow::storeData()
{
    // A value whose two fields still show what they were filled with keeps
    // the device's own value, hundredths included: only edited values change.
    auto edited = [this](int firstField) {
        for (int f = firstField; f <= firstField + 1; ++f)
            if (f >= m_shownTexts.size() || m_fields.at(f)->text() != m_shownTexts.at(f))
                return true;
        return false;
    };
    m_record = m_base;
    if (edited(CurrentInt))
        m_record.maxChargeCurrent = decimal(CurrentInt);
    if (edited(ChargeVoltageInt))
        m_record.maxChargeVoltage = decimal(ChargeVoltageInt);
    if (edited(FloatVoltageInt))
        m_record.floatVoltage = decimal(FloatVoltageInt);
    if (edited(MinVoltageInt))
        m_record.minAlarmVoltage = decimal(MinVoltageInt);
    if (edited(MaxVoltageInt))
        m_record.maxAlarmVoltage = decimal(MaxVoltageInt);
    if (edited(MinTempSign))
        m_record.minAlarmTemp = temperature(MinTempSign);
    if (edited(MaxTempSign))
        m_record.maxAlarmTemp = temperature(MaxTempSign);
    if (!validateInput() || !m_interface)
        return;
    connect(m_interface.data(), &TPsuBatteryIf::storeCompleted, this, &PowerBatteryCfgWindow::handleStoreCompleted,
            Qt::UniqueConnection);
    m_storing = true;
    m_storeResult = TPsuBatteryIf::WriteTimeout; // unless the interface reports an end in time
    setBusy(QStringLiteral("zkgui_option_store"), tr("Storing battery settings"), nullptr, PowerCfgField::StoreTimeoutMs);
    m_interface->store(m_record, m_base);
}

void PowerBatteryCfgWindow::handleStoreCompleted(int res)
{
    if (!m_storing)
        return; // the end of a store this window has given up on
    m_storeResult = res;
    clrBusy();
}

void PowerBatteryCfgWindow::handleBusyEnded(TBusyWidget::EndReason endReason)
{
    Q_UNUSED(endReason)
    m_storing = false;
    // A store that failed or never ended keeps the window open for another try.
    if (PowerCfgField::showStoreFailure(m_storeResult, this))
        return;
    emit stored();
    close();
}
