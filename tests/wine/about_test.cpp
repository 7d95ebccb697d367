// The About window as a user meets it: texts, the scrolling credits, the ways it closes,
// the home page it asks the shell for, and the main window's hotkeys while it is open.
#include "tests/wine/harness.h"
#include "ui/about_rules.h"

using namespace kivo_test;

namespace {

// Clicks "关于" and returns the About window once its start-up is over.
HWND OpenAbout(Kivo& kivo) {
    kivo.Click(IDC_ABOUT_BUTTON);
    HWND about = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (about = kivo.About()) && IsWindowVisible(about); }));
    DWORD_PTR ignored = 0;  // answered from the dialog's loop, after WM_INITDIALOG
    SendMessageTimeoutA(about, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
    EXPECT_TRUE(HasNoRegion(about));
    return about;
}

void CloseAbout(HWND about, WPARAM command) {
    PostMessageA(about, WM_COMMAND, command, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }));
}

const int CreditsHeight = CreditsLineHeight * CountLines(CreditsText());

// The credits window's top in the frame; after one scroll step when tick is set (sent with
// an identifier that is not the timer's own).
int CreditsTop(HWND about, bool tick = false) {
    DWORD_PTR ignored = 0;
    if (tick) SendMessageTimeoutA(about, WM_TIMER, 7, 0, SMTO_NORMAL, 10000, &ignored);
    HWND frame = GetDlgItem(about, IDC_CREDITS_FRAME);
    RECT r = {};
    GetWindowRect(GetWindow(frame, GW_CHILD), &r);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&r), 2);
    return r.top;
}

// The frame shows the whole text centred where the credits stand, and nothing of them
// where they have been. They keep moving: only a picture taken while they stood still counts.
bool FrameShowsTheCreditsCleanly(HWND about) {
    HWND frame = GetDlgItem(about, IDC_CREDITS_FRAME);
    const RECT view = ClientRectOf(frame);
    return WaitFor([&] {
        const int top = CreditsTop(about);
        const Pixels shown = Capture(frame, view);
        return top == CreditsTop(about) &&
               shown == RenderText(CreditsText(), FW_DONTCARE, 0, {view.right, view.bottom},
                                   {0, top, view.right, top + CreditsHeight}, DT_CENTER);
    });
}

// While it lives, the browser that Windows opens http addresses with is a copy of this
// driver beside kivo.exe, which records its command line (see main).
class BrowserStandIn {
public:
    explicit BrowserStandIn(const std::string& folder) : record_(folder + "browser.exe.txt") {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, sizeof path);
        EXPECT_TRUE(CopyFileA(path, (folder + "browser.exe").c_str(), FALSE));
        DeleteFileA(record_.c_str());
        LONG size = sizeof path;
        RegQueryValueA(HKEY_CLASSES_ROOT, HttpCommand, path, &size);
        usual_ = path;
        Register("\"" + folder + "browser.exe\" \"%1\"");
    }
    ~BrowserStandIn() { Register(usual_); }
    std::string Started() const { return ReadFileBytes(record_); }

private:
    static constexpr char HttpCommand[] = "http\\shell\\open\\command";
    static void Register(const std::string& command) {
        EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, HttpCommand, REG_SZ, command.c_str(),
                               static_cast<DWORD>(command.size())),
                  ERROR_SUCCESS);
    }
    std::string record_, usual_;
};

}  // namespace

// Opened by "关于" with its texts and the bold version line; modal, yet the main window's
// hotkeys work while it is open; Escape, Enter and the close request leave it open.
TEST(About, OpensModallyWithItsTextsWhileHotkeysWorkAndIgnoresEscapeEnterAndClose) {
    Kivo& kivo = Shared();
    kivo.SetText(IDC_HOST_FIELD, "");
    HWND about = OpenAbout(kivo);
    EXPECT_EQ(WindowText(about), "关于 Kivo域名更新器");
    const std::pair<int, std::string> texts[] = {
        {IDC_ABOUT_OK_BUTTON, "确定"},
        {IDC_VERSION_LABEL, "版本 1.0"},
        {IDC_AUTHOR_LABEL, "『由[" KIVO_AUTHOR_NAME "!]编写』"},
        {IDC_ABOUT_CLOSE_LABEL, " 关 "},
    };
    for (const auto& [id, text] : texts) EXPECT_EQ(WindowText(GetDlgItem(about, id)), text);
    EXPECT_EQ(GetWindow(about, GW_OWNER), kivo.Main());
    EXPECT_FALSE(IsWindowEnabled(kivo.Main()));
    const RECT label = ControlRect(about, IDC_VERSION_LABEL);
    const SIZE size = {label.right - label.left, label.bottom - label.top};
    auto version = [&](int weight) {
        return RenderText("版本 1.0", weight, 0, size, {0, 0, size.cx, size.cy}, DT_WORDBREAK);
    };
    ASSERT_FALSE(version(FW_BOLD) == version(FW_DONTCARE));
    EXPECT_TRUE(ScreenShows(about, label, [&](const Pixels& p) { return p == version(FW_BOLD); }));

    PressKey(VK_F4);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(kivo.Main()); }));
    PressKey(VK_F4);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(kivo.Main()) != FALSE; }));
    PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    PostMessageA(about, WM_CLOSE, 0, 0);
    PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_CLOSE_LABEL, STN_DBLCLK), 0);
    // F3 after them: once its warning shows (an empty domain), they have been handled. The
    // second round covers the cancel command that the close request itself posts.
    for (int round = 0; round < 2; ++round) {
        Sleep(500);  // a press of its own, not the key held down
        PressKey(VK_F3);
        kivo.CloseBox(kivo.WaitBox());
    }
    EXPECT_TRUE(IsWindowVisible(about));
    EXPECT_FALSE(PressDrags(about, {4, 20}, false));
    EXPECT_TRUE(PressDrags(about, {60, 19}, true));
    CloseAbout(about, IDC_ABOUT_CLOSE_LABEL);
}

// The credits start just below the frame, 252 pixels high, and rise by themselves; a tick
// with any timer identifier moves them one pixel (Kivo's own timer may add one more). Once
// above the frame they come back from below. Regression: with nothing painted behind the
// text, each move (which Wine repaints whole) drew the text over its old picture one pixel
// lower, and the credits ran together into black bars.
TEST(About, CreditsRiseOnePixelATickCleanlyAndComeBackFromBelowOnceAboveTheFrame) {
    HWND about = OpenAbout(Shared());
    HWND frame = GetDlgItem(about, IDC_CREDITS_FRAME);
    const RECT view = ClientRectOf(frame), credits = ClientRectOf(GetWindow(frame, GW_CHILD));
    EXPECT_TRUE(credits.right == view.right && credits.bottom == 252) << credits.bottom;
    const int startTop = CreditsTop(about);
    EXPECT_TRUE(startTop <= view.bottom && startTop > view.bottom - 25) << startTop;
    std::vector<int> cleanChecks = {view.bottom - 40, -60, 40 - CreditsHeight};
    for (int ticks = 0, sinceBack = -1; sinceBack < 5; sinceBack += sinceBack >= 0) {
        ASSERT_LT(++ticks, view.bottom + CreditsHeight + 10) << "they never came back";
        const int before = CreditsTop(about), after = CreditsTop(about, true);
        if (after > before) {  // bottom edge at y = -1 (or 0 after Kivo's own tick), then back
            EXPECT_EQ(sinceBack, -1) << "once";
            EXPECT_TRUE(before >= -CreditsHeight - 1 && before <= -CreditsHeight) << before;
            EXPECT_TRUE(after >= view.bottom - 2 && after < view.bottom) << after;
            sinceBack = 0;
        } else {
            EXPECT_TRUE(before - after == 1 || before - after == 2) << before << " " << after;
        }
        if (!cleanChecks.empty() && after <= cleanChecks.front()) {
            EXPECT_TRUE(FrameShowsTheCreditsCleanly(about)) << "at " << after;
            cleanChecks.erase(cleanChecks.begin());
        }
    }
    const int lastTop = CreditsTop(about);
    EXPECT_TRUE(WaitFor([&] { return CreditsTop(about) < lastTop; })) << "they rise by themselves";
    CloseAbout(about, IDC_ABOUT_CLOSE_LABEL);
}

// " 关 " closes it without starting anything; "确定" asks the shell for Internet Explorer
// with the home page and closes. Each opening deletes what it creates and the bold version
// font is made once: after the first openings the fonts and brushes Kivo holds stay put.
TEST(About, ClosesByItsLabelQuietlyAndByOkWithTheHomePageAndGathersNoGdiObjects) {
    Kivo& kivo = Shared();
    BrowserStandIn browser(kivo.folder);
    std::pair<int, int> settled;
    for (int opening = 1; opening <= 8; ++opening) {
        CloseAbout(OpenAbout(kivo), IDC_ABOUT_CLOSE_LABEL);
        if (opening == 2) settled = FontsAndBrushesOf(kivo.ProcessId());
    }
    EXPECT_EQ(FontsAndBrushesOf(kivo.ProcessId()), settled) << "fonts, brushes";
    EXPECT_TRUE(IsWindowEnabled(kivo.Main()));
    EXPECT_EQ(browser.Started(), "");
    CloseAbout(OpenAbout(kivo), IDC_ABOUT_OK_BUTTON);
    ASSERT_TRUE(WaitFor([&] { return !browser.Started().empty(); }));
    // Regression: Internet Explorer was started by its bare name, which Windows looks for in
    // the current folder first, and Windows 11 no longer has it.
    const std::string started = browser.Started();
    const size_t name = started.find("browser.exe");
    ASSERT_NE(name, std::string::npos) << started;
    EXPECT_EQ(started.substr(started.find_first_not_of("\" ", name + 11)), KIVO_HOME_PAGE "\"\n");
    EXPECT_TRUE(IsWindowEnabled(kivo.Main()));
}

// The driver runs the tests, or, copied as browser.exe by BrowserStandIn, records the
// command line the shell started it with.
int main(int argc, char** argv) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    if (strstr(path, "browser.exe")) {
        std::ofstream(std::string(path) + ".txt", std::ios::app | std::ios::binary)
            << GetCommandLineA() << "\n";
        return 0;
    }
    Trouble = [](const std::string& what) { ADD_FAILURE() << what; };
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
