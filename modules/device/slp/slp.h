#pragma once
// SLPv2 user agent: the client functions of the SLP C API (RFC 2614) over
// SLPv2 messages (RFC 2608) on UDP. Only the asynchronous user-agent part is
// provided: SLPOpen, SLPClose, SLPFindSrvs, SLPFindAttrs, SLPFindSrvTypes,
// SLPAssociateIP, SLPGetProperty and SLPSetProperty.
//
// Searches run on a thread of the library. Every search delivers one callback
// per result as it arrives and ends with exactly one final callback: either
// SLP_LAST_CALL or a negative error code. A callback that returns SLP_FALSE
// ends its search without a final call. SLPClose cancels a running search;
// once it returns, no callback of that handle runs any more. The library owns
// every buffer it passes to a callback; the strings are valid during the call.
//
// Settings (SLPSetProperty, or the environment when the process starts):
//   net.slp.interfaces            interface names or IPv4 addresses, comma
//                                 separated, used for multicast (environment
//                                 ZEL_SLP_INTERFACES); empty: every IPv4
//                                 interface that is up
//   net.slp.port                  UDP port of the agents (ZEL_SLP_PORT), 427
//   net.slp.multicastTimeouts     waits between multicast retransmissions, ms
//   net.slp.multicastMaximumWait  upper bound of one multicast search, ms
//   net.slp.datagramTimeouts      waits between unicast retransmissions, ms
//   net.slp.locale                language tag of requests, "en"

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
    SLP_LAST_CALL = 1,
    SLP_OK = 0,
    SLP_LANGUAGE_NOT_SUPPORTED = -1,
    SLP_PARSE_ERROR = -2,
    SLP_INVALID_REGISTRATION = -3,
    SLP_SCOPE_NOT_SUPPORTED = -4,
    SLP_AUTHENTICATION_ABSENT = -6,
    SLP_AUTHENTICATION_FAILED = -7,
    SLP_INVALID_UPDATE = -13,
    SLP_REFRESH_REJECTED = -15,
    SLP_NOT_IMPLEMENTED = -17,
    SLP_BUFFER_OVERFLOW = -18,
    SLP_NETWORK_TIMED_OUT = -19,
    SLP_NETWORK_INIT_FAILED = -20,
    SLP_MEMORY_ALLOC_FAILED = -21,
    SLP_PARAMETER_BAD = -22,
    SLP_NETWORK_ERROR = -23,
    SLP_INTERNAL_SYSTEM_ERROR = -24,
    SLP_HANDLE_IN_USE = -25,
    SLP_TYPE_ERROR = -26
} SLPError;

typedef enum { SLP_FALSE = 0, SLP_TRUE = 1 } SLPBoolean;

typedef struct SlpHandleData *SLPHandle;

typedef SLPBoolean SLPSrvURLCallback(SLPHandle hSLP, const char *pcSrvURL, unsigned short sLifetime,
                                     SLPError errCode, void *pvCookie);
typedef SLPBoolean SLPAttrCallback(SLPHandle hSLP, const char *pcAttrList, SLPError errCode,
                                   void *pvCookie);
typedef SLPBoolean SLPSrvTypeCallback(SLPHandle hSLP, const char *pcSrvTypes, SLPError errCode,
                                      void *pvCookie);

SLPError SLPOpen(const char *pcLang, SLPBoolean isAsync, SLPHandle *phSLP);
void SLPClose(SLPHandle hSLP);

SLPError SLPFindSrvs(SLPHandle hSLP, const char *pcServiceType, const char *pcScopeList,
                     const char *pcSearchFilter, SLPSrvURLCallback *callback, void *pvCookie);
SLPError SLPFindAttrs(SLPHandle hSLP, const char *pcURLOrServiceType, const char *pcScopeList,
                      const char *pcAttrIds, SLPAttrCallback *callback, void *pvCookie);
SLPError SLPFindSrvTypes(SLPHandle hSLP, const char *pcNamingAuthority, const char *pcScopeList,
                         SLPSrvTypeCallback *callback, void *pvCookie);

// The handle's next requests go by unicast to this IPv4 address (dotted text)
// instead of by multicast.
SLPError SLPAssociateIP(SLPHandle hSLP, const char *unicast_ip);

// The returned text stays valid until the property is set again.
const char *SLPGetProperty(const char *pcName);
void SLPSetProperty(const char *pcName, const char *pcValue);

#ifdef __cplusplus
}
#endif
