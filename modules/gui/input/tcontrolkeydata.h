#pragma once

#include "tbasekeydata.h"

// A mode key of the keyboard (Shift, Caps Lock, symbols, [CY]): it latches.
class TControlKeyData : public TBaseKeyData
{
public:
    TControlKeyData(const int &key, const QString &name, const QString &iconName = QString());

    bool isCheckable() override;
};
