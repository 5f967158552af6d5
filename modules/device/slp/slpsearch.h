#pragma once
// One request of a user agent on the network: by multicast on the chosen
// interfaces with retransmissions and the previous-responder list until the
// answers converge, or by unicast to one agent with retries.

#include "slpmessage.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class SlpSearch
{
public:
    enum Result { Finished, Stopped, Cancelled, NetworkError, NetworkInitFailed, TimedOut, AgentError };

    // Gets every accepted reply; returns false to end the search.
    using ReplySink = std::function<bool(const SlpReply &reply)>;

    // unicastAddress: IPv4 address in host order, 0 for multicast.
    // cancelFd: a descriptor that becomes readable when the search is to stop.
    SlpSearch(const SlpRequest &request, uint32_t unicastAddress, int cancelFd);

    Result run(const ReplySink &sink);
    // The error code of the agent's reply after AgentError.
    uint16_t agentError() const { return m_agentError; }

    struct Interface
    {
        std::string name;
        uint32_t address; // host order
        unsigned index;
    };
    // The IPv4 interfaces that are up and chosen by the settings.
    static std::vector<Interface> interfaces();

private:
    Result runMulticast(const ReplySink &sink);
    Result runUnicast(const ReplySink &sink);
    // Waits up to `ms` for a datagram on one of `fds`; returns the index of the
    // readable socket, -1 on time-out, -2 when cancelled.
    int wait(const std::vector<int> &fds, int ms);
    // Reads one datagram; true when it is a well-formed reply to this request.
    bool receive(int fd, SlpReply *reply, uint32_t *from);
    enum Completion { Whole, Unusable, CompletionCancelled };
    // A reply its agent cut to fit a datagram (OVERFLOW) is asked for again
    // over TCP; a cut reply is never handed on.
    Completion complete(SlpReply *reply, uint32_t from);

    SlpRequest m_request;
    uint32_t m_unicast;
    int m_cancelFd;
    uint16_t m_agentError = 0;
};
