// The update as a user meets it: field checks, the provider's answers, what the provider
// receives, time limits, F3.
#include "tests/wine/harness.h"

using namespace kivo_test;

namespace {

const std::string CheckCredentials = "可能是用户名或密码错误,请您检查!!";
const Fields Demo = {DemoHost, "", DemoUser, DemoPassword};

// Runs an update that ends in an information box with one OK button and no owner, so that
// the window stays usable, and checks StatusLine while the box is open and after it.
void ExpectBox(Kivo& kivo, const std::string& caption, const std::string& text,
               const std::string& status) {
    kivo.Update();
    const Box box = kivo.WaitBox();
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(GetDlgItem(box.window, IDOK) && !GetDlgItem(box.window, IDCANCEL));
    EXPECT_EQ(kivo.Text(IDC_STATUS_LINE), status);
    kivo.CloseBox(box);
    EXPECT_EQ(kivo.Text(IDC_STATUS_LINE), status);
}

}  // namespace

TEST(Update, EachFailedCheckWarnsAndSendsNothing) {
    const std::string domain = "您的 域名 输入不正确,请检查后在尝试更新操作!";
    const std::string user = "您的 用户名 输入不正确,请检查后在尝试更新操作!";
    const std::string password = "您的 密码 输入不正确,请检查后在尝试更新操作!";
    const std::string address = "您的 IP地址 输入不正确,请检查格式是否正确!";
    const std::string addressBox =
        "您的 IP地址 输入不正确,请检查后在尝试更新操作!   \r\r注:IP地址可不填写,程序会自动获得您的"
        "外网IP.\r\r如需自定义IP,请注意格式,例如:127.0.0.1";
    const struct {
        Fields fields;
        std::string status, box;
    } cases[] = {
        {{"abcd.efgh", "", "demo", "kivo2026"}, domain, domain + "   "},  // 9 bytes
        {{"abcdefghijk", "", "demo", "abc"}, domain, domain + "   "},     // no dot; first only
        {{"abcd.efghi", "", "abc", "kivo2026"}, user, user + "   "},
        {{"abcd.efghi", "", "demo", "abc"}, password, password + "   "},
        {{"abcd.efghi", "1", "用户", "密码"}, address, addressBox},
        {{"abcd.efghi", "localhost", "demo", "kivo2026"}, address, addressBox},
    };
    SimReset();
    Kivo& kivo = Shared();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields.host + "," + c.fields.ip + "," + c.fields.user);
        kivo.Fill(c.fields);
        ExpectBox(kivo, "警告:", c.box, c.status);
    }
    EXPECT_TRUE(SimRequests().empty());
}

// Every run reaches the provider: an answer from a cache would repeat "good".
TEST(Update, ReportsEveryProviderAnswer) {
    SimReset();
    Kivo& kivo = Shared();
    kivo.Fill(Demo);
    EXPECT_TRUE(kivo.Update(Updated + "127.0.0.1"));
    EXPECT_TRUE(kivo.Update(Unchanged + "127.0.0.1"));
    kivo.SetText(IDC_IP_FIELD, "10.1.2.3");
    EXPECT_TRUE(kivo.Update(Updated + "10.1.2.3"));
    kivo.SetText(IDC_HOST_FIELD, "other.kivo.example");
    EXPECT_TRUE(kivo.Update("您的域名输入错误,请检查!"));
    kivo.SetText(IDC_PASSWORD_FIELD, "wrong-password");
    EXPECT_TRUE(kivo.Update("用户名或密码错误,请检查!"));
    EXPECT_EQ(SimRequests().size(), 5u);

    const std::string page = "<html><body>404 Not Found</body></html>";
    const struct {
        int httpStatus;
        std::string body, status, box;  // the status text, or else the "未知消息:" box text
    } cases[] = {
        {200, "good 1.2.3.4\r\n", Updated + "1.2.3.4", ""},
        {200, "nochg 5.6.7.8", Unchanged + "5.6.7.8", ""},
        {401, "badauth", "用户名或密码错误,请检查!", ""},
        {200, "notfqdn", "域名不完整,请输入完整的域名!", ""},
        {200, "numhost", "一次更新的域名太多!", ""},
        {200, "abuse", "该域名因更新过于频繁已被服务商封禁!", ""},
        {200, "badagent", "服务商拒绝了本程序的请求!", ""},
        {200, "dnserr", "服务商暂时出现故障,请30分钟后再试!", ""},
        {200, "911", "服务商暂时出现故障,请30分钟后再试!", ""},
        {200, "!donator", "该功能需要服务商的付费账户!", ""},
        {200, "", CheckCredentials, ""},
        {200, "!", CheckCredentials, ""},
        // Regression: a page of another status, or a redirect, was an unknown answer (or the
        // wrong password) that paused the watch for good.
        {404, page, "服务商返回 HTTP 404,没有更新结果,请稍后再试!", ""},
        {403, "badauth", "用户名或密码错误,请检查!", ""},
        {200, "<p>Have a good day!</p>", "", "<p>Have a good day!</p>"},  // regression
        {200, std::string(1024, 'x') + "good 1.2.3.4", "", std::string(1024, 'x')},
        {200, std::string("ab\0nohost", 9), "", "ab"},
        {302, "moved", "服务商返回 HTTP 302,没有更新结果,请稍后再试!", ""},  // not followed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        SimReset();
        SimAnswer(c.httpStatus, {c.body});
        if (c.box.empty()) {
            EXPECT_TRUE(kivo.Update(c.status)) << kivo.Text(IDC_STATUS_LINE);
            EXPECT_TRUE(kivo.Boxes().empty());
        } else {
            ExpectBox(kivo, "未知消息:", c.box, "开始更新IP,请稍后...");
        }
        EXPECT_EQ(SimRequests().size(), 1u);
    }
}

// Regression: field texts went into the URL unescaped, so "@", "#", "/", "?" or ":" in the
// credentials sent them to another host or cut the request, "&" in the domain added
// parameters, and placeholders typed into a field were filled. The account owns exactly
// the domain typed, so "good" shows that the provider understood the request as meant.
TEST(Update, ProviderReceivesTheFieldsByteExact) {
    const struct {
        Fields fields;
        std::string pathAndQuery;
    } cases[] = {
        {{"home.kivo.example", "10.0.0.7", "demo", "kivo2026"},
         "/dyndns/update?system=dyndns&hostname=home.kivo.example&myip=10.0.0.7&wildcard=OFF"},
        {{"home.kivo.example", "2001:db8::1", "demo", "kivo2026"},  // regression: refused
         "/dyndns/"
         "update?system=dyndns&hostname=home.kivo.example&myip=2001%3Adb8%3A%3A1&wildcard=OFF"},
        {{"a&myip=6.6.6.6.域名{ip}.kivo.example", "", "us@er#1/?用户{host}",
          "p@ss#w/o?r:d &密码{pwd}"},
         "/dyndns/"
         "update?system=dyndns&hostname=a%26myip%3D6.6.6.6.%D3%F2%C3%FB%7Bip%7D.kivo.example"
         "&myip=&wildcard=OFF"},
    };
    Kivo& kivo = Shared();
    for (const auto& c : cases) {
        SimReset();
        SimAccount(c.fields.user, c.fields.password, c.fields.host);
        kivo.Fill(c.fields);
        EXPECT_TRUE(kivo.Update(Updated + (c.fields.ip.empty() ? "127.0.0.1" : c.fields.ip)))
            << kivo.Text(IDC_STATUS_LINE);
        const std::vector<SimRequest> requests = SimRequests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].target, c.pathAndQuery) << "inside the TLS tunnel";
        EXPECT_EQ(requests[0].tunnel, "members.kivo.example:443");
        EXPECT_EQ(requests[0].agent, "Kivo/" KIVO_VERSION " (" KIVO_AUTHOR_EMAIL ")");
        EXPECT_EQ(requests[0].user, c.fields.user);
        EXPECT_EQ(requests[0].password, c.fields.password);
    }
}

// Regressions: every failure said the password might be wrong, and with no time limit of
// its own the window froze for as long as the provider kept silent (under Wine for ever).
// Without a trusted certificate for the host, the request with the credentials is never
// sent; without a reply, the network is blamed.
TEST(Update, NoReplyAndNoSecureConnectionAreToldApartInTime) {
    const std::string unreachable = "无法连接到服务器,请检查网络!";
    {
        TestKivo refused("kivo.exe", "http://127.0.0.1:1");  // nothing listens there
        refused.Start().Fill(Demo);
        EXPECT_TRUE(refused.Update(unreachable)) << refused.Text(IDC_STATUS_LINE);
    }
    const struct {
        const char* simulator;
        std::string status;
        size_t requests;
    } cases[] = {
        {"certificate?name=untrusted", "无法建立安全连接,已取消更新!", 0},
        {"certificate?name=wrongname", "无法建立安全连接,已取消更新!", 0},
        {"misbehave?silence=1", unreachable, 1},
    };
    Kivo& kivo = Shared();
    kivo.Fill(Demo);
    for (const auto& c : cases) {
        SimReset();
        SimControl(c.simulator);
        EXPECT_TRUE(kivo.Update(c.status, 30000))
            << c.simulator << ": " << kivo.Text(IDC_STATUS_LINE);
        EXPECT_EQ(SimRequests().size(), c.requests) << c.simulator;
    }
    SimReset();  // ends the silent answer
}

// F3 reaches the hidden window. The boxes have no owner, so F3 runs a whole second update
// while a box of the first is open; closing it then ends the first run without touching
// the second one's status.
TEST(Update, F3UpdatesWhileHiddenAndWhileABoxOfAnotherRunIsOpen) {
    SimReset();
    Kivo& kivo = Shared();
    kivo.Fill(Demo);
    kivo.SetText(IDC_STATUS_LINE, "");
    // The dialog manager shows a dialog that is hidden when its loop first goes idle, which
    // may come after this hide: hide until the window stays hidden.
    ASSERT_TRUE(WaitFor([&] {
        ShowWindow(kivo.Main(), SW_HIDE);
        return !WaitFor([&] { return IsWindowVisible(kivo.Main()) != FALSE; }, 300);
    }));
    PressKey(VK_F3);
    EXPECT_TRUE(WaitFor([&] { return kivo.Text(IDC_STATUS_LINE) == Updated + "127.0.0.1"; }));
    EXPECT_FALSE(IsWindowVisible(kivo.Main()));
    ShowWindow(kivo.Main(), SW_SHOW);

    kivo.SetText(IDC_HOST_FIELD, "bad");
    kivo.Update();
    const Box first = kivo.WaitBox();
    kivo.SetText(IDC_HOST_FIELD, DemoHost);
    Sleep(500);  // another press, not the key held down
    PressKey(VK_F3);
    EXPECT_TRUE(WaitFor([&] { return kivo.Text(IDC_STATUS_LINE) == Unchanged + "127.0.0.1"; }));
    EXPECT_TRUE(IsWindowVisible(first.window));
    kivo.CloseBox(first);
    EXPECT_EQ(kivo.Text(IDC_STATUS_LINE), Unchanged + "127.0.0.1");
    EXPECT_EQ(SimRequests().size(), 2u);
}

// Regression: a held F3 (a WM_HOTKEY every 33 ms) sent an update each time the one before
// had ended, and with a field that fails its check opened a warning box for every repeat.
// "更 新" pressed again while its update is on its way sends nothing more.
TEST(Update, AHeldF3SendsOnceAndOpensOneWarning) {
    SimReset();
    Kivo& kivo = Shared();
    kivo.Fill(Demo);
    auto holdF3 = [&kivo](int hotkeys) {
        for (int i = 0; i < hotkeys; ++i, Sleep(33))
            kivo.Post(WM_HOTKEY, 300, MAKELPARAM(0, VK_F3));
    };
    Sleep(500);  // no F3 of the case before counts
    holdF3(30);
    EXPECT_FALSE(WaitFor([] { return SimRequests().size() > 1; }, 1500));
    holdF3(1);  // a second press, a second later
    EXPECT_TRUE(WaitFor([] { return SimRequests().size() == 2; }));
    SimAnswer(200, {"good ", "1.2.3.4"}, 1500);
    kivo.Click(IDC_UPDATE_BUTTON);
    Sleep(600);
    EXPECT_TRUE(kivo.Update(Updated + "1.2.3.4"));
    EXPECT_EQ(SimRequests().size(), 3u);
    kivo.SetText(IDC_HOST_FIELD, "bad");
    Sleep(600);
    holdF3(10);
    kivo.WaitBox();
    Sleep(500);
    EXPECT_EQ(kivo.Boxes().size(), 1u);
    kivo.CloseBox(kivo.WaitBox());
}

// Built for one provider without TLS (KIVO_UPDATE_HOST, KIVO_UPDATE_SCHEME=http), Kivo
// updates there in clear, to port 80, while the settings name no provider.
TEST(Update, TheBuildForOneHttpProviderUpdatesThereInClear) {
    SimReset();
    TestKivo kivo("kivo.exe", SimulatorProxy(), std::getenv("KIVO_HTTP_EXE"));
    DeleteFileA((kivo.folder + "kivo.Lr").c_str());
    kivo.Start().Fill(Demo);
    EXPECT_TRUE(kivo.Update(Updated + "127.0.0.1")) << kivo.Text(IDC_STATUS_LINE);
    const std::vector<SimRequest> requests = SimRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].tunnel, "");
    EXPECT_EQ(requests[0].host, "members.kivo.example");
    EXPECT_EQ(requests[0].target.find("http://members.kivo.example:80/dyndns/update?"), 0u)
        << requests[0].target;
}
