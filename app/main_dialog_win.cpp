#include "app/main_dialog_win.h"

#include <shellapi.h>

#include "app/app_texts.h"
#include "app/startup_shortcut_win.h"
#include "app/tray_rules.h"
#include "app/tray_win.h"
#include "base/app_handles_win.h"
#include "base/last_resort_win.h"
#include "resources/resource_ids.h"
#include "settings/file_io_win.h"
#include "settings/settings_file_win.h"
#include "ui/about_dialog_win.h"
#include "ui/chrome_win.h"
#include "update/run_update_win.h"
#include "watch/activity_log_win.h"
#include "watch/watch_win.h"

namespace {

constexpr int HotkeyUpdateId = 300;
constexpr int HotkeyShowHideId = 400;

RECT CaptionRect;

// Set once the settings file has been read into the fields without failure. Until then the
// fields do not hold the user's settings (a failed load ends in the last-resort box, whose
// loop still delivers the end of the session), and no save but the user's own closing may
// replace the file.
bool SettingsLoaded = false;

// Started with /tray: the window stays hidden behind the tray icon until the user brings it
// back, although the dialog manager shows a modal dialog when its loop first goes idle.
bool KeptInTray = false;
// Hidden behind the tray icon: a restarted shell gets the icon again.
bool InTray = false;

const UINT TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
// Another start of this same kivo.exe asks the running one to show itself.
UINT ShowRunningMessage = 0;

void RegisterHotkeyOrSay(HWND window, int id, UINT key, const char* failureText) {
    if (!RegisterHotKey(window, id, 0, key)) TellStartupTrouble(window, failureText);
}

// Every field is read into 255 bytes: typing stops where reading does.
constexpr WPARAM FieldTextLimit = 254;

INT_PTR OnInitDialog(HWND window) {
    for (int field : {IDC_HOST_FIELD, IDC_IP_FIELD, IDC_USER_FIELD, IDC_PASSWORD_FIELD}) {
        SendDlgItemMessageA(window, field, EM_LIMITTEXT, FieldTextLimit, 0);
    }
    SetDlgItemTextA(window, IDC_INFO_BOX, UsageText().c_str());
    RunGuarded([window] {
        LoadSettings(window);
        SettingsLoaded = true;
    });
    CaptionRect = CaptionBandOf(window);
    SetWindowTextA(window, MainTitleText);
    if (StartsInTray(GetCommandLineA())) {
        KeptInTray = InTray = true;
        AddTrayIcon(window);
    } else {
        PlayOpenAnimation(window);
    }
    RunGuarded([window] { StartWatch(window); });
    RegisterHotkeyOrSay(window, HotkeyUpdateId, VK_F3, HotkeyF3ErrorText);
    RegisterHotkeyOrSay(window, HotkeyShowHideId, VK_F4, HotkeyF4ErrorText);
    return TRUE;  // the dialog manager focuses the first tab stop, HostField
}

// The update allocates as it builds texts; whatever escapes it ends in the last-resort box.
void UpdateNow(HWND window, RunTrigger trigger) {
    RunGuarded([window, trigger] { RunUpdate(window, trigger); });
}

void HideToTray(HWND window) {
    InTray = true;
    SendToTray(window, WelcomeBalloonText, WelcomeBalloonTitle);
}

void ShowFromTray(HWND window) {
    KeptInTray = InTray = false;
    RestoreFromTray(window);
}

void ShowOrHide(HWND window) {
    if (IsWindowVisible(window)) {
        HideToTray(window);
    } else {
        ShowFromTray(window);
    }
}

void ViewLog(HWND window) {
    const std::string path = LogPath();
    if (!FileExistsAt(path)) {
        ShowStatus(window, NoLogYetText);
        return;
    }
    ShellExecuteA(window, "open", "notepad.exe", ("\"" + path + "\"").c_str(), nullptr,
                  SW_SHOWNORMAL);
}

// An unattended run follows at once, so that the domain need not wait for the next check.
void ToggleOwnIpv6(HWND window) {
    ChooseOwnIpv6(!OwnIpv6Chosen());
    RunGuarded([window] { CheckNow(window, RunTrigger::TrayMenu); });
}

void CloseKivo(HWND window) {
    RunGuarded([window] { SaveSettings(window); });
    EndDialog(window, 0);
}

// The whole wParam is compared, so only notification code 0 acts: a double click on an
// owner-drawn button (BN_DOUBLECLICKED) and the dialog manager's IDOK/IDCANCEL do nothing.
void OnCommand(HWND window, WPARAM command) {
    switch (command) {
        case IDC_MINIMIZE_LABEL: HideToTray(window); break;
        case IDC_CLOSE_LABEL:
        case IDM_TRAY_EXIT: CloseKivo(window); break;
        case IDC_UPDATE_BUTTON: UpdateNow(window, RunTrigger::UpdateButton); break;
        case IDM_TRAY_UPDATE: UpdateNow(window, RunTrigger::TrayMenu); break;
        case IDM_TRAY_SHOW_HIDE: ShowOrHide(window); break;
        case IDM_TRAY_VIEW_LOG: ViewLog(window); break;
        case IDM_TRAY_START_AT_LOGON: SetStartsAtLogon(!StartsAtLogon()); break;
        case IDM_TRAY_OWN_IPV6: ToggleOwnIpv6(window); break;
        case IDC_ABOUT_BUTTON:
            DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_ABOUT), window, AboutDialogProc, 0);
            break;
    }
}

// Dispatch by the virtual key in the high word of lParam; without modifiers it is
// equivalent to the hotkey id.
void OnHotkey(HWND window, LPARAM lParam) {
    switch (HIWORD(lParam)) {
        case VK_F3: UpdateNow(window, RunTrigger::HotkeyF3); break;
        case VK_F4: ShowOrHide(window); break;
    }
}

void OnTrayCallback(HWND window, LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONDBLCLK) ShowFromTray(window);
    if (mouseMessage == WM_RBUTTONUP) ShowTrayMenu(window, OwnIpv6Chosen());
}

// Neither shown nor made active: keys typed at logon must not reach the hidden fields.
void OnWindowPosChanging(WINDOWPOS& position) {
    if (!KeptInTray) return;
    position.flags &= ~SWP_SHOWWINDOW;
    position.flags |= SWP_NOACTIVATE;
}

void OnPowerBroadcast(HWND window, WPARAM event) {
    if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) OnResumed(window);
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    PaintCaption(dc, MainTitleText, CaptionRect);
    EndPaint(window, &paint);
}

// Kivo agrees to end the session; when it ends, Windows ends the process after this
// message. The settings are saved as " 关 " saves them, without the closing notice; a save
// that fails keeps the old file and shows nothing, so that no box holds up the shutdown.
INT_PTR OnQueryEndSession(HWND window) {
    SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

void OnEndSession(HWND window, WPARAM ending) {
    if (!ending || !SettingsLoaded) return;
    try {
        SaveSettings(window);
    } catch (const std::exception&) {
    }
}

// No PostQuitMessage here: DialogBoxParamA runs its own loop, and a pending WM_QUIT would
// end the closing information box of the entry the moment it opened.
void OnDestroy(HWND window) {
    RemoveTrayIcon(window);  // "退出" leaves no icon behind
    UnregisterHotKey(window, HotkeyUpdateId);
    UnregisterHotKey(window, HotkeyShowHideId);
}

}  // namespace

// A start at logon (/tray) has nobody to answer a box: the trouble goes to the status line
// and the tray tip, where the user finds it on opening Kivo.
void TellStartupTrouble(HWND window, const std::string& text) {
    if (KeptInTray) {
        ShowStatus(window, text);
        SetTrayResult(window, text);
    } else {
        MessageBoxA(window, text.c_str(), ErrorCaption, MB_OK | MB_ICONERROR);
    }
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(window);
        case WM_COMMAND: OnCommand(window, wParam); return 0;
        case WM_HOTKEY: OnHotkey(window, lParam); return 0;
        case TrayCallbackMessage: OnTrayCallback(window, lParam); return TRUE;
        case WM_LBUTTONDOWN: DragIfInCaption(window, CaptionRect, lParam); return TRUE;
        case WM_PAINT: OnPaint(window); return TRUE;
        case WM_DPICHANGED: FollowDpiChange(window, wParam, lParam); return FALSE;
        case DpiSettledMessage: CaptionRect = SettleAtNewDpi(window); return TRUE;
        case WM_DRAWITEM:
            DrawOwnerButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return 0;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC: return ColourDialogFace(wParam);
        case WM_WINDOWPOSCHANGING:
            OnWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lParam));
            return 0;
        case WM_TIMER:
            if (wParam == WatchTimerId) RunGuarded([window] { OnWatchTimer(window); });
            return 0;
        case WM_POWERBROADCAST: OnPowerBroadcast(window, wParam); return FALSE;
        case WatchReportMessage: OnWatchReport(window, lParam); return 0;
        case AddressesChangedMessage: OnAddressesChanged(window, wParam != FALSE); return 0;
        case WM_QUERYENDSESSION: return OnQueryEndSession(window);
        case WM_ENDSESSION: OnEndSession(window, wParam); return 0;
        case WM_DESTROY: OnDestroy(window); return TRUE;
    }
    if (message == TaskbarCreatedMessage && InTray) AddTrayIcon(window);
    if (message == ShowRunningMessage && message != 0) {
        if (!IsWindowVisible(window)) ShowFromTray(window);
        SetForegroundWindow(window);
    }
    return 0;
}

bool HandOverToRunningKivo() {
    // One Kivo per kivo.exe: two would send every update twice. The name is the settings
    // file's path, so copies in other folders, for other domains, run side by side.
    std::string name = "Kivo " + PathBesideProgram(".Lr");
    // Names take no "\\"; a trail byte that is one is changed alike at every start.
    for (char& c : name) c = c == '\\' ? '/' : c;
    ShowRunningMessage = RegisterWindowMessageA(name.c_str());
    CreateMutexA(nullptr, FALSE, name.c_str());  // held until the process ends
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    PostMessageA(HWND_BROADCAST, ShowRunningMessage, 0, 0);
    return true;
}
