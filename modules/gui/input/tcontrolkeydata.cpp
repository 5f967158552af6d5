#include "tcontrolkeydata.h"

TControlKeyData::TControlKeyData(const int &key, const QString &name, const QString &iconName)
    : TBaseKeyData(key, name, iconName, false)
{
}

bool TControlKeyData::isCheckable()
{
    return true;
}
