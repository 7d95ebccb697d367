#include "app/main_dialog_win.h"

#include <shellapi.h>
#include <windowsx.h>

#include "app/app_texts.h"
#include "app/hotkey_rules.h"
#include "app/startup_shortcut_win.h"
#include "app/system_libraries_win.h"
#include "app/tray_rules.h"
#include "app/tray_win.h"
#include "base/app_handles_win.h"
#include "base/last_resort_win.h"
#include "base/system_library_win.h"
#include "history/activity_log_win.h"
#include "resources/resource_ids.h"
#include "settings/file_io_win.h"
#include "settings/settings_file_win.h"
#include "ui/about_dialog_win.h"
#include "ui/chrome_win.h"
#include "ui/provider_dialog_win.h"
#include "update/run_update_win.h"
#include "watch/watch_win.h"

namespace {

constexpr int HotkeyUpdateId = 300;
constexpr int HotkeyShowHideId = 400;

RECT CaptionRect;

// Set once the settings file has been read into the fields without failure. Until then the
// fields do not hold the user's settings (a failed load ends in the last-resort box, whose
// loop still delivers the end of the session, or at a start behind the tray icon is tried
// again), and no save may replace the file.
bool SettingsLoaded = false;
// The exe's path cannot be written in the ANSI code page (a folder name in another script):
// no file beside it can be opened, so nothing is read or saved, and the user is told.
bool PathOutsideCodePage = false;

// Started with /tray: the window stays hidden behind the tray icon until the user brings it
// back, although the dialog manager shows a modal dialog when its loop first goes idle.
bool KeptInTray = false;
// Hidden behind the tray icon: a restarted shell gets the icon again.
bool InTray = false;

const UINT TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
// Another start of this same kivo.exe asks the running one to show itself.
UINT ShowRunningMessage = 0;

// Windows 7 and later can leave out a held key's repeats; before, the flag is refused.
void RegisterHotkeyOrSay(HWND window, int id, UINT key, const char* failureText) {
    constexpr UINT NoRepeat = 0x4000;  // MOD_NOREPEAT
    if (!RegisterHotKey(window, id, NoRepeat, key) && !RegisterHotKey(window, id, 0, key)) {
        TellStartupTrouble(window, failureText);
    }
}

// Every field is read into 255 bytes: typing stops where reading does.
constexpr WPARAM FieldTextLimit = 254;

// A start behind the tray icon has nobody to answer the last-resort box: a settings file
// that cannot be read (a sync client or a backup holds it at logon) is told on the status
// line and in the tip, and read again at the next check.
void LoadSettingsInTray(HWND window) {
    try {
        LoadSettings(window);
        SettingsLoaded = true;
    } catch (const std::exception& error) {
        TellStartupTrouble(window, SettingsUnreadableText + std::string(error.what()));
    }
}

INT_PTR OnInitDialog(HWND window) {
    for (int field : {IDC_HOST_FIELD, IDC_IP_FIELD, IDC_USER_FIELD, IDC_PASSWORD_FIELD}) {
        SendDlgItemMessageA(window, field, EM_LIMITTEXT, FieldTextLimit, 0);
    }
    SetDlgItemTextA(window, IDC_INFO_BOX, UsageText().c_str());
    KeptInTray = InTray = StartsInTray(GetCommandLineA());
    PathOutsideCodePage = !ProgramPathFitsCodePage();
    if (PathOutsideCodePage) {
        TellStartupTrouble(window, PathOutsideCodePageText);
    } else if (KeptInTray) {
        LoadSettingsInTray(window);
    } else {
        RunGuarded([window] {
            LoadSettings(window);
            SettingsLoaded = true;
        });
    }
    CaptionRect = CaptionBandOf(window);
    SetWindowTextA(window, MainTitleText);
    if (KeptInTray) {
        AddTrayIcon(window);
    } else {
        PlayOpenAnimation(window);
    }
    RunGuarded([window] { LoadSystemLibraries(window); });
    RunGuarded([window] { StartWatch(window); });
    RegisterHotkeyOrSay(window, HotkeyUpdateId, VK_F3, HotkeyF3ErrorText);
    RegisterHotkeyOrSay(window, HotkeyShowHideId, VK_F4, HotkeyF4ErrorText);
    return TRUE;  // the dialog manager focuses the first tab stop, HostField
}

// Open at most once: F3 and the tray still reach the window while it is open.
bool ProviderDialogOpen = false;

// A choice that passed takes effect at once and is saved with the fields, where the file
// was read; a save that fails says so and keeps the choice for this session.
void OpenProviderSettings(HWND window) {
    if (ProviderDialogOpen) return;
    ProviderDialogOpen = true;
    ProviderSettings settings = {ProviderChosen(), CheckChoiceMade()};
    const bool accepted = EditProviderSettings(window, settings);
    ProviderDialogOpen = false;
    if (!accepted) return;
    const bool providerChanged = !(settings.provider == ProviderChosen());
    ChooseProvider(settings.provider);
    MakeCheckChoice(settings.check);
    OnChoicesMade(providerChanged);
    if (!SettingsLoaded) return;
    try {
        SaveSettings(window);
    } catch (const std::exception& error) {
        const std::string text = ChoiceNotSavedText + std::string(error.what());
        MessageBoxA(window, text.c_str(), ErrorCaption, MB_OK | MB_ICONERROR);
    }
}

// Without a provider the dialog opens instead, and its 确定 sends nothing by itself. The
// update allocates as it builds texts; whatever escapes it ends in the last-resort box.
void UpdateNow(HWND window, RunTrigger trigger) {
    if (!ProviderChosen().Made()) {
        OpenProviderSettings(window);
        return;
    }
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
    // By its full path: Windows would look for a bare "notepad.exe" in the current folder
    // first, which for a double click is Kivo's own (Downloads, say).
    ShellExecuteA(window, "open", SystemFolderPath("notepad.exe").c_str(),
                  ("\"" + path + "\"").c_str(), nullptr, SW_SHOWNORMAL);
}

// An unattended run follows at once, so that the domain need not wait for the next check.
void ToggleOwnIpv6(HWND window) {
    ChooseOwnIpv6(!OwnIpv6Chosen());
    RunGuarded([window] { CheckNow(window, RunTrigger::TrayMenu); });
}

// Fields that a failed load never filled would replace the user's settings; beside an exe
// whose path is outside the code page nothing can be saved, which the user hears again.
void CloseKivo(HWND window) {
    if (PathOutsideCodePage)
        MessageBoxA(window, PathOutsideCodePageText, ErrorCaption, MB_ICONERROR);
    if (SettingsLoaded) RunGuarded([window] { SaveSettings(window); });
    EndDialog(window, 0);
}

// The next check reads a settings file that could not be read at the start; with "自动更新"
// ticked in it, the check runs as the start's would have.
void OnWatchTimerTick(HWND window) {
    if (!SettingsLoaded && !PathOutsideCodePage) {
        LoadSettingsInTray(window);
        if (SettingsLoaded) RunGuarded([window] { CheckNow(window, RunTrigger::Start); });
    }
    RunGuarded([window] { OnWatchTimer(window); });
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
        case IDM_TRAY_PROVIDER: OpenProviderSettings(window); break;
        case MAKEWPARAM(IDC_PASSWORD_FIELD, EN_CHANGE): OnPasswordEdited(); break;
        case IDC_ABOUT_BUTTON:
            DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_ABOUT), window, AboutDialogProc, 0);
            break;
    }
}

// Dispatch by the virtual key in the high word of lParam; without modifiers it is
// equivalent to the hotkey id. F3 held down updates once.
void OnHotkey(HWND window, LPARAM lParam) {
    static KeyRepeatFilter f3Repeats;
    switch (HIWORD(lParam)) {
        case VK_F3:
            if (!f3Repeats.IsRepeat(GetTickCount())) UpdateNow(window, RunTrigger::HotkeyF3);
            break;
        case VK_F4: ShowOrHide(window); break;
    }
}

void OnTrayCallback(HWND window, LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONDBLCLK) ShowFromTray(window);
    if (mouseMessage == WM_RBUTTONUP) ShowTrayMenu(window, OwnIpv6Chosen());
}

// The caption band opens the tray's menu there, so that all of it is at hand while the
// window is shown.
void OnRightButtonUp(HWND window, LPARAM point) {
    const POINT at = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    if (PtInRect(&CaptionRect, at)) ShowTrayMenu(window, OwnIpv6Chosen());
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
        case WM_RBUTTONUP: OnRightButtonUp(window, lParam); return TRUE;
        case WM_PAINT: OnPaint(window); return TRUE;
        case WM_DPICHANGED: FollowDpiChange(window, lParam); return FALSE;
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
            if (wParam == WatchTimerId) OnWatchTimerTick(window);
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

namespace {

HANDLE OneKivoMutex;

// The exe's identity, its volume's serial number and its file index, whatever the path's
// spelling (a short 8.3 name, a subst drive, a UNC path); the path where the system cannot
// tell them.
std::string ExecutableIdentity() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    FileHandle exe(CreateFileA(path, FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION file;
    if (exe.IsOpen() && GetFileInformationByHandle(exe.Get(), &file)) {
        char identity[32];
        wsprintfA(identity, "%08lX-%08lX%08lX", file.dwVolumeSerialNumber, file.nFileIndexHigh,
                  file.nFileIndexLow);
        return identity;
    }
    std::string name = PathBesideProgram(".Lr");
    // Names take no "\\"; a trail byte that is one is changed alike at every start.
    for (char& c : name) c = c == '\\' ? '/' : c;
    return name;
}

}  // namespace

bool HandOverToRunningKivo() {
    // One Kivo per kivo.exe: two would send every update twice. Copies in other folders, for
    // other domains, run side by side.
    const std::string name = "Kivo " + ExecutableIdentity();
    ShowRunningMessage = RegisterWindowMessageA(name.c_str());
    OneKivoMutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    PostMessageA(HWND_BROADCAST, ShowRunningMessage, 0, 0);
    return true;
}

void LetAnotherKivoStart() {
    if (HANDLE mutex = InterlockedExchangePointer(&OneKivoMutex, nullptr)) CloseHandle(mutex);
}
