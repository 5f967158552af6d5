#include "networkinterfacewatcher.h"

#include <QDebug>
#include <QSocketNotifier>

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

NetworkInterfaceWatcher *NetworkInterfaceWatcher::instance()
{
    static NetworkInterfaceWatcher *watcher = new NetworkInterfaceWatcher;
    return watcher;
}

NetworkInterfaceWatcher::NetworkInterfaceWatcher()
{
    m_socket = ::socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (m_socket < 0) {
        qWarning().noquote() << "NetworkInterfaceWatcher: no netlink socket:" << strerror(errno);
        return;
    }
    sockaddr_nl local;
    std::memset(&local, 0, sizeof(local));
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR;
    if (::bind(m_socket, reinterpret_cast<sockaddr *>(&local), sizeof(local)) != 0) {
        qWarning().noquote() << "NetworkInterfaceWatcher: netlink bind failed:" << strerror(errno);
        ::close(m_socket);
        m_socket = -1;
        return;
    }
    m_notifier = new QSocketNotifier(m_socket, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &NetworkInterfaceWatcher::drain);
}

NetworkInterfaceWatcher::~NetworkInterfaceWatcher()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

quint64 NetworkInterfaceWatcher::generation()
{
    if (m_socket < 0)
        return ++m_generation; // nothing tells of changes: look every time
    return m_generation;
}

void NetworkInterfaceWatcher::drain()
{
    char buffer[8192];
    bool any = false;
    for (;;) {
        const ssize_t got = ::recv(m_socket, buffer, sizeof(buffer), 0);
        if (got > 0) {
            any = true;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        // ENOBUFS: messages were lost, which is a change all the same.
        if (got < 0 && errno == ENOBUFS)
            any = true;
        break;
    }
    if (any) {
        ++m_generation;
        emit changed();
    }
}
