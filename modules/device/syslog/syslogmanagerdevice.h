#pragma once

#include "infodevice.h"

// The syslog layer's own device-like object, the source of its events. It
// has no model-list entry; its model name is the fixed "0000".
class SyslogManagerDevice : public InfoDevice
{
    Q_OBJECT
public:
    explicit SyslogManagerDevice(const QString &name) : InfoDevice(nullptr, name) {}

    QString getModelName() const override { return QStringLiteral("0000"); }
};
