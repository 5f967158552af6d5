#pragma once
#include "deviceidentity.h"
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

class QUdpSocket;
class QHostAddress;

// The device's SLP service agent: answers service, attribute and service-type
// requests for the device's services, by multicast (group 239.255.255.253
// joined on lo) and by unicast at the device's own address. Its message code
// is its own, kept apart from the program's user-agent library.
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
        QStringList previousResponders;
        QString first;      // service type, URL, or naming authority
        bool allAuthorities = false;
        QStringList scopes;
    };

    void readPending(QUdpSocket *socket, bool viaGroup);
    void handle(const QByteArray &datagram, const QHostAddress &from, quint16 port, bool viaGroup);
    static bool parseRequest(const QByteArray &datagram, Request *request);
    static QByteArray header(quint8 function, quint16 xid, const QByteArray &language);
    static void finish(QByteArray *message);
    static void putString(QByteArray *out, const QByteArray &s);
    static void put16(QByteArray *out, quint16 v);
    static QString escape(const QString &value);
    QByteArray answer(const Request &request, bool multicast) const;
    QList<Service> services() const;

    DeviceIdentity &m_identity;
    QUdpSocket *m_group = nullptr;
    QUdpSocket *m_unicast = nullptr;
};
