// What a run leaves to read: its log line, the tray's last result and the balloons.
#include <gtest/gtest.h>

#include "history/run_report_rules.h"
#include "watch/watch_rules.h"

namespace {

bool IsGbkLead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

const LocalTime At = {2026, 12, 7, 14, 3, 11};
const UpdateFields Fields = {"kivo.example.com", "", "demo", "口令|kivo"};

HttpReply Page(const std::string& body, unsigned long status = 200) {
    return {ExchangeEnd::Replied, body, status};
}

// A run that sent the update and got this reply.
RunRecord Sent(const HttpReply& reply, const std::string& before = "203.0.113.5",
               std::optional<std::string> now = "198.51.100.7") {
    RunRecord record;
    record.result = RunRecord::Sent;
    record.addressBefore = before;
    record.addressNow = now;
    record.reply = reply;
    record.outcome = WithoutSecrets(OutcomeOf(reply), Fields);
    record.status = UnattendedStatusOf(record.outcome, IsGbkLead);
    record.pausedNow = record.outcome.kind == AnswerKind::NeedsUser;
    return record;
}

RunRecord NotSent(RunRecord::Result result, const std::string& status,
                  std::optional<std::string> now = std::nullopt,
                  const std::string& checkedAt = "") {
    RunRecord record;
    record.result = result;
    record.addressBefore = "203.0.113.5";
    record.addressNow = now;
    record.checkedAt = checkedAt;
    record.status = status;
    record.pausedNow = result == RunRecord::FieldsFailed;
    return record;
}

TEST(LogLineOf, TimeTriggerAddressesAnswerAndStatus) {
    const std::string secret = BasicCredentials(Fields.user, Fields.password);
    const std::string longLine = std::string(79, 'a') + "错bc";  // 79 + 2 > 80: cut before 错
    const struct {
        RunTrigger trigger;
        RunRecord record;
        std::string line;
    } cases[] = {
        {RunTrigger::Periodic, Sent(Page("good 198.51.100.7\n")),
         "2026-12-07 14:03:11  定时检查  203.0.113.5 → 198.51.100.7  good 198.51.100.7  "
         "恭喜您,您的域名更新成功,当前IP为:198.51.100.7"},
        {RunTrigger::HotkeyF3, Sent(Page("nochg 10.0.0.1"), "", std::nullopt),
         "2026-12-07 14:03:11  热键F3  - → 10.0.0.1  nochg 10.0.0.1  "
         "您的域名无需更新,当前IP为:10.0.0.1"},
        {RunTrigger::Resume,
         NotSent(RunRecord::Unchanged, "IP地址没有变化,无需更新,当前IP为:203.0.113.5",
                 "203.0.113.5", "4.ipw.cn"),
         "2026-12-07 14:03:11  系统唤醒  203.0.113.5 → 203.0.113.5 (4.ipw.cn)  (未发送)  "
         "IP地址没有变化,无需更新,当前IP为:203.0.113.5"},
        {RunTrigger::AddressChange, NotSent(RunRecord::NoAddress, CheckFailedText),
         "2026-12-07 14:03:11  网络变化  203.0.113.5 → -  (未发送)  " +
             std::string(CheckFailedText)},
        {RunTrigger::Start, Sent(HttpReply{}),
         "2026-12-07 14:03:11  程序启动  203.0.113.5 → 198.51.100.7  (无应答)  "
         "无法连接到服务器,请检查网络!"},
        {RunTrigger::UpdateButton, Sent(HttpReply{ExchangeEnd::Insecure, "", 200}),
         "2026-12-07 14:03:11  更新按钮  203.0.113.5 → 198.51.100.7  (未建立安全连接)  "
         "无法建立安全连接,已取消更新!"},
        {RunTrigger::HotkeyF3, Sent(HttpReply{ExchangeEnd::NoWinInet, "", 200}),
         "2026-12-07 14:03:11  热键F3  203.0.113.5 → 198.51.100.7  (未发送,无法加载wininet.dll)  "
         "无法加载系统组件 wininet.dll,未能更新!"},
        {RunTrigger::TrayMenu, Sent(Page("<h1>Bad Gateway</h1>\r\nmore", 502)),
         "2026-12-07 14:03:11  托盘菜单  203.0.113.5 → 198.51.100.7  HTTP 502 <h1>Bad Gateway</h1> "
         " 服务商返回 HTTP 502,没有更新结果,请稍后再试!"},
        {RunTrigger::Periodic, Sent(Page("", 503)),
         "2026-12-07 14:03:11  定时检查  203.0.113.5 → 198.51.100.7  HTTP 503 (空)  "
         "服务商返回 HTTP 503,没有更新结果,请稍后再试!"},
        // Control bytes, and a lead byte without its trail byte, are shown, not written.
        {RunTrigger::Periodic, Sent(Page("a\tb\x1b\x7f\x81\x01z")),
         "2026-12-07 14:03:11  定时检查  203.0.113.5 → 198.51.100.7  a\\x09b\\x1B\\x7F\\x81\\x01z  "
         "未知消息:a\\x09b\\x1B\\x7F\\x81\\x01z"},
        {RunTrigger::Periodic, Sent(Page(longLine)),
         "2026-12-07 14:03:11  定时检查  203.0.113.5 → 198.51.100.7  " + std::string(79, 'a') +
             "  未知消息:" + longLine},
        // Whatever the provider echoes, the password and the credentials never reach the log.
        {RunTrigger::Periodic, Sent(Page("badauth for 口令|kivo " + secret)),
         "2026-12-07 14:03:11  定时检查  203.0.113.5 → 198.51.100.7  badauth for *** ***  "
         "用户名或密码错误,请检查!"},
        {RunTrigger::Periodic, Sent(Page("echo 口令|kivo")),
         "2026-12-07 14:03:11  定时检查  203.0.113.5 → 198.51.100.7  echo ***  未知消息:echo ***"},
        {RunTrigger::Periodic, Sent(Page("echo %BF%DA%C1%EE%7Ckivo")),  // as {pwd} sent it
         "2026-12-07 14:03:11  定时检查  203.0.113.5 → 198.51.100.7  echo ***  未知消息:echo ***"},
        // Neither at the answer's cut (80) nor at the status's (100) is a part of one left.
        {RunTrigger::Periodic, Sent(Page(std::string(95, 'a') + secret)),
         "2026-12-07 14:03:11  定时检查  203.0.113.5 → 198.51.100.7  " + std::string(80, 'a') +
             "  未知消息:" + std::string(95, 'a') + "***"},
        // Regression: an echo after "good" was taken for the address, kept in the state file
        // and shown, unscrubbed, as the next line's address before.
        {RunTrigger::Periodic, Sent(Page("good 口令|kivo")),
         "2026-12-07 14:03:11  定时检查  203.0.113.5 → 198.51.100.7  good ***  "
         "恭喜您,您的域名更新成功,当前IP为:"},
        {RunTrigger::Periodic, Sent(Page("nochg"), "10.0.0.9;pass=口令|kivo", "x口令|kivo"),
         "2026-12-07 14:03:11  定时检查  10.0.0.9;pass=*** → x***  nochg  "
         "您的域名无需更新,当前IP为:"},
        {RunTrigger::Periodic, Sent(Page("abc\x81")),
         "2026-12-07 14:03:11  定时检查  203.0.113.5 → 198.51.100.7  abc\\x81  未知消息:abc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LogLineOf(At, c.trigger, c.record, Fields, IsGbkLead), c.line) << c.line;
    }
    // Several domains: each one's answer.
    RunRecord both = Sent(Page("good 1.2.3.4\nnohost"));
    both.outcome = OutcomeOf(*both.reply, "a.kivo.example, b.kivo.example");
    both.status = UnattendedStatusOf(both.outcome, IsGbkLead);
    EXPECT_EQ(LogLineOf(At, RunTrigger::Periodic, both,
                        {"a.kivo.example, b.kivo.example", "", "demo", Fields.password}, IsGbkLead),
              "2026-12-07 14:03:11  定时检查  203.0.113.5 → 198.51.100.7  a.kivo.example: good "
              "1.2.3.4; b.kivo.example: nohost  b.kivo.example: 您的域名输入错误,请检查!");
    // A password that is a part of the credentials' Base64 ("demo:ZGVt" is "ZGVtbzpaR1Z0").
    EXPECT_EQ(WithoutSecrets("x ZGVtbzpaR1Z0 ZGVt", {"", "", "demo", "ZGVt"}), "x *** ***");
}

TEST(LogMovesAsideBefore, OnlyWhenTheLineWouldPassTheLimit) {
    const struct {
        std::uint64_t log;
        std::size_t line;
        bool moves;
    } cases[] = {
        {0, 300, false},
        {0, LogLimitBytes + 1, false},  // a new log takes any line
        {1000, 300, false},
        {LogLimitBytes - 300, 300, false},
        {LogLimitBytes - 299, 300, true},
        {LogLimitBytes, 1, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LogMovesAsideBefore(c.log, c.line), c.moves) << c.log << "+" << c.line;
    }
}

TEST(TrayResultOf, ClockAndGistOrThePause) {
    const struct {
        RunRecord record;
        bool autoUpdate;
        std::string result;
    } cases[] = {
        {Sent(Page("good 198.51.100.7")), true, "14:03 更新成功 198.51.100.7"},
        {Sent(Page("nochg 198.51.100.7")), true, "14:03 IP未变 198.51.100.7"},
        {NotSent(RunRecord::Unchanged, "", "203.0.113.5"), true, "14:03 IP未变 203.0.113.5"},
        {Sent(HttpReply{}), true, "14:03 无法连接到服务器"},
        {NotSent(RunRecord::NoAddress, NoPublicIpv6Text), true, "14:03 本机没有公网IPv6地址"},
        {Sent(Page("911")), true, "14:03 服务商暂时出现故障"},
        {Sent(Page("badauth")), true, "自动更新已暂停: 用户名或密码错误"},
        {Sent(Page("badauth")), false, "14:03 用户名或密码错误"},
        {NotSent(RunRecord::FieldsFailed, "您的 域名 输入不正确,请检查后在尝试更新操作!"), true,
         "自动更新已暂停: 您的 域名 输入不正确"},
    };
    for (const auto& c : cases) EXPECT_EQ(TrayResultOf(At, c.record, c.autoUpdate), c.result);
}

// One watch's runs in order, and the balloon each leaves.
TEST(BalloonRules, NewAddressPauseAndTheThirdFailureInARow) {
    const RunRecord unreachable = Sent(HttpReply{});
    const RunRecord checkFailed = NotSent(RunRecord::NoAddress, CheckFailedText);
    const std::optional<std::string> none;
    const struct {
        RunRecord record;
        std::optional<std::string> balloon;
        bool unattended = true;
    } runs[] = {
        {Sent(Page("good 198.51.100.7")), "域名已更新为 198.51.100.7"},
        {Sent(Page("good 203.0.113.5")), none},  // the address it had before
        {Sent(Page("nochg 198.51.100.7")), none},
        {NotSent(RunRecord::Unchanged, "", "203.0.113.5"), none},
        {unreachable, none},
        {checkFailed, none},
        {Sent(Page("911")), std::string("服务商暂时出现故障,请30分钟后再试!")},
        {unreachable, none},
        {NotSent(RunRecord::Nothing, ""), none},  // held: no run, the count goes on
        {unreachable, none},
        {NotSent(RunRecord::Unchanged, "", "203.0.113.5"), none},
        {unreachable, none},
        {unreachable, none},
        {Sent(Page("good 198.51.100.7")), none, false},  // the user's: no balloon, but...
        {unreachable, none},                             // ...the count starts again
        {unreachable, none, false},
        {Sent(Page("badauth")), std::string("用户名或密码错误,请检查!")},
        {Sent(Page("badauth")), none, false},
    };
    BalloonRules rules;
    int row = 0;
    for (const auto& run : runs) {
        const std::optional<Balloon> balloon = rules.After(run.record, run.unattended);
        EXPECT_EQ(balloon ? std::optional(balloon->text) : none, run.balloon) << "run " << row;
        if (balloon) {
            EXPECT_EQ(balloon->warning, row != 0) << "run " << row;
        }
        ++row;
    }
}

}  // namespace
