// The painted chrome and the tray icon as the screen shows them. Under Wine on a bare X
// display a tray icon is a __winex11_tray_icon window in the "Wine System Tray", and a
// balloon a tooltips_class32 window of balloon style owned by the tray.
#include "tests/wine/harness.h"

#include <objidl.h>

#include "base/app_handles_win.h"
#include "ui/chrome_rules.h"

using namespace kivo_test;

namespace {

constexpr COLORREF Face = RGB(240, 255, 255);

// Where the main window's caption band differs from the frame, the gradient of its width,
// the icon over the gradient at (2, 2) and the bold title from x = 20; "" where it does not.
// The labels " 小 " and " 关 " stand in the band's right end.
std::string BandFault(HWND main, const Pixels& band, const Pixels& icon, const Pixels& title) {
    const RECT labels[] = {ControlRect(main, IDC_MINIMIZE_LABEL),
                           ControlRect(main, IDC_CLOSE_LABEL)};
    for (int y = 0; y < band.height; ++y) {
        for (int x = 0; x < band.width; ++x) {
            const COLORREF seen = band.At(x, y);
            bool good = PtInRect(&labels[0], {x, y}) || PtInRect(&labels[1], {x, y});
            if (x == 0 || y == 0 || x == band.width - 1 || y == band.height - 1) {
                good = good || seen == CaptionFrameColour;
            } else if (x < 20) {
                good = good || seen == icon.At(x, y);
            } else if (x < labels[0].left && y >= 2 && y < band.height - 2) {
                good =
                    (seen == CaptionTextColour) == (title.At(x - 20, y - 2) == CaptionTextColour);
            } else {
                good = good || seen == CaptionColumnColour(x, band.width);
            }
            if (!good) return "(" + std::to_string(x) + "," + std::to_string(y) + ") is wrong";
        }
    }
    return "";
}

// The band's first 20 columns as they should look: the gradient, the icon over it.
Pixels IconOnGradient(const std::string& exePath, int bandWidth) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ bitmap = SelectObject(dc, CreateCompatibleBitmap(screen, 20, CaptionBandHeight));
    for (int x = 0; x < 20 * CaptionBandHeight; ++x) {
        SetPixel(dc, x % 20, x / 20, CaptionColumnColour(x % 20, bandWidth));
    }
    HMODULE exe = LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    DrawIconEx(dc, 2, 2, LoadIconA(exe, IDI_MAIN_ICON_NAME), 16, 16, 0, nullptr, DI_NORMAL);
    const Pixels pixels = CaptureDc(dc, {0, 0, 20, CaptionBandHeight});
    FreeLibrary(exe);
    DeleteObject(SelectObject(dc, bitmap));
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Released: a raised edge (light above and left, dark below and right) and black text.
// Pressed: a sunken edge and yellow text drawn over the black.
bool LooksPressed(const Pixels& b, bool pressed) {
    const COLORREF topLeft = GetSysColor(pressed ? COLOR_3DSHADOW : COLOR_3DLIGHT);
    const COLORREF bottomRight = GetSysColor(pressed ? COLOR_3DHILIGHT : COLOR_3DDKSHADOW);
    const int w = b.width, h = b.height;
    return b.At(0, h / 2) == topLeft && b.At(w / 2, 0) == topLeft &&
           b.At(w - 1, h / 2) == bottomRight && b.At(w / 2, h - 1) == bottomRight &&
           b.At(2, 2) == Face && b.Count(pressed ? PressedTextColour : 0) > 0 &&
           b.Count(pressed ? 0 : PressedTextColour) == 0;
}

std::vector<HWND> TrayIcons() {
    std::vector<HWND> icons;
    for (HWND i = nullptr;
         Tray() && (i = FindWindowExA(Tray(), i, "__winex11_tray_icon", nullptr));) {
        icons.push_back(i);
    }
    return icons;
}

// The icon added since `before`, once there is one more.
HWND WaitNewIcon(const std::vector<HWND>& before) {
    HWND added = nullptr;
    WaitFor([&] {
        const std::vector<HWND> now = TrayIcons();
        for (HWND i : now) added = std::count(before.begin(), before.end(), i) ? added : i;
        return now.size() == before.size() + 1 && added;
    });
    return added;
}

// A balloon shows about two seconds after its icon got the text; it is taken once it has
// been painted: two equal looks in a row.
Pixels WaitBalloonPicture() {
    HWND balloon = nullptr;
    WaitFor([&] { return (balloon = ShownBalloon()) != nullptr; }, 6000);
    Pixels picture;
    WaitFor([&] {
        const Pixels now = balloon ? Capture(balloon, ClientRectOf(balloon)) : Pixels();
        return std::exchange(picture, now) == now && now.width > 0;
    });
    return picture;
}

// "target|arguments|working folder" of a shortcut, or "" where there is none.
std::string ShortcutAt(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return "";
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    char target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, folder[MAX_PATH] = {};
    wchar_t widePath[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(widePath, STGM_READ))) {
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetArguments(arguments, MAX_PATH);
        link->GetWorkingDirectory(folder, MAX_PATH);
    }
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return std::string(target) + "|" + arguments + "|" + folder;
}

}  // namespace

// The last square of the opening stays as the window's region and covers it all; outside a
// region the screen shows black, so the corners show the window.
TEST(Chrome, OpeningLeavesTheWholeWindowShownCentredAndOnTop) {
    HWND main = Shared().Main();
    RECT frame = {}, work = {};
    GetWindowRect(main, &frame);
    EXPECT_TRUE(WaitFor([main] { return HasNoRegion(main); }))
        << "the opening's last square would cut off a larger window";
    EXPECT_TRUE(ScreenShows(main, ClientRectOf(main), [&](const Pixels& p) {
        return p.At(0, 0) == CaptionFrameColour && p.At(p.width - 1, 0) == CaptionFrameColour &&
               p.At(0, p.height - 1) == Face && p.At(p.width - 1, p.height - 1) == Face;
    }));
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(std::abs((frame.left + frame.right) - (work.left + work.right)), 1);
    EXPECT_LE(std::abs((frame.top + frame.bottom) - (work.top + work.bottom)), 1);
    const POINT centre = {(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
    EXPECT_EQ(GetAncestor(WindowFromPoint(centre), GA_ROOT), main);
}

// Each paint creates a brush per gradient step and a font and must delete them all: were
// the brushes kept, 300 paints would fill Wine's table of about 65,000 handles.
TEST(Chrome, CaptionBandShowsFrameGradientIconAndBoldTitleAndRepaintsKeepNoGdiObjects) {
    Kivo& kivo = Shared();
    HWND main = kivo.Main();
    const RECT band = {0, 0, ClientRectOf(main).right, CaptionBandHeight};
    const SIZE titleSize = {band.right - 20, CaptionBandHeight - 4};
    const Pixels title =
        RenderText("Kivo域名更新器 QQ:" KIVO_AUTHOR_QQ, FW_BOLD, CaptionTextColour, titleSize,
                   {0, 0, titleSize.cx, titleSize.cy}, DT_SINGLELINE | DT_VCENTER);
    ASSERT_GT(title.Count(CaptionTextColour), 20);
    const Pixels icon = IconOnGradient(kivo.exePath, band.right);
    const std::pair<int, int> before = FontsAndBrushesOf(kivo.ProcessId());
    for (int paint = 0; paint < 300; ++paint) {
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    EXPECT_EQ(FontsAndBrushesOf(kivo.ProcessId()), before) << "fonts, brushes";
    std::string fault = "not captured";
    EXPECT_TRUE(ScreenShows(main, band, [&](const Pixels& shown) {
        return (fault = BandFault(main, shown, icon, title)).empty();
    })) << fault;
}

TEST(Chrome, ButtonsPressYellowInASunkenEdgeLookTheSameFocusedAndShowNineBytes) {
    Kivo& kivo = Shared();
    HWND main = kivo.Main();
    for (int id : {IDC_ABOUT_BUTTON, IDC_UPDATE_BUTTON}) {
        const RECT area = ControlRect(main, id);
        Pixels released;
        ASSERT_TRUE(ScreenShows(
            main, area, [&](const Pixels& p) { return LooksPressed(released = p, false); }));
        SendMessageA(GetDlgItem(main, id), WM_SETFOCUS, 0, 0);  // the focus changes nothing
        SendMessageA(GetDlgItem(main, id), BM_SETSTATE, TRUE, 0);
        EXPECT_TRUE(ScreenShows(main, area, [](const Pixels& p) { return LooksPressed(p, true); }))
            << id;
        SendMessageA(GetDlgItem(main, id), BM_SETSTATE, FALSE, 0);
        EXPECT_TRUE(ScreenShows(main, area, [&](const Pixels& p) { return p == released; })) << id;
        SendMessageA(GetDlgItem(main, id), WM_KILLFOCUS, 0, 0);
    }
    const RECT area = ControlRect(main, IDC_UPDATE_BUTTON);
    Pixels nine, eight = Capture(main, area);  // first the look of "更 新"
    kivo.SetText(IDC_UPDATE_BUTTON, "ABCDEFGHI");
    EXPECT_TRUE(ScreenShows(main, area, [&](const Pixels& p) { return !((nine = p) == eight); }));
    kivo.SetText(IDC_UPDATE_BUTTON, "ABCDEFGH");
    EXPECT_TRUE(ScreenShows(main, area, [&](const Pixels& p) { return !((eight = p) == nine); }));
    kivo.SetText(IDC_UPDATE_BUTTON, "ABCDEFGHIJKL");
    EXPECT_TRUE(ScreenShows(main, area, [&](const Pixels& p) { return p == nine; }))
        << "cut after 9 bytes";
    kivo.SetText(IDC_UPDATE_BUTTON, "更 新");
}

TEST(Chrome, DragsByTheCaptionBandOnly) {
    // Rows 0 and 19 are the band's first and last; 20 and 30 lie below it.
    for (const int row : {0, 19, 20, 30})
        EXPECT_EQ(PressDrags(Shared().Main(), {100, row}, row < 20), row < 20) << row;
}

// " 小 " and F4 hide the window behind an icon with the welcome balloon; only a double
// click on the icon, or F4, brings it back and takes the icon away.
TEST(Tray, MinimizeAndF4HideBehindAnIconWithTheBalloonAndADoubleClickOrF4BringItBack) {
    Kivo& kivo = Shared();
    HWND main = kivo.Main();
    // A balloon of the test's own with the texts and icon kind that Kivo's must carry, on
    // Kivo's icon in the place Kivo's will take: the balloon partly covers the tray.
    HMODULE exe = LoadLibraryExA(kivo.exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    NOTIFYICONDATAA own = {};
    own.cbSize = NOTIFYICONDATAA_V2_SIZE;
    own.hWnd = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    own.uFlags = NIF_ICON | NIF_INFO;
    own.hIcon = LoadIconA(exe, IDI_MAIN_ICON_NAME);
    own.dwInfoFlags = NIIF_INFO;
    lstrcpyA(own.szInfo, "欢迎使用Kivo域名更新器!");
    lstrcpyA(own.szInfoTitle, "Hi!");
    Shell_NotifyIconA(NIM_ADD, &own);
    const Pixels reference = WaitBalloonPicture();
    Shell_NotifyIconA(NIM_DELETE, &own);
    DestroyWindow(own.hWnd);
    FreeLibrary(exe);
    ASSERT_GT(reference.width, 0) << "the test's own balloon did not show";

    const std::vector<HWND> before = TrayIcons();
    auto back = [&] {
        return WaitFor([&] { return IsWindowVisible(main) && TrayIcons() == before; });
    };
    kivo.Click(IDC_MINIMIZE_LABEL);
    HWND icon = WaitNewIcon(before);
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }));  // the icon comes first
    EXPECT_TRUE(WaitFor([&] { return WaitBalloonPicture() == reference; }, 8000));
    // Other mouse messages, through the icon (relayed before SendMessage returns) and
    // straight as the callback message, do nothing: F4 posted after them restores the
    // window, where a wrong restore would have had F4 hide it again.
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK,
                         WM_MBUTTONDOWN, WM_MOUSEMOVE, NIN_BALLOONUSERCLICK}) {
        SendMessageA(icon, message, 0, 0);
        kivo.Post(TrayCallbackMessage, 0, message);
    }
    kivo.Post(WM_HOTKEY, 400, MAKELPARAM(0, VK_F4));
    EXPECT_TRUE(back());

    kivo.Click(IDC_MINIMIZE_LABEL);
    SendMessageA(WaitNewIcon(before), WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    EXPECT_TRUE(back());
    PressKey(VK_F4);
    EXPECT_NE(WaitNewIcon(before), nullptr);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }));  // the icon comes first
    EXPECT_GT(WaitBalloonPicture().width, 0) << "each hiding shows the balloon";
    PressKey(VK_F4);
    EXPECT_TRUE(back());
}

// Started with "/tray" (as at logon), Kivo stays behind its icon, without a balloon, until
// the user brings it; a restarted shell gets the icon again. A right click opens the
// icon's menu; its "开机时自动启动" makes and removes the shortcut that starts Kivo so. The
// same exe started again shows the running Kivo and ends itself. "显示/隐藏窗口(F4)" hides,
// and "退出" ends Kivo as " 关 " does and takes the icon away.
TEST(Tray, StartsHiddenWithTrayAndItsMenuSetsTheLogonStartShowsAndExits) {
    char startup[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, 0, startup);
    const std::string shortcut = startup + std::string("\\Kivo域名更新器.lnk");
    DeleteFileA(shortcut.c_str());
    TestKivo kivo;
    const std::vector<HWND> before = TrayIcons();
    kivo.Start("/TRAY");
    ASSERT_NE(WaitNewIcon(before), nullptr);
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = kivo.AnyMain()) != nullptr; }));
    EXPECT_FALSE(WaitFor([&] { return IsWindowVisible(main) || ShownBalloon(); }, 3000));

    PostMessageA(main, TrayCallbackMessage, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (menu = ShownMenu(kivo.ProcessId())) != nullptr; }));
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return !ShownMenu(kivo.ProcessId()); }));

    auto choose = [main](int command) {  // returns once Kivo has acted on it
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(main, WM_COMMAND, command, 0, SMTO_NORMAL, 10000, &ignored);
    };
    const std::string folder = kivo.folder.substr(0, kivo.folder.size() - 1);
    choose(IDM_TRAY_START_AT_LOGON);
    EXPECT_EQ(ShortcutAt(shortcut), kivo.exePath + "|/tray|" + folder);
    choose(IDM_TRAY_START_AT_LOGON);
    EXPECT_EQ(ShortcutAt(shortcut), "");

    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    icon.hWnd = main;
    Shell_NotifyIconA(NIM_DELETE, &icon);
    ASSERT_TRUE(WaitFor([&] { return TrayIcons() == before; }));
    PostMessageA(main, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_NE(WaitNewIcon(before), nullptr) << "the icon again after a restart of the shell";

    EXPECT_EQ(kivo.StartAgain(), 0u) << "a second Kivo of the same exe";
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) && TrayIcons() == before; }));
    // Regression: the same exe through another spelling of its path was another Kivo.
    std::string unixSpelling = std::string("Z:") + std::getenv("WINEPREFIX") + "\\drive_c";
    for (char& c : unixSpelling) c = c == '/' ? '\\' : c;
    EXPECT_EQ(kivo.StartAgain(unixSpelling + kivo.exePath.substr(2)), 0u) << unixSpelling;
    choose(IDM_TRAY_SHOW_HIDE);
    EXPECT_NE(WaitNewIcon(before), nullptr);
    choose(IDM_TRAY_START_AT_LOGON);  // the first copy's shortcut, for the copy below
    choose(IDM_TRAY_EXIT);
    const Box notice = kivo.WaitBox();
    EXPECT_EQ(notice.caption, "提示");
    EXPECT_EQ(TrayIcons(), before);
    // Regression: while the notice was up, a new start ended at once without a word.
    EXPECT_EQ(kivo.StartAgain("", 3000), STILL_ACTIVE);
    kivo.CloseBox(notice);
    EXPECT_EQ(kivo.ExitCode(), 0u);
    {
        // Regression: another copy's ticking replaced this copy's shortcut, and its start at
        // logon, with F3 and F4 taken by the first, opened two boxes nobody answers.
        EXPECT_TRUE(RegisterHotKey(nullptr, VK_F3, 0, VK_F3) &&
                    RegisterHotKey(nullptr, VK_F4, 0, VK_F4));
        Kivo other("C:\\kivo-other");
        other.Start("/tray");
        ASSERT_TRUE(WaitFor([&] { return other.AnyMain() != nullptr; }));
        EXPECT_TRUE(WaitFor([&] {
            return WindowText(GetDlgItem(other.AnyMain(), IDC_STATUS_LINE)) ==
                   "热键F4注册失败,您将不能使用快捷键 显示/隐藏 窗口  ";
        }));
        EXPECT_TRUE(other.Boxes().empty());
        UnregisterHotKey(nullptr, VK_F3);
        UnregisterHotKey(nullptr, VK_F4);
        const std::string otherShortcut =
            startup + std::string("\\Kivo域名更新器 (kivo-other).lnk");
        SendMessageA(other.AnyMain(), WM_COMMAND, IDM_TRAY_START_AT_LOGON, 0);
        EXPECT_EQ(ShortcutAt(otherShortcut), other.exePath + "|/tray|C:\\kivo-other");
        SendMessageA(other.AnyMain(), WM_COMMAND, IDM_TRAY_START_AT_LOGON, 0);
        EXPECT_EQ(ShortcutAt(otherShortcut), "");
        EXPECT_EQ(ShortcutAt(shortcut), kivo.exePath + "|/tray|" + folder) << "left alone";
    }
    DeleteFileA(shortcut.c_str());
}
