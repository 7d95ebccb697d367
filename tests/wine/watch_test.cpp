// The unattended watch as a user meets it with "自动更新" ticked: it checks the address when
// Windows resumes (as every 10 minutes), updates only when it changed, keeps what it knows
// across restarts, stops after an answer that needs the user, never opens a box and never
// holds the window.
#include "tests/wine/harness.h"

using namespace kivo_test;

namespace {

const std::string CheckFailed = "无法获取当前IP地址,稍后自动重试!";
// A check comes 5 s after a resume; a process's first TLS exchange under Wine takes seconds.
constexpr DWORD CheckWouldHaveArrivedMs = 10000;

}  // namespace

TEST(Watch, SendsOnlyWhenTheCheckedAddressChangesAlsoAfterARestart) {
    SimReset();
    std::string state;
    {
        WatchedKivo kivo;
        // Nothing confirmed yet: the start sends at once, as every start did, without a check.
        EXPECT_TRUE(kivo.Shows(Updated + "127.0.0.1")) << kivo.Text(IDC_STATUS_LINE);
        EXPECT_TRUE(SimChecks().empty());
        const std::string newAddress = "checkip?address=" + HexEncode("203.0.113.5");
        const struct {
            std::string checkService, status;
            size_t updates;
        } steps[] = {
            {"checkip?fail=none", Updated + "203.0.113.1", 2},
            // Regression: the update that the new address needs sent an empty myip, so the
            // provider kept the address it saw the request come from.
            {newAddress, Updated + "203.0.113.5", 3},
            {"checkip?fail=garbage", CheckFailed, 3},
            {"checkip?fail=status", CheckFailed, 3},
            {"checkip?fail=none", AddressSame + "203.0.113.5", 3},
        };
        for (const auto& step : steps) {
            SimControl(step.checkService);
            EXPECT_TRUE(kivo.ResumeShows(step.status))
                << step.checkService << ": " << kivo.Text(IDC_STATUS_LINE);
            EXPECT_EQ(SimRequests().size(), step.updates) << step.checkService;
        }
        EXPECT_TRUE(kivo.Boxes().empty());
        EXPECT_NE(SimRequests().at(2).target.find("&myip=203.0.113.5&"), std::string::npos);
        state = ReadFileBytes(kivo.folder + "kivo.state");
        EXPECT_EQ(state.find(DemoPassword), std::string::npos) << state;
    }
    // One GET with Kivo's name and no credentials, through TLS to the first service; when
    // every service fails, each is asked in turn.
    std::string check = SimChecks().at(0);
    CharUpperA(&check[0]);
    EXPECT_EQ(check, "TUNNEL=" + HexEncode("4.ipw.cn:443") + " HOST=" + HexEncode("4.ipw.cn") +
                         " PATH=" + HexEncode("/") +
                         " AGENT=" + HexEncode("Kivo/" KIVO_VERSION " (" KIVO_AUTHOR_EMAIL ")") +
                         " CREDENTIALS=0");
    const std::vector<std::string> hosts = SimCheckHosts();
    const std::vector<std::string> failedCheck(hosts.begin() + 2, hosts.begin() + 7);
    EXPECT_EQ(failedCheck,
              (std::vector<std::string>{"4.ipw.cn", "ddns.oray.com", "v4.yinghualuo.cn",
                                        "api.ipify.org", "checkipv4.dedyn.io"}));
    // A restart with the address unchanged checks first and sends nothing.
    WatchedKivo again(DemoPassword, state);
    EXPECT_TRUE(again.Shows(AddressSame + "203.0.113.5")) << again.Text(IDC_STATUS_LINE);
    EXPECT_EQ(SimRequests().size(), 3u);
}

// A service that accepts the connection and never answers costs at most 10 s: the next one
// tells the address, and the log names it.
TEST(Watch, ASilentOrTricklingFirstServiceIsGivenUpAtItsDeadlineAndAQueuedF3GoesOutAfter) {
    // Regression: a header sent a byte every 3 s held the check, and an F3 behind it, for
    // minutes: WinINet's own time-outs only count the wait for each byte.
    for (const char* failure : {"silence", "trickle"}) {
        SimReset();
        WatchedKivo kivo;
        EXPECT_TRUE(kivo.Shows(Updated + "127.0.0.1")) << kivo.Text(IDC_STATUS_LINE);
        SimCheckFails(failure, "4.ipw.cn");
        SimCheckAddress("198.51.100.7", "ddns.oray.com");
        kivo.Post(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        ASSERT_TRUE(WaitFor([] { return !SimChecks().empty(); }, CheckWouldHaveArrivedMs));
        const DWORD asked = GetTickCount();
        kivo.Post(WM_HOTKEY, 0, MAKELPARAM(0, VK_F3));
        EXPECT_TRUE(WaitFor([] { return SimRequests().size() == 3; }, 13000))
            << failure << ": the update after the check, then F3's";
        EXPECT_LT(GetTickCount() - asked, 12500u) << failure;
        EXPECT_EQ(SimCheckHosts(), (std::vector<std::string>{"4.ipw.cn", "ddns.oray.com"}));
        EXPECT_TRUE(WaitFor([&] {
            return ReadFileBytes(kivo.folder + "kivo.log")
                       .find(" 198.51.100.7 (ddns.oray.com)  ") != std::string::npos;
        })) << ReadFileBytes(kivo.folder + "kivo.log");
        SimReset();  // ends the silence or the trickle
    }
}

// Each built-in service in turn tells the address, in its own form at its own path, once
// those before it fail.
TEST(Watch, EachBuiltInServiceIsReadInItsOwnForm) {
    SimReset();
    WatchedKivo kivo;
    EXPECT_TRUE(kivo.Shows(Updated + "127.0.0.1")) << kivo.Text(IDC_STATUS_LINE);
    const std::vector<std::string> hosts = {"4.ipw.cn", "ddns.oray.com", "v4.yinghualuo.cn",
                                            "api.ipify.org", "checkipv4.dedyn.io"};
    for (size_t i = 0; i < hosts.size(); ++i) {
        if (i > 0) SimCheckFails("status", hosts[i - 1]);
        const std::string address = "198.51.100." + std::to_string(10 + i);
        SimCheckAddress(address, hosts[i]);
        EXPECT_TRUE(kivo.ResumeShows(Updated + address)) << hosts[i] << ": " << kivo.Status();
    }
    EXPECT_EQ(SimCheckHosts().size(), 15u) << "each check asked the failed services first";
}

// "自定义" asks only the address given; "不查询" asks nothing, so that a due check without
// a change sends nothing either.
TEST(Watch, ACustomCheckAsksOnlyItsAddressAndNoCheckAsksNothing) {
    const struct {
        std::string checkLine;
        std::vector<std::string> hosts;
        size_t updates;
    } cases[] = {
        {"CheckUrl=" + EscapeChoiceValue("https://checkip.kivo.example/") + "|0",
         {"checkip.kivo.example"},
         2},
        {"CheckUrl=none|0", {}, 1},
    };
    for (const auto& c : cases) {
        SimReset();
        WatchedKivo kivo(DemoPassword, "", ("Auto=True\r\n" + c.checkLine).c_str());
        EXPECT_TRUE(kivo.Shows(Updated + "127.0.0.1")) << kivo.Status();
        kivo.Post(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        // The update that a check leads to, or long enough for one to have come.
        WaitFor([] { return SimRequests().size() == 2; }, CheckWouldHaveArrivedMs);
        EXPECT_EQ(SimCheckHosts(), c.hosts) << c.checkLine;
        EXPECT_EQ(SimRequests().size(), c.updates) << c.checkLine;
    }
}

// Regression of the old start, too: a box at logon had nobody to close it. The pause, and
// the half hour after provider trouble, hold across a restart.
TEST(Watch, PausesAfterAnAnswerThatNeedsTheUserUntilAFieldChangesAndOpensNoBox) {
    SimReset();
    SimAnswer(200, {"911"});
    // The state file once the run's end is in it: the status is shown before it is saved.
    const auto savedState = [](const std::string& path, const std::string& key) {
        std::string bytes;
        WaitFor([&] {
            const size_t at = (bytes = ReadFileBytes(path)).find("\r\n" + key + "=");
            const size_t value = at + key.size() + 3;
            return at != std::string::npos && value < bytes.size() && bytes[value] != '0' &&
                   bytes[value] != '\r';
        });
        return bytes;
    };
    std::string held;
    {
        WatchedKivo troubled;
        EXPECT_TRUE(troubled.Shows("服务商暂时出现故障,请30分钟后再试!")) << troubled.Status();
        held = savedState(troubled.folder + "kivo.state", "held");
    }
    SimReset();
    std::string paused;
    {
        WatchedKivo first("wrong-password");
        EXPECT_TRUE(first.Shows("用户名或密码错误,请检查!")) << first.Status();
        paused = savedState(first.folder + "kivo.state", "paused");
    }
    for (const std::string& state : {held, paused}) {
        WatchedKivo restarted(state == held ? DemoPassword : "wrong-password", state);
        restarted.Post(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
        EXPECT_FALSE(WaitFor([] { return SimChecks().size() + SimRequests().size() > 1; },
                             CheckWouldHaveArrivedMs))
            << state;
    }
    WatchedKivo kivo("wrong-password", paused);
    EXPECT_EQ(SimChecks().size() + SimRequests().size(), 1u) << "paused: not even a check";
    const struct {
        int field;
        std::string text, status;
        std::vector<std::string> answer;
    } steps[] = {
        {IDC_PASSWORD_FIELD, DemoPassword, Updated + "203.0.113.1", {}},
        {IDC_IP_FIELD, "10.0.0.9", "未知消息:hello", {"hello\r\nworld"}},
        {IDC_HOST_FIELD, "bad", "您的 域名 输入不正确,请检查后在尝试更新操作!", {}},
    };
    for (const auto& step : steps) {
        if (!step.answer.empty()) SimAnswer(200, step.answer);
        kivo.SetText(step.field, step.text);
        EXPECT_TRUE(kivo.ResumeShows(step.status)) << kivo.Text(IDC_STATUS_LINE);
        EXPECT_TRUE(kivo.Boxes().empty()) << step.status;
    }
    EXPECT_EQ(SimRequests().size(), 3u);
}

// "自动更新" counts when a check is due: unticked, nothing; ticked in the running Kivo, the
// watch starts. Check services that stay silent for the full 25 s hold the worker,
// never the window; and " 关 " meanwhile ends Kivo at once.
TEST(Watch, TickingStartsItAndTheWindowAnswersWhileACheckIsSilentAndClosesWithoutWaiting) {
    SimReset();
    WatchedKivo kivo(DemoPassword, "", "");
    SimCheckFails("silence");
    kivo.Post(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_FALSE(WaitFor([] { return !SimChecks().empty(); }, CheckWouldHaveArrivedMs))
        << "unticked";
    SendMessageA(kivo.Item(IDC_AUTO_UPDATE_BOX), BM_SETCHECK, BST_CHECKED, 0);
    kivo.Post(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    ASSERT_TRUE(WaitFor([] { return !SimChecks().empty(); }, 10000));
    EXPECT_TRUE(SimRequests().empty()) << "nothing went out at start";
    const DWORD start = GetTickCount();
    kivo.SetText(IDC_HOST_FIELD, "typed.while.checking");
    EXPECT_EQ(kivo.Text(IDC_HOST_FIELD), "typed.while.checking");
    EXPECT_TRUE(ScreenShows(kivo.Main(), ControlRect(kivo.Main(), IDC_HOST_FIELD),
                            [](const Pixels& p) { return p.Count(0) > 10; }));
    EXPECT_LT(GetTickCount() - start, 2000u);
    kivo.Click(IDC_CLOSE_LABEL);
    const Box notice = kivo.WaitBox();
    EXPECT_EQ(notice.caption, "提示");
    kivo.CloseBox(notice);
    EXPECT_EQ(kivo.ExitCode(3000), 0u);
    EXPECT_LT(GetTickCount() - start, 8000u);
    SimReset();  // ends the silence
}

// Regression: the answer to several domains was read as one line, so "nohost" for the
// second was told as the first one's success, and the watch took the list as updated.
TEST(Watch, ARefusalForAnyOfSeveralDomainsIsToldAndPausesTheWatch) {
    SimReset();
    WatchedKivo kivo;
    EXPECT_TRUE(kivo.Shows(Updated + "127.0.0.1")) << kivo.Status();
    kivo.SetText(IDC_HOST_FIELD, "a.kivo.example, b.kivo.example");
    SimAnswer(200, {"good 1.2.3.4\nnohost"});
    EXPECT_TRUE(kivo.Update("b.kivo.example: 您的域名输入错误,请检查!")) << kivo.Status();
    EXPECT_NE(SimRequests().back().target.find("?system=dyndns&hostname=a.kivo.example,"
                                               "b.kivo.example&myip=&"),
              std::string::npos)
        << SimRequests().back().target;
    kivo.Post(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_FALSE(WaitFor([] { return SimChecks().size() + SimRequests().size() > 2; },
                         CheckWouldHaveArrivedMs))
        << "paused";
}
