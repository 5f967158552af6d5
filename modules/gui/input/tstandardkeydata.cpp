#include "tstandardkeydata.h"

#include <QKeyEvent>

TStandardKeyData::TStandardKeyData(const int &key, const QString &text, const QString &name, const QString &iconName,
                                   bool autoRepeat)
    : TBaseKeyData(key, name.isEmpty() ? text : name, iconName, autoRepeat)
    , m_text(text)
{
}

QKeyEvent *TStandardKeyData::createKeyEvent(Qt::KeyboardModifiers modifiers)
{
    return new QKeyEvent(QEvent::KeyPress, m_key, modifiers, m_text, false, 1);
}
