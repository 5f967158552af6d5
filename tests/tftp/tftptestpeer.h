#pragma once
// A hand-written TFTP peer on 127.0.0.1 that sends exactly what a test says,
// and the small things the TFTP tests share.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUdpSocket>

namespace tftptest {

// Request datagram: opcode, file name, mode and option pairs, each NUL-ended.
QByteArray request(int opcode, const QByteArray &fileName, const QByteArray &mode = "octet",
                   const QList<QPair<QByteArray, QByteArray>> &options = {});
QByteArray ack(quint16 block);
QByteArray data(quint16 block, const QByteArray &payload);

quint16 opcodeOf(const QByteArray &packet);
quint16 blockOf(const QByteArray &packet);
QByteArray payloadOf(const QByteArray &packet);
// "code message" of an ERROR packet.
QString errorOf(const QByteArray &packet);
// The NUL-separated texts after the opcode of an OACK.
QStringList optionsOf(const QByteArray &packet);

// Bytes that differ from block to block and from position to position.
QByteArray pattern(int size, int seed = 0);

// Sets the organisation and application names and clears the settings.
void resetSettings();

class Peer
{
public:
    // A peer at `address` (any of 127.0.0.0/8) of the server at 127.0.0.1.
    explicit Peer(quint16 serverPort, const QString &address = QStringLiteral("127.0.0.1"));
    quint16 localPort() const { return m_socket.localPort(); }
    // Requests go to the server's port; anything else to the port the server
    // last answered from (the transfer's own port), once it answered.
    void send(const QByteArray &datagram);
    void sendTo(quint16 port, const QByteArray &datagram);
    // The next datagram from the server, or a null array after `timeoutMs`.
    QByteArray receive(int timeoutMs = 10000);
    // The next datagram that is not a copy of `resent`: the server may send
    // its last packet again whenever its retry timer runs out first.
    QByteArray receiveSkipping(const QByteArray &resent, int timeoutMs = 10000);
    // The port the last datagram came from. An ERROR from the transfer's
    // port ends the transfer: later packets go to the server's port again.
    quint16 lastSenderPort() const { return m_lastSenderPort; }
    // True when nothing arrives within `ms`.
    bool silentFor(int ms);

private:
    QUdpSocket m_socket;
    quint16 m_serverPort;
    quint16 m_transferPort = 0;
    quint16 m_lastSenderPort = 0;
};

// A receiver of progress reports in the form the server connects to.
class ProgressReceiver : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    QList<int> percents;
    QStringList files;
    QStringList addresses;
    bool offThread = false;

public slots:
    void updateFileProgress(const QString &fileName, const QString &ip, const int &progress);
};

} // namespace tftptest
