#pragma once
// Whether a service URL's host lies in the IPv4 subnet of a local interface
// (the loopback interface included).

#include <QString>

class LocalSubnet
{
public:
    // `who` starts the debug line written for each matching interface address.
    static bool contains(const QString &srvurl, const char *who);
};
