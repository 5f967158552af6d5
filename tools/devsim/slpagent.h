#pragma once
#include "deviceidentity.h"
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>

class QUdpSocket;
class QHostAddress;
class QTcpServer;
class QTcpSocket;

// The device's SLP service agent: answers service, attribute and service-type
// requests for the device's services, by multicast (group 239.255.255.253
// joined on lo) and by unicast at the device's own address, and over TCP for
// replies that do not fit a datagram. Errors go back in the full form of the
// reply, to unicast requests only; what cannot be read as an SLP header is
// ignored. Its message code is its own, kept apart from the program's
// user-agent library.
class SlpAgent : public QObject
{
    Q_OBJECT
public:
    explicit SlpAgent(DeviceIdentity &identity, QObject *parent = nullptr);
    bool start(QString *error);

private:
    struct Service
    {
        QString url;
        QString attributes;
        QString type() const;
    };
    struct Request
    {
        quint8 function = 0;
        quint16 xid = 0;
        QByteArray language;
        bool multicast = false;
        bool mandatoryExtension = false; // one this agent does not know
        QStringList previousResponders;
        QString first;      // service type, URL, or naming authority
        bool allAuthorities = false;
        QStringList scopes;
        QString third;      // predicate or tag list
        QByteArray spi;
    };
    enum Parse { Readable, BadBody, OtherVersion, Garbage };

    void readPending(QUdpSocket *socket, bool viaGroup);
    void handle(const QByteArray &datagram, const QHostAddress &from, quint16 port, bool viaGroup);
    void acceptStreams();
    // The answer to one message, empty when none is due. Over a stream the
    // whole reply, by datagram one cut to the MTU.
    QByteArray reply(const QByteArray &datagram, bool viaGroup, bool stream);
    static Parse parseRequest(const QByteArray &datagram, Request *request);
    static quint8 replyFunction(quint8 requestFunction);
    static QByteArray errorReply(const Request &request, quint16 error);
    QByteArray saAdvert(const Request &request) const;
    static QStringList splitAttributes(const QString &list);
    static QByteArray cutToFit(const QByteArray &message, int mtu);
    static QByteArray header(quint8 function, quint16 xid, const QByteArray &language);
    static void finish(QByteArray *message);
    static void putString(QByteArray *out, const QByteArray &s);
    static void put16(QByteArray *out, quint16 v);
    static QString escape(const QString &value);
    QByteArray answer(const Request &request) const;
    QList<Service> services() const;

    DeviceIdentity &m_identity;
    QUdpSocket *m_group = nullptr;
    QUdpSocket *m_unicast = nullptr;
    QTcpServer *m_stream = nullptr;
    QHash<QTcpSocket *, QByteArray> m_streamData;
};
