// An SLP agent on 127.0.0.1 that answers a request over TCP with any bytes:
// the stream reply framing (length field, short and long streams, a close
// in the middle) and the reply parser behind it.
// The first input byte chooses the request and the fix-ups made to the
// bytes that follow it, so that most inputs get past the framing:
//   bits 0-1  the request's function (SrvRqst, AttrRqst, SrvTypeRqst)
//   bit 2     the length field is set to the bytes sent
//   bit 3     the XID is set to the request's
//   bit 4     the function is set to the reply's
//   bit 5     the bytes go out three at a time
#include "slpmessage.h"
#include "slpstream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

const uint16_t RequestXid = 0x5a17;

struct Listener
{
    int fd = -1;
    uint16_t port = 0;
};

const Listener &listener()
{
    static const Listener l = [] {
        Listener out;
        out.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (out.fd < 0 || ::bind(out.fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
            || ::listen(out.fd, 4) != 0 || ::getsockname(out.fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            abort();
        out.port = ntohs(address.sin_port);
        return out;
    }();
    return l;
}

bool readable(int fd)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 10000) == 1;
}

// Takes one connection, reads the request whole, sends `reply` and closes.
void serve(const std::vector<uint8_t> &reply, bool inPieces)
{
    if (!readable(listener().fd))
        return;
    const int fd = ::accept4(listener().fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    std::vector<uint8_t> request;
    size_t wanted = 5;
    while (request.size() < wanted && readable(fd)) {
        uint8_t buffer[512];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        request.insert(request.end(), buffer, buffer + n);
        if (request.size() >= 5)
            wanted = size_t(request[2]) << 16 | size_t(request[3]) << 8 | request[4];
    }
    const size_t piece = inPieces ? 3 : reply.size();
    for (size_t done = 0; done < reply.size();) {
        const ssize_t n = ::send(fd, reply.data() + done, std::min(piece, reply.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        done += size_t(n);
    }
    ::close(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t mode = data[0];
    SlpRequest request;
    request.xid = RequestXid;
    switch (mode & 3) {
    case 1:
        request.function = SlpRequest::AttrRqst;
        request.url = "service:device.vantor://127.0.0.2";
        break;
    case 2:
        request.function = SlpRequest::SrvTypeRqst;
        break;
    default:
        request.function = SlpRequest::SrvRqst;
        request.serviceType = "service:device.vantor";
        break;
    }

    std::vector<uint8_t> reply(data + 1, data + size);
    if ((mode & 4) && reply.size() >= 5) {
        reply[2] = uint8_t(reply.size() >> 16);
        reply[3] = uint8_t(reply.size() >> 8);
        reply[4] = uint8_t(reply.size());
    }
    if ((mode & 8) && reply.size() >= 12) {
        reply[10] = uint8_t(RequestXid >> 8);
        reply[11] = uint8_t(RequestXid);
    }
    if ((mode & 16) && reply.size() >= 2)
        reply[1] = SlpMessage::replyFunction(request.function);

    std::thread agent(serve, reply, (mode & 32) != 0);
    SlpReply answer;
    if (SlpStream::fetch(request, INADDR_LOOPBACK, listener().port, 10000, -1, &answer) == SlpStream::Received) {
        size_t total = answer.attributes.size() + answer.serviceTypes.size() + answer.language.size();
        for (const SlpUrlEntry &e : answer.urls)
            total += e.url.size();
        (void)total;
    }
    agent.join();
    return 0;
}
