#include "tbasetouchkeypad.h"

#include <QEvent>

TBaseTouchKeypad::TBaseTouchKeypad(QWidget *parent)
    : QFrame(parent)
{
    qRegisterMetaType<THiddingReason>("THiddingReason");
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
