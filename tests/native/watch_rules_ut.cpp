// The unattended watch's rules: when checks are due, whether a run sends, what an answer
// leaves, and the state file.
#include <gtest/gtest.h>

#include "dnsapi/api_conversation.h"
#include "watch/watch_rules.h"

namespace {

constexpr std::int64_t Day = 24 * 60 * 60;
const UpdateFields Demo = {"home.kivo.example", "", "demo", "kivo2026"};
const std::string Confirmed = "恭喜您,您的域名更新成功,当前IP为:";

HttpReply Page(const std::string& body, unsigned long status = 200) {
    return {ExchangeEnd::Replied, body, status};
}

// Ten minutes apart; 5 s after a resume; 5 s after an address change, but such checks at
// least a minute apart; across the wrap of the millisecond clock.
TEST(CheckSchedule, DueEveryTenMinutesAndSoonAfterAResumeOrAnAddressChange) {
    for (const std::uint32_t start : {0u, 0xFFFFFFFFu - 1000}) {
        CheckSchedule schedule(start);
        EXPECT_EQ(schedule.DelayUntilDue(start), CheckPeriodMs);
        EXPECT_FALSE(schedule.TakeDue(start + CheckPeriodMs - 1));
        EXPECT_EQ(schedule.TakeDue(start + CheckPeriodMs), RunTrigger::Periodic);
        std::uint32_t now = start + CheckPeriodMs + 1000;
        schedule.Resumed(now);
        EXPECT_EQ(schedule.DelayUntilDue(now), 5000u);
        EXPECT_EQ(schedule.TakeDue(now + 5000), RunTrigger::Resume);
        now += 5000;
        schedule.AddressesChanged(now);
        EXPECT_EQ(schedule.DelayUntilDue(now), 5000u);
        schedule.AddressesChanged(now + 1000);  // the same reconnection, still changing
        EXPECT_EQ(schedule.DelayUntilDue(now + 1000), 4000u);
        EXPECT_EQ(schedule.TakeDue(now + 5000), RunTrigger::AddressChange);
        schedule.AddressesChanged(now + 20000);
        EXPECT_EQ(schedule.DelayUntilDue(now + 20000), 45000u) << "a minute after the last";
        schedule.Resumed(now + 20000);
        EXPECT_EQ(schedule.DelayUntilDue(now + 20000), 5000u) << "a resume waits for nothing";
        EXPECT_EQ(schedule.TakeDue(now + 25000), RunTrigger::Resume);
        EXPECT_EQ(schedule.DelayUntilDue(now + 25000), 40000u) << "the change's check stays";
        schedule.AddressesChanged(now + 30000);  // seen by that check
        EXPECT_EQ(schedule.TakeDue(now + 65000), RunTrigger::AddressChange);
        EXPECT_EQ(schedule.DelayUntilDue(now + 65000), CheckPeriodMs);
    }
}

// Regression: the password was an input, so the state file alone let anyone test guesses.
TEST(FieldsFingerprint, ChangesWithEveryFieldButThePasswordAndHoldsNoneOfThem) {
    const std::string demo = FieldsFingerprint(Demo);
    EXPECT_EQ(demo, FieldsFingerprint(Demo));
    EXPECT_EQ(demo.size(), 16u);
    EXPECT_EQ(demo.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    const UpdateFields others[] = {
        {"home.kivo.exampl", "", "demo", "kivo2026"},
        {Demo.domain, "1.2.3.4", "demo", "kivo2026"},
        {Demo.domain, "", "demo2", "kivo2026"},
        {Demo.domain, "1", ".2.3.4", "kivo2026"},
    };
    for (const UpdateFields& other : others) EXPECT_NE(FieldsFingerprint(other), demo);
    EXPECT_EQ(FieldsFingerprint({Demo.domain, "", "demo", "other password"}), demo);
    EXPECT_NE(FieldsFingerprint(Demo, true), demo) << "the IPv6 choice counts";
}

TEST(StateFile, KeepsTheMemoryAndForgetsAForeignOrDamagedOne) {
    const WatchMemory memory = {"203.0.113.5", 1765000000, "0123456789ABCDEF", "FEDCBA9876543210",
                                1765001800};
    const std::string bytes = ComposeStateFile(memory);
    EXPECT_EQ(ReadStateFile(bytes), memory);
    EXPECT_EQ(bytes.find("kivo2026"), std::string::npos);
    EXPECT_EQ(ReadStateFile(ComposeStateFile({"1.2.3.4\nheld=9", 5, "AB", "", 0})),
              (WatchMemory{"1.2.3.4", 5, "AB", "", 0}))
        << "an address holds no line end";
    std::string lfOnly = bytes;
    for (size_t at; (at = lfOnly.find('\r')) != std::string::npos;) lfOnly.erase(at, 1);
    EXPECT_EQ(ReadStateFile(lfOnly), memory);
    EXPECT_EQ(ReadStateFile("[Kivo state 1]\r\naddress=1.2.3.4\r\nconfirmed=-5\r\nfields=AB\r\n"
                            "held=99999999999999999999\r\n"),
              (WatchMemory{"1.2.3.4", 0, "AB", "", 0}))
        << "numbers out of range";
    for (const std::string& foreign :
         {std::string(), std::string("\xEF\xBB\xBF") + bytes, "[Kivo域名更新器]\r\n" + bytes,
          bytes.substr(0, bytes.find("fields="))}) {
        EXPECT_TRUE(ReadStateFile(foreign).confirmedAddress.empty()) << foreign;
    }
}

// One run nobody watches, with scripted exchanges: what it says, whether it checked and
// sent, and what it leaves.
struct ScriptedRun {
    WatchMemory memory;
    UpdateFields fields = Demo;
    bool atStart = false;
    std::optional<HttpReply> check = Page("Current IP Address: 203.0.113.5");  // none: no service
    HttpReply answer = Page("good 127.0.0.1");
    std::int64_t now = 100 * Day;

    bool ownIpv6 = false;
    std::optional<std::string> pcAddress = "2001:db8:4b::5";  // this PC's, where chosen

    std::vector<std::string> said = {};
    int checks = 0, updates = 0;
    UpdateFields sent = {};
    RunRecord record = {};

    ScriptedRun& Go() {
        WatchExchanges exchanges;
        if (check) {
            exchanges.check = [this] {
                const std::optional<std::string> address = AddressInCheckReply(*check);
                return ++checks, CheckResult{address, address ? "ip.example" : ""};
            };
        }
        if (ownIpv6) exchanges.ownIpv6 = [this] { return pcAddress; };
        exchanges.update = [this](const UpdateFields& fields) {
            sent = fields;
            return ++updates, DyndnsAnswer(answer, fields.domain);
        };
        exchanges.now = now;
        exchanges.report = [this](const std::string& text) { said.push_back(text); };
        exchanges.isLeadByte = [](unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; };
        record = RunUnattended(memory, fields, atStart, exchanges);
        return *this;
    }
};

WatchMemory ConfirmedAt(const std::string& address, std::int64_t when,
                        const UpdateFields& fields = Demo) {
    return {address, when, FieldsFingerprint(fields), "", 0};
}

TEST(RunUnattended, SendsOnlyWhenTheAddressOrTheFieldsChangedOrTwentyFiveDaysPassed) {
    const std::int64_t now = 100 * Day;
    const WatchMemory same = ConfirmedAt("203.0.113.5", now - Day);
    const std::string fp = FieldsFingerprint(Demo);
    const UpdateFields typedIp = {Demo.domain, "10.0.0.9", "demo", "kivo2026"};
    const std::vector<std::string> unchanged = {"IP地址没有变化,无需更新,当前IP为:203.0.113.5"};
    const std::vector<std::string> sent = {StartingUpdateText, Confirmed + "127.0.0.1"};
    const std::vector<std::string> checkFailed = {"无法获取当前IP地址,稍后自动重试!"};
    const std::optional<HttpReply> noService;
    const struct {
        const char* row;
        ScriptedRun run;
        std::vector<std::string> said;
        int checks, updates;
    } cases[] = {
        {"unchanged", {same}, unchanged, 1, 0},
        {"unchanged at start", {same, Demo, true}, unchanged, 1, 0},
        {"changed", {ConfirmedAt("198.51.100.7", now - Day)}, sent, 1, 1},
        {"nothing confirmed", {}, sent, 1, 1},
        {"nothing confirmed, at start: no check", {{}, Demo, true}, sent, 0, 1},
        {"a field changed", {ConfirmedAt("203.0.113.5", now - Day, typedIp)}, sent, 1, 1},
        {"24 days", {ConfirmedAt("203.0.113.5", now - 25 * Day + 1)}, unchanged, 1, 0},
        {"25 days", {ConfirmedAt("203.0.113.5", now - 25 * Day)}, sent, 1, 1},
        {"check failed", {same, Demo, false, Page("<p>busy</p>")}, checkFailed, 1, 0},
        {"check failed, nothing confirmed", {{}, Demo, false, HttpReply{}}, checkFailed, 1, 0},
        {"the IP field's address, unchanged",
         {ConfirmedAt("10.0.0.9", now - Day, typedIp), typedIp},
         {"IP地址没有变化,无需更新,当前IP为:10.0.0.9"},
         0,
         0},
        {"no check service", {same, Demo, false, noService}, {}, 0, 0},
        {"no check service, at start", {same, Demo, true, noService}, sent, 0, 1},
        {"paused", {{"203.0.113.5", now - Day, fp, fp, 0}}, {}, 0, 0},
        {"paused for other fields", {{"", 0, "", FieldsFingerprint(typedIp), 0}}, sent, 1, 1},
        {"held after 911", {{"198.51.100.7", now - Day, fp, "", now + 1}}, {}, 0, 0},
        {"the hold is over", {{"198.51.100.7", now - Day, fp, "", now}}, sent, 1, 1},
        // Times set by a clock that was wrong then: neither holds the watch for long.
        {"a hold of two days",
         {{"203.0.113.5", now - Day, fp, "", now + 2 * Day}},
         unchanged,
         1,
         0},
        {"confirmed tomorrow", {ConfirmedAt("203.0.113.5", now + Day)}, sent, 1, 1},
        {"a field fails its check",
         {same, {"bad", "", "demo", "kivo2026"}},
         {"您的 域名 输入不正确,请检查后在尝试更新操作!"},
         0,
         0},
        {"an unknown answer, cut",
         {{}, Demo, false, Page("1.2.3.4"), Page("hello\r\nworld")},
         {StartingUpdateText, "未知消息:hello"},
         1,
         1},
    };
    for (auto c : cases) {
        c.run.Go();
        EXPECT_EQ(c.run.said, c.said) << c.row;
        EXPECT_EQ(c.run.checks, c.checks) << c.row;
        EXPECT_EQ(c.run.updates, c.updates) << c.row;
        // Regression: the checked address was compared but an empty myip sent.
        UpdateFields sent = c.run.fields;
        if (c.checks) sent.address = AddressInCheckReply(*c.run.check).value_or("?");
        EXPECT_EQ(c.run.sent, c.updates ? sent : UpdateFields{}) << c.row;
        const bool told = c.checks && AddressInCheckReply(*c.run.check);
        EXPECT_EQ(c.run.record.checkedAt, told ? "ip.example" : "") << c.row;
    }
}

// With this PC's IPv6 address chosen and the IP field empty, that address is the current
// one and goes as myip; the check service is never asked.
TEST(RunUnattended, ThisPcsOwnIpv6AddressIsTheCurrentOneAndGoesAsMyip) {
    const std::int64_t now = 100 * Day;
    const UpdateFields typedIp = {Demo.domain, "10.0.0.9", "demo", "kivo2026"};
    const WatchMemory onIpv6 = {"2001:db8:4b::5", now - Day, FieldsFingerprint(Demo, true), "", 0};
    const struct {
        const char* row;
        ScriptedRun run;
        std::string said, sentAddress;  // the last status; the address sent ("-": none)
    } cases[] = {
        {"nothing confirmed", {{}, Demo, false}, Confirmed + "127.0.0.1", "2001:db8:4b::5"},
        {"at start", {{}, Demo, true}, Confirmed + "127.0.0.1", "2001:db8:4b::5"},
        {"unchanged", {onIpv6}, "IP地址没有变化,无需更新,当前IP为:2001:db8:4b::5", "-"},
        {"chosen just now",
         {ConfirmedAt("2001:db8:4b::5", now - Day)},
         Confirmed + "127.0.0.1",
         "2001:db8:4b::5"},
        {"the IP field wins", {{}, typedIp}, Confirmed + "127.0.0.1", "10.0.0.9"},
    };
    for (auto c : cases) {
        c.run.ownIpv6 = true;
        c.run.Go();
        EXPECT_EQ(c.run.said.back(), c.said) << c.row;
        EXPECT_EQ(c.run.updates ? c.run.sent.address : "-", c.sentAddress) << c.row;
        EXPECT_EQ(c.run.checks, 0) << c.row;
    }
    for (const bool atStart : {false, true}) {
        ScriptedRun none{onIpv6, Demo, atStart};
        none.ownIpv6 = true;
        none.pcAddress.reset();
        none.Go();
        EXPECT_EQ(none.said, std::vector<std::string>{NoPublicIpv6Text});
        EXPECT_EQ(none.checks + none.updates, 0);
        EXPECT_EQ(none.memory, onIpv6) << "the next check tries again";
    }
}

// What the answer leaves for the next run, and the next run after it.
HttpReply WithHeaders(HttpReply reply, const std::string& headers) {
    reply.headers = headers;
    return reply;
}

TEST(RunUnattended, AnAnswerThatNeedsTheUserPausesUntilAFieldChangesAndTroubleHoldsHalfAnHour) {
    const std::int64_t now = 100 * Day;
    const WatchMemory paused = {"", 0, "", FieldsFingerprint(Demo), 0};
    const WatchMemory held = {"", 0, "", "", now + 30 * 60};
    const struct {
        HttpReply answer;
        WatchMemory after;
    } cases[] = {
        {Page("nochg 127.0.0.1"), ConfirmedAt("203.0.113.5", now)},  // the checked address
        // Regression: a bare confirmation, or one that named no address, paused the watch.
        {Page("good"), ConfirmedAt("203.0.113.5", now)},
        {Page("nochg 10.0.0.9;pass=x"), ConfirmedAt("203.0.113.5", now)},
        {Page("badauth"), paused},
        {Page("nohost"), paused},
        {Page("!donator"), paused},
        {Page("what?"), paused},
        {Page("badauth", 500), paused},
        {Page("911"), held},
        {Page("dnserr"), held},
        // Regression: a redirect or a portal's page in front of the provider paused the watch
        // for good. A page of another status, or none, is the trouble of the provider or
        // what stands in front of it.
        {Page("<html>404 Not Found</html>", 404), held},
        {Page("", 302), held},
        {Page("<html>Too Many Requests</html>", 429), held},
        {Page("<html>502 Bad Gateway</html>", 502), held},
        {Page("", 503), held},
        {Page("", 401), paused},
        // A longer wait, where the provider asks for one in seconds, up to six hours.
        {WithHeaders(Page("", 429), "Retry-After: 7200\r\n"), {"", 0, "", "", now + 7200}},
        {WithHeaders(Page("", 503), "Retry-After: 99999\r\n"), {"", 0, "", "", now + 6 * 3600}},
        {WithHeaders(Page("", 503), "Retry-After: Mon, 07 Dec 2026 10:00:00 GMT\r\n"), held},
    };
    for (const auto& c : cases) {
        ScriptedRun first;
        first.answer = c.answer;
        EXPECT_EQ(first.Go().memory, c.after) << c.answer.body;
        ScriptedRun next{first.memory};
        EXPECT_EQ(next.Go().updates, 0) << c.answer.body << ": no retry with the same address";
    }
    // Regression: without a check service, a confirmation that named no address left nothing
    // confirmed, and every check sent again.
    ScriptedRun bare{{}, Demo, true, std::nullopt, Page("good")};
    EXPECT_EQ(bare.Go().memory, ConfirmedAt("", now));
    ScriptedRun afterBare{bare.memory, Demo, false, std::nullopt};
    EXPECT_EQ(afterBare.Go().updates, 0);
    ScriptedRun unreachable;
    unreachable.answer = HttpReply{};
    EXPECT_EQ(unreachable.Go().memory, WatchMemory{}) << "the next check retries";
    EXPECT_EQ(unreachable.said.back(), "无法连接到服务器,请检查网络!");
}

// F3 sends whatever the rules say, lifts a pause, and its confirmation names the address
// the provider answered with, no check having preceded it.
TEST(RunUserUpdate, AlwaysSendsLiftsThePauseAndKeepsTheAnsweredAddress) {
    WatchMemory memory = {"203.0.113.5", 1, FieldsFingerprint(Demo), FieldsFingerprint(Demo), 0};
    WatchExchanges exchanges;
    exchanges.update = [](const UpdateFields& f) {
        return DyndnsAnswer(Page("good 198.51.100.7"), f.domain);
    };
    exchanges.now = 500;
    EXPECT_EQ(RunUserUpdate(memory, Demo, exchanges).outcome.statusText,
              Confirmed + "198.51.100.7");
    EXPECT_EQ(memory, ConfirmedAt("198.51.100.7", 500));
    exchanges.update = [](const UpdateFields& f) {
        return DyndnsAnswer(Page("badauth"), f.domain);
    };
    RunUserUpdate(memory, Demo, exchanges);
    EXPECT_EQ(memory.pausedFields, FieldsFingerprint(Demo));
    EXPECT_EQ(memory.confirmedAddress, "198.51.100.7");
    // This PC's IPv6 address, where chosen, goes as myip; without one nothing goes out.
    std::string sent = "-";
    exchanges.update = [&sent](const UpdateFields& fields) {
        sent = fields.address;
        return DyndnsAnswer(Page("good " + fields.address), fields.domain);
    };
    exchanges.ownIpv6 = [] { return std::optional<std::string>(); };
    EXPECT_EQ(RunUserUpdate(memory, Demo, exchanges).outcome.statusText, NoPublicIpv6Text);
    EXPECT_EQ(sent, "-");
    exchanges.ownIpv6 = [] { return std::optional<std::string>("2001:db8::5"); };
    RunUserUpdate(memory, Demo, exchanges);
    EXPECT_EQ(sent, "2001:db8::5");
    EXPECT_EQ(memory, (WatchMemory{"2001:db8::5", 500, FieldsFingerprint(Demo, true), "", 0}));
    // A provider that takes no address from where the call comes gets the checked one; with
    // no check to ask (不查询) and an empty IP field, nothing goes out.
    exchanges.ownIpv6 = nullptr;
    exchanges.needsAddress = true;
    exchanges.check = [] { return CheckResult{"203.0.113.9", "ip.example"}; };
    sent = "-";
    EXPECT_EQ(RunUserUpdate(memory, Demo, exchanges).checkedAt, "ip.example");
    EXPECT_EQ(sent, "203.0.113.9");
    exchanges.check = nullptr;
    sent = "-";
    EXPECT_EQ(RunUserUpdate(memory, Demo, exchanges).outcome.statusText, ApiAddressNeededText);
    EXPECT_EQ(sent, "-");
}

}  // namespace
