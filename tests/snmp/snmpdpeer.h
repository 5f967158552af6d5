#pragma once
// A real snmpd in the foreground on 127.0.0.1 and a free high port, with
// community "quarry" and an optional pass script for extra objects.

#include "testsupport.h"

#include <QTemporaryDir>

class SnmpdPeer
{
public:
    // passOid/passScript: serve the subtree passOid through the given script.
    bool start(const QString &passOid = QString(), const QString &passScript = QString());
    QString hostAddress() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    quint16 port() const { return m_port; }
    QString output() { return m_peer.output(); }

private:
    QTemporaryDir m_dir;
    testsupport::Peer m_peer;
    quint16 m_port = 0;
};
