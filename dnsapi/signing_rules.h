// What the providers that sign their calls share: HMAC-SHA256 on the hash given, the
// canonical request that their three schemes build alike, and the UTC time forms.
#ifndef KIVO_SIGNING_RULES_H
#define KIVO_SIGNING_RULES_H

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dnsapi/api_rules.h"

using NameValues = std::vector<std::pair<std::string, std::string>>;

// Lower-case hexadecimal.
std::string HexOf(const std::string& bytes);
std::string Sha256Hex(Sha256Function sha256, const std::string& bytes);
// HMAC-SHA256 as RFC 2104 builds it on the hash (a key over 64 bytes is hashed first).
std::string HmacSha256(Sha256Function sha256, const std::string& key, const std::string& message);

// The pairs as a query, each name and value RFC 3986-encoded, in the order given.
std::string QueryOf(const NameValues& pairs);
// The canonical request of ACS3, TC3 and SDK signing: the method, the URI, the query's
// encoded "name=value" pairs sorted, a "name:value" line for each header (names lower-case,
// values trimmed; sorted by name), an empty line, the names parted by ";", and the hex
// SHA-256 of the body.
struct CanonicalRequest {
    std::string text;
    std::string signedHeaders;  // the names parted by ";"
};
CanonicalRequest CanonicalRequestOf(Sha256Function sha256, const std::string& method,
                                    const std::string& uri, const NameValues& query,
                                    NameValues headers, const std::string& body);
// The headers as a request sends them, "Name: value" and CR LF each.
std::string HeaderLines(const NameValues& headers);

// A moment in UTC.
struct UtcTime {
    int year, month, day, hour, minute, second;
};
UtcTime UtcTimeOf(std::int64_t secondsSince1970);
// "2026-12-07T08:00:00Z"; "20261207T080000Z"; "2026-12-07".
std::string IsoTimeOf(std::int64_t secondsSince1970);
std::string CompactTimeOf(std::int64_t secondsSince1970);
std::string DateOf(std::int64_t secondsSince1970);
// The seconds of an HTTP date ("Mon, 07 Dec 2026 08:00:00 GMT"); nothing where it is none.
std::optional<std::int64_t> SecondsOfHttpDate(const std::string& date);

#endif
