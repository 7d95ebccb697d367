// The About window as a user meets it: its template, texts and fonts, the scrolling
// credits, the ways it closes, the home page it asks the shell for, and the main window's
// hotkeys while it is open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/wine/dialog_template.h"
#include "tests/wine/gdi_census.h"
#include "tests/wine/harness.h"
#include "tests/wine/screen.h"
#include "ui/about_rules.h"

using namespace kivo_test;

namespace {

constexpr COLORREF FaceColour = RGB(240, 255, 255);
const std::vector<ExpectedItem> AboutItems = {
    {2001, ButtonAtom, "确定", 0x5000000B, 58, 131, 50, 14},
    {-1, StaticAtom, "MAINICON", 0x50000003, 14, 28, 20, 20},
    {2003, StaticAtom, "", 0x50020000, 42, 29, 110, 8},
    {2004, StaticAtom, "", 0x50020002, 42, 41, 110, 8},
    {2005, StaticAtom, "", 0x50001001, 14, 55, 140, 70},
    {-1, StaticAtom, "", 0x50000012, 7, 22, 154, 131},
    {2002, StaticAtom, " 关 ", 0x5002010B, 150, 3, 16, 7},
};

// Clicks AboutButton and returns the About window once it is shown and its opening is over.
HWND OpenAbout(KivoRun& kivo) {
    kivo.Click(IDC_ABOUT_BUTTON);
    HWND about = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        about = kivo.AboutWindow();
        return about && IsWindowVisible(about);
    })) << "the About window did not open";
    // Kivo answers a sent message only from its message loop, after WM_INITDIALOG.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(about, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
    return about;
}

void Command(HWND about, WPARAM command) { PostMessageA(about, WM_COMMAND, command, 0); }

bool Closes(HWND about) {
    return WaitFor([&] { return !IsWindow(about); });
}

struct Credits {
    HWND frame;
    HWND window;
};

Credits CreditsOf(HWND about) {
    HWND frame = GetDlgItem(about, IDC_CREDITS_FRAME);
    return {frame, GetWindow(frame, GW_CHILD)};
}

int CreditsHeight() { return CreditsLineHeight * CountLines(CreditsText()); }

// The credits window's rectangle in the frame's client coordinates.
RECT InFrame(const Credits& credits) {
    RECT rect = {};
    GetWindowRect(credits.window, &rect);
    MapWindowPoints(nullptr, credits.frame, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// One scroll step, done before SendMessage returns; the identifier is not the timer's.
int TickAndReadTop(HWND about, const Credits& credits) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(about, WM_TIMER, 7, 0, SMTO_NORMAL, 10000, &ignored);
    return InFrame(credits).top;
}

RECT ClientOf(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return client;
}

// Text drawn as a static control or the credits draw it: black, transparent, on the face.
Pixels ExpectedText(const char* text, int weight, const RECT& area, const RECT& textRect,
                    UINT format) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, area.right, area.bottom);
    HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    HBRUSH face = CreateSolidBrush(FaceColour);
    FillRect(dc, &area, face);
    DeleteObject(face);
    HFONT font =
        CreateFontA(-12, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "宋体");
    HGDIOBJ previousFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    RECT rect = textRect;
    DrawTextA(dc, text, -1, &rect, format);
    SelectObject(dc, previousFont);
    DeleteObject(font);
    const Pixels pixels = CaptureDc(dc, area.right, area.bottom);
    SelectObject(dc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

Pixels ExpectedVersionLabel(const RECT& label, int weight) {
    const RECT area = {0, 0, label.right - label.left, label.bottom - label.top};
    return ExpectedText(VersionText, weight, area, area, DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK);
}

// Painting happens in Kivo's own time: wait until the screen shows the label as expected.
bool VersionLabelShows(HWND about, const Pixels& expected) {
    const RECT label = ControlClientRect(about, IDC_VERSION_LABEL);
    return WaitFor([&] { return CaptureClient(about, label) == expected; }, 3000);
}

// The frame's client area with the credits window standing at `top`.
Pixels ExpectedFrame(const RECT& view, int top) {
    const RECT credits = {0, top, view.right, top + CreditsHeight()};
    return ExpectedText(CreditsText().c_str(), FW_DONTCARE, view, credits, DT_CENTER);
}

// The credits keep moving while the screen is read: compare only a picture taken while
// they stood still.
bool FrameShowsCreditsWhereTheyStand(const Credits& credits, int* seenTop) {
    const RECT view = ClientOf(credits.frame);
    return WaitFor(
        [&] {
            const int before = InFrame(credits).top;
            const Pixels shown = CaptureClient(credits.frame, view);
            *seenTop = InFrame(credits).top;
            return before == *seenTop && shown == ExpectedFrame(view, *seenTop);
        },
        3000);
}

// While it lives, the shell's search for "iexplore.exe" ends at a stand-in beside kivo.exe,
// which records each command line it is started with and exits. Wine's shell looks in the
// system folder before the program's own, so Wine's iexplore.exe is moved aside meanwhile.
class BrowserStandIn {
public:
    explicit BrowserStandIn(const std::string& exeFolder)
        : record_(exeFolder + "iexplore-started.txt") {
        char system[MAX_PATH] = {};
        GetSystemDirectoryA(system, sizeof system);
        browser_ = std::string(system) + "\\iexplore.exe";
        aside_ = browser_ + ".kivo-test";
        if (FileExists(browser_)) {
            EXPECT_TRUE(MoveFileExA(browser_.c_str(), aside_.c_str(), MOVEFILE_REPLACE_EXISTING));
        }
        char driver[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, driver, sizeof driver);
        std::string standIn = driver;
        standIn = standIn.substr(0, standIn.rfind('\\') + 1) + "iexplore.exe";
        EXPECT_TRUE(CopyFileA(standIn.c_str(), (exeFolder + "iexplore.exe").c_str(), FALSE))
            << standIn;
    }
    // Also puts back what an earlier run that ended early left aside.
    ~BrowserStandIn() {
        if (FileExists(aside_)) {
            MoveFileExA(aside_.c_str(), browser_.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    BrowserStandIn(const BrowserStandIn&) = delete;
    BrowserStandIn& operator=(const BrowserStandIn&) = delete;

    std::vector<std::string> Starts() const {
        std::vector<std::string> lines;
        const std::string record = ReadFileBytes(record_);
        for (size_t at = 0, end; (end = record.find('\n', at)) != std::string::npos; at = end + 1) {
            lines.push_back(record.substr(at, end - at));
        }
        return lines;
    }

private:
    std::string record_;
    std::string browser_;
    std::string aside_;
};

std::string ProgramOf(const std::string& commandLine) {
    if (!commandLine.empty() && commandLine[0] == '"') {
        return commandLine.substr(1, commandLine.find('"', 1) - 1);
    }
    return commandLine.substr(0, commandLine.find(' '));
}

std::string ArgumentsOf(const std::string& commandLine) {
    const size_t programEnd = !commandLine.empty() && commandLine[0] == '"'
                                  ? commandLine.find('"', 1) + 1
                                  : commandLine.find(' ');
    const size_t arguments = commandLine.find_first_not_of(' ', programEnd);
    return arguments == std::string::npos ? "" : commandLine.substr(arguments);
}

}  // namespace

TEST(AboutDialog, TemplateIsThePlainChineseTemplateWithItsSevenControls) {
    KivoRun kivo;  // only for its copy of kivo.exe
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(kivo.ExePath(), IDD_ABOUT, ChinesePrc, &dialog));
    EXPECT_FALSE(dialog.extended);
    EXPECT_EQ(dialog.style, 0x80800840u);
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.cx, 168);
    EXPECT_EQ(dialog.cy, 160);
    EXPECT_FALSE(dialog.menu.isOrdinal);
    EXPECT_EQ(dialog.menu.text, "");
    EXPECT_FALSE(dialog.windowClass.isOrdinal);
    EXPECT_EQ(dialog.windowClass.text, "");
    EXPECT_EQ(dialog.title, "");
    EXPECT_EQ(dialog.pointSize, 9);
    EXPECT_EQ(dialog.typeface, "宋体");
    ExpectItems(dialog, AboutItems);
}

TEST(AboutDialog, AboutButtonOpensItModallyWithItsTitleAndTexts) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    HWND about = OpenAbout(kivo);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(about), AboutTitleText);
    EXPECT_EQ(WindowText(GetDlgItem(about, IDC_VERSION_LABEL)), "版本 1.0");
    EXPECT_EQ(WindowText(GetDlgItem(about, IDC_AUTHOR_LABEL)), "『由[" KIVO_AUTHOR_NAME "!]编写』");
    EXPECT_EQ(WindowText(GetDlgItem(about, IDC_ABOUT_OK_BUTTON)), "确定");
    EXPECT_EQ(WindowText(GetDlgItem(about, IDC_ABOUT_CLOSE_LABEL)), " 关 ");
    EXPECT_EQ(GetWindow(about, GW_OWNER), main);
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_TRUE(kivo.VisibleBoxes().empty());
}

TEST(AboutDialog, CreditsHangBelowTheFrameTwelvePixelsALineHighAndRiseByThemselves) {
    KivoRun kivo;
    kivo.Start();
    kivo.Main();
    HWND about = OpenAbout(kivo);
    const Credits credits = CreditsOf(about);
    ASSERT_NE(credits.window, nullptr);
    char className[16] = {};
    GetClassNameA(credits.window, className, sizeof className);
    EXPECT_STREQ(className, "Static");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(credits.window, GWL_STYLE)),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | SS_CENTER));
    const RECT view = ClientOf(credits.frame);
    const RECT start = InFrame(credits);
    EXPECT_EQ(CreditsHeight(), 252);
    EXPECT_EQ(start.bottom - start.top, 252);
    EXPECT_EQ(start.left, 0);
    EXPECT_EQ(start.right, view.right);
    // They start at the frame's bottom edge and have had at most a few ticks since.
    EXPECT_LE(start.top, view.bottom);
    EXPECT_GT(start.top, view.bottom - 25);
    EXPECT_TRUE(WaitFor([&] { return InFrame(credits).top < start.top; }));
}

// Kivo's own timer ticks too while the test sends its ticks, so a step may move two
// pixels; every step of the test's alone moves exactly one.
TEST(AboutDialog, CreditsRiseOnePixelATickAndComeBackFromBelowOnceAboveTheFrame) {
    KivoRun kivo;
    kivo.Start();
    kivo.Main();
    HWND about = OpenAbout(kivo);
    const Credits credits = CreditsOf(about);
    ASSERT_NE(credits.window, nullptr);
    const int viewHeight = ClientOf(credits.frame).bottom;
    const int height = CreditsHeight();
    const int cycle = viewHeight + height + 1;
    std::vector<int> tops = {InFrame(credits).top};
    size_t comeBack = 0;
    while (tops.size() < static_cast<size_t>(cycle) + 10 &&
           (comeBack == 0 || tops.size() < comeBack + 10)) {
        tops.push_back(TickAndReadTop(about, credits));
        if (comeBack == 0 && tops.back() > tops[tops.size() - 2]) comeBack = tops.size() - 1;
    }
    ASSERT_GT(comeBack, 0u) << "the credits never came back from below";
    // Gone above the frame (bottom edge at y = -1, or at 0 when Kivo's tick placed the
    // last one), then back at the frame's bottom edge.
    EXPECT_GE(tops[comeBack - 1], -height - 1);
    EXPECT_LE(tops[comeBack - 1], -height);
    EXPECT_GE(tops[comeBack], viewHeight - 2);
    EXPECT_LE(tops[comeBack], viewHeight - 1);
    int onePixelSteps = 0;
    std::string fault;
    for (size_t i = 1; i < tops.size(); ++i) {
        if (i == comeBack) continue;
        const int rise = tops[i - 1] - tops[i];
        onePixelSteps += rise == 1;
        if ((rise < 1 || rise > 2) && fault.empty()) {
            fault = "from " + std::to_string(tops[i - 1]) + " to " + std::to_string(tops[i]);
        }
    }
    EXPECT_EQ(fault, "");
    EXPECT_GT(onePixelSteps, static_cast<int>(tops.size()) / 2);
}

// The frame shows the whole text, centred, where the credits stand, and nothing of them
// where they have been. Regression: with nothing painted behind the text, each move (which
// Wine repaints whole) drew the text over its old picture one pixel lower, and the credits
// ran together into black bars.
TEST(AboutDialog, CreditsShowCleanlyWhereverTheyStandAndDoNotSmearAsTheyRise) {
    KivoRun kivo;
    kivo.Start();
    kivo.Main();
    HWND about = OpenAbout(kivo);
    const Credits credits = CreditsOf(about);
    ASSERT_NE(credits.window, nullptr);
    const int viewHeight = ClientOf(credits.frame).bottom;
    const int height = CreditsHeight();
    // Coming in from below, covering the whole frame, and leaving at the top.
    for (const int target : {viewHeight - 40, -60, 40 - height}) {
        SCOPED_TRACE("credits at " + std::to_string(target));
        for (int top = InFrame(credits).top; top > target;) top = TickAndReadTop(about, credits);
        int seenTop = 0;
        EXPECT_TRUE(FrameShowsCreditsWhereTheyStand(credits, &seenTop)) << "last at " << seenTop;
    }
}

TEST(AboutDialog, EscapeEnterAndCloseRequestLeaveItOpen) {
    KivoRun kivo;
    kivo.Start();
    kivo.Main();
    HWND about = OpenAbout(kivo);
    Command(about, IDCANCEL);
    Command(about, IDOK);
    PostMessageA(about, WM_CLOSE, 0, 0);
    Command(about, MAKEWPARAM(IDC_ABOUT_CLOSE_LABEL, STN_DBLCLK));
    // Posted after them to the same thread: once its box shows, they have been handled. The
    // second round covers the cancel command that the close request itself posts.
    for (int round = 0; round < 2; ++round) {
        kivo.Click(IDC_UPDATE_BUTTON);
        const MessageBoxSeen box = kivo.WaitBox();
        EXPECT_EQ(box.caption, "警告:");
        kivo.CloseBox(box);
    }
    EXPECT_TRUE(IsWindow(about));
    EXPECT_TRUE(IsWindowVisible(about));
}

TEST(AboutDialog, CloseLabelClosesItWithoutStartingTheBrowser) {
    KivoRun kivo;
    BrowserStandIn browser(kivo.Folder());
    kivo.Start();
    HWND main = kivo.Main();
    HWND about = OpenAbout(kivo);
    Command(about, IDC_ABOUT_CLOSE_LABEL);
    ASSERT_TRUE(Closes(about));
    EXPECT_TRUE(IsWindowEnabled(main));
    // "确定" then starts the stand-in once: the close label had started nothing before.
    about = OpenAbout(kivo);
    Command(about, IDC_ABOUT_OK_BUTTON);
    ASSERT_TRUE(Closes(about));
    ASSERT_TRUE(WaitFor([&] { return !browser.Starts().empty(); }));
    EXPECT_EQ(browser.Starts().size(), 1u);
}

TEST(AboutDialog, OkButtonOpensTheHomePageInInternetExplorerAndCloses) {
    KivoRun kivo;
    BrowserStandIn browser(kivo.Folder());
    kivo.Start();
    HWND main = kivo.Main();
    HWND about = OpenAbout(kivo);
    Command(about, IDC_ABOUT_OK_BUTTON);
    ASSERT_TRUE(Closes(about));
    EXPECT_TRUE(IsWindowEnabled(main));
    ASSERT_TRUE(WaitFor([&] { return !browser.Starts().empty(); }));
    const std::vector<std::string> starts = browser.Starts();
    ASSERT_EQ(starts.size(), 1u);
    const std::string program = ProgramOf(starts[0]);
    EXPECT_EQ(_stricmp(program.substr(program.rfind('\\') + 1).c_str(), "iexplore.exe"), 0)
        << starts[0];
    EXPECT_EQ(ArgumentsOf(starts[0]), HomePageAddress) << starts[0];
}

TEST(AboutDialog, MainWindowHotkeysWorkWhileItIsOpen) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    HWND about = OpenAbout(kivo);
    PressKey(VK_F3);  // empty fields: the update warns
    const MessageBoxSeen box = kivo.WaitBox();
    EXPECT_EQ(box.caption, "警告:");
    kivo.CloseBox(box);
    PressKey(VK_F4);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }));
    PressKey(VK_F4);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
    EXPECT_TRUE(IsWindow(about));
}

TEST(AboutDialog, APressInTheCaptionBandDragsItAndBelowItDoesNot) {
    KivoRun kivo;
    kivo.Start();
    kivo.Main();
    ExpectDrags(OpenAbout(kivo), {{{4, 20}, false, {30, 20}}, {{60, 19}, true, {-25, 15}}});
}

// Each opening may create what it deletes again, and the version font once for the whole
// process: after the first openings the number of fonts and brushes Kivo holds stays put,
// and the version line is still bold.
TEST(AboutDialog, OpensAgainAndAgainWithoutGatheringFontsOrBrushesAndStaysBold) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    FontsAndBrushes settled;
    for (int opening = 1; opening <= 40; ++opening) {
        HWND about = OpenAbout(kivo);
        ASSERT_NE(about, nullptr) << "opening " << opening;
        Command(about, IDC_ABOUT_CLOSE_LABEL);
        ASSERT_TRUE(Closes(about)) << "opening " << opening;
        if (opening == 3) settled = SettledFontsAndBrushesOf(kivo.ProcessId());
    }
    const FontsAndBrushes now = SettledFontsAndBrushesOf(kivo.ProcessId());
    EXPECT_EQ(now, settled) << "after 3 openings, then after 40";
    HWND about = OpenAbout(kivo);
    const RECT label = ControlClientRect(about, IDC_VERSION_LABEL);
    const Pixels bold = ExpectedVersionLabel(label, FW_BOLD);
    ASSERT_FALSE(bold == ExpectedVersionLabel(label, FW_DONTCARE)) << "weights look alike";
    EXPECT_TRUE(VersionLabelShows(about, bold));
    Command(about, IDC_ABOUT_CLOSE_LABEL);
    ASSERT_TRUE(Closes(about));
    EXPECT_TRUE(IsWindowEnabled(main));
}
