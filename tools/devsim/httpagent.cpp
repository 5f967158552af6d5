#include "httpagent.h"
#include "tcplistener.h"
#include "mibcatalog.h"

#include <QDebug>
#include <QFile>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

HttpAgent::HttpAgent(DeviceIdentity &identity, QObject *parent)
    : QObject(parent), m_identity(identity)
{
}

bool HttpAgent::start(QString *error)
{
    m_listener = new TcpListener(m_identity, this);
    connect(m_listener, &TcpListener::connected, this, &HttpAgent::accept);
    return m_listener->listen(m_identity.httpPort, error);
}

void HttpAgent::accept(QTcpSocket *socket)
{
    m_requests.insert(socket, QByteArray());
    connect(socket, &QObject::destroyed, this, [this, socket] { m_requests.remove(socket); });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
    // A client that never finishes its request is dropped (a mute server keeps it).
    if (!m_identity.httpMute)
        QTimer::singleShot(idleTimeoutMs, socket, [socket] { socket->abort(); });
}

void HttpAgent::readRequest(QTcpSocket *socket)
{
    const auto it = m_requests.find(socket);
    if (it == m_requests.end()) {
        socket->readAll(); // answered already: the rest is ignored
        return;
    }
    it->append(socket->read(maxHeaderSize + 1 - it->size()));
    if (m_identity.silent || m_identity.httpMute) {
        it->clear(); // takes the request, says nothing
        socket->readAll();
        return;
    }
    const int end = it->indexOf("\r\n\r\n");
    if (end < 0) {
        if (it->size() > maxHeaderSize) {
            qDebug() << "HttpAgent::readRequest: request header too large, closing";
            m_requests.erase(it);
            respond(socket, 431, "Request Header Fields Too Large", "text/plain", "Request header too large\n");
        }
        return;
    }
    const QByteArray requestLine = it->left(it->indexOf("\r\n"));
    m_requests.erase(it);
    const QList<QByteArray> parts = requestLine.split(' ');
    if (parts.size() != 3 || !parts.at(2).startsWith("HTTP/1.") || !parts.at(1).startsWith('/')) {
        qDebug() << "HttpAgent::readRequest: malformed request line" << requestLine.left(80);
        respond(socket, 400, "Bad Request", "text/plain", "Bad request\n");
        return;
    }
    answer(socket, parts.at(0), parts.at(1));
}

void HttpAgent::answer(QTcpSocket *socket, const QByteArray &method, const QByteArray &target)
{
    if (method != "GET" && method != "HEAD") {
        respond(socket, 405, "Method Not Allowed", "text/plain", "Method not allowed\n");
        return;
    }
    const QByteArray path = target.split('?').value(0);
    const bool withBody = method == "GET";
    if (path == "/" || path == pagePath) {
        respond(socket, 200, "OK", "text/html; charset=utf-8", page(), withBody);
        return;
    }
    if (path == mibPath) {
        const QByteArray mib = mibFile();
        if (!mib.isEmpty()) {
            respond(socket, 200, "OK", "text/plain; charset=utf-8", mib, withBody);
            return;
        }
    }
    respond(socket, 404, "Not Found", "text/plain", "Not found\n", withBody);
}

void HttpAgent::respond(QTcpSocket *socket, int status, const QByteArray &reason, const QByteArray &type,
                        const QByteArray &body, bool withBody)
{
    QByteArray message = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n"
                         + "Server: " + m_identity.product.toUtf8() + " web server\r\n"
                         + "Content-Type: " + type + "\r\n"
                         + "Content-Length: " + QByteArray::number(body.size()) + "\r\n"
                         + "Connection: close\r\n\r\n";
    if (withBody)
        message += body;
    QPointer<QTcpSocket> target(socket);
    auto write = [target, message] {
        if (!target)
            return;
        target->write(message);
        target->disconnectFromHost(); // after the data has gone out
    };
    if (m_identity.delayMs <= 0)
        write();
    else
        QTimer::singleShot(m_identity.delayMs, socket, write);
}

QByteArray HttpAgent::page() const
{
    const QString title = QStringLiteral("%1 %2 - %3 model %4, serial %5")
                              .arg(m_identity.vendor, m_identity.product, m_identity.alias, m_identity.model,
                                   m_identity.serial)
                              .toHtmlEscaped();
    return QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n</head>\n"
                          "<body>\n<h1>%1</h1>\n<p>Software %2 build %3</p>\n</body>\n</html>\n")
        .arg(title, m_identity.swVersion.toHtmlEscaped(), m_identity.swBuild.toHtmlEscaped())
        .toUtf8();
}

QByteArray HttpAgent::mibFile() const
{
    const QString path = MibCatalog::findModelFile(m_identity.mibDir, m_identity.model, m_identity.swVersion);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        qDebug() << "HttpAgent::mibFile: no MIB file for model" << m_identity.model << "in" << m_identity.mibDir;
        return QByteArray();
    }
    return file.readAll();
}
