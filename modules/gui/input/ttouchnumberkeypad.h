#pragma once

#include "tbasetouchkeypad.h"

#include <QList>

#include <memory>
#include <vector>

class TBaseKeyData;

// A fixed keypad of ten digit keys and Backspace that configuration windows
// place next to their fields. A window may give its keys other descriptions
// for a while and restore the digits later.
class TTouchNumberKeypad : public TBaseTouchKeypad
{
    Q_OBJECT
public:
    explicit TTouchNumberKeypad(QWidget *parent = nullptr);
    ~TTouchNumberKeypad() override;

    void setKeyData(const QList<TBaseKeyData *> &list);
    void restoreKeyData();
    const QList<TBaseKeyData *> &defaultKeyData() const { return m_defaultKeyData; }

private:
    QList<TBaseKeyData *> m_defaultKeyData;
    std::vector<std::unique_ptr<TBaseKeyData>> m_ownedKeyData;
};
