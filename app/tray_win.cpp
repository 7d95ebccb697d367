#include "app/tray_win.h"

#include <cstddef>
#include <cstring>

#include "app/app_texts.h"
#include "app/startup_shortcut_win.h"
#include "app/tray_rules.h"
#include "base/app_handles_win.h"
#include "base/code_page_win.h"
#include "resources/resource_ids.h"
#include "settings/file_io_win.h"
#include "ui/chrome_win.h"

namespace {

// The shell reads the record up to dwInfoFlags, the layout of Windows 2000 and XP: 488
// bytes in the 32-bit exe, 504 in its 64-bit twin, whose handles take 8 bytes. The header's
// newer fields beyond them are never sent.
constexpr std::size_t ByWidth(std::size_t bytes32, std::size_t bytes64) {
    return sizeof(void*) == 8 ? bytes64 : bytes32;
}
constexpr DWORD TrayRecordSize = ByWidth(488, 504);
static_assert(NOTIFYICONDATAA_V2_SIZE == TrayRecordSize, "tray record size");
static_assert(offsetof(NOTIFYICONDATAA, cbSize) == 0, "tray record layout");
static_assert(offsetof(NOTIFYICONDATAA, hWnd) == ByWidth(4, 8), "tray record layout");
static_assert(offsetof(NOTIFYICONDATAA, uID) == ByWidth(8, 16), "tray record layout");
static_assert(offsetof(NOTIFYICONDATAA, uFlags) == ByWidth(12, 20), "tray record layout");
static_assert(offsetof(NOTIFYICONDATAA, uCallbackMessage) == ByWidth(16, 24), "tray record layout");
static_assert(offsetof(NOTIFYICONDATAA, hIcon) == ByWidth(20, 32), "tray record layout");
static_assert(offsetof(NOTIFYICONDATAA, szTip) == ByWidth(24, 40), "tray record layout");
static_assert(sizeof(NOTIFYICONDATAA::szTip) == 128, "tray record layout");
static_assert(offsetof(NOTIFYICONDATAA, dwState) == ByWidth(152, 168), "tray record layout");
static_assert(offsetof(NOTIFYICONDATAA, dwStateMask) == ByWidth(156, 172), "tray record layout");
static_assert(offsetof(NOTIFYICONDATAA, szInfo) == ByWidth(160, 176), "tray record layout");
static_assert(sizeof(NOTIFYICONDATAA::szInfo) == 256, "tray record layout");
static_assert(offsetof(NOTIFYICONDATAA, uTimeout) == ByWidth(416, 432), "tray record layout");
static_assert(offsetof(NOTIFYICONDATAA, szInfoTitle) == ByWidth(420, 436), "tray record layout");
static_assert(sizeof(NOTIFYICONDATAA::szInfoTitle) == 64, "tray record layout");
static_assert(offsetof(NOTIFYICONDATAA, dwInfoFlags) == ByWidth(484, 500), "tray record layout");

static_assert(sizeof(NOTIFYICONDATAA::szTip) == TipSize, "the tip's rules know its size");

constexpr UINT TrayIconId = 0;
constexpr UINT BalloonTimeoutMs = 3000;

bool IconShown = false;
std::string LastResult;
BalloonPacer Pacer;

// The record that names Kivo's icon: the window, icon 0, the callback message, the icon
// and the tip, zero bytes up to the end of its array.
NOTIFYICONDATAA IconRecordFor(HWND window) {
    NOTIFYICONDATAA record = {};
    record.cbSize = TrayRecordSize;
    record.hWnd = window;
    record.uID = TrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = TrayCallbackMessage;
    record.hIcon = MainIconFor(GetSystemMetrics(SM_CXSMICON));
    const std::string tip = TrayTipText(LastResult, IsLeadByteOfAnsiCodePage);
    std::memcpy(record.szTip, tip.c_str(), tip.size() + 1);
    return record;
}

void ShowBalloon(HWND window, const char* text, const char* title, DWORD icon) {
    NOTIFYICONDATAA record = IconRecordFor(window);
    record.uFlags = NIF_INFO;
    const BalloonFields fields = BalloonFieldsFor(text, title, IsLeadByteOfAnsiCodePage);
    std::memcpy(record.szInfo, fields.text.c_str(), fields.text.size() + 1);
    record.uTimeout = BalloonTimeoutMs;
    std::memcpy(record.szInfoTitle, fields.title.c_str(), fields.title.size() + 1);
    record.dwInfoFlags = icon;
    Shell_NotifyIconA(NIM_MODIFY, &record);
}

}  // namespace

void AddTrayIcon(HWND window) {
    NOTIFYICONDATAA record = IconRecordFor(window);
    Shell_NotifyIconA(NIM_ADD, &record);
    IconShown = true;
}

void SendToTray(HWND window, const char* balloonText, const char* balloonTitle) {
    AddTrayIcon(window);
    ShowBalloon(window, balloonText, balloonTitle, NIIF_INFO);
    ShowWindow(window, SW_HIDE);
}

// The shell finds the icon to remove by window and icon id alone.
void RemoveTrayIcon(HWND window) {
    NOTIFYICONDATAA record = IconRecordFor(window);
    Shell_NotifyIconA(NIM_DELETE, &record);
    IconShown = false;
}

void RestoreFromTray(HWND window) {
    RemoveTrayIcon(window);
    ShowWindow(window, SW_SHOW);
}

void ShowTrayMenu(HWND window, bool ownIpv6) {
    HMENU menu = CreatePopupMenu();
    for (const TrayMenuItem& item : TrayMenuItems(StartsAtLogon(), ownIpv6)) {
        AppendMenuA(menu, item.id ? MF_STRING | (item.checked ? MF_CHECKED : 0) : MF_SEPARATOR,
                    item.id, item.text);
    }
    POINT at;
    GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only if Kivo is in the foreground, and
    // the message after it lets the menu go at once.
    SetForegroundWindow(window);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void SetTrayResult(HWND window, const std::string& result) {
    LastResult = result;
    if (!IconShown) return;
    NOTIFYICONDATAA record = IconRecordFor(window);
    record.uFlags = NIF_TIP;
    Shell_NotifyIconA(NIM_MODIFY, &record);
}

void ShowResultBalloon(HWND window, const std::string& text, bool warning) {
    if (IconShown && Pacer.Allows(GetTickCount())) {
        ShowBalloon(window, text.c_str(), ResultBalloonTitle, warning ? NIIF_WARNING : NIIF_INFO);
    }
}
