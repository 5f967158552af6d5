#pragma once

#include <QHostAddress>
#include <QtGlobal>

class QUdpSocket;

// The peer of one TFTP transfer: the local socket its request came in on
// (every reply of the transfer leaves from it), its address and its port.
struct TransferInfo
{
    QUdpSocket *socket = nullptr;
    QHostAddress address;
    quint16 port = 0;

    bool operator==(const TransferInfo &other) const
    {
        return socket == other.socket && address == other.address && port == other.port;
    }
    bool operator!=(const TransferInfo &other) const { return !(*this == other); }
};
