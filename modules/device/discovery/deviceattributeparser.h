#pragma once
// Turns a device's SLP attribute list into a device record with its unique
// id, and refuses answers that identify no device.

#include "deviceparam.h"

class DeviceAttributeParser
{
public:
    // Fills `device` from the attribute list of the device at `srvurl`.
    // Values are taken as the device sends them (escapes decoded, the values
    // of a multi-valued attribute joined by ","), whatever characters they
    // hold: the layers that make file or folder names of them make them safe.
    // Returns false, with a debug line giving the reason, when the answer
    // names no device.
    static bool parse(const QString &srvurl, const QString &attributes, device_param_t *device);
};
