#pragma once
// Turns a device's SLP attribute list into a device record with its unique
// id, and refuses answers that are missing or malformed.

#include "deviceparam.h"

class DeviceAttributeParser
{
public:
    // Fills `device` from the attribute list of the device at `srvurl`.
    // Returns false, with a debug line, when the answer is not valid.
    static bool parse(const QString &srvurl, const QString &attributes, device_param_t *device);

private:
    static bool wellFormed(const QString &attributes);
    static bool safeValue(const QString &value, bool nameLike);
};
