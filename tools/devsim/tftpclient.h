#pragma once
// The device's TFTP client (RFC 1350, octet mode): fetches a file from a
// server with a read request, asking for the transfer size (RFC 2349), or
// sends a file with a write request. One transfer at a time, from the
// device's own address; only servers on 127.0.0.0/8 are contacted.

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

class QUdpSocket;

class TftpClient : public QObject
{
    Q_OBJECT
public:
    explicit TftpClient(const QHostAddress &localAddress, QObject *parent = nullptr);

    static constexpr int blockSize = 512;
    static constexpr int timeoutMs = 1000;   // wait for an answer this long
    static constexpr int maxRetries = 3;     // then send the last packet again, this often
    static constexpr qint64 maxFetchSize = 64 * 1024 * 1024;

    // True for the IPv4 loopback network, the only one the device talks to.
    static bool isAllowedServer(const QHostAddress &address);

    void fetch(const QHostAddress &server, quint16 port, const QString &fileName);
    void send(const QHostAddress &server, quint16 port, const QString &fileName, const QByteArray &data);
    // Ends a transfer quietly (no signal).
    void abort();
    bool isBusy() const { return m_mode != Idle; }

signals:
    // Bytes moved so far; total is -1 when the server did not tell the size.
    void progress(qint64 bytes, qint64 total);
    void fetched(const QByteArray &data);
    void sent();
    void failed(const QString &reason);

private:
    enum Mode { Idle, Fetching, Sending };
    enum Opcode : quint16 { Rrq = 1, Wrq = 2, Data = 3, Ack = 4, Error = 5, Oack = 6 };

    bool begin(Mode mode, const QHostAddress &server, quint16 port, const QString &fileName);
    void readPackets();
    void handlePacket(const QByteArray &packet);
    void handleData(quint16 block, const QByteArray &payload);
    void handleAck(quint16 block);
    void handleOack(const QByteArray &options);
    void sendBlock(quint16 block);
    void transmit(const QByteArray &packet);
    void retransmit();
    void sendError(quint16 code, const QByteArray &message, quint16 port);
    void finish();
    void fail(const QString &reason);

    QHostAddress m_local;
    QUdpSocket *m_socket = nullptr;
    QTimer m_timer;
    Mode m_mode = Idle;
    QHostAddress m_server;
    quint16 m_serverPort = 0; // the request's port, then the server's transfer port
    bool m_tidKnown = false;
    QByteArray m_lastPacket;
    int m_retries = 0;
    quint16 m_block = 0;      // last block received or sent (wraps after 65535)
    qint64 m_offset = 0;      // where the block being sent starts
    qint64 m_moved = 0;
    qint64 m_total = -1;
    QByteArray m_data;
    bool m_dataSent = false;      // a data block is out (else the request)
    bool m_lastBlockSent = false;
};
