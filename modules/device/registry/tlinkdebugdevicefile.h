#pragma once
// Reader of the debug device file "debug.xml": devices declared by hand, each
// handed on as if discovery had reported it.

#include "deviceparam.h"

#include <QString>

#include <functional>

class TLinkDebugDeviceFile
{
public:
    using Receiver = std::function<void(const device_param_t &)>;

    // Where the options window finds "debug.xml": the folder "Vantor & Vantor/ZEL"
    // below the generic data location (on Linux $XDG_DATA_HOME, by default
    // ~/.local/share).
    static QString defaultPath();

    // Reads the file and hands each complete device (a valid IPv4 address,
    // model and serial number present) to receiver as soon as its element
    // ends; a device with an address that is none is skipped with a debug line.
    // Returns the number of devices handed on. A missing file, an unreadable
    // file and malformed XML end the reading with a debug line; devices
    // completed before an error have been handed on already.
    static int read(const QString &fileName, const Receiver &receiver);
};
