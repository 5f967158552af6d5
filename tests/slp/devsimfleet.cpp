#include "devsimfleet.h"

bool DevsimFleet::start(int host, const QStringList &options)
{
    auto peer = std::make_unique<testsupport::Peer>();
    QStringList args{"--address", address(host), "--no-snmp", "--serial", QString::number(100000 + host)};
    args << options;
    if (!peer->start(ZEL_DEVSIM, args) || !peer->waitForOutput("devsim ready")) {
        qWarning("DevsimFleet::start: %s", qPrintable(peer->output()));
        return false;
    }
    m_peers.emplace_back(host, std::move(peer));
    return true;
}

void DevsimFleet::stop(int host)
{
    for (auto it = m_peers.begin(); it != m_peers.end(); ++it) {
        if (it->first == host) {
            it->second->stop();
            m_peers.erase(it);
            return;
        }
    }
}
