// The update command's rules: field checks, the request, the reply and its reading.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "update/providers_rules.h"

namespace {

TEST(FieldChecks, BoundsOfEachFieldInBytes) {
    const struct {
        bool (*passes)(const std::string&);
        std::string text;
        bool expected;
    } cases[] = {
        {DomainPasses, "abcd.efgh", false},
        {DomainPasses, "abcd.efghi", true},
        {DomainPasses, "abcdefghijk", false},
        {DomainPasses, "abcdefghi.", true},
        {UserPasses, "abc", false},
        {UserPasses, "abcd", true},
        {UserPasses, "用户", true},
        {PasswordPasses, "abc", false},
        {PasswordPasses, "abcd", true},
        {AddressPasses, "", true},
        {AddressPasses, "1", false},
        {AddressPasses, "localhost", false},
        {AddressPasses, "a.b", true},
        {AddressPasses, "2001:db8::1", true},
        {AddressPasses, "1.2.3.4", true},
        // Regression: digits and dots passed as they came, and went out as myip.
        {AddressPasses, "012.1.1.1", false},
        {AddressPasses, "1.2.3", false},
        {AddressPasses, "1.2.3.256", false},
        {AddressPasses, "1.2.3.4.", false},
        {DomainPasses, "a.kivo.example, b.kivo.example", true},
        {DomainPasses, "a.kivo.example,,b.kivo.example", false},
        {DomainPasses, "a.kivo.example, b.kivo", false},
        {DomainPasses, "a.kivo.example,", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.passes(c.text), c.expected) << '"' << c.text << '"';
}

// Domain, user name, password, address: the first that fails speaks; the others are not
// looked at.
TEST(FieldChecks, TheFirstFailureInTheOrderDomainUserPasswordAddressSpeaks) {
    const std::pair<UpdateFields, const char*> cases[] = {
        {{"bad", "x", "u", "p"}, "您的 域名 输入不正确,请检查后在尝试更新操作!"},
        {{"abcd.efghi", "x", "u", "p"}, "您的 用户名 输入不正确,请检查后在尝试更新操作!"},
        {{"abcd.efghi", "x", "user", "p"}, "您的 密码 输入不正确,请检查后在尝试更新操作!"},
        {{"abcd.efghi", "x", "user", "pass"}, "您的 IP地址 输入不正确,请检查格式是否正确!"},
    };
    for (const auto& [fields, status] : cases) {
        const FieldCheck* failed = FirstFailedCheck(fields);
        ASSERT_NE(failed, nullptr) << status;
        EXPECT_STREQ(failed->statusText, status);
    }
    EXPECT_EQ(FirstFailedCheck({"abcd.efghi", "", "user", "pass"}), nullptr);
}

// Regression: field texts once went into the URL as they were, so "&" added parameters,
// "@", "#", "/", "?" or ":" in the credentials changed the host or cut the request, and
// placeholders typed into a field were filled in. Now the domain and the address are
// percent-encoded (all but the unreserved characters) and the credentials go as Basic.
TEST(UpdateRequest, NoFieldTextChangesTheHostPathOrParameters) {
    const struct {
        std::string domain, address, user, password, query, basic;
    } cases[] = {
        {"home.kivo.example", "1.2.3.4", "demo", "kivo2026",
         "hostname=home.kivo.example&myip=1.2.3.4", "ZGVtbzpraXZvMjAyNg=="},
        {"aZ09-._~", "", "us@er/", "p@ss#w/o?r:d",
         "hostname=aZ09-._~&myip=", "dXNAZXIvOnBAc3Mjdy9vP3I6ZA=="},
        {"a.b&myip=6#x", "1.2&wildcard=ON", "u", "pw",
         "hostname=a.b%26myip%3D6%23x&myip=1.2%26wildcard%3DON", "dTpwdw=="},
        {"x{ip} +%", "{host}", "{pwd}", "{user}", "hostname=x%7Bip%7D%20%2B%25&myip=%7Bhost%7D",
         "e3B3ZH06e3VzZXJ9"},
        {" a.kivo.example , b&c.kivo.example", "", "u", "pw",
         "hostname=a.kivo.example,b%26c.kivo.example&myip=", "dTpwdw=="},
        // Regression: one domain went with its blanks, hostname=%20home.kivo.example%20.
        {" home.kivo.example ", "", "u", "pw", "hostname=home.kivo.example&myip=", "dTpwdw=="},
        {"域名\x80\xff", "", "用户", "\xff\xfe",
         "hostname=%D3%F2%C3%FB%80%FF&myip=", "08O7pzr//g=="},
    };
    const ProviderChoice built = BuildsOwnProvider("members.kivo.example", "https");
    for (const auto& c : cases) {
        const std::optional<HttpRequest> request =
            UpdateRequestFor(built, {c.domain, c.address, c.user, c.password});
        ASSERT_TRUE(request);
        EXPECT_EQ(request->host, "members.kivo.example");
        EXPECT_EQ(request->target, "/dyndns/update?system=dyndns&" + c.query + "&wildcard=OFF");
        EXPECT_EQ(request->headers, "Authorization: Basic " + c.basic + "\r\n");
        EXPECT_TRUE(request->secure);
    }
}

// Regression: every failure said the password might be wrong. A reply that arrived is
// judged as before; no reply, and no secure connection, say so.
TEST(OutcomeOf, TellsTheNetworkTheSecureConnectionAndTheAccountApart) {
    // No connection, a time-out, no name; an unknown issuer, another name, expired, no
    // revocation check, revoked, no common protocol.
    for (unsigned long error : {12029, 12002, 12007}) {
        EXPECT_EQ(OutcomeOf({FailureOf(error), ""}).statusText, "无法连接到服务器,请检查网络!")
            << error;
    }
    for (unsigned long error : {12045, 12038, 12037, 12057, 12170, 12157}) {
        EXPECT_EQ(OutcomeOf({FailureOf(error), ""}).statusText, "无法建立安全连接,已取消更新!")
            << error;
    }
    EXPECT_EQ(OutcomeOf({ExchangeEnd::Replied, ""}).statusText,
              "可能是用户名或密码错误,请您检查!!");
    EXPECT_EQ(OutcomeOf({ExchangeEnd::Replied, "nohost"}).statusText, "您的域名输入错误,请检查!");
    EXPECT_EQ(OutcomeOf({ExchangeEnd::NoWinInet, ""}).statusText,
              "无法加载系统组件 wininet.dll,未能更新!");
}

// A status without an answer of the protocol is told with the status, and waits; the wrong
// password's 401, whatever page comes with it, and an answer of the protocol in any status
// are read as they always were.
TEST(OutcomeOf, HttpStatuses) {
    const std::string credentials = "可能是用户名或密码错误,请您检查!!";
    const struct {
        unsigned status;
        std::string body, said;
        AnswerKind kind;
    } cases[] = {
        {302, "<html>moved</html>", "服务商返回 HTTP 302,没有更新结果,请稍后再试!",
         AnswerKind::ProviderTrouble},
        {429, "", "服务商返回 HTTP 429,没有更新结果,请稍后再试!", AnswerKind::ProviderTrouble},
        {401, "", credentials, AnswerKind::NeedsUser},
        // Regression: a 401 page was an unknown answer that asked the user to read it.
        {401, "<html><h1>401 Unauthorized</h1></html>", credentials, AnswerKind::NeedsUser},
        {403, "nohost", "您的域名输入错误,请检查!", AnswerKind::NeedsUser},
        {500, "911", "服务商暂时出现故障,请30分钟后再试!", AnswerKind::ProviderTrouble},
    };
    for (const auto& c : cases) {
        const ReplyOutcome outcome = OutcomeOf({ExchangeEnd::Replied, c.body, c.status});
        EXPECT_EQ(outcome.statusText, c.said) << c.status << " " << c.body;
        EXPECT_EQ(outcome.kind, c.kind) << c.status << " " << c.body;
        EXPECT_FALSE(outcome.unknownBoxText) << c.status << " " << c.body;
    }
}

TEST(SameAddress, EveryWritingOfOneAddress) {
    const struct {
        const char *a, *b;
        bool same;
    } cases[] = {
        {"203.0.113.5", "203.0.113.5", true},
        {"203.0.113.5", "203.0.113.50", false},
        {"2001:db8::5", "2001:DB8::5", true},
        {"2001:db8::5", "2001:0db8:0000:0000:0000:0000:0000:0005", true},
        {"2001:db8::5", "2001:db8:0:0:0:0:0:5", true},
        {"2001:db8::5", "2001:db8::5:0", false},
        {"2001:db8::5", "2001:db8::6", false},
        {"::ffff:203.0.113.5", "::ffff:cb00:7105", true},
        {"::", "0:0:0:0:0:0:0:0", true},
        {"2001:db8::5", "203.0.113.5", false},
        {"2001:db8::5,198.51.100.1", "2001:db8::5", false},  // a set of two is not the one
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameAddress(c.a, c.b), c.same) << c.a << " " << c.b;
        EXPECT_EQ(SameAddress(c.b, c.a), c.same) << c.b << " " << c.a;
    }
}

TEST(InterpretReply, EveryReplyForm) {
    const std::string updated = "恭喜您,您的域名更新成功,当前IP为:";
    const std::string unchanged = "您的域名无需更新,当前IP为:";
    const std::string credentials = "可能是用户名或密码错误,请您检查!!";
    const struct {
        std::string reply;
        std::optional<std::string> status, box;
    } cases[] = {
        {"good 1.2.3.4", updated + "1.2.3.4", {}},
        {"good 1.2.3.4\r\n", updated + "1.2.3.4", {}},
        {"good 1.2.3.4\n", updated + "1.2.3.4", {}},
        {"good 1.2.3.4 5.6.7.8", updated + "1.2.3.4", {}},
        {"good ", updated, {}},
        // Regression: a marker anywhere counted, so a page that says "good " was a success.
        {"xx good 9.9.9.9", {}, "xx good 9.9.9.9"},
        {"<p>Have a good day!</p>", {}, "<p>Have a good day!</p>"},
        {"notice\ngood 1.2.3.4", updated + "1.2.3.4", {}},
        {"notice\rnochg 1.2.3.4", unchanged + "1.2.3.4", {}},
        {"nochg 1.2.3.4", unchanged + "1.2.3.4", {}},
        {"nochg 1.1.1.1\r\ngood 2.2.2.2", updated + "2.2.2.2", {}},
        {"nohost", "您的域名输入错误,请检查!", {}},
        // Regression: a bare "good" or "nochg", as several providers answer, was unknown.
        {"nochg", unchanged, {}},
        {"good\r\n", updated, {}},
        {"goodbye", {}, "goodbye"},
        {"GOOD 1.2.3.4", {}, "GOOD 1.2.3.4"},
        // The provider's other standard answers, at the start of a line, after nohost.
        {"badauth", "用户名或密码错误,请检查!", {}},
        {"note\r\nnotfqdn", "域名不完整,请输入完整的域名!", {}},
        {"numhost", "一次更新的域名太多!", {}},
        {"abuse", "该域名因更新过于频繁已被服务商封禁!", {}},
        {"badagent", "服务商拒绝了本程序的请求!", {}},
        {"dnserr", "服务商暂时出现故障,请30分钟后再试!", {}},
        {"911", "服务商暂时出现故障,请30分钟后再试!", {}},
        {"!donator", "该功能需要服务商的付费账户!", {}},
        {"badauth\nnohost", "您的域名输入错误,请检查!", {}},
        {"abuse\nbadauth", "用户名或密码错误,请检查!", {}},
        {"nochg 1.1.1.1\r\nbadauth", unchanged + "1.1.1.1", {}},
        {"a badauth", {}, "a badauth"},
        {"BADAUTH", {}, "BADAUTH"},
        {"ab", {}, "ab"},
        {"a", credentials, {}},
        {"", credentials, {}},
    };
    for (const auto& c : cases) {
        const ReplyOutcome outcome = InterpretReply(c.reply);
        EXPECT_EQ(outcome.statusText, c.status) << '"' << c.reply << '"';
        EXPECT_EQ(outcome.unknownBoxText, c.box) << '"' << c.reply << '"';
    }
}

// Regression: whatever followed "good " up to a space was the address, so an echo of the
// request went into the state file and the log as one.
TEST(InterpretReply, NamesAnAddressOnlyWhereOneStands) {
    const std::pair<std::string, std::string> cases[] = {
        {"good 198.51.100.7", "198.51.100.7"},
        {"nochg 2001:db8::77", "2001:db8::77"},
        {"good ::ffff:1.2.3.4", "::ffff:1.2.3.4"},
        {"good 1:2:3:4:5:6:7:8 extra", "1:2:3:4:5:6:7:8"},
        {"good 10.0.0.9;user=demo;pass=kivo2026", ""},
        {"good 1.2.3.256", ""},
        {"good 1.2.3", ""},
        {"good 1::2::3", ""},
        {"good 1:2:3:4:5:6:7:8:9", ""},
        {"good 12345::1", ""},
        {"good ", ""},
        {"good", ""},
    };
    for (const auto& [reply, address] : cases) {
        const ReplyOutcome outcome = InterpretReply(reply);
        EXPECT_EQ(outcome.kind, AnswerKind::Confirmed) << reply;
        EXPECT_EQ(outcome.address, address) << reply;
    }
}

// Regression: a list of domains was read as if its answer had one line, so "good" for one
// and "nohost" for another, in either order, was a success.
TEST(InterpretReplyFor, EveryDomainsLineAndTheGravestSpeaks) {
    const std::string updated = "恭喜您,您的域名更新成功,当前IP为:";
    const std::string two = "a.kivo.example, b.kivo.example", three = two + ",c.kivo.example";
    const std::string nohost = "您的域名输入错误,请检查!", badauth = "用户名或密码错误,请检查!";
    const struct {
        std::string domains, reply, status;
        AnswerKind kind;
    } cases[] = {
        {two, "good 1.2.3.4\ngood 1.2.3.4", updated + "1.2.3.4", AnswerKind::Confirmed},
        {two, "nochg 1.2.3.4\r\ngood 1.2.3.4", updated + "1.2.3.4", AnswerKind::Confirmed},
        {two, "nochg 5.6.7.8\rnochg 1.2.3.4", "您的域名无需更新,当前IP为:5.6.7.8",
         AnswerKind::Confirmed},
        {two, "good 1.2.3.4\nnohost", "b.kivo.example: " + nohost, AnswerKind::NeedsUser},
        {two, "nohost\r\n\r\ngood 1.2.3.4", "a.kivo.example: " + nohost, AnswerKind::NeedsUser},
        {two, "good 1.2.3.4\n911", "b.kivo.example: 服务商暂时出现故障,请30分钟后再试!",
         AnswerKind::ProviderTrouble},
        {two, "good 1.2.3.4\nwhat?", "b.kivo.example: 未知消息:what?", AnswerKind::NeedsUser},
        {two, "what?\n911\nbadauth", "b.kivo.example: 服务商暂时出现故障,请30分钟后再试!",
         AnswerKind::ProviderTrouble},  // lines beyond the domains are ignored
        {three, "good 1.2.3.4\nbadauth\nnochg 1.2.3.4", "b.kivo.example: " + badauth,
         AnswerKind::NeedsUser},
        {three, "911\nnotfqdn\nnohost", "b.kivo.example: 域名不完整,请输入完整的域名!",
         AnswerKind::NeedsUser},
        // One answer for the whole request names no domain.
        {two, "good 1.2.3.4\r\n", updated + "1.2.3.4", AnswerKind::Confirmed},
        {three, "badauth", badauth, AnswerKind::NeedsUser},
        {three, "!donator", "该功能需要服务商的付费账户!", AnswerKind::NeedsUser},
        // Regression: two lines for three domains were told as the whole answer, and the
        // update as done though the third got none.
        {three, "good 1.2.3.4\ngood 1.2.3.4", "", AnswerKind::NeedsUser},
        {three, "good 1.2.3.4\n911", "", AnswerKind::NeedsUser},
        {two, "nochg\ngood 1.2.3.4", updated + "1.2.3.4", AnswerKind::Confirmed},
        // A single domain, and a page that holds no answer, read as they always did.
        {"a.kivo.example", "nochg 1.1.1.1\r\ngood 2.2.2.2", updated + "2.2.2.2",
         AnswerKind::Confirmed},
        {two, "<html>\n<p>Service unavailable</p>", "", AnswerKind::NeedsUser},
    };
    for (const auto& c : cases) {
        const ReplyOutcome outcome = InterpretReplyFor(c.reply, c.domains);
        EXPECT_EQ(outcome.statusText.value_or(""), c.status) << c.reply;
        EXPECT_EQ(outcome.kind, c.kind) << c.reply;
    }
    EXPECT_EQ(InterpretReplyFor("<html>\n<p>x</p>", two).unknownBoxText, "<html>\n<p>x</p>");
}

// Nobody reads a box of an unattended run: the unknown reply's first line goes to the
// status line, at most 100 bytes of it, never half a Chinese character.
TEST(UnattendedStatusOf, AnUnknownReplyAsItsFirstLineCutTo100Bytes) {
    auto status = [](const std::string& reply) {
        return UnattendedStatusOf(InterpretReply(reply),
                                  [](unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; });
    };
    EXPECT_EQ(status("badauth"), "用户名或密码错误,请检查!");
    EXPECT_EQ(status("<html>\r\n<body>x</body>"), "未知消息:<html>");
    EXPECT_EQ(status("hello\nworld"), "未知消息:hello");
    EXPECT_EQ(status(std::string(150, 'x')), "未知消息:" + std::string(100, 'x'));
    EXPECT_EQ(status(std::string(99, 'x') + "域名"), "未知消息:" + std::string(99, 'x'));
    EXPECT_EQ(status(std::string(98, 'x') + "域名"), "未知消息:" + std::string(98, 'x') + "域");
}

// A body whose pieces arrive at the given times of the exchange's clock and whose end (its
// announced length read, or the close) is known at endsAtMs; each read costs readMs. A read
// gets the next piece, or the end, if it is there within the read's wait; else it fails.
struct Body {
    std::vector<std::pair<unsigned, std::string>> pieces;  // arrival (ms), bytes
    unsigned endsAtMs = 0;
    unsigned readMs = 0;
    unsigned clock = 0;      // when the first read starts
    bool breaksOff = false;  // the connection breaks at endsAtMs instead
    int reads = 0;
    size_t next = 0;

    std::optional<std::string> Read() {
        return ReadReply(
            [this](char* buffer, size_t room, unsigned waitMs, size_t* got) {
                ++reads;
                *got = 0;
                const unsigned ready = next < pieces.size() ? pieces[next].first : endsAtMs;
                if (ready > clock + waitMs) return (clock += waitMs, false);
                clock = std::max(clock, ready) + readMs;
                if (next == pieces.size()) return !breaksOff;
                std::string& bytes = pieces[next].second;
                *got = bytes.copy(buffer, room);
                bytes.erase(0, *got);
                if (bytes.empty()) ++next;
                return true;
            },
            [this] { return clock; });
    }
};

std::vector<std::pair<unsigned, std::string>> At(unsigned ms, std::vector<std::string> pieces) {
    std::vector<std::pair<unsigned, std::string>> timed;
    for (std::string& piece : pieces) timed.emplace_back(ms, std::move(piece));
    return timed;
}

// Regressions: one read took only the first piece of a body that came in pieces; a body
// that kept trickling in held the window for as long as it came; and a complete reply whose
// end was read after the 25 s budget (after a slow name lookup, say) was thrown away as
// "cannot reach", although the provider had already moved the domain.
TEST(ReadReply, JoinsPiecesUpTo1024BytesOrTheFirstNulAndKeepsWhatCameWithinTheBudget) {
    std::vector<std::pair<unsigned, std::string>> trickle;
    for (unsigned second = 0; second < 30; ++second) trickle.emplace_back(second * 1000 + 500, "x");
    const struct {
        Body body;
        std::optional<std::string> reply;
        int reads;
    } cases[] = {
        {{At(0, {"go", "od 1.2.", "3.4\r\n"})}, "good 1.2.3.4\r\n", 4},
        {{At(0, {std::string(1000, 'a'), std::string(100, 'b'), "c"})},
         std::string(1000, 'a') + std::string(24, 'b'),
         2},
        {{At(0, {std::string(1024, 'x')})}, std::string(1024, 'x'), 1},
        {{At(0, {"abc", std::string("d\0e", 3)})}, "abcd", 3},
        {{}, "", 1},
        {{At(0, {"good 1.2.3.4"}), 0, 0, 0, true}, {}, 2},  // broken off
        {{trickle, 30000}, {}, 26},                         // still coming after 25 s
        {{At(24999, {"good 1.2.3.4"}), 24999}, "good 1.2.3.4", 2},
        {{At(25001, {"good 1.2.3.4"}), 25001}, {}, 1},
        {{{{24900, "good 1.2"}, {25100, ".3.4"}}, 25100}, {}, 2},  // cut at the end
        // Complete within the budget, its end read after it: judged.
        {{At(24900, {"good 1.2.3.4"}), 24900, 200}, "good 1.2.3.4", 2},
        // The whole exchange began 25.3 s ago (a slow name lookup): what is there is judged.
        {{At(25000, {"good ", "1.2.3.4"}), 25000, 0, 25300}, "good 1.2.3.4", 3},
        {{{{25000, "good "}, {26000, "1.2.3.4"}}, 26000, 0, 25300}, {}, 2},
    };
    for (auto c : cases) {
        EXPECT_EQ(c.body.Read(), c.reply) << c.reads;
        EXPECT_EQ(c.body.reads, c.reads);
    }
}

}  // namespace

TEST(HeaderValue, FindsTheNamedHeaderInAnyCaseAndTrimsItsValue) {
    const std::string headers =
        "HTTP/1.1 429 Too Many Requests\r\nDate: Mon, 07 Dec 2026 08:00:00 GMT\r\n"
        "retry-after:  120 \r\nX-Empty:\r\n\r\n";
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"Retry-After", "120"},
        {"date", "Mon, 07 Dec 2026 08:00:00 GMT"},
        {"X-Empty", ""},
        {"Retry", std::nullopt},
    };
    for (const auto& [name, value] : cases) EXPECT_EQ(HeaderValue(headers, name), value) << name;
}
