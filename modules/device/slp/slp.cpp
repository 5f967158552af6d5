// The SLP C API on top of SlpHandle.

#include "slp.h"
#include "slpconfig.h"
#include "slphandle.h"

#include <arpa/inet.h>
#include <memory>
#include <set>

namespace {

SlpHandle *handleOf(SLPHandle h)
{
    return static_cast<SlpHandle *>(h);
}

std::string scopesOf(const char *scopeList)
{
    return scopeList && *scopeList ? scopeList : "DEFAULT";
}

} // namespace

extern "C" {

SLPError SLPOpen(const char *pcLang, SLPBoolean isAsync, SLPHandle *phSLP)
{
    if (!phSLP)
        return SLP_PARAMETER_BAD;
    *phSLP = nullptr;
    if (!isAsync)
        return SLP_NOT_IMPLEMENTED; // only the asynchronous mode is offered
    const std::string language = pcLang && *pcLang ? pcLang : SlpConfig::instance().locale();
    std::unique_ptr<SlpHandle> handle(new (std::nothrow) SlpHandle(language));
    if (!handle)
        return SLP_MEMORY_ALLOC_FAILED;
    *phSLP = handle.release();
    return SLP_OK;
}

void SLPClose(SLPHandle hSLP)
{
    if (hSLP)
        handleOf(hSLP)->close();
}

SLPError SLPFindSrvs(SLPHandle hSLP, const char *pcServiceType, const char *pcScopeList,
                     const char *pcSearchFilter, SLPSrvURLCallback *callback, void *pvCookie)
{
    if (!hSLP || !pcServiceType || !*pcServiceType || !callback)
        return SLP_PARAMETER_BAD;
    SlpRequest request;
    request.function = SlpRequest::SrvRqst;
    request.serviceType = pcServiceType;
    request.scopes = scopesOf(pcScopeList);
    request.predicate = pcSearchFilter ? pcSearchFilter : "";
    // Answers of several agents are collated: each URL is reported once.
    auto seen = std::make_shared<std::set<std::string>>();
    return SLPError(handleOf(hSLP)->start(
        request,
        [hSLP, callback, pvCookie, seen](const SlpReply &reply) {
            for (const SlpUrlEntry &e : reply.urls) {
                if (!seen->insert(e.url).second)
                    continue;
                if (callback(hSLP, e.url.c_str(), e.lifetime, SLP_OK, pvCookie) == SLP_FALSE)
                    return false;
            }
            return true;
        },
        [hSLP, callback, pvCookie](int code) { callback(hSLP, nullptr, 0, SLPError(code), pvCookie); }));
}

SLPError SLPFindAttrs(SLPHandle hSLP, const char *pcURLOrServiceType, const char *pcScopeList,
                      const char *pcAttrIds, SLPAttrCallback *callback, void *pvCookie)
{
    if (!hSLP || !pcURLOrServiceType || !*pcURLOrServiceType || !callback)
        return SLP_PARAMETER_BAD;
    SlpRequest request;
    request.function = SlpRequest::AttrRqst;
    request.url = pcURLOrServiceType;
    request.scopes = scopesOf(pcScopeList);
    request.tags = pcAttrIds ? pcAttrIds : "";
    return SLPError(handleOf(hSLP)->start(
        request,
        [hSLP, callback, pvCookie](const SlpReply &reply) {
            return callback(hSLP, reply.attributes.c_str(), SLP_OK, pvCookie) != SLP_FALSE;
        },
        [hSLP, callback, pvCookie](int code) { callback(hSLP, nullptr, SLPError(code), pvCookie); }));
}

SLPError SLPFindSrvTypes(SLPHandle hSLP, const char *pcNamingAuthority, const char *pcScopeList,
                         SLPSrvTypeCallback *callback, void *pvCookie)
{
    if (!hSLP || !pcNamingAuthority || !callback)
        return SLP_PARAMETER_BAD;
    SlpRequest request;
    request.function = SlpRequest::SrvTypeRqst;
    request.allAuthorities = std::string(pcNamingAuthority) == "*";
    request.namingAuthority = request.allAuthorities ? "" : pcNamingAuthority;
    request.scopes = scopesOf(pcScopeList);
    // Types already reported by another agent are left out of later calls.
    auto seen = std::make_shared<std::set<std::string>>();
    return SLPError(handleOf(hSLP)->start(
        request,
        [hSLP, callback, pvCookie, seen](const SlpReply &reply) {
            std::string fresh;
            for (const std::string &type : SlpConfig::splitList(reply.serviceTypes)) {
                if (!seen->insert(type).second)
                    continue;
                if (!fresh.empty())
                    fresh += ',';
                fresh += type;
            }
            if (fresh.empty())
                return true;
            return callback(hSLP, fresh.c_str(), SLP_OK, pvCookie) != SLP_FALSE;
        },
        [hSLP, callback, pvCookie](int code) { callback(hSLP, nullptr, SLPError(code), pvCookie); }));
}

SLPError SLPAssociateIP(SLPHandle hSLP, const char *unicast_ip)
{
    in_addr a;
    if (!hSLP || !unicast_ip || inet_pton(AF_INET, unicast_ip, &a) != 1 || a.s_addr == 0)
        return SLP_PARAMETER_BAD;
    handleOf(hSLP)->associate(ntohl(a.s_addr));
    return SLP_OK;
}

const char *SLPGetProperty(const char *pcName)
{
    return pcName ? SlpConfig::instance().get(pcName) : nullptr;
}

void SLPSetProperty(const char *pcName, const char *pcValue)
{
    if (pcName)
        SlpConfig::instance().set(pcName, pcValue ? pcValue : "");
}

} // extern "C"
