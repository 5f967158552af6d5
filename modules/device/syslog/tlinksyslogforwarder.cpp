#include "tlinksyslogforwarder.h"

#include "syslogbacklog.h"

#include <QDebug>

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const int kPerCall = 64;
}

TLinkSyslogForwarder::TLinkSyslogForwarder(SyslogBacklog *backlog)
    : m_backlog(backlog)
{
    qRegisterMetaType<QHostAddress>("QHostAddress");
    qRegisterMetaType<QVector<QByteArray>>("QVector<QByteArray>");
}

TLinkSyslogForwarder::~TLinkSyslogForwarder()
{
    for (int fd : {m_fd4, m_fd6}) {
        if (fd >= 0)
            ::close(fd);
    }
}

int TLinkSyslogForwarder::socketFor(int family)
{
    int &fd = family == AF_INET ? m_fd4 : m_fd6;
    if (fd < 0) {
        fd = ::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        // A full send buffer makes a send wait, but never for long.
        const timeval timeout {0, 200000};
        if (fd >= 0)
            ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    }
    return fd;
}

void TLinkSyslogForwarder::sendDatagrams(QVector<QByteArray> datagrams, QHostAddress address, quint16 port)
{
    sockaddr_storage target {};
    socklen_t targetLength = 0;
    bool ok = false;
    const quint32 ipv4 = address.toIPv4Address(&ok);
    if (ok) {
        auto *in = reinterpret_cast<sockaddr_in *>(&target);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(ipv4);
        targetLength = sizeof(sockaddr_in);
    } else if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&target);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, bytes.c, 16);
        in6->sin6_scope_id = address.scopeId().toUInt();
        targetLength = sizeof(sockaddr_in6);
    }
    const int fd = targetLength ? socketFor(target.ss_family) : -1;

    if (fd >= 0) {
        mmsghdr headers[kPerCall];
        iovec parts[kPerCall];
        for (int first = 0; first < datagrams.size();) {
            const int count = qMin(kPerCall, datagrams.size() - first);
            for (int i = 0; i < count; ++i) {
                QByteArray &bytes = datagrams[first + i];
                parts[i].iov_base = bytes.data();
                parts[i].iov_len = size_t(bytes.size());
                std::memset(&headers[i], 0, sizeof(mmsghdr));
                headers[i].msg_hdr.msg_name = &target;
                headers[i].msg_hdr.msg_namelen = targetLength;
                headers[i].msg_hdr.msg_iov = &parts[i];
                headers[i].msg_hdr.msg_iovlen = 1;
            }
            const int sent = ::sendmmsg(fd, headers, unsigned(count), 0);
            if (sent < 0 && errno == EINTR)
                continue;
            // A datagram the network refuses is skipped, not retried.
            first += sent > 0 ? sent : 1;
        }
    }
    if (m_backlog) {
        int weight = 0;
        for (const QByteArray &bytes : qAsConst(datagrams))
            weight += SyslogBacklog::weight(bytes.size());
        m_backlog->release(weight);
    }
}
