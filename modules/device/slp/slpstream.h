#pragma once
// A request sent to one agent over TCP, for a reply too large for a datagram:
// the agent cut its datagram answer and set OVERFLOW, so the whole reply is
// asked for again over a stream connection.

#include "slpmessage.h"

#include <cstdint>

class SlpStream
{
public:
    enum Result { Received, Failed, Cancelled };

    // agent: IPv4 address in host order. The whole exchange ends within
    // timeoutMs; cancelFd becomes readable when the caller is to stop.
    static Result fetch(const SlpRequest &request, uint32_t agent, uint16_t port, int timeoutMs, int cancelFd,
                        SlpReply *reply);

    // Longest reply read from a stream: far above any real agent's answer.
    static constexpr size_t MaxReply = 1 << 20;
};
