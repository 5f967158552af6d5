// Feeds arbitrary datagrams to the SLP reply parser.
#include "slpmessage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SlpReply reply;
    std::string reason;
    if (SlpMessage::parseReply(data, size, &reply, &reason)) {
        // Touch what a caller would read.
        size_t total = reply.attributes.size() + reply.serviceTypes.size() + reply.language.size();
        for (const SlpUrlEntry &e : reply.urls)
            total += e.url.size();
        (void)total;
    }
    return 0;
}
