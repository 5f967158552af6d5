#pragma once
// Settings of the forwarding of received device syslog lines to an external
// syslog server: on/off, the server's IPv4 address and UDP port.

#include "tabstractcfgwindow.h"

#include <QList>

class TLineEdit;
class TListWidget;
class TTouchNumberKeypad;

class SyslogCfgWindow : public TAbstractCfgWindow
{
    Q_OBJECT
public:
    SyslogCfgWindow();

    QList<TLineEdit *> addressFields() const { return addressEdits; }
    TLineEdit *portField() const { return portEdit; }
    TListWidget *enableList() const { return enableListWidget; }

public slots:
    void storeData() override;
    void updateData() override;

private:
    TLineEdit *makeField(int maxLength, int top);
    // Why the typed address or port cannot be stored; empty when they can.
    QString inputError() const;

    TTouchNumberKeypad *keypad;
    QList<TLineEdit *> addressEdits;
    TLineEdit *portEdit;
    TListWidget *enableListWidget;
    bool enable = false;
    QString address;
    quint16 port = 514;
};
