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

    // The peer's address as dotted decimal (IPv4 peers of a dual-stack
    // socket included): the text every notice of the transfer names it by.
    QString addressText() const
    {
        bool isV4 = false;
        const quint32 v4 = address.toIPv4Address(&isV4);
        return isV4 ? QHostAddress(v4).toString() : address.toString();
    }
};
