// The provider as a user chooses it in "服务商设置": where the next update goes, what a bad
// address does, what the settings keep, and what Kivo does before any choice.
#include "tests/wine/harness.h"
#include "ui/provider_dialog_rules.h"

using namespace kivo_test;

namespace {

const Fields Demo = {DemoHost, "", DemoUser, DemoPassword, false};

// Opens the dialog from the tray menu's item and waits for it.
HWND OpenDialog(Kivo& kivo) {
    kivo.Post(WM_COMMAND, IDM_TRAY_PROVIDER, 0);
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = kivo.ProviderDialog()) != nullptr; });
    DWORD_PTR ignored = 0;  // answered from the dialog's loop, after its opening
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
    EXPECT_TRUE(HasNoRegion(dialog));
    return dialog;
}

// Picks a list's entry as a user's pick notifies the dialog.
void Pick(HWND dialog, int list, int entry) {
    SendDlgItemMessageA(dialog, list, CB_SETCURSEL, entry, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, list)));
}

void Type(HWND dialog, int id, const std::string& text) {
    SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ClickIn(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, id, reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool Closes(Kivo& kivo) {
    return WaitFor([&] { return kivo.ProviderDialog() == nullptr; });
}

}  // namespace

// Each provider's next update goes to its host and path, inside TLS (Oray in clear); the
// custom address as typed, its placeholders filled; Enter keeps the choice (不查询 too),
// Escape drops it. The choice is saved at 确定 and a restart keeps it.
TEST(Provider, TheChosenProviderGetsTheNextUpdateAndARestartKeepsIt) {
    const std::string local = Updated + "127.0.0.1";
    const struct {
        const char* key;
        const char* customUrl;
        const char* host;
        bool secure;  // inside a TLS tunnel to the host, else in clear
        std::string pathAndQuery, status;
    } cases[] = {
        {"dyn", "", "members.dyndns.org", true,
         "/v3/update?hostname=home.kivo.example&myip=", local},
        {"dynu", "", "api.dynu.com", true, "/nic/update?hostname=home.kivo.example&myip=", local},
        {"ovh", "", "dns.eu.ovhapis.com", true,
         "/nic/update?system=dyndns&hostname=home.kivo.example&myip=", local},
        // An address always, from the check service where the field has none; the other
        // family's record kept.
        {"desec", "", "update.dedyn.io", true,
         "/?hostname=home.kivo.example&myipv4=203.0.113.1&myipv6=preserve",
         Updated + "203.0.113.1"},
        {"pubyun", "", "members.3322.net", true,
         "/dyndns/update?system=dyndns&hostname=home.kivo.example&myip=", local},
        // Each in its own words: a success, not an unknown answer.
        {"changeip", "", "nic.changeip.com", true,
         "/nic/update?hostname=home.kivo.example&myip=", Updated},
        {"freedns", "", "freedns.afraid.org", true,
         "/nic/update?hostname=home.kivo.example&myip=", local},
        {"oray", "", "ddns.oray.com", false, "/ph/update?hostname=home.kivo.example&myip=", local},
        {"custom", "https://dyndns.strato.com/nic/update?hostname={host}&user={user}",
         "dyndns.strato.com", true, "/nic/update?hostname=home.kivo.example&user=demo", local},
        {"custom", "http://ddns.oray.com/ph/update?hostname={host}", "ddns.oray.com", false,
         "/ph/update?hostname=home.kivo.example", local},
    };
    std::string saved;
    {
        TestKivo kivo;
        kivo.Start().Fill(Demo);
        for (const auto& c : cases) {
            SCOPED_TRACE(c.key);
            SimReset();
            HWND dialog = OpenDialog(kivo);
            ASSERT_TRUE(dialog);
            Pick(dialog, IDC_PROVIDER_LIST, ProviderEntryOf({c.key, ""}));
            EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_CREDENTIALS_LINE)),
                      CredentialsTextFor({c.key, ""}));
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDC_UPDATE_URL_FIELD)) != FALSE,
                      *c.customUrl != '\0');
            if (const Provider* builtIn = BuiltInProviderOf(c.key)) {
                EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_UPDATE_URL_FIELD)), builtIn->url);
            } else {
                Type(dialog, IDC_UPDATE_URL_FIELD, c.customUrl);
                EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_CREDENTIALS_LINE)),
                          CredentialsTextFor({c.key, c.customUrl}));
            }
            ClickIn(dialog, IDC_PROVIDER_OK_BUTTON);
            ASSERT_TRUE(Closes(kivo));
            EXPECT_TRUE(SimRequests().empty()) << "确定 sends nothing by itself";
            EXPECT_TRUE(kivo.Update(c.status)) << kivo.Text(IDC_STATUS_LINE);
            const std::vector<SimRequest> requests = SimRequests();
            ASSERT_EQ(requests.size(), 1u);
            EXPECT_EQ(requests[0].host, c.host);
            EXPECT_EQ(requests[0].tunnel, c.secure ? c.host + std::string(":443") : "");
            EXPECT_EQ(requests[0].pathAndQuery, c.pathAndQuery);
            EXPECT_EQ(requests[0].user + ":" + requests[0].password, "demo:kivo2026");
        }
        // The keyboard: Enter keeps a pick, saved at once; Escape drops one.
        for (const auto& [key, pick] : {std::pair{VK_RETURN, "noip"}, {VK_ESCAPE, "henet"}}) {
            saved = ReadFileBytes(kivo.folder + "kivo.Lr");
            HWND dialog = OpenDialog(kivo);
            Pick(dialog, IDC_PROVIDER_LIST, ProviderEntryOf({pick, ""}));
            Pick(dialog, IDC_CHECK_LIST, 2);  // 不查询
            SetForegroundWindow(dialog);
            PressKey(key);
            EXPECT_TRUE(Closes(kivo)) << pick;
            EXPECT_EQ(
                WaitFor([&] { return ReadFileBytes(kivo.folder + "kivo.Lr") != saved; }, 2000),
                key == VK_RETURN)
                << pick;
        }
        saved = ReadFileBytes(kivo.folder + "kivo.Lr");
    }
    SimReset();
    TestKivo again;
    WriteFileBytes(again.folder + "kivo.Lr", saved);
    again.Start().Main();
    EXPECT_EQ(again.Shown(), Demo) << "the fields were saved with the choice";
    HWND dialog = OpenDialog(again);
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_PROVIDER_LIST, CB_GETCURSEL, 0, 0),
              ProviderEntryOf({"noip", ""}));
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_CHECK_LIST, CB_GETCURSEL, 0, 0), 2) << "不查询";
    ClickIn(dialog, IDC_PROVIDER_CANCEL_BUTTON);
    EXPECT_TRUE(Closes(again));
    EXPECT_TRUE(again.Update(Updated + "127.0.0.1")) << again.Text(IDC_STATUS_LINE);
    ASSERT_EQ(SimRequests().size(), 1u);
    EXPECT_EQ(SimRequests()[0].host, "dynupdate.no-ip.com");
    EXPECT_EQ(SimRequests()[0].pathAndQuery, "/nic/update?hostname=home.kivo.example&myip=");
}

// An update changes the record of its address's family alone: given one family, deSEC
// would delete the other, and Dynu would fill the A record from the connection.
TEST(Provider, AnUpdateKeepsTheOtherFamilysRecord) {
    const SimRecords before = {"198.51.100.1", "2001:db8::5"};
    const struct {
        const char* key;
        const char* address;
        SimRecords after;
    } cases[] = {
        {"desec", "203.0.113.9", {"203.0.113.9", "2001:db8::5"}},
        {"desec", "2001:db8::7", {"198.51.100.1", "2001:db8::7"}},
        {"dynu", "2001:db8::7", {"198.51.100.1", "2001:db8::7"}},
        {"noip", "2001:db8::7", {"198.51.100.1", "2001:db8::7"}},
    };
    TestKivo kivo;
    kivo.Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key + std::string(" ") + c.address);
        SimReset();
        SimSetRecords(DemoHost, before);
        HWND dialog = OpenDialog(kivo);
        ASSERT_TRUE(dialog);
        Pick(dialog, IDC_PROVIDER_LIST, ProviderEntryOf({c.key, ""}));
        ClickIn(dialog, IDC_PROVIDER_OK_BUTTON);
        ASSERT_TRUE(Closes(kivo));
        kivo.Fill({DemoHost, c.address, DemoUser, DemoPassword, false});
        EXPECT_TRUE(kivo.Update(Updated + c.address)) << kivo.Text(IDC_STATUS_LINE);
        EXPECT_EQ(SimRecordsOf(DemoHost), c.after);
    }
}

// 确定 with what the checks refuse keeps the dialog open, says why inside it and saves
// nothing; 取消 then leaves everything as it was.
TEST(Provider, WhatTheChecksRefuseKeepsTheDialogOpenAndSavesNothing) {
    const struct {
        const char* updateUrl;
        int checkEntry;
        const char* checkUrl;
        const char* problem;
    } cases[] = {
        {"members.example.net/nic/update?hostname={host}", 0, "",
         "更新地址须以 http:// 或 https:// 开头!"},
        {"https://members.example.net/nic/update?myip={ip}", 0, "",
         "更新地址中须有 {host}(填入域名的位置)!"},
        {"https://u:p@members.example.net/?h={host}", 0, "",
         "更新地址中没有服务商的主机名(或端口不对)!"},
        {"https://members.example.net/?h={host}", 1, "checkip.example.net",
         "查询地址须是以 http:// 或 https:// 开头的网址!"},
    };
    Kivo& kivo = Shared();
    const std::string before = ReadFileBytes(kivo.folder + "kivo.Lr");
    HWND dialog = OpenDialog(kivo);
    ASSERT_TRUE(dialog);
    for (const auto& c : cases) {
        Pick(dialog, IDC_PROVIDER_LIST, ProviderEntryOf({CustomProviderKey, ""}));
        Type(dialog, IDC_UPDATE_URL_FIELD, c.updateUrl);
        Pick(dialog, IDC_CHECK_LIST, c.checkEntry);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDC_CHECK_URL_FIELD)) != FALSE,
                  c.checkEntry == 1);
        Type(dialog, IDC_CHECK_URL_FIELD, c.checkUrl);
        ClickIn(dialog, IDC_PROVIDER_OK_BUTTON);
        EXPECT_TRUE(WaitFor([&] {
            return WindowText(GetDlgItem(dialog, IDC_CREDENTIALS_LINE)) == c.problem;
        })) << c.updateUrl;
        EXPECT_EQ(kivo.ProviderDialog(), dialog);
    }
    ClickIn(dialog, IDC_PROVIDER_CANCEL_BUTTON);
    EXPECT_TRUE(Closes(kivo));
    EXPECT_EQ(ReadFileBytes(kivo.folder + "kivo.Lr"), before);
    SimReset();
    kivo.Fill(Demo);
    EXPECT_TRUE(kivo.Update(Updated + "127.0.0.1")) << "still the provider from before";
    EXPECT_EQ(SimRequests().at(0).host, "members.kivo.example");
}

// With no provider chosen the watch sends and checks nothing and says why; F3 opens the
// dialog instead of sending; a right click on the caption band opens the tray's menu.
TEST(Provider, WithoutAProviderNothingIsSentAndF3OpensTheDialog) {
    SimReset();
    TestKivo kivo;
    WriteFileBytes(kivo.folder + "kivo.Lr",
                   std::string("Host=") + DemoHost + "|0\r\nName=" + DemoUser +
                       "|0\r\nPwd=" + DemoPassword + "|0\r\nAuto=True\r\n");
    kivo.Start().Main();
    EXPECT_TRUE(WaitFor([&] { return kivo.Text(IDC_STATUS_LINE) == NoProviderText; }))
        << kivo.Text(IDC_STATUS_LINE);
    kivo.SetText(IDC_STATUS_LINE, "");
    kivo.Post(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);  // a check 5 s later
    EXPECT_TRUE(WaitFor([&] { return kivo.Text(IDC_STATUS_LINE) == NoProviderText; }, 10000));
    PressKey(VK_F3);
    EXPECT_TRUE(WaitFor([&] { return kivo.ProviderDialog() != nullptr; }));
    EXPECT_TRUE(SimRequests().empty());
    EXPECT_TRUE(SimChecks().empty());
    ClickIn(kivo.ProviderDialog(), IDC_PROVIDER_CANCEL_BUTTON);
    EXPECT_TRUE(Closes(kivo));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(kivo.Main()) != FALSE; }));
    // Under Wine the first menu after a dialog has closed now and then never shows (about
    // one run in seven of the 32-bit exe): the click is tried again while none shows.
    bool shown = false;
    for (int click = 0; click < 3 && !shown; ++click) {
        kivo.Post(WM_RBUTTONUP, 0, MAKELPARAM(100, 10));
        shown = WaitFor([&] { return ShownMenu(kivo.ProcessId()) != nullptr; }, 2000);
    }
    EXPECT_TRUE(shown);
    kivo.Post(WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return ShownMenu(kivo.ProcessId()) == nullptr; }));
    kivo.Post(WM_RBUTTONUP, 0, MAKELPARAM(100, 60));
    EXPECT_FALSE(WaitFor([&] { return ShownMenu(kivo.ProcessId()) != nullptr; }, 500))
        << "below the band";
    EXPECT_TRUE(SimRequests().empty());
}

// Regression: a provider chosen anew, its address changed past the "?" only, left the
// watch paused by what the old address had answered.
TEST(Provider, ANewProviderIsAChangedFieldForTheWatch) {
    SimReset();
    WatchedKivo kivo("wrong-password");
    EXPECT_TRUE(kivo.Shows("用户名或密码错误,请检查!")) << kivo.Status();
    HWND dialog = OpenDialog(kivo);
    ASSERT_TRUE(dialog);
    Type(dialog, IDC_UPDATE_URL_FIELD, SimProviderUrl + std::string("&x=1"));
    ClickIn(dialog, IDC_PROVIDER_OK_BUTTON);
    ASSERT_TRUE(Closes(kivo));
    EXPECT_TRUE(kivo.ResumeShows("用户名或密码错误,请检查!")) << kivo.Status();
    ASSERT_EQ(SimRequests().size(), 2u);
    EXPECT_NE(SimRequests()[1].pathAndQuery.find("&x=1"), std::string::npos);
}
