#include "tbasetouchkeypad.h"

#include "tbasekeydata.h"
#include "ttouchkey.h"

#include <QApplication>
#include <QKeyEvent>

TBaseTouchKeypad::TBaseTouchKeypad(QWidget *parent)
    : QFrame(parent)
{
    qRegisterMetaType<THiddingReason>("THiddingReason");
}

TBaseTouchKeypad::~TBaseTouchKeypad() = default;

void TBaseTouchKeypad::registerKey(TTouchKey *key)
{
    m_keys.append(key);
    connect(key, &TTouchKey::keyActivated, this, &TBaseTouchKeypad::keyClickedHandler);
}

void TBaseTouchKeypad::keyClickedHandler(TBaseKeyData *pKeyData)
{
    if (pKeyData)
        sendKeyEvent(pKeyData, Qt::NoModifier);
}

void TBaseTouchKeypad::sendKeyEvent(TBaseKeyData *pKeyData, Qt::KeyboardModifiers modifiers)
{
    m_lastKeyEventStore.reset(pKeyData->createKeyEvent(modifiers));
    m_lastKeyEvent = m_lastKeyEventStore.get();
    if (QWidget *target = window()->focusWidget())
        QApplication::sendEvent(target, m_lastKeyEvent);
}

bool TBaseTouchKeypad::isKeypadVisible() const
{
    return isVisible();
}

bool TBaseTouchKeypad::isOwnKeyEvent(QEvent *e)
{
    return e == reinterpret_cast<QEvent *>(m_lastKeyEvent);
}

void TBaseTouchKeypad::setKeyboardCharacterSet(TKeyboardCharacterSet)
{
}
