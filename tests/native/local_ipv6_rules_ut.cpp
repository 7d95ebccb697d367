// The PC's own IPv6 addresses: which one a domain is kept on, and its text.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "address/local_ipv6_rules.h"

namespace {

std::array<unsigned char, 16> Bytes(const char* text) {
    std::array<unsigned char, 16> bytes{};
    EXPECT_EQ(inet_pton(AF_INET6, text, bytes.data()), 1) << text;
    return bytes;
}

enum Kind { Stable, Temporary, Down, NotPreferred };

LocalIpv6Address Address(const char* text, Kind kind = Stable) {
    return {Bytes(text), kind != Down, kind != NotPreferred, kind == Temporary};
}

TEST(PublicIpv6Among, AGlobalPreferredAddressOfAnAdapterThatIsUpStableFirst) {
    const struct {
        std::vector<LocalIpv6Address> addresses;
        std::optional<std::string> chosen;
    } cases[] = {
        {{Address("2001:db8:4b::5")}, "2001:db8:4b::5"},  // documentation counts
        {{Address("2400:cb00::1")}, "2400:cb00::1"},
        {{Address("3fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff")},
         "3fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"},
        {{Address("2000::")}, "2000::"},
        {{Address("1fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff")}, std::nullopt},
        {{Address("4000::1")}, std::nullopt},
        {{Address("fe80::fc:ff:fe00:1")}, std::nullopt},  // link-local
        {{Address("fd00::2")}, std::nullopt},             // unique-local
        {{Address("fc00::2")}, std::nullopt},
        {{Address("::1")}, std::nullopt},
        {{Address("::")}, std::nullopt},
        {{Address("ff02::1")}, std::nullopt},
        {{Address("::ffff:203.0.113.5")}, std::nullopt},
        {{Address("2002:cb00:7105::1")}, std::nullopt},    // 6to4
        {{Address("2001:0:4136:e378::1")}, std::nullopt},  // Teredo
        {{Address("2001:1::1")}, "2001:1::1"},             // beside Teredo
        {{Address("2003::1")}, "2003::1"},                 // beside 6to4
        {{Address("2001:db8::1", Down)}, std::nullopt},
        {{Address("2001:db8::1", NotPreferred)}, std::nullopt},
        {{Address("2001:db8::1", Temporary)}, "2001:db8::1"},
        {{Address("2001:db8::7", Temporary), Address("2001:db8::8", Temporary)}, "2001:db8::7"},
        {{Address("2001:db8::7", Temporary), Address("fd00::2"), Address("2001:db8::8")},
         "2001:db8::8"},
        {{Address("2001:db8::7", Down), Address("2001:db8::9", NotPreferred),
          Address("2001:db8::8", Temporary)},
         "2001:db8::8"},
        {{Address("fe80::1"), Address("2001:db8:1::1"), Address("2001:db8:2::1")}, "2001:db8:1::1"},
        {{}, std::nullopt},
    };
    for (const auto& c : cases) {
        std::string listed;
        for (const LocalIpv6Address& a : c.addresses) listed += Ipv6Text(a.bytes) + " ";
        EXPECT_EQ(PublicIpv6Among(c.addresses), c.chosen) << listed;
    }
}

TEST(Ipv6Text, TheShortFormOfRfc5952) {
    const struct {
        const char* in;
        const char* text;
    } cases[] = {
        {"0:0:0:0:0:0:0:0", "::"},
        {"0:0:0:0:0:0:0:1", "::1"},
        {"2001:0DB8:0:0:0:0:0:0", "2001:db8::"},
        {"2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1"},     // the first of equal runs
        {"2001:0:0:1:0:0:0:1", "2001:0:0:1::1"},           // the longer run
        {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1"},  // one zero group stays
        {"2001:db8:aaaa:bbbb:cccc:dddd:eeee:0", "2001:db8:aaaa:bbbb:cccc:dddd:eeee:0"},
        {"0:1:2:3:4:5:6:7", "0:1:2:3:4:5:6:7"},
        {"0:0:1:0:0:0:1:0", "0:0:1::1:0"},
        {"2001:db8:0:0:0:0:2:1", "2001:db8::2:1"},
        {"fe80:0:0:0:00fc:00ff:fe00:0001", "fe80::fc:ff:fe00:1"},
        {"ABCD:EF01:2345:6789:ABCD:EF01:2345:6789", "abcd:ef01:2345:6789:abcd:ef01:2345:6789"},
        {"1:0:0:0:0:0:0:0", "1::"},
        {"0:0:0:0:0:0:0:100", "::100"},
        {"::ffff:203.0.113.5", "::ffff:cb00:7105"},
    };
    for (const auto& c : cases) EXPECT_EQ(Ipv6Text(Bytes(c.in)), c.text) << c.in;
}

}  // namespace
