// Plays a test that crashes while its peer runs: starts a long sleep as a
// peer, prints the peer's process id and aborts.
#include "testsupport.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    testsupport::Peer peer;
    if (!peer.start(QStringLiteral("sleep"), {QStringLiteral("300")}))
        return 1;
    std::printf("peer %lld\n", static_cast<long long>(peer.process().processId()));
    std::fflush(stdout);
    std::abort();
}
