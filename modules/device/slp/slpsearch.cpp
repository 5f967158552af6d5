#include "slpsearch.h"
#include "slpconfig.h"
#include "slpstream.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char *MulticastGroup = "239.255.255.253";

std::string addressText(uint32_t hostOrder)
{
    in_addr a;
    a.s_addr = htonl(hostOrder);
    char buf[INET_ADDRSTRLEN] = {0};
    inet_ntop(AF_INET, &a, buf, sizeof buf);
    return buf;
}

class Sockets
{
public:
    ~Sockets()
    {
        for (int fd : fds)
            ::close(fd);
    }
    std::vector<int> fds;
};

using Clock = std::chrono::steady_clock;

int msSince(Clock::time_point t)
{
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

} // namespace

SlpSearch::SlpSearch(const SlpRequest &request, uint32_t unicastAddress, int cancelFd)
    : m_request(request), m_unicast(unicastAddress), m_cancelFd(cancelFd)
{
}

SlpSearch::Result SlpSearch::run(const ReplySink &sink)
{
    return m_unicast ? runUnicast(sink) : runMulticast(sink);
}

std::vector<SlpSearch::Interface> SlpSearch::interfaces()
{
    const std::vector<std::string> wanted = SlpConfig::instance().interfaces();
    std::vector<Interface> out;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return out;
    for (ifaddrs *i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP))
            continue;
        const uint32_t addr = ntohl(reinterpret_cast<sockaddr_in *>(i->ifa_addr)->sin_addr.s_addr);
        const std::string text = addressText(addr);
        bool chosen = wanted.empty();
        for (const std::string &w : wanted)
            chosen = chosen || w == i->ifa_name || w == text;
        if (chosen)
            out.push_back({i->ifa_name, addr, if_nametoindex(i->ifa_name)});
    }
    freeifaddrs(list);
    return out;
}

int SlpSearch::wait(const std::vector<int> &fds, int ms)
{
    std::vector<pollfd> p;
    for (int fd : fds)
        p.push_back({fd, POLLIN, 0});
    p.push_back({m_cancelFd, POLLIN, 0});
    const auto start = Clock::now();
    for (;;) {
        const int left = ms - msSince(start);
        const int n = ::poll(p.data(), p.size(), left > 0 ? left : 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return -1;
        if (p.back().revents)
            return -2;
        for (size_t i = 0; i + 1 < p.size(); ++i)
            if (p[i].revents)
                return int(i);
        return -1;
    }
}

bool SlpSearch::receive(int fd, SlpReply *reply, uint32_t *from)
{
    uint8_t buf[65536];
    sockaddr_in peer;
    socklen_t len = sizeof peer;
    // MSG_TRUNC: the real size, so that an oversized datagram is noticed.
    const ssize_t n = ::recvfrom(fd, buf, sizeof buf, MSG_TRUNC, reinterpret_cast<sockaddr *>(&peer), &len);
    if (n < 0)
        return false;
    *from = ntohl(peer.sin_addr.s_addr);
    const std::string who = addressText(*from);
    if (size_t(n) > sizeof buf) {
        std::fprintf(stderr, "SlpSearch::receive: dropped oversized datagram from %s\n", who.c_str());
        return false;
    }
    std::string reason;
    *reply = SlpReply();
    if (!SlpMessage::parseReply(buf, size_t(n), reply, &reason)) {
        std::fprintf(stderr, "SlpSearch::receive: dropped message from %s: %s\n", who.c_str(), reason.c_str());
        return false;
    }
    if (reply->xid != m_request.xid || reply->function != SlpMessage::replyFunction(m_request.function)) {
        std::fprintf(stderr, "SlpSearch::receive: dropped message from %s: not a reply to this request\n",
                     who.c_str());
        return false;
    }
    return true;
}

SlpSearch::Completion SlpSearch::complete(SlpReply *reply, uint32_t from)
{
    if (!(reply->flags & SlpMessage::FlagOverflow) || reply->errorCode != 0)
        return Whole;
    SlpConfig &config = SlpConfig::instance();
    int budget = 0;
    for (int ms : config.datagramTimeouts())
        budget += ms;
    SlpReply whole;
    switch (SlpStream::fetch(m_request, from, config.port(), budget > 0 ? budget : 1000, m_cancelFd, &whole)) {
    case SlpStream::Received:
        *reply = std::move(whole);
        return Whole;
    case SlpStream::Cancelled:
        return CompletionCancelled;
    case SlpStream::Failed:
        break;
    }
    std::fprintf(stderr, "SlpSearch::complete: dropped the cut reply of %s: no whole reply over TCP\n",
                 addressText(from).c_str());
    return Unusable;
}

SlpSearch::Result SlpSearch::runMulticast(const ReplySink &sink)
{
    SlpConfig &config = SlpConfig::instance();
    const std::vector<Interface> ifaces = interfaces();
    Sockets sockets;
    for (const Interface &i : ifaces) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            continue;
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(i.address);
        ip_mreqn mreq{};
        mreq.imr_address.s_addr = htonl(i.address);
        mreq.imr_ifindex = int(i.index);
        const unsigned char ttl = 255, loop = 1;
        if (::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0
            || ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &mreq, sizeof mreq) != 0
            || ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0
            || ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop) != 0) {
            std::fprintf(stderr, "SlpSearch::runMulticast: interface %s not usable: %s\n", i.name.c_str(),
                         std::strerror(errno));
            ::close(fd);
            continue;
        }
        sockets.fds.push_back(fd);
    }
    if (sockets.fds.empty()) {
        std::fprintf(stderr, "SlpSearch::runMulticast: no usable interface\n");
        return NetworkInitFailed;
    }

    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(config.port());
    inet_pton(AF_INET, MulticastGroup, &group.sin_addr);

    const std::vector<int> waits = config.multicastTimeouts();
    const int maximumWait = config.multicastMaximumWait();
    const size_t mtu = config.mtu();
    const auto start = Clock::now();
    m_request.multicast = true;
    m_request.previousResponders.clear();

    for (size_t round = 0; round < waits.size(); ++round) {
        const std::vector<uint8_t> datagram = SlpMessage::encode(m_request, mtu);
        if (datagram.empty())
            break; // the responder list no longer fits: as far as it goes
        int sent = 0;
        for (int fd : sockets.fds)
            if (::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr *>(&group),
                         sizeof group)
                == ssize_t(datagram.size()))
                ++sent;
            else
                std::fprintf(stderr, "SlpSearch::runMulticast: send failed: %s\n", std::strerror(errno));
        if (sent == 0 && round == 0)
            return NetworkError;

        bool newResponder = false;
        const auto roundStart = Clock::now();
        for (;;) {
            const int left = std::min(waits[round] - msSince(roundStart), maximumWait - msSince(start));
            if (left <= 0)
                break;
            const int ready = wait(sockets.fds, left);
            if (ready == -2)
                return Cancelled;
            if (ready == -1)
                break;
            SlpReply reply;
            uint32_t from = 0;
            if (!receive(sockets.fds[size_t(ready)], &reply, &from))
                continue;
            const std::string who = addressText(from);
            bool known = false;
            for (const std::string &p : m_request.previousResponders)
                known = known || p == who;
            if (known)
                continue; // a late copy of an answer already taken
            m_request.previousResponders.push_back(who);
            newResponder = true;
            if (reply.errorCode != 0) {
                std::fprintf(stderr, "SlpSearch::runMulticast: %s answered with error %u\n", who.c_str(),
                             unsigned(reply.errorCode));
                continue;
            }
            const Completion completion = complete(&reply, from);
            if (completion == CompletionCancelled)
                return Cancelled;
            if (completion == Unusable)
                continue;
            if (!sink(reply))
                return Stopped;
        }
        // Converged: a retransmission brought no new answer. An agent that
        // answers late still gets the first two waits.
        const bool converged = round > 0 && !newResponder;
        if (converged || msSince(start) >= maximumWait)
            break;
    }
    return Finished;
}

SlpSearch::Result SlpSearch::runUnicast(const ReplySink &sink)
{
    SlpConfig &config = SlpConfig::instance();
    Sockets sockets;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return NetworkInitFailed;
    sockets.fds.push_back(fd);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(config.port());
    peer.sin_addr.s_addr = htonl(m_unicast);

    m_request.multicast = false;
    m_request.previousResponders.clear();
    const std::vector<uint8_t> datagram = SlpMessage::encode(m_request, 65000);
    if (datagram.empty())
        return NetworkError;
    for (int waitMs : config.datagramTimeouts()) {
        if (::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr *>(&peer), sizeof peer)
            != ssize_t(datagram.size())) {
            std::fprintf(stderr, "SlpSearch::runUnicast: send to %s failed: %s\n",
                         addressText(m_unicast).c_str(), std::strerror(errno));
            return NetworkError;
        }
        const auto roundStart = Clock::now();
        for (;;) {
            const int left = waitMs - msSince(roundStart);
            if (left <= 0)
                break;
            const int ready = wait(sockets.fds, left);
            if (ready == -2)
                return Cancelled;
            if (ready == -1)
                break;
            SlpReply reply;
            uint32_t from = 0;
            if (!receive(fd, &reply, &from))
                continue;
            if (from != m_unicast) {
                std::fprintf(stderr, "SlpSearch::runUnicast: dropped reply from %s: not the agent asked\n",
                             addressText(from).c_str());
                continue;
            }
            if (reply.errorCode != 0) {
                m_agentError = reply.errorCode;
                return AgentError;
            }
            const Completion completion = complete(&reply, from);
            if (completion == CompletionCancelled)
                return Cancelled;
            if (completion == Unusable)
                continue;
            return sink(reply) ? Finished : Stopped;
        }
    }
    return TimedOut;
}
