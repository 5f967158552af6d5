#include "tftppacket.h"

#include <limits>

namespace {

quint16 word(const QByteArray &datagram, int pos)
{
    return quint16((quint8(datagram.at(pos)) << 8) | quint8(datagram.at(pos + 1)));
}

void appendWord(QByteArray &out, quint16 value)
{
    out.append(char(value >> 8));
    out.append(char(value & 0xff));
}

} // namespace

int TftpPacket::opcode(const QByteArray &datagram)
{
    if (datagram.size() < 2)
        return -1;
    return word(datagram, 0);
}

bool TftpPacket::readText(const QByteArray &datagram, int &pos, QString &text)
{
    if (pos >= datagram.size())
        return false;
    int end = datagram.indexOf('\0', pos);
    if (end < 0)
        end = datagram.size();
    text = QString::fromLatin1(datagram.constData() + pos, end - pos);
    pos = end + 1;
    return true;
}

TftpPacket::Request TftpPacket::parseRequest(const QByteArray &datagram)
{
    Request request;
    int pos = 2;
    readText(datagram, pos, request.fileName);
    if (readText(datagram, pos, request.mode))
        request.mode = request.mode.toLower();
    QString name;
    QString value;
    while (readText(datagram, pos, name)) {
        if (!readText(datagram, pos, value))
            break;
        request.options.insert(name.toLower(), value.toLower());
    }
    return request;
}

bool TftpPacket::blockNumber(const QByteArray &datagram, quint16 &block)
{
    if (datagram.size() < 4)
        return false;
    block = word(datagram, 2);
    return true;
}

void TftpPacket::parseError(const QByteArray &datagram, quint16 &code, QString &message)
{
    code = datagram.size() >= 4 ? word(datagram, 2) : 0;
    message.clear();
    int pos = 4;
    readText(datagram, pos, message);
}

QString TftpPacket::errorText(const QByteArray &datagram)
{
    quint16 code = 0;
    QString message;
    parseError(datagram, code, message);
    return QStringLiteral("%1 [%2]").arg(message.left(200)).arg(code);
}

int TftpPacket::parseBlockSize(const QString &value)
{
    if (value.isEmpty())
        return -1;
    for (const QChar c : value) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    }
    // Strip leading zeros so that a very long number cannot overflow.
    QString digits = value;
    while (digits.size() > 1 && digits.at(0) == QLatin1Char('0'))
        digits.remove(0, 1);
    if (digits.size() > 6)
        return MaxBlockSize;
    const int size = digits.toInt();
    if (size < MinBlockSize)
        return -1;
    return qMin(size, int(MaxBlockSize));
}

namespace {
bool allDigits(const QString &value)
{
    if (value.isEmpty())
        return false;
    for (const QChar c : value) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}
} // namespace

int TftpPacket::parseTimeout(const QString &value)
{
    if (!allDigits(value) || value.size() > 3)
        return -1;
    const int seconds = value.toInt();
    return seconds >= 1 && seconds <= 255 ? seconds : -1;
}

qint64 TftpPacket::parseTransferSize(const QString &value)
{
    if (!allDigits(value))
        return -1;
    bool ok = false;
    const qint64 size = value.toLongLong(&ok);
    return ok ? size : std::numeric_limits<qint64>::max();
}

QByteArray TftpPacket::data(quint16 block, const char *bytes, int size)
{
    QByteArray out;
    out.reserve(4 + size);
    appendWord(out, Data);
    appendWord(out, block);
    out.append(bytes, size);
    return out;
}

QByteArray TftpPacket::ack(quint16 block)
{
    QByteArray out;
    appendWord(out, Ack);
    appendWord(out, block);
    return out;
}

QByteArray TftpPacket::error(quint16 code, const QString &message)
{
    QByteArray out;
    appendWord(out, Error);
    appendWord(out, code);
    out.append(message.toLatin1());
    out.append('\0');
    return out;
}

QByteArray TftpPacket::optionAck(const QMap<QString, QString> &options)
{
    QByteArray out;
    appendWord(out, Oack);
    for (auto it = options.cbegin(); it != options.cend(); ++it) {
        out.append(it.key().toLatin1());
        out.append('\0');
        out.append(it.value().toLatin1());
        out.append('\0');
    }
    return out;
}
