#pragma once
// One TCP service port of the simulated device: takes the connections made
// to it, hangs up at once on those that come while the device restarts, and
// hands every other one on. A connection's socket is deleted when it closes.

#include "deviceidentity.h"

#include <QObject>

class QTcpServer;
class QTcpSocket;

class TcpListener : public QObject
{
    Q_OBJECT
public:
    explicit TcpListener(const DeviceIdentity &identity, QObject *parent = nullptr);
    // Listens on the device's address; on failure `error` says why.
    bool listen(quint16 port, QString *error);

signals:
    // A new connection; its socket belongs to the listener.
    void connected(QTcpSocket *socket);

private:
    void accept();

    const DeviceIdentity &m_identity;
    QTcpServer *m_server = nullptr;
};
