#pragma once
// Peers of the debug-session tests: the simulator's telnet service on a
// free port of a 127.0.2.x address.

#include "testsupport.h"

#include <QStringList>

namespace debugtest {

// Starts devsim with only its telnet service on `address` and a free port;
// returns the port, or 0 when the simulator did not come up.
quint16 startDevsim(testsupport::Peer &sim, const QString &address, const QStringList &extra = {});

// The time stamp code a device writes for `utc` ("%1%2%3%4%5" in hex).
QString stampCode(const QDateTime &utc);

} // namespace debugtest
