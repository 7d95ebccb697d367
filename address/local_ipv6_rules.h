// Which of the PC's own IPv6 addresses a domain can be kept on, and how to write it.
#ifndef KIVO_WATCH_LOCAL_IPV6_RULES_H
#define KIVO_WATCH_LOCAL_IPV6_RULES_H

#include <array>
#include <optional>
#include <string>
#include <vector>

struct LocalIpv6Address {
    std::array<unsigned char, 16> bytes;  // network order
    bool adapterUp;                       // the adapter's operational status is up
    bool preferred;  // DAD state preferred (not tentative, deprecated, duplicate, invalid)
    bool temporary;  // a temporary (privacy) address: suffix origin random
};

// The address to keep the domain on: among the given addresses (in the system's adapter
// order), those of adapters that are up, preferred, in 2000::/3, and not 6to4 (2002::/16)
// or Teredo (2001:0000::/32); a stable one before a temporary one; among equals the first.
// Link-local, unique-local, loopback, multicast and IPv4-mapped addresses all fall outside
// 2000::/3; the documentation prefix 2001:db8::/32 counts as global. Nothing when none
// qualifies.
std::optional<std::string> PublicIpv6Among(const std::vector<LocalIpv6Address>& addresses);

// The address's text in the RFC 5952 form: lower-case hex, no leading zeros, the longest
// run of two or more zero groups (the first of equal runs) as "::".
std::string Ipv6Text(const std::array<unsigned char, 16>& bytes);

#endif
