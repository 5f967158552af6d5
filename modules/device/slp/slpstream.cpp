#include "slpstream.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class Connection
{
public:
    Connection(int cancelFd, int timeoutMs)
        : m_cancelFd(cancelFd), m_deadline(Clock::now() + std::chrono::milliseconds(timeoutMs))
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    }
    ~Connection()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool valid() const { return m_fd >= 0; }
    bool cancelled() const { return m_cancelled; }

    bool connectTo(uint32_t agent, uint16_t port)
    {
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        peer.sin_addr.s_addr = htonl(agent);
        if (::connect(m_fd, reinterpret_cast<sockaddr *>(&peer), sizeof peer) == 0)
            return true;
        if (errno != EINPROGRESS || !waitFor(POLLOUT))
            return false;
        int error = 0;
        socklen_t len = sizeof error;
        return ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
    }
    bool sendAll(const std::vector<uint8_t> &data)
    {
        size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::send(m_fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (n > 0) {
                done += size_t(n);
                continue;
            }
            if (n < 0 && (errno == EINTR || (errno == EAGAIN && waitFor(POLLOUT))))
                continue;
            return false;
        }
        return true;
    }
    bool readExactly(uint8_t *out, size_t size)
    {
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::recv(m_fd, out + done, size - done, 0);
            if (n > 0) {
                done += size_t(n);
                continue;
            }
            if (n < 0 && (errno == EINTR || (errno == EAGAIN && waitFor(POLLIN))))
                continue;
            return false; // closed early, failed or out of time
        }
        return true;
    }

private:
    // Waits for `events` until the deadline; false on time-out or cancel.
    bool waitFor(short events)
    {
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            pollfd p[2] = {{m_fd, events, 0}, {m_cancelFd, POLLIN, 0}};
            const int n = ::poll(p, m_cancelFd >= 0 ? 2 : 1, int(left.count()));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            if (m_cancelFd >= 0 && p[1].revents) {
                m_cancelled = true;
                return false;
            }
            return true;
        }
    }

    int m_fd = -1;
    int m_cancelFd;
    Clock::time_point m_deadline;
    bool m_cancelled = false;
};

} // namespace

SlpStream::Result SlpStream::fetch(const SlpRequest &request, uint32_t agent, uint16_t port, int timeoutMs,
                                   int cancelFd, SlpReply *reply)
{
    SlpRequest unicast = request;
    unicast.multicast = false;
    unicast.previousResponders.clear();
    const std::vector<uint8_t> message = SlpMessage::encode(unicast, MaxReply);
    Connection c(cancelFd, timeoutMs);
    if (message.empty() || !c.valid())
        return Failed;
    uint8_t head[5];
    if (!c.connectTo(agent, port) || !c.sendAll(message) || !c.readExactly(head, sizeof head))
        return c.cancelled() ? Cancelled : Failed;
    const size_t length = size_t(head[2]) << 16 | size_t(head[3]) << 8 | head[4];
    if (length < sizeof head || length > MaxReply)
        return Failed;
    std::vector<uint8_t> data(head, head + sizeof head);
    data.resize(length);
    if (!c.readExactly(data.data() + sizeof head, length - sizeof head))
        return c.cancelled() ? Cancelled : Failed;
    std::string reason;
    *reply = SlpReply();
    if (!SlpMessage::parseReply(data.data(), data.size(), reply, &reason)) {
        std::fprintf(stderr, "SlpStream::fetch: dropped reply: %s\n", reason.c_str());
        return Failed;
    }
    if (reply->xid != request.xid || reply->function != SlpMessage::replyFunction(request.function)
        || (reply->flags & SlpMessage::FlagOverflow)) {
        std::fprintf(stderr, "SlpStream::fetch: dropped reply: not a whole reply to this request\n");
        return Failed;
    }
    return Received;
}
