#pragma once
// "Edit battery settings": the battery's charge and alarm limits of the
// power supply unit, typed on the window's numeric keypad, checked against
// their ranges and each other, and stored through the power supply interface.

#include "psubatterycfg.h"
#include "tabstractcfgwindow.h"

#include <QList>
#include <QPointer>

class TBaseKeyData;
class TLineEdit;
class TLinkDeviceIf;
class TPsuBatteryIf;
class TTouchNumberKeypad;
class QBoxLayout;
class QValidator;

class PowerBatteryCfgWindow : public TAbstractCfgWindow
{
    Q_OBJECT
public:
    // The input fields, in focus order.
    enum Field {
        CurrentInt, CurrentTenths, ChargeVoltageInt, ChargeVoltageTenths, FloatVoltageInt, FloatVoltageTenths,
        MinVoltageInt, MinVoltageTenths, MaxVoltageInt, MaxVoltageTenths, MinTempSign, MinTempMagnitude,
        MaxTempSign, MaxTempMagnitude, FieldCount
    };

    PowerBatteryCfgWindow(TLinkDeviceIf *device, TPsuBatteryIf *interface);
    ~PowerBatteryCfgWindow() override;

    TLineEdit *field(Field f) const { return m_fields.at(f); }
    TTouchNumberKeypad *keypad() const { return m_keypad; }
    psu_battery_cfg_t record() const { return m_record; }

    // True when every value is acceptable; otherwise one warning is shown and
    // the field to correct gets the focus.
    bool validateInput();

public slots:
    void updateData() override;
    void storeData() override;
    void handleStoreCompleted(int res);
    void focusChangedHandler(QWidget *pOld, QWidget *pNow);
    void handleBusyEnded(TBusyWidget::EndReason endReason) override;

private:
    TLineEdit *makeField(int maxLength, QValidator *validator, QChar padding);
    QBoxLayout *decimalBlock(const QString &label, int intField, const QString &unit, int extraSpace1,
                             int extraSpace2);
    QBoxLayout *temperatureBlock(const QString &label, int signField, const QString &unit, int extraSpace);
    QBoxLayout *headingBlock(const QString &heading);
    void setDecimal(int intField, double value);
    void setTemperature(int signField, double value);
    double decimal(int intField) const;
    double temperature(int signField) const;

    QList<TLineEdit *> m_fields;
    TTouchNumberKeypad *m_keypad;
    QList<TBaseKeyData *> m_signKeyData;
    QPointer<TLinkDeviceIf> m_device;
    QPointer<TPsuBatteryIf> m_interface;
    psu_battery_cfg_t m_record;
    psu_battery_cfg_t m_base;  // the record the fields were filled from
    QStringList m_shownTexts;  // the field texts it gave, to tell what the user changed
    bool m_storing = false;
    int m_storeResult = 0; // TPsuBatteryIf::Result of the last store
};
