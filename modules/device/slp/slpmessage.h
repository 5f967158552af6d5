#pragma once
// SLPv2 messages of a user agent: the requests it sends and the replies it
// reads. Replies are checked field by field against the datagram's bounds; a
// message that does not add up is refused with the reason.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SlpRequest
{
    enum Function : uint8_t { SrvRqst = 1, AttrRqst = 6, SrvTypeRqst = 9 };

    Function function = SrvRqst;
    uint16_t xid = 0;
    bool multicast = false;
    std::string language = "en";
    std::vector<std::string> previousResponders;
    std::string serviceType;     // SrvRqst
    std::string url;             // AttrRqst: URL or service type
    std::string scopes = "DEFAULT";
    std::string predicate;       // SrvRqst
    std::string tags;            // AttrRqst
    bool allAuthorities = true;  // SrvTypeRqst: naming authority "*"
    std::string namingAuthority; // SrvTypeRqst, when not all
};

struct SlpUrlEntry
{
    std::string url;
    uint16_t lifetime = 0;
};

struct SlpReply
{
    enum Function : uint8_t { SrvRply = 2, AttrRply = 7, SrvTypeRply = 10 };

    uint8_t function = 0;
    uint16_t xid = 0;
    uint16_t flags = 0;
    std::string language;
    uint16_t errorCode = 0;
    std::vector<SlpUrlEntry> urls; // SrvRply
    std::string attributes;        // AttrRply
    std::string serviceTypes;      // SrvTypeRply
};

class SlpMessage
{
public:
    static constexpr uint8_t Version = 2;
    static constexpr uint16_t FlagOverflow = 0x8000;
    static constexpr uint16_t FlagFresh = 0x4000;
    static constexpr uint16_t FlagMulticast = 0x2000;
    static constexpr size_t HeaderSize = 14; // without the language tag

    // The request as a datagram; empty when a field does not fit its length
    // field or the datagram would exceed maxSize.
    static std::vector<uint8_t> encode(const SlpRequest &request, size_t maxSize);

    // The reply function that answers a request function.
    static uint8_t replyFunction(uint8_t requestFunction);

    // Reads a SrvRply, AttrRply or SrvTypeRply, with every field its function
    // has, also when it carries an error (then with no URL entries and empty
    // lists). On failure returns false and says why in *reason. A reply with
    // FlagOverflow set was cut by its sender: it reads well but is not whole.
    static bool parseReply(const uint8_t *data, size_t size, SlpReply *reply, std::string *reason);
};
