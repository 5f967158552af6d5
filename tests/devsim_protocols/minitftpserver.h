#pragma once
// A deliberately small TFTP server for tests of the simulator's client,
// written apart from the project's own server: serves files from memory
// (with the transfer size option when asked), keeps files written to it,
// one transfer at a time.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QStringList>

class QUdpSocket;

class MiniTftpServer : public QObject
{
    Q_OBJECT
public:
    explicit MiniTftpServer(QObject *parent = nullptr);
    // Listens on a free port of the address; 0 when that failed.
    quint16 listen(const QHostAddress &address);

    QHash<QString, QByteArray> files;     // served on read requests
    QHash<QString, QByteArray> received;  // complete files from write requests
    QList<QHostAddress> requesters;       // source of every request
    int blockDelayMs = 0;                 // pause before each data block
    bool offerSize = true;                // answer the transfer size option
    quint16 writeErrorCode = 0;           // answer write requests with this error when set
    QByteArray writeErrorText;

private:
    void readRequest();
    void readTransfer();
    void sendBlock();

    QUdpSocket *m_requests = nullptr;
    QUdpSocket *m_transfer = nullptr;
    QHostAddress m_peer;
    quint16 m_peerPort = 0;
    QString m_fileName;
    QByteArray m_data;
    quint16 m_block = 0;
    bool m_writing = false;
};
