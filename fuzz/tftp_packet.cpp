// TFTP datagrams of any content, two ways:
// - as the packet reader sees them: opcode, request with its options and
//   block size, DATA/ACK block numbers, ERROR texts, and the packets built
//   from what was read;
// - as the running server sees them: the input is cut into datagrams that
//   three client sockets on 127.0.0.1 send to a server on 127.0.0.1 (with one
//   file published and an upload folder), so the sessions parse them too.
//   A fourth socket sends a probe after each datagram and waits for its
//   answer, so every datagram has been handled before the next input.
#include "tftppacket.h"
#include "tlinktftpserverif.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QUdpSocket>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

void checkPacketReader(const QByteArray &datagram)
{
    const int size = datagram.size();
    const int opcode = TftpPacket::opcode(datagram);
    if (opcode < -1 || opcode > 65535 || (opcode == -1) != (size < 2))
        __builtin_trap();

    switch (opcode) {
    case TftpPacket::Rrq:
    case TftpPacket::Wrq: {
        TftpPacket::Request request = TftpPacket::parseRequest(datagram);
        if (request.fileName.size() + request.mode.size() > size)
            __builtin_trap();
        for (auto it = request.options.begin(); it != request.options.end(); ++it) {
            if (it.key() != it.key().toLower() || it.value() != it.value().toLower())
                __builtin_trap();
            const int blockSize = TftpPacket::parseBlockSize(it.value());
            if (blockSize != -1 && (blockSize < TftpPacket::MinBlockSize || blockSize > TftpPacket::MaxBlockSize))
                __builtin_trap();
            if (it.key() == QLatin1String("blksize") && blockSize > 0)
                it.value() = QString::number(blockSize);
        }
        if (TftpPacket::opcode(TftpPacket::optionAck(request.options)) != TftpPacket::Oack)
            __builtin_trap();
        break;
    }
    case TftpPacket::Data:
    case TftpPacket::Ack: {
        quint16 block = 0;
        if (TftpPacket::blockNumber(datagram, block) != (size >= 4))
            __builtin_trap();
        const QByteArray reply = opcode == TftpPacket::Ack
            ? TftpPacket::data(quint16(block + 1), datagram.constData() + qMin(4, size), qMax(0, size - 4))
            : TftpPacket::ack(block);
        if (reply.size() < 4)
            __builtin_trap();
        break;
    }
    default: {
        quint16 code = 0;
        QString message;
        TftpPacket::parseError(datagram, code, message);
        if (message.size() > size)
            __builtin_trap();
        if (TftpPacket::error(code, message).size() != message.size() + 5)
            __builtin_trap();
        break;
    }
    }
}

// The server and its clients, made once.
struct ServerRig
{
    // One fixed folder, emptied at each start: libFuzzer may end the process
    // without running exit handlers.
    QDir folder{QDir::temp().filePath(QStringLiteral("zel_fuzz_tftp_packet"))};
    quint16 port = 0;
    TLinkTftpServerIf *server = nullptr;
    QObject receiver;
    QUdpSocket clients[3];
    QUdpSocket probe;

    ServerRig()
    {
        folder.removeRecursively();
        folder.mkpath(QStringLiteral("."));
        QDir(folder.path()).mkpath(QStringLiteral("config"));
        QDir(folder.path()).mkpath(QStringLiteral("uploads"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.filePath(QStringLiteral("config"))));
        QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
        QCoreApplication::setApplicationName(QStringLiteral("ZEL"));
        QSettings settings;
        settings.setValue(QStringLiteral("tftp_server/retry_cnt"), 1);
        settings.setValue(QStringLiteral("tftp_server/retry_timer"), 50);
        settings.setValue(QStringLiteral("tftp_server/max_blocksize"), 1428);
        settings.sync();

        QFile image(folder.filePath(QStringLiteral("image.tiif")));
        if (image.open(QIODevice::WriteOnly))
            image.write(QByteArray(3000, 'x'));
        image.close();

        QUdpSocket finder;
        finder.bind(QHostAddress(QHostAddress::LocalHost), 0);
        port = finder.localPort();
        finder.close();

        server = new TLinkTftpServerIf(port);
        server->setUploadDir(folder.filePath(QStringLiteral("uploads")));
        server->mapFilename(QStringLiteral("image.tiif"), folder.path(), QStringLiteral("key"));
        // Any object will do as a receiver: the connection is what matters.
        server->regForFileInfo(QStringLiteral("key"), &receiver, SLOT(deleteLater()));
        server->startServer();
        for (QUdpSocket &client : clients)
            client.bind(QHostAddress(QHostAddress::LocalHost), 0);
        probe.bind(QHostAddress(QHostAddress::LocalHost), 0);
        sync();
    }

    void send(int client, const QByteArray &datagram)
    {
        clients[client].writeDatagram(datagram, QHostAddress(QHostAddress::LocalHost), port);
    }

    // Waits until the server has answered a probe sent after everything else.
    void sync()
    {
        probe.writeDatagram(QByteArray("\0\4\0\0", 4), QHostAddress(QHostAddress::LocalHost), port);
        if (probe.waitForReadyRead(2000)) {
            while (probe.hasPendingDatagrams())
                probe.readDatagram(nullptr, 0);
        }
        for (QUdpSocket &client : clients) {
            while (client.hasPendingDatagrams())
                client.readDatagram(nullptr, 0);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static ServerRig *rig = [] {
        qInstallMessageHandler(quiet);
        static int argc = 1;
        static char name[] = "fuzz_tftp_packet";
        static char *argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
        return new ServerRig;
    }();

    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    checkPacketReader(input);

    // Datagrams: one byte client number, two bytes length, the bytes.
    int pos = 0;
    while (pos + 3 <= input.size()) {
        const int client = quint8(input.at(pos)) % 3;
        const int length = (quint8(input.at(pos + 1)) << 8) | quint8(input.at(pos + 2));
        pos += 3;
        const QByteArray datagram = input.mid(pos, length);
        pos += datagram.size();
        checkPacketReader(datagram);
        rig->send(client, datagram);
    }
    rig->sync();
    return 0;
}
