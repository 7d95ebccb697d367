// Where the public address comes from: the check services of each choice, their answers,
// the public-address rule, and the fallback from one service to the next within the limits.
#include <gtest/gtest.h>

#include "address/check_services.h"

namespace {

HttpReply Page(const std::string& body, unsigned long status = 200) {
    return {ExchangeEnd::Replied, body, status};
}

TEST(CheckServicesFor, TheBuiltInListInOrderTheUsersOwnOrNone) {
    std::string hosts;
    for (const HttpRequest& s : CheckServicesFor({})) {
        hosts += s.host + s.target + (s.secure && !s.port && s.headers.empty() ? " " : "? ");
    }
    EXPECT_EQ(hosts,
              "4.ipw.cn/ ddns.oray.com/checkip v4.yinghualuo.cn/bejson api.ipify.org/ "
              "checkipv4.dedyn.io/ ");
    const std::vector<HttpRequest> own =
        CheckServicesFor({CheckMode::Custom, "http://ip.example:8080/raw"});
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(own[0].host + own[0].target, "ip.example/raw");
    EXPECT_TRUE(CheckServicesFor({CheckMode::Custom, "ftp://ip.example/"}).empty());
    EXPECT_TRUE(CheckServicesFor({CheckMode::None, "https://ip.example/"}).empty());
}

TEST(IsPublicIpv4, PrivateLoopbackSharedLinkLocalAndMulticastAreNot) {
    for (const char* no : {"0.1.2.3", "10.0.0.1", "100.64.0.1", "100.127.255.255", "127.0.0.1",
                           "169.254.1.1", "172.16.0.1", "172.31.255.255", "192.168.1.1",
                           "224.0.0.1", "255.255.255.255", "1.2.3", "1.2.3.256"}) {
        EXPECT_FALSE(IsPublicIpv4(no)) << no;
    }
    for (const char* yes :
         {"1.0.0.1", "100.63.255.255", "100.128.0.1", "172.15.0.1", "172.32.0.1", "192.169.0.1",
          "223.255.255.255", "192.0.2.1", "198.51.100.7", "203.0.113.5"}) {
        EXPECT_TRUE(IsPublicIpv4(yes)) << yes;
    }
}

// Each built-in service's form: plain text, the CheckIP page, JSON.
TEST(AddressInCheckReply, TheFirstDottedQuadOfAFineReplyWhenItIsPublic) {
    const struct {
        HttpReply reply;
        std::optional<std::string> address;
    } cases[] = {
        {Page("203.0.113.5"), "203.0.113.5"},
        {Page("198.51.100.7\n"), "198.51.100.7"},
        {Page("<html><head><title>Current IP Check</title></head><body>Current IP Address: "
              "203.0.113.5</body></html>"),
         "203.0.113.5"},
        {Page("{\"ip\":\"203.0.113.9\",\"location\":\"Beijing\"}"), "203.0.113.9"},
        {Page("v1.2 at 192.0.2.1."), "192.0.2.1"},    // a version, then a full stop
        {Page("1.2.3.4.5 then 6.7.8.9"), "6.7.8.9"},  // five parts are no quad
        // The first four numbers are the service's answer, an address or not.
        {Page("256.1.1.1 or 1.1.1.1"), std::nullopt},
        // Regression: taken as they stand, 012.1.1.1 went as myip, which a parser reading
        // octal takes for 10.1.1.1.
        {Page("01.02.03.04"), std::nullopt},
        {Page("012.1.1.1 or 1.1.1.1"), std::nullopt},
        {Page("203.0.113.0"), "203.0.113.0"},
        {Page("throttled: 127.0.0.1, try 8.8.8.8"), std::nullopt},  // the first one counts
        {Page("192.168.1.1"), std::nullopt},
        {Page("1234.1.1.1"), std::nullopt},
        {Page("1..2.3"), std::nullopt},
        {Page("Current IP Address: unknown"), std::nullopt},
        {Page(""), std::nullopt},
        {Page("Service Unavailable 192.0.2.1", 503), std::nullopt},
        {{ExchangeEnd::Unreachable, "192.0.2.1"}, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(AddressInCheckReply(c.reply), c.address) << c.reply.body;
}

// Services that answer at once with these replies, or (Unreachable) after all their
// budget: which were asked with what budget, and what the check learned from whom.
TEST(CheckAddress, AsksInOrderUntilOneTellsAPublicAddressWithinTheLimits) {
    const HttpReply silent{ExchangeEnd::Unreachable, ""};
    const struct {
        const char* row;
        std::vector<HttpReply> replies;
        std::string asked;  // host:budget of each exchange
        std::optional<std::string> address;
        std::string host;
    } cases[] = {
        {"the first answers", {Page("203.0.113.5")}, "a:10000 ", "203.0.113.5", "a"},
        {"the first is silent",
         {silent, Page("203.0.113.5")},
         "a:10000 b:10000 ",
         "203.0.113.5",
         "b"},
        {"failures of each kind",
         {Page("192.0.2.1", 503), Page("none"), Page("127.0.0.1"), Page("198.51.100.7")},
         "a:10000 b:10000 c:10000 d:10000 ",
         "198.51.100.7",
         "d"},
        {"all silent: 25 s in all",
         {silent, silent, silent, silent},
         "a:10000 b:10000 c:5000 ",
         std::nullopt,
         ""},
        {"all failed",
         {Page(""), Page(""), Page(""), Page("")},
         "a:10000 b:10000 c:10000 d:10000 ",
         std::nullopt,
         ""},
    };
    for (const auto& c : cases) {
        std::vector<HttpRequest> services;
        for (const char* host : {"a", "b", "c", "d"}) services.push_back({host, "/", ""});
        unsigned clock = 0;
        std::string asked;
        const CheckResult result = CheckAddress(
            services,
            [&](const HttpRequest& service, unsigned budgetMs) {
                const HttpReply& reply = c.replies.at(service.host[0] - 'a');
                asked += service.host + ":" + std::to_string(budgetMs) + " ";
                if (reply.end == ExchangeEnd::Unreachable) clock += budgetMs;
                return reply;
            },
            [&] { return clock; });
        EXPECT_EQ(asked, c.asked) << c.row;
        EXPECT_EQ(result.address, c.address) << c.row;
        EXPECT_EQ(result.host, c.host) << c.row;
        EXPECT_LE(clock, CheckBudgetMs) << c.row;
    }
}

}  // namespace
