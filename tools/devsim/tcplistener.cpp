#include "tcplistener.h"

#include <QTcpServer>
#include <QTcpSocket>

TcpListener::TcpListener(const DeviceIdentity &identity, QObject *parent)
    : QObject(parent), m_identity(identity)
{
}

bool TcpListener::listen(quint16 port, QString *error)
{
    m_server = new QTcpServer(this);
    if (!m_server->listen(m_identity.address, port)) {
        *error = m_server->errorString();
        return false;
    }
    connect(m_server, &QTcpServer::newConnection, this, &TcpListener::accept);
    return true;
}

void TcpListener::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        if (m_identity.restarting) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        emit connected(socket);
    }
}
