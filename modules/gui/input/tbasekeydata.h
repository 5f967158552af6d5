#pragma once

#include <QString>
#include <Qt>

class QKeyEvent;

// Description of what a touch key shows and sends. Descriptions are made
// once by the keypad that owns them; key widgets only point to them.
class TBaseKeyData
{
public:
    TBaseKeyData(const int &key, const QString &name, const QString &iconName, bool autoRepeat);
    virtual ~TBaseKeyData();

    // A new key press event for this key; the caller owns it.
    virtual QKeyEvent *createKeyEvent(Qt::KeyboardModifiers modifiers);
    virtual bool isCheckable();

    int key() const { return m_key; }
    QString getName() const { return m_name; }
    QString iconName() const { return m_iconName; }
    bool autoRepeat() const { return m_autoRepeat; }

protected:
    int m_key;
    QString m_name;
    QString m_iconName;
    bool m_autoRepeat;
};
