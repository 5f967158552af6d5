#include "tftptestpeer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QThread>

namespace tftptest {

namespace {
void appendWord(QByteArray &out, quint16 value)
{
    out.append(char(value >> 8));
    out.append(char(value & 0xff));
}
quint16 wordAt(const QByteArray &packet, int pos)
{
    if (packet.size() < pos + 2)
        return 0xffff;
    return quint16((quint8(packet.at(pos)) << 8) | quint8(packet.at(pos + 1)));
}
} // namespace

QByteArray request(int opcode, const QByteArray &fileName, const QByteArray &mode,
                   const QList<QPair<QByteArray, QByteArray>> &options)
{
    QByteArray out;
    appendWord(out, quint16(opcode));
    out += fileName + '\0' + mode + '\0';
    for (const auto &option : options)
        out += option.first + '\0' + option.second + '\0';
    return out;
}

QByteArray ack(quint16 block)
{
    QByteArray out;
    appendWord(out, 4);
    appendWord(out, block);
    return out;
}

QByteArray data(quint16 block, const QByteArray &payload)
{
    QByteArray out;
    appendWord(out, 3);
    appendWord(out, block);
    return out + payload;
}

quint16 opcodeOf(const QByteArray &packet) { return wordAt(packet, 0); }
quint16 blockOf(const QByteArray &packet) { return wordAt(packet, 2); }
QByteArray payloadOf(const QByteArray &packet) { return packet.mid(4); }

QString errorOf(const QByteArray &packet)
{
    if (opcodeOf(packet) != 5)
        return QStringLiteral("not an error: opcode %1").arg(opcodeOf(packet));
    QByteArray text = packet.mid(4);
    if (!text.endsWith('\0'))
        return QStringLiteral("error without NUL");
    text.chop(1);
    return QStringLiteral("%1 %2").arg(blockOf(packet)).arg(QString::fromLatin1(text));
}

QStringList optionsOf(const QByteArray &packet)
{
    QStringList out;
    QByteArray body = packet.mid(2);
    if (body.endsWith('\0'))
        body.chop(1);
    for (const QByteArray &part : body.split('\0'))
        out << QString::fromLatin1(part);
    return out;
}

QByteArray pattern(int size, int seed)
{
    QByteArray out(size, '\0');
    quint32 x = 2463534242u + quint32(seed);
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = char(x);
    }
    return out;
}

void resetSettings()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Vantor & Vantor"));
    QCoreApplication::setApplicationName(QStringLiteral("ZEL"));
    QSettings().clear();
    QSettings().sync();
}

Peer::Peer(quint16 serverPort, const QString &address)
    : m_serverPort(serverPort)
{
    m_socket.bind(QHostAddress(address), 0);
}

void Peer::send(const QByteArray &datagram)
{
    const quint16 opcode = opcodeOf(datagram);
    const bool request = opcode == 1 || opcode == 2;
    if (request)
        m_transferPort = 0;
    sendTo(request || !m_transferPort ? m_serverPort : m_transferPort, datagram);
}

void Peer::sendTo(quint16 port, const QByteArray &datagram)
{
    m_socket.writeDatagram(datagram, QHostAddress(QHostAddress::LocalHost), port);
}

QByteArray Peer::receive(int timeoutMs)
{
    if (!m_socket.hasPendingDatagrams() && !m_socket.waitForReadyRead(timeoutMs))
        return QByteArray();
    QByteArray datagram(int(qMax<qint64>(m_socket.pendingDatagramSize(), 0)), '\0');
    QHostAddress sender;
    quint16 port = 0;
    const qint64 size = m_socket.readDatagram(datagram.data(), datagram.size(), &sender, &port);
    m_lastSenderPort = port;
    datagram.truncate(int(qMax<qint64>(size, 0)));
    if (port != m_serverPort)
        m_transferPort = opcodeOf(datagram) == 5 ? 0 : port;
    if (datagram.isNull())
        datagram = QByteArray("", 0);
    return datagram;
}

QByteArray Peer::receiveSkipping(const QByteArray &resent, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const QByteArray datagram = receive(int(qMax<qint64>(0, timeoutMs - clock.elapsed())));
        if (datagram != resent)
            return datagram;
    }
}

bool Peer::silentFor(int ms)
{
    return receive(ms).isNull();
}

void ProgressReceiver::updateFileProgress(const QString &fileName, const QString &ip, const int &progress)
{
    if (QThread::currentThread() != thread())
        offThread = true;
    files << fileName;
    addresses << ip;
    percents << progress;
}

} // namespace tftptest
