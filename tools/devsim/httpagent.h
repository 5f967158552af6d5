#pragma once
// The device's web server: HTTP/1.1 on the device's address, serving the
// home page and the model's MIB file at the path the device announces for
// its MIB service; 404 for anything else. One request per connection.

#include "deviceidentity.h"

#include <QByteArray>
#include <QHash>
#include <QObject>

class QTcpSocket;
class TcpListener;

class HttpAgent : public QObject
{
    Q_OBJECT
public:
    explicit HttpAgent(DeviceIdentity &identity, QObject *parent = nullptr);
    bool start(QString *error);

    static constexpr int maxHeaderSize = 8192; // request line and headers
    static constexpr int idleTimeoutMs = 10000;
    static constexpr const char *pagePath = "/index.html";
    static constexpr const char *mibPath = "/vantor.mib";

private:
    void accept(QTcpSocket *socket);
    void readRequest(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QByteArray &method, const QByteArray &path);
    void respond(QTcpSocket *socket, int status, const QByteArray &reason, const QByteArray &type,
                 const QByteArray &body, bool withBody = true);
    QByteArray page() const;
    QByteArray mibFile() const;

    DeviceIdentity &m_identity;
    TcpListener *m_listener = nullptr;
    QHash<QTcpSocket *, QByteArray> m_requests; // header bytes so far
};
