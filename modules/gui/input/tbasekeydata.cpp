#include "tbasekeydata.h"

#include <QKeyEvent>

TBaseKeyData::TBaseKeyData(const int &key, const QString &name, const QString &iconName, bool autoRepeat)
    : m_key(key)
    , m_name(name)
    , m_iconName(iconName)
    , m_autoRepeat(autoRepeat)
{
}

TBaseKeyData::~TBaseKeyData() = default;

QKeyEvent *TBaseKeyData::createKeyEvent(Qt::KeyboardModifiers modifiers)
{
    return new QKeyEvent(QEvent::KeyPress, m_key, modifiers, QString(), false, 1);
}

bool TBaseKeyData::isCheckable()
{
    return false;
}
