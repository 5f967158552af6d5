#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QtGlobal>

// Reads and builds TFTP datagrams. Every reader checks the datagram's length
// before it touches a field, so that a short or malformed datagram from the
// network is never read past its end.
class TftpPacket
{
public:
    enum Opcode { Rrq = 1, Wrq = 2, Data = 3, Ack = 4, Error = 5, Oack = 6 };

    // Smallest and largest block size a peer may ask for with "blksize".
    static constexpr int MinBlockSize = 8;
    static constexpr int MaxBlockSize = 65464;
    static constexpr int DefaultBlockSize = 512;

    // A read or write request: file name, mode (lower case) and the options
    // (names and values lower case; a name given twice keeps the last value).
    struct Request
    {
        QString fileName;
        QString mode;
        QMap<QString, QString> options;
    };

    // The opcode of the first two bytes, or -1 when the datagram is shorter.
    static int opcode(const QByteArray &datagram);
    // Splits a RRQ/WRQ. A text without its NUL ends at the datagram's end; a
    // missing mode reads as empty; an option name without a value is dropped.
    static Request parseRequest(const QByteArray &datagram);
    // The block number of a DATA or ACK; false when the datagram is too short.
    static bool blockNumber(const QByteArray &datagram, quint16 &block);
    // Code and message of an ERROR; a short datagram reads as code 0 and an
    // empty message.
    static void parseError(const QByteArray &datagram, quint16 &code, QString &message);
    // An ERROR packet as a log line gives it: its message, cut to 200
    // characters, and its code in brackets.
    static QString errorText(const QByteArray &datagram);
    // The "blksize" value a peer asked for, or -1 when it is not a decimal
    // number of at least MinBlockSize. Values above MaxBlockSize are lowered
    // to it.
    static int parseBlockSize(const QString &value);
    // The "timeout" value a peer asked for in seconds (RFC 2349: 1 to 255),
    // or -1 when it is not a decimal number in that range.
    static int parseTimeout(const QString &value);
    // The "tsize" value of a write request, or -1 when it is not a decimal
    // number (a negative size is not one). Very large values read as
    // std::numeric_limits<qint64>::max().
    static qint64 parseTransferSize(const QString &value);

    static QByteArray data(quint16 block, const char *bytes, int size);
    static QByteArray ack(quint16 block);
    static QByteArray error(quint16 code, const QString &message);
    // OACK with the options in ascending order of their names.
    static QByteArray optionAck(const QMap<QString, QString> &options);

private:
    // The text starting at `pos` up to its NUL (or the end); `pos` moves past
    // the NUL. Returns false when no byte is left at `pos`.
    static bool readText(const QByteArray &datagram, int &pos, QString &text);
};
