#include "address/local_ipv6_rules.h"

namespace {

bool Qualifies(const LocalIpv6Address& address) {
    const auto& b = address.bytes;
    const bool global = (b[0] & 0xE0) == 0x20;
    // Tunnels over IPv4 relays: such an address comes and goes with the relay.
    const bool sixToFour = b[0] == 0x20 && b[1] == 0x02;
    const bool teredo = b[0] == 0x20 && b[1] == 0x01 && b[2] == 0 && b[3] == 0;
    return address.adapterUp && address.preferred && global && !sixToFour && !teredo;
}

}  // namespace

std::optional<std::string> PublicIpv6Among(const std::vector<LocalIpv6Address>& addresses) {
    const LocalIpv6Address* temporary = nullptr;
    for (const LocalIpv6Address& address : addresses) {
        if (!Qualifies(address)) continue;
        // A temporary address changes every day or so: each change would cost an update.
        if (!address.temporary) return Ipv6Text(address.bytes);
        if (!temporary) temporary = &address;
    }
    if (temporary) return Ipv6Text(temporary->bytes);
    return std::nullopt;
}

std::string Ipv6Text(const std::array<unsigned char, 16>& bytes) {
    unsigned groups[8];
    for (int i = 0; i < 8; ++i) groups[i] = bytes[2 * i] << 8 | bytes[2 * i + 1];
    int bestAt = -1, bestLength = 1;  // a single zero group stays "0"
    for (int at = 0; at < 8;) {
        int end = at;
        while (end < 8 && groups[end] == 0) ++end;
        if (end - at > bestLength) bestAt = at, bestLength = end - at;
        at = end == at ? at + 1 : end;
    }
    static const char Digits[] = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 8; ++i) {
        if (i == bestAt) {
            text += "::";
            i += bestLength - 1;
            continue;
        }
        if (!text.empty() && text.back() != ':') text += ':';
        bool started = false;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const unsigned digit = groups[i] >> shift & 0xF;
            if (digit == 0 && !started && shift > 0) continue;
            started = true;
            text += Digits[digit];
        }
    }
    return text;
}
