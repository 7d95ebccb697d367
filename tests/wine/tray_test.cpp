// Kivo in the notification area. Under Wine on a bare X display an icon is a window of
// class __winex11_tray_icon inside the "Wine System Tray" window, and a balloon is a
// tooltips_class32 window of balloon style owned by that tray window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_handles_win.h"
#include "app/app_texts.h"
#include "resources/resource_ids.h"
#include "tests/wine/harness.h"
#include "tests/wine/screen.h"

using namespace kivo_test;

namespace {

constexpr int HotkeyShowHideId = 400;

HWND TrayWindow() { return FindWindowA("__winex11_standalone_tray", nullptr); }

std::vector<HWND> TrayIcons() {
    std::vector<HWND> icons;
    HWND tray = TrayWindow();
    if (!tray) return icons;
    for (HWND icon = FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr); icon;
         icon = FindWindowExA(tray, icon, "__winex11_tray_icon", nullptr)) {
        icons.push_back(icon);
    }
    return icons;
}

// The icon that has appeared since `before` was taken, once there is exactly one more.
HWND WaitNewIcon(const std::vector<HWND>& before) {
    HWND added = nullptr;
    WaitFor([&] {
        const std::vector<HWND> now = TrayIcons();
        if (now.size() != before.size() + 1) return false;
        for (HWND icon : now) {
            if (std::find(before.begin(), before.end(), icon) == before.end()) added = icon;
        }
        return added != nullptr;
    });
    return added;
}

bool IconsBackTo(const std::vector<HWND>& before) {
    return WaitFor([&] { return TrayIcons() == before; });
}

// The balloon shows about two seconds after the icon has been given its text.
HWND WaitBalloon() {
    HWND balloon = nullptr;
    WaitFor(
        [&] {
            for (HWND w = FindWindowExA(nullptr, nullptr, "tooltips_class32", nullptr); w;
                 w = FindWindowExA(nullptr, w, "tooltips_class32", nullptr)) {
                if (IsWindowVisible(w) && (GetWindowLongA(w, GWL_STYLE) & TTS_BALLOON) &&
                    GetWindow(w, GW_OWNER) == TrayWindow()) {
                    balloon = w;
                    return true;
                }
            }
            return false;
        },
        6000);
    return balloon;
}

Pixels PictureOf(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return CaptureClient(window, client);
}

// A balloon of the test's own, with the texts and icon kind that Kivo's should carry, on
// Kivo's icon in the place that Kivo's will take: the balloon partly covers the tray.
Pixels ReferenceBalloon(const std::string& exePath) {
    HMODULE exe = LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = owner;
    record.uID = 7;
    record.uFlags = NIF_ICON | NIF_INFO;
    record.hIcon = LoadIconA(exe, IDI_MAIN_ICON_NAME);
    lstrcpyA(record.szInfo, WelcomeBalloonText);
    lstrcpyA(record.szInfoTitle, WelcomeBalloonTitle);
    record.uTimeout = 3000;
    record.dwInfoFlags = NIIF_INFO;
    Shell_NotifyIconA(NIM_ADD, &record);
    const HWND balloon = WaitBalloon();
    Pixels picture;
    if (balloon) {
        // A balloon just shown may not be painted yet: wait for two equal looks in a row.
        WaitFor([&] {
            const Pixels now = PictureOf(balloon);
            const bool settled = now == picture && now.width > 0;
            picture = now;
            return settled;
        });
    }
    Shell_NotifyIconA(NIM_DELETE, &record);
    DestroyWindow(owner);
    FreeLibrary(exe);
    return picture;
}

void DoubleClick(HWND icon) { SendMessageA(icon, WM_LBUTTONDBLCLK, MK_LBUTTON, 0); }

}  // namespace

TEST(Tray, MinimizeLabelHidesTheWindowBehindAnIconThatADoubleClickTakesBack) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    const std::vector<HWND> before = TrayIcons();
    kivo.Click(IDC_MINIMIZE_LABEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }));
    HWND icon = WaitNewIcon(before);
    ASSERT_NE(icon, nullptr) << "no icon appeared in the tray";
    EXPECT_TRUE(IsWindowVisible(icon));
    DoubleClick(icon);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
    EXPECT_TRUE(IconsBackTo(before));
    EXPECT_FALSE(IsWindow(icon));
}

TEST(Tray, TheWelcomeBalloonCarriesItsTextTitleAndInformationIcon) {
    KivoRun kivo;
    const Pixels reference = ReferenceBalloon(kivo.ExePath());
    ASSERT_GT(reference.width, 0) << "the test's own balloon did not show";
    kivo.Start();
    const std::vector<HWND> before = TrayIcons();
    kivo.Click(IDC_MINIMIZE_LABEL);
    HWND balloon = WaitBalloon();
    ASSERT_NE(balloon, nullptr) << "no balloon appeared";
    EXPECT_TRUE(WaitFor([&] { return PictureOf(balloon) == reference; }));
    DoubleClick(WaitNewIcon(before));
    EXPECT_TRUE(IconsBackTo(before));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(balloon); })) << "the balloon goes with its icon";
}

TEST(Tray, F4TogglesBetweenWindowAndIconAndEachHidingShowsTheBalloon) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    const std::vector<HWND> before = TrayIcons();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        PressKey(VK_F4);
        ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }));
        ASSERT_NE(WaitNewIcon(before), nullptr);
        EXPECT_NE(WaitBalloon(), nullptr);
        PressKey(VK_F4);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
        EXPECT_TRUE(IconsBackTo(before));
    }
}

namespace {

// Mouse messages other than the left double click; the last one is a click on the balloon.
const UINT OtherMouseMessages[] = {WM_LBUTTONDOWN, WM_LBUTTONUP,     WM_RBUTTONDOWN,
                                   WM_RBUTTONUP,   WM_RBUTTONDBLCLK, WM_MBUTTONDOWN,
                                   WM_MBUTTONUP,   WM_MOUSEMOVE,     NIN_BALLOONUSERCLICK};

// F4 after messages that must do nothing: it restores a window that is still hidden. Had
// one of them restored it, F4 would hide it again.
void ExpectF4RestoresAfterwards(KivoRun& kivo, HWND main, const std::vector<HWND>& before,
                                bool sent) {
    const LPARAM f4 = MAKELPARAM(0, VK_F4);
    if (sent) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(main, WM_HOTKEY, HotkeyShowHideId, f4, SMTO_NORMAL, 5000, &result);
    } else {
        kivo.Post(WM_HOTKEY, HotkeyShowHideId, f4);
    }
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
    EXPECT_TRUE(IconsBackTo(before));
}

}  // namespace

TEST(Tray, OtherMouseMessagesFromTheIconDoNothing) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    const std::vector<HWND> before = TrayIcons();

    // Through the icon: the shell relays each message before SendMessage returns, in order.
    kivo.Click(IDC_MINIMIZE_LABEL);
    HWND icon = WaitNewIcon(before);
    ASSERT_NE(icon, nullptr);
    for (UINT message : OtherMouseMessages) SendMessageA(icon, message, 0, 0);
    ExpectF4RestoresAfterwards(kivo, main, before, true);

    // Straight to the window, as the callback message.
    kivo.Click(IDC_MINIMIZE_LABEL);
    ASSERT_NE(WaitNewIcon(before), nullptr);
    for (UINT message : OtherMouseMessages) kivo.Post(TrayCallbackMessage, 0, message);
    ExpectF4RestoresAfterwards(kivo, main, before, false);
}
