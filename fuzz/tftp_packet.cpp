// TFTP datagrams of any content, as the server reads them: the opcode, the
// request with its options and block size, DATA/ACK block numbers and ERROR
// texts; then the packets the server would answer with.
#include "tftppacket.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>

namespace {
void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool installed = [] {
        qInstallMessageHandler(quiet);
        return true;
    }();
    Q_UNUSED(installed);

    const QByteArray datagram(reinterpret_cast<const char *>(data), int(size));
    const int opcode = TftpPacket::opcode(datagram);
    if (opcode < -1 || opcode > 65535 || (opcode == -1) != (size < 2))
        __builtin_trap();

    switch (opcode) {
    case TftpPacket::Rrq:
    case TftpPacket::Wrq: {
        TftpPacket::Request request = TftpPacket::parseRequest(datagram);
        if (request.fileName.size() + request.mode.size() > datagram.size())
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
        const QByteArray oack = TftpPacket::optionAck(request.options);
        if (TftpPacket::opcode(oack) != TftpPacket::Oack)
            __builtin_trap();
        break;
    }
    case TftpPacket::Data:
    case TftpPacket::Ack: {
        quint16 block = 0;
        if (TftpPacket::blockNumber(datagram, block) != (size >= 4))
            __builtin_trap();
        const QByteArray reply = opcode == TftpPacket::Ack
            ? TftpPacket::data(quint16(block + 1), datagram.constData() + qMin<int>(4, datagram.size()),
                               qMax(0, datagram.size() - 4))
            : TftpPacket::ack(block);
        if (reply.size() < 4)
            __builtin_trap();
        break;
    }
    default: {
        quint16 code = 0;
        QString message;
        TftpPacket::parseError(datagram, code, message);
        if (message.size() > datagram.size())
            __builtin_trap();
        const QByteArray error = TftpPacket::error(code, message);
        if (error.size() != message.size() + 5)
            __builtin_trap();
        break;
    }
    }
    return 0;
}
