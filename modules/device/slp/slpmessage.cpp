#include "slpmessage.h"

namespace {

class Writer
{
public:
    void u8(uint8_t v) { m_data.push_back(v); }
    void u16(uint16_t v)
    {
        u8(uint8_t(v >> 8));
        u8(uint8_t(v));
    }
    void u24(uint32_t v)
    {
        u8(uint8_t(v >> 16));
        u16(uint16_t(v));
    }
    // A string with its 16-bit length in front.
    void string(const std::string &s)
    {
        if (s.size() > 0xFFFE)
            m_ok = false;
        u16(uint16_t(s.size()));
        m_data.insert(m_data.end(), s.begin(), s.end());
    }
    void put24At(size_t pos, uint32_t v)
    {
        m_data[pos] = uint8_t(v >> 16);
        m_data[pos + 1] = uint8_t(v >> 8);
        m_data[pos + 2] = uint8_t(v);
    }
    std::vector<uint8_t> &data() { return m_data; }
    bool ok() const { return m_ok; }

private:
    std::vector<uint8_t> m_data;
    bool m_ok = true;
};

class Reader
{
public:
    Reader(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    bool u8(uint8_t *v)
    {
        if (m_size - m_pos < 1)
            return false;
        *v = m_data[m_pos++];
        return true;
    }
    bool u16(uint16_t *v)
    {
        if (m_size - m_pos < 2)
            return false;
        *v = uint16_t(m_data[m_pos] << 8 | m_data[m_pos + 1]);
        m_pos += 2;
        return true;
    }
    bool u24(uint32_t *v)
    {
        if (m_size - m_pos < 3)
            return false;
        *v = uint32_t(m_data[m_pos]) << 16 | uint32_t(m_data[m_pos + 1]) << 8 | m_data[m_pos + 2];
        m_pos += 3;
        return true;
    }
    bool skip(size_t n)
    {
        if (m_size - m_pos < n)
            return false;
        m_pos += n;
        return true;
    }
    // `n` bytes as text; NUL bytes are refused, since they would cut the
    // text short when it is handed on as a C string.
    bool bytes(size_t n, std::string *s)
    {
        if (m_size - m_pos < n)
            return false;
        for (size_t i = 0; i < n; ++i)
            if (m_data[m_pos + i] == 0)
                return false;
        s->assign(reinterpret_cast<const char *>(m_data + m_pos), n);
        m_pos += n;
        return true;
    }
    bool string(std::string *s)
    {
        uint16_t n = 0;
        return u16(&n) && bytes(n, s);
    }
    size_t remaining() const { return m_size - m_pos; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

std::string join(const std::vector<std::string> &parts)
{
    std::string out;
    for (const std::string &p : parts) {
        if (!out.empty())
            out += ',';
        out += p;
    }
    return out;
}

// Authentication blocks are not checked, only stepped over within bounds.
bool skipAuthBlocks(Reader &r, uint8_t count, std::string *reason)
{
    for (uint8_t i = 0; i < count; ++i) {
        uint16_t bsd = 0, length = 0;
        if (!r.u16(&bsd) || !r.u16(&length)) {
            *reason = "authentication block truncated";
            return false;
        }
        // The block length counts its own header (4 bytes), the time stamp (4)
        // and the SPI length field (2) at least.
        if (length < 10 || !r.skip(length - 4u)) {
            *reason = "authentication block length inconsistent";
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<uint8_t> SlpMessage::encode(const SlpRequest &request, size_t maxSize)
{
    Writer w;
    w.u8(Version);
    w.u8(request.function);
    w.u24(0); // length, filled in below
    w.u16(request.multicast ? FlagMulticast : 0);
    w.u24(0); // no extensions
    w.u16(request.xid);
    w.string(request.language);

    w.string(join(request.previousResponders));
    switch (request.function) {
    case SlpRequest::SrvRqst:
        w.string(request.serviceType);
        w.string(request.scopes);
        w.string(request.predicate);
        w.string(std::string()); // SLP SPI
        break;
    case SlpRequest::AttrRqst:
        w.string(request.url);
        w.string(request.scopes);
        w.string(request.tags);
        w.string(std::string()); // SLP SPI
        break;
    case SlpRequest::SrvTypeRqst:
        if (request.allAuthorities)
            w.u16(0xFFFF);
        else
            w.string(request.namingAuthority);
        w.string(request.scopes);
        break;
    }
    if (!w.ok() || w.data().size() > maxSize || w.data().size() > 0xFFFFFF)
        return {};
    w.put24At(2, uint32_t(w.data().size()));
    return std::move(w.data());
}

uint8_t SlpMessage::replyFunction(uint8_t requestFunction)
{
    switch (requestFunction) {
    case SlpRequest::SrvRqst:
        return SlpReply::SrvRply;
    case SlpRequest::AttrRqst:
        return SlpReply::AttrRply;
    case SlpRequest::SrvTypeRqst:
        return SlpReply::SrvTypeRply;
    }
    return 0;
}

bool SlpMessage::parseReply(const uint8_t *data, size_t size, SlpReply *reply, std::string *reason)
{
    Reader r(data, size);
    uint8_t version = 0;
    uint32_t length = 0, extOffset = 0;
    if (!r.u8(&version) || !r.u8(&reply->function) || !r.u24(&length) || !r.u16(&reply->flags)
        || !r.u24(&extOffset) || !r.u16(&reply->xid) || !r.string(&reply->language)) {
        *reason = "header truncated";
        return false;
    }
    if (version != Version) {
        *reason = "not SLP version 2";
        return false;
    }
    if (length != size) {
        *reason = length > size ? "message truncated" : "message longer than its length field";
        return false;
    }
    if (extOffset != 0 && (extOffset < HeaderSize || extOffset >= size)) {
        *reason = "extension offset outside the message";
        return false;
    }
    // With extensions, the message body ends where the first extension starts.
    const size_t bodyEnd = extOffset ? extOffset : size;
    if (bodyEnd < size - r.remaining()) {
        *reason = "extension offset inside the header";
        return false;
    }
    Reader body(data + (size - r.remaining()), bodyEnd - (size - r.remaining()));

    if (!body.u16(&reply->errorCode)) {
        *reason = "error code truncated";
        return false;
    }
    switch (reply->function) {
    case SlpReply::SrvRply: {
        uint16_t count = 0;
        if (!body.u16(&count)) {
            *reason = "URL count truncated";
            return false;
        }
        if (reply->errorCode != 0 && count != 0) {
            *reason = "error reply with URL entries";
            return false;
        }
        for (uint16_t i = 0; i < count; ++i) {
            uint8_t reserved = 0, auths = 0;
            SlpUrlEntry entry;
            if (!body.u8(&reserved) || !body.u16(&entry.lifetime) || !body.string(&entry.url)
                || !body.u8(&auths)) {
                *reason = "URL entry truncated or with a bad length";
                return false;
            }
            if (entry.url.empty()) {
                *reason = "empty URL";
                return false;
            }
            if (!skipAuthBlocks(body, auths, reason))
                return false;
            reply->urls.push_back(std::move(entry));
        }
        break;
    }
    case SlpReply::AttrRply: {
        uint8_t auths = 0;
        if (!body.string(&reply->attributes)) {
            *reason = "attribute list truncated or with a bad length";
            return false;
        }
        if (!body.u8(&auths)) {
            *reason = "attribute authentication count missing";
            return false;
        }
        if (!skipAuthBlocks(body, auths, reason))
            return false;
        break;
    }
    case SlpReply::SrvTypeRply:
        if (!body.string(&reply->serviceTypes)) {
            *reason = "service type list truncated or with a bad length";
            return false;
        }
        break;
    default:
        *reason = "not a reply of a user agent's request";
        return false;
    }
    if (reply->errorCode != 0 && !(reply->attributes.empty() && reply->serviceTypes.empty())) {
        *reason = "error reply with a list";
        return false;
    }
    if (body.remaining() != 0) {
        *reason = "bytes left over after the reply";
        return false;
    }
    return true;
}
