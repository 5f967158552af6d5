// What a device sends on a debug session's telnet connection, option
// negotiation included, in pieces of any size: the client's option handling
// over a real connection on loopback.
// Input: first byte the piece size, the rest the device's bytes.
#include "fuzzapp.h"
#include "qdevicetelnet.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sys/ioctl.h>

namespace {

// One connection for the whole run: the client keeps what a piece left over
// (a cut negotiation triple) for the next, as it does on a real connection.
struct Link
{
    QTcpServer server;
    QDeviceTelnet client;
    QTcpSocket *device = nullptr;
    QTcpSocket *clientSocket = nullptr;
    qint64 delivered = 0;

    bool open()
    {
        delete device;
        device = nullptr;
        client.disconnectFromHost();
        QCoreApplication::processEvents();
        if (!server.isListening() && !server.listen(QHostAddress::LocalHost, 0))
            return false;
        client.connectToHost(QStringLiteral("127.0.0.1"), server.serverPort());
        if (!server.waitForNewConnection(5000))
            return false;
        device = server.nextPendingConnection();
        clientSocket = client.findChild<QTcpSocket *>();
        QElapsedTimer t;
        t.start();
        while (!client.isConnected() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return client.isConnected() && clientSocket;
    }
    // Waits until the client has taken in everything sent so far.
    void drain()
    {
        QElapsedTimer t;
        t.start();
        for (;;) {
            device->waitForBytesWritten(100);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            int queued = 0;
            ::ioctl(int(clientSocket->socketDescriptor()), FIONREAD, &queued);
            if ((queued == 0 && clientSocket->bytesAvailable() == 0 && device->bytesToWrite() == 0)
                || t.elapsed() > 5000)
                return;
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzapp::app();
    static Link *const link = [] {
        auto *l = new Link;
        QObject::connect(&l->client, &QDeviceTelnet::message, [l](const QByteArray &bytes) {
            l->delivered += bytes.size();
        });
        return l;
    }();
    if (!link->client.isConnected() && !link->open())
        std::abort(); // loopback itself failed
    if (size < 1)
        return 0;
    const size_t piece = size_t(data[0] % 32) + 1;
    const qint64 before = link->delivered;
    for (size_t at = 1; at < size; at += piece) {
        link->device->write(reinterpret_cast<const char *>(data + at), qint64(qMin(piece, size - at)));
        link->device->flush();
        link->drain();
    }
    // Nothing is handed on that the device did not send.
    if (link->delivered - before > qint64(size - 1) + 2)
        std::abort();
    return 0;
}
