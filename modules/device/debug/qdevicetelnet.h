#pragma once
// Minimal telnet client of the debug sessions: a TCP connection that drops
// the option negotiation a device sends at the start of its output and hands
// the rest on. It never answers negotiation.

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTcpSocket;

class QDeviceTelnet : public QObject
{
    Q_OBJECT
public:
    explicit QDeviceTelnet(QObject *parent = nullptr);
    ~QDeviceTelnet() override;

    // Opens the connection; does nothing while one exists or is being made.
    void connectToHost(const QString &host, quint16 port);
    // Closes the socket.
    void disconnectFromHost();

    bool isConnected() const { return m_connected; }

    // Largest block taken from the socket in one go.
    static constexpr qint64 maxChunk = 64 * 1024;

signals:
    void message(const QByteArray &data);
    void sockConnected();
    void sockDisconnected();

public slots:
    void socketConnected();
    void socketConnectionClosed();
    void socketReadyRead();
    void socketError(QAbstractSocket::SocketError error);
    void socketException(int socket);
    void sendText(const QString &data);
    void sendData(const QByteArray &data);

private:
    void setSocket(QTcpSocket *socket);
    void dropNotifier();

    QTcpSocket *m_socket = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_buffer;
    bool m_connected = false;
};
