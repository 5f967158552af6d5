#pragma once
// A set of simulated devices on 127.0.0.x, started for one test and stopped
// with it.

#include "testsupport.h"

#include <QStringList>

#include <memory>
#include <vector>

class DevsimFleet
{
public:
    // Starts one device at 127.0.0.<host> with the extra options; false when it
    // did not report ready.
    bool start(int host, const QStringList &options = {});
    // Stops the device at 127.0.0.<host>.
    void stop(int host);

    static QString address(int host) { return QStringLiteral("127.0.0.%1").arg(host); }
    static QString deviceUrl(int host) { return QStringLiteral("service:device.vantor://") + address(host); }

private:
    std::vector<std::pair<int, std::unique_ptr<testsupport::Peer>>> m_peers;
};
