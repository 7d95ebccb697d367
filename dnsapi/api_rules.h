// What a DNS provider's own API is to the conversation that keeps a record on an address:
// how to ask for the account's zones, for the records of one name, to change a record and to
// create one, and how to read each reply. Each provider fills such a table in a file of its
// own (plain rules over byte strings); the conversation that uses them is shared.
#ifndef KIVO_API_RULES_H
#define KIVO_API_RULES_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "update/update_rules.h"

// The SHA-256 digest (32 bytes) of the bytes: the system's in kivo.exe, OpenSSL's in the
// native tests. Null where the system has none (Windows XP before SP3).
using Sha256Function = std::string (*)(const std::string& bytes);

// What every call of a conversation is made with.
struct ApiContext {
    std::string keyId;   // 用户名: the key's id (a provider without one ignores it)
    std::string secret;  // 密码: the token or the secret key
    std::function<std::int64_t()> now;   // seconds since 1970, UTC, at the moment of asking
    std::function<std::string()> nonce;  // a text never given before, for each signed call
    Sha256Function sha256 = nullptr;
};

// What every call reads of its reply at most: a listing of a whole zone fits.
inline constexpr std::size_t ApiReplyLimit = 512 * 1024;

// A zone of the account: its name as the API writes it (the conversation compares names
// without case and without a final dot), and the id the API knows it by (the name itself
// where the API has no other).
struct ApiZone {
    std::string name, id;
};

// The record to keep current: the whole name, its part before the zone ("@" for the zone's
// own name), and the type, "A" for an IPv4 address and "AAAA" for IPv6.
struct RecordName {
    std::string full, relative, type;
};

// A record as the provider lists it; what the provider does not give stays empty. Its name
// is the whole name or the part before the zone, as the provider writes it; its line is the
// line's id where the provider has ids. A change sends back what it does not change (TTL,
// line), so that only the address changes.
struct ApiRecord {
    std::string id, name, type, value, ttl, line;
};

// What a reply says, in the kinds the conversation acts on.
struct ApiVerdict {
    enum Kind {
        Ok,
        NoRecord,         // the name has no such record: create one
        BadKey,           // the key or token is unknown, malformed or refused
        NoSuchDomain,     // no zone of this account holds the domain
        NoPermission,     // the key may not read or change this zone or record
        Locked,           // the domain or record is locked at the provider
        Blocked,          // the account is blocked for a while after failed logins
        Throttled,        // too many calls: try again later
        ProviderTrouble,  // a server error at the provider
        ClockWrong,       // the signature's time is too far from the provider's clock
        Unknown,          // anything else, or a reply that cannot be read
    } kind = Unknown;
    std::string code, message;           // the provider's own, for the log (message in UTF-8)
    std::int64_t retryAfterSeconds = 0;  // where the provider asked for a wait
};

struct ApiRules {
    // The account's zones, a page at a time (from 0, as large as the API gives them).
    HttpRequest (*zonesRequest)(const ApiContext& context, int page);
    ApiVerdict (*readZones)(const HttpReply& reply, std::vector<ApiZone>& zones);
    // The records of the name and type in the zone.
    HttpRequest (*recordsRequest)(const ApiContext& context, const ApiZone& zone,
                                  const RecordName& name);
    ApiVerdict (*readRecords)(const HttpReply& reply, std::vector<ApiRecord>& records);
    // The record given the address as its new value, all else kept.
    HttpRequest (*changeRequest)(const ApiContext& context, const ApiZone& zone,
                                 const ApiRecord& record, const std::string& address);
    // A new record of the name with the address, at the provider's default TTL.
    HttpRequest (*createRequest)(const ApiContext& context, const ApiZone& zone,
                                 const RecordName& name, const std::string& address);
    // The reply to a change or a creation.
    ApiVerdict (*readChange)(const HttpReply& reply);
    // A page that lists this many zones may have more after it; 0 where one call lists all.
    std::size_t zonesPerPage;
};

#endif
