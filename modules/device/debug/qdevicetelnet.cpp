#include "qdevicetelnet.h"

#include <QDebug>
#include <QSocketNotifier>
#include <QTcpSocket>

namespace {

const char dataMark = char(0xF2);
const char iac = char(0xFF);

} // namespace

QDeviceTelnet::QDeviceTelnet(QObject *parent)
    : QObject(parent)
{
    setSocket(new QTcpSocket(this));
}

QDeviceTelnet::~QDeviceTelnet()
{
    dropNotifier();
    if (m_socket) {
        // No signal of a dying client may reach its users.
        m_socket->disconnect(this);
        delete m_socket;
    }
}

void QDeviceTelnet::setSocket(QTcpSocket *socket)
{
    if (m_socket) {
        dropNotifier();
        m_socket->disconnect(this);
        delete m_socket;
    }
    m_socket = socket;
    m_connected = false;
    m_buffer.clear();
    // Bounds what one read hands on, whatever the device sends.
    m_socket->setReadBufferSize(maxChunk);
    connect(m_socket, &QTcpSocket::connected, this, &QDeviceTelnet::socketConnected);
    connect(m_socket, &QTcpSocket::disconnected, this, &QDeviceTelnet::socketConnectionClosed);
    connect(m_socket, &QTcpSocket::readyRead, this, &QDeviceTelnet::socketReadyRead);
    connect(m_socket, &QAbstractSocket::errorOccurred, this,
            &QDeviceTelnet::socketError);
    // The descriptor goes away with the connection: the notifier must go first.
    connect(m_socket, &QAbstractSocket::stateChanged, this, [this](QAbstractSocket::SocketState state) {
        if (state != QAbstractSocket::ConnectedState)
            dropNotifier();
    });
}

void QDeviceTelnet::connectToHost(const QString &host, quint16 port)
{
    if (m_connected || m_socket->state() != QAbstractSocket::UnconnectedState)
        return;
    m_buffer.clear();
    m_socket->connectToHost(host, port, QIODevice::ReadWrite);
}

void QDeviceTelnet::disconnectFromHost()
{
    m_socket->close();
}

void QDeviceTelnet::socketConnected()
{
    dropNotifier();
    m_connected = true;
    m_notifier = new QSocketNotifier(m_socket->socketDescriptor(), QSocketNotifier::Exception, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QDeviceTelnet::socketException);
    emit sockConnected();
}

void QDeviceTelnet::socketConnectionClosed()
{
    dropNotifier();
    m_connected = false;
    m_buffer.clear();
    emit sockDisconnected();
}

void QDeviceTelnet::socketReadyRead()
{
    m_buffer.append(m_socket->read(maxChunk));

    // Negotiation at the start of a block is dropped: IAC triples and data marks.
    int pos = 0;
    int triple = 0;
    while (pos < m_buffer.size()) {
        if (m_buffer.at(pos) == dataMark) {
            pos += 1;
        } else if (m_buffer.at(pos) == iac) {
            triple = pos;
            pos += 3;
        } else {
            break;
        }
    }
    if (pos > m_buffer.size()) {
        // A triple cut by the network: keep its start for the next read.
        m_buffer.remove(0, triple);
    } else {
        const QByteArray data = m_buffer.mid(pos);
        m_buffer.clear();
        if (!data.isEmpty())
            emit message(data);
    }
    // More may be waiting when the read buffer was full.
    if (m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &QDeviceTelnet::socketReadyRead, Qt::QueuedConnection);
}

void QDeviceTelnet::socketError(QAbstractSocket::SocketError error)
{
    qDebug().nospace() << "TELNET - socketError --- !!! (" << error;
}

void QDeviceTelnet::socketException(int socket)
{
    qDebug().nospace() << "TELNET - socketException --- !!! (" << socket << ")";
    // Urgent data stays pending until read out of band, and the notifier
    // would fire again at once: one report per connection is enough.
    if (m_notifier)
        m_notifier->setEnabled(false);
}

void QDeviceTelnet::sendText(const QString &data)
{
    if (m_connected && !data.isEmpty())
        m_socket->write(data.toLocal8Bit());
}

void QDeviceTelnet::sendData(const QByteArray &data)
{
    if (m_connected && !data.isEmpty())
        m_socket->write(data);
}

void QDeviceTelnet::dropNotifier()
{
    delete m_notifier;
    m_notifier = nullptr;
}
