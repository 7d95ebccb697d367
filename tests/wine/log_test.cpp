// What Kivo did while nobody watched, as the user reads it: kivo.log beside the exe (UTF-8
// with a byte-order mark, CR LF), without a trace of the password, moved aside at 256 KiB and
// never in the way of an update; the last result in the tray icon's tip; a balloon when the
// domain moved.
#include "history/run_report_rules.h"
#include "tests/wine/harness.h"
#include "update/update_rules.h"

using namespace kivo_test;

namespace {

const std::string Password = "密码|kivo";  // Chinese and "|"

// The log's lines in code page 936, each without the time that starts it; the file must be
// UTF-8 with a byte-order mark, and every line must start with the time and end in CR LF.
std::vector<std::string> LogLines(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF") << path;
    std::vector<std::string> lines;
    for (size_t at = 3, end; at < bytes.size(); at = end + 2) {
        end = bytes.find("\r\n", at);
        if (end == std::string::npos) {
            ADD_FAILURE() << "a line without CR LF: " << bytes.substr(at);
            break;
        }
        const std::string line = Recoded(bytes.substr(at, end - at), CP_UTF8, 936);
        const bool timed = line.size() > 21 && line[4] == '-' && line[7] == '-' &&
                           line[13] == ':' && line[16] == ':' && line.substr(19, 2) == "  ";
        EXPECT_TRUE(timed) << line;
        lines.push_back(timed ? line.substr(21) : line);
    }
    return lines;
}

// The text of a tooltip of another process, the tray's tip or balloon, once it is shown.
std::string TooltipText(HWND tooltip) {
    char text[512] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(tooltip, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &length);
    return text;
}

// The local time as the tip shows it, "hh:mm".
std::string Clock() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char clock[8];
    wsprintfA(clock, "%02d:%02d", now.wHour, now.wMinute);
    return clock;
}

}  // namespace

TEST(Log, TellsEveryRunWithItsTriggerAddressesAndAnswerAndNeverThePassword) {
    SimReset();
    SimAccount(DemoUser, Password, DemoHost);
    SimCheckAddress("203.0.113.5");
    const std::string credentials = BasicCredentials(DemoUser, Password);
    WatchedKivo kivo(Password);
    // Nothing confirmed yet: the start sends at once, without a check.
    EXPECT_TRUE(kivo.Shows(Updated + "127.0.0.1")) << kivo.Status();
    EXPECT_TRUE(kivo.ResumeShows(Updated + "203.0.113.5")) << kivo.Status();
    EXPECT_TRUE(kivo.ResumeShows(AddressSame + "203.0.113.5")) << kivo.Status();
    const auto pressF3 = [&kivo](const std::string& status) {
        kivo.SetText(IDC_STATUS_LINE, "");
        kivo.Post(WM_HOTKEY, 300, MAKELPARAM(0, VK_F3));
        return kivo.Shows(status);
    };
    EXPECT_TRUE(pressF3(Updated + "127.0.0.1")) << kivo.Status();
    // Whatever a provider echoes, the password and the credentials stay out of the log, and
    // out of all Kivo shows: the status line of a run nobody watched, F3's box.
    // Regression: the status line, the tip and the balloon showed the echo as it came.
    const std::string echo = "Invalid request: hostname=x&pass=";
    SimAnswer(200, {echo + Password});
    EXPECT_TRUE(kivo.ResumeShows(UnknownReplyCaption + echo + "***")) << kivo.Status();
    Sleep(500);  // another press, not the key held down
    kivo.Post(WM_HOTKEY, 300, MAKELPARAM(0, VK_F3));
    const Box box = kivo.WaitBox();
    EXPECT_EQ(box.text, echo + "***");
    kivo.CloseBox(box);
    SimAnswer(200, {"badauth " + Password + " " + credentials});
    Sleep(500);
    EXPECT_TRUE(pressF3("用户名或密码错误,请检查!")) << kivo.Status();
    const std::vector<std::string> expected = {
        "程序启动  - → 127.0.0.1  good 127.0.0.1  " + Updated + "127.0.0.1",
        "系统唤醒  127.0.0.1 → 203.0.113.5 (4.ipw.cn)  good 203.0.113.5  " + Updated +
            "203.0.113.5",
        "系统唤醒  203.0.113.5 → 203.0.113.5 (4.ipw.cn)  (未发送)  " + AddressSame + "203.0.113.5",
        "热键F3  203.0.113.5 → 127.0.0.1  good 127.0.0.1  " + Updated + "127.0.0.1",
        "系统唤醒  127.0.0.1 → 203.0.113.5 (4.ipw.cn)  " + echo + "***  " + UnknownReplyCaption +
            echo + "***",
        "热键F3  127.0.0.1 → -  " + echo + "***  " + UnknownReplyCaption + echo + "***",
        "热键F3  127.0.0.1 → -  badauth *** ***  用户名或密码错误,请检查!",
    };
    EXPECT_EQ(LogLines(kivo.folder + "kivo.log"), expected);
    for (const char* name : {"kivo.log", "kivo.state"}) {
        const std::string bytes = ReadFileBytes(kivo.folder + name);
        for (const std::string& secret :
             {Password, Recoded(Password, 936, CP_UTF8), credentials, std::string("|kivo")}) {
            EXPECT_EQ(bytes.find(secret), std::string::npos) << name << " holds " << secret;
        }
    }
}

// A log that would pass 256 KiB moves to kivo.log.1 (replacing an older one); a directory in
// the log's place stops no update; "查看日志" opens the log in Notepad, or says there is none.
TEST(Log, MovesAsideAt256KiBAndNothingInItsWayStopsAnUpdate) {
    SimReset();
    WatchedKivo kivo(DemoPassword, "", "");
    const std::string full =
        "\xEF\xBB\xBF" + std::string(LogLimitBytes - 100, 'x') + "\r\n";  // one more line passes
    WriteFileBytes(kivo.folder + "kivo.log", full);
    WriteFileBytes(kivo.folder + "kivo.log.1", "older");
    EXPECT_TRUE(kivo.Update(Updated + "127.0.0.1"));
    EXPECT_EQ(ReadFileBytes(kivo.folder + "kivo.log.1"), full);
    EXPECT_EQ(LogLines(kivo.folder + "kivo.log").size(), 1u);

    kivo.Post(WM_COMMAND, IDM_TRAY_VIEW_LOG, 0);
    // Notepad names the file in its title once it has read it.
    HWND notepad = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        notepad = FindWindowA("Notepad", nullptr);
        return notepad && WindowText(notepad).find("kivo.log") != std::string::npos;
    })) << WindowText(notepad);
    PostMessageA(notepad, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(notepad); }));

    ASSERT_TRUE(DeleteFileA((kivo.folder + "kivo.log").c_str()));
    ASSERT_TRUE(CreateDirectoryA((kivo.folder + "kivo.log").c_str(), nullptr));
    const size_t sent = SimRequests().size();
    EXPECT_TRUE(kivo.Update(Unchanged + "127.0.0.1")) << kivo.Status();
    EXPECT_EQ(SimRequests().size(), sent + 1);
    EXPECT_EQ(ReadFileBytes(kivo.folder + "kivo.log.1"), full);
    kivo.Post(WM_COMMAND, IDM_TRAY_VIEW_LOG, 0);
    EXPECT_TRUE(kivo.Shows("还没有日志,更新或检查一次后才会记录!")) << kivo.Status();
    EXPECT_TRUE(kivo.Boxes().empty());

    // Regression: a log that could not move aside was begun afresh, and all of it was lost.
    ASSERT_TRUE(RemoveDirectoryA((kivo.folder + "kivo.log").c_str()));
    ASSERT_TRUE(DeleteFileA((kivo.folder + "kivo.log.1").c_str()));
    ASSERT_TRUE(CreateDirectoryA((kivo.folder + "kivo.log.1").c_str(), nullptr));
    WriteFileBytes(kivo.folder + "kivo.log", full);
    EXPECT_TRUE(kivo.Update(Unchanged + "127.0.0.1"));
    EXPECT_TRUE(kivo.Update(Unchanged + "127.0.0.1"));
    const std::string grown = ReadFileBytes(kivo.folder + "kivo.log");
    EXPECT_EQ(grown.substr(0, full.size()), full);
    EXPECT_EQ(std::count(grown.begin() + full.size(), grown.end(), '\n'), 2);
}

// Regressions: on a full disk a line went in part-way, and the next one was glued to it;
// and a log begun there for its first line stayed behind, empty.
TEST(Log, OnAFullDiskALineGoesInWholeOrNotAtAll) {
    const char* volume = std::getenv("KIVO_SMALL_VOLUME");
    if (!volume) GTEST_SKIP() << "needs the small volume that test.sh mounts when run as root";
    std::string folder = std::string("Z:") + volume + "\\run";
    for (char& c : folder) c = c == '/' ? '\\' : c;
    SharedSlot().reset();  // F3 and F4 for this one
    SimReset();
    Kivo kivo(folder);
    WriteFileBytes(kivo.folder + "kivo.Lr",
                   std::string("Host=") + DemoHost + "|0\r\nName=" + DemoUser +
                       "|0\r\nPwd=" + DemoPassword + "|0\r\n" + SimProviderLines());
    const std::string log = kivo.folder + "kivo.log", filler = kivo.folder + "filler";
    auto fillTheDisk = [&filler] {
        HANDLE file = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0);
        const std::string page(4096, 'f');
        DWORD written = 0;
        while (WriteFile(file, page.data(), page.size(), &written, nullptr) && written == 4096) {
        }
        CloseHandle(file);
    };
    fillTheDisk();
    kivo.Start();
    EXPECT_TRUE(kivo.Update(Updated + "127.0.0.1"));
    Sleep(1000);  // the log and the state are written after the status shows
    EXPECT_EQ(NamesIn(kivo.folder), (std::vector<std::string>{"filler", "kivo.exe", "kivo.Lr"}));
    DeleteFileA(filler.c_str());
    // The disk's last page holds the first 4,000 bytes of the log: a line does not fit.
    const std::string old = "\xEF\xBB\xBF" + std::string(3995, 'x') + "\r\n";
    WriteFileBytes(log, old);
    fillTheDisk();
    EXPECT_TRUE(kivo.Update(Unchanged + "127.0.0.1"));
    Sleep(1000);
    EXPECT_EQ(ReadFileBytes(log), old);
    DeleteFileA(filler.c_str());
    EXPECT_TRUE(kivo.Update(Unchanged + "127.0.0.1"));
    std::string grown;
    EXPECT_TRUE(WaitFor([&] { return (grown = ReadFileBytes(log)).size() > old.size(); }));
    EXPECT_EQ(grown.substr(0, old.size()), old);
    EXPECT_EQ(std::count(grown.begin() + old.size(), grown.end(), '\n'), 1) << grown;
    EXPECT_EQ(grown.substr(grown.size() - 2), "\r\n");
}

// Started hidden at logon: the unattended update that moves the domain shows a balloon, and
// the icon's tip tells the last result under the title.
TEST(Log, TheTrayTipHoldsTheLastResultAndABalloonTellsTheNewAddress) {
    SimReset();
    const std::string ranAt = Clock();
    WatchedKivo kivo(DemoPassword, "", "Auto=True", "/tray");
    EXPECT_TRUE(kivo.Shows(Updated + "127.0.0.1")) << kivo.Status();
    HWND balloon = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (balloon = ShownBalloon()) != nullptr; }, 6000));
    EXPECT_EQ(TooltipText(balloon), "域名已更新为 127.0.0.1");
    HWND icon = FindWindowExA(Tray(), nullptr, "__winex11_tray_icon", nullptr);
    ASSERT_NE(icon, nullptr);
    RECT r = {};
    GetWindowRect(icon, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    mouse_event(MOUSEEVENTF_MOVE, 1, 0, 0, 0);
    std::string tip;
    WaitFor([&] {
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "tooltips_class32", nullptr));) {
            if (IsWindowVisible(w) && w != balloon) tip = TooltipText(w);
        }
        return !tip.empty();
    });
    // The run ended between the two readings of the clock.
    const std::string title = "Kivo域名更新器 QQ:" KIVO_AUTHOR_QQ "\n";
    EXPECT_TRUE(tip == title + ranAt + " 更新成功 127.0.0.1" ||
                tip == title + Clock() + " 更新成功 127.0.0.1")
        << tip;
}
