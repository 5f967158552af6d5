#include "localsubnet.h"

#include <QDebug>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QStringList>

bool LocalSubnet::contains(const QString &srvurl, const char *who)
{
    const QStringList parts = srvurl.split(QStringLiteral("://"));
    const QHostAddress host(parts.size() > 1 ? parts.at(1) : QString());
    if (host.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    bool found = false;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        const QList<QNetworkAddressEntry> entries = iface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || entry.netmask().isNull())
                continue;
            const quint32 mask = entry.netmask().toIPv4Address();
            if ((entry.ip().toIPv4Address() & mask) == (mask & host.toIPv4Address())) {
                qDebug() << who << ": found mask: " << entry.netmask().toString() << " Host: "
                         << entry.ip().toString() << " device: " << host.toString();
                found = true;
            }
        }
    }
    return found;
}
