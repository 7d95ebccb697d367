#include "ui/about_dialog_win.h"

#include <cstdint>
#include <string>

#include "base/app_handles_win.h"
#include "resources/resource_ids.h"
#include "ui/about_rules.h"
#include "ui/chrome_win.h"
#include "ui/gdi_objects_win.h"

namespace {

constexpr UINT_PTR CreditsTimer = 168;
constexpr UINT CreditsTimerPeriodMs = 80;
constexpr DWORD PauseAtEachTickMs = 20;

// The open About window. It is modal, so at most one exists at a time.
RECT CaptionRect;
HWND CreditsFrame;
HWND CreditsWindow;
int16_t CreditsWidth;
int16_t CreditsViewHeight;
int16_t CreditsTop;
int16_t CreditsLineCount;
CreditsPace CreditsPaceNow;

const std::string& Credits() {
    static const std::string text = CreditsText();
    return text;
}

int CreditsHeight() { return CreditsPaceNow.lineHeight * CreditsLineCount; }

// Kept for the whole process and never deleted: VersionLabel of every opening shares it,
// so it outlives each label and repeated openings at one DPI cost no further fonts.
HFONT VersionFont(HWND about) {
    static DpiFont font(FW_BOLD);
    return font.For(about);
}

// The whole text is drawn at every paint; the platform clips it to the part that needs it.
// The face goes behind it first: a move may repaint the whole window (Wine's does), and
// text drawn over the old picture one pixel lower would smear into black bars.
void PaintCredits(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const ScopedGdiObject font(CreateSongtiFont(window, FW_DONTCARE));  // deleted after EndPaint
    RECT area;
    GetClientRect(window, &area);
    FillRect(dc, &area, BackgroundBrush);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    {
        const ScopedSelection selection(dc, font);
        DrawTextA(dc, Credits().c_str(), -1, &area, DT_CENTER);
    }
    EndPaint(window, &paint);
}

// Answers every message itself, WM_ERASEBKGND too (the paint lays the face), and never
// calls the static control's own procedure: clicks on the credits do nothing.
LRESULT CALLBACK CreditsWndProc(HWND window, UINT message, WPARAM, LPARAM) {
    if (message == WM_PAINT) PaintCredits(window);
    return 1;
}

// The frame's size and the credits' pace at the window's DPI.
void MeasureCredits(HWND window) {
    RECT frame;
    GetClientRect(CreditsFrame, &frame);
    CreditsWidth = static_cast<int16_t>(frame.right - frame.left);
    CreditsViewHeight = static_cast<int16_t>(frame.bottom - frame.top);
    CreditsPaceNow = CreditsPaceAt(DpiOf(window));
    SendMessageA(GetDlgItem(window, IDC_VERSION_LABEL), WM_SETFONT,
                 reinterpret_cast<WPARAM>(VersionFont(window)), TRUE);
}

// The credits start just below the visible part of the frame.
void CreateCreditsWindow() {
    CreditsTop = CreditsViewHeight;
    CreditsLineCount = CountLines(Credits());
    CreditsWindow =
        CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, CreditsViewHeight,
                        CreditsWidth, CreditsHeight(), CreditsFrame, nullptr, AppInstance, nullptr);
    SetWindowLongPtrA(CreditsWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CreditsWndProc));
}

// The credits go on from where they stand, in the frame and at the pace of the new DPI.
void OnDpiSettled(HWND window) {
    CaptionRect = SettleAtNewDpi(window);
    MeasureCredits(window);
    SetWindowPos(CreditsWindow, HWND_TOP, 0, CreditsTop, CreditsWidth, CreditsHeight(), 0);
}

INT_PTR OnInitDialog(HWND window) {
    CaptionRect = CaptionBandOf(window);
    CreditsFrame = GetDlgItem(window, IDC_CREDITS_FRAME);
    MeasureCredits(window);
    SetDlgItemTextA(window, IDC_VERSION_LABEL, VersionText);
    SetDlgItemTextA(window, IDC_AUTHOR_LABEL, AuthorLabelText);
    SetWindowTextA(window, AboutTitleText);
    CreateCreditsWindow();
    PlayOpenAnimation(window);
    SetTimer(window, CreditsTimer, CreditsTimerPeriodMs, nullptr);
    return TRUE;  // the dialog manager sets the focus
}

void Close(HWND window) {
    KillTimer(window, CreditsTimer);
    EndDialog(window, 0);
}

// The whole wParam is compared, so only notification code 0 acts; IDCANCEL, which
// Escape produces, does nothing.
void OnCommand(HWND window, WPARAM command) {
    switch (command) {
        case IDC_ABOUT_OK_BUTTON:
            // In the user's own browser: Internet Explorer is gone from Windows 11, and a bare
            // "iexplore.exe" would be looked for in the current folder first.
            ShellExecuteA(window, "open", HomePageAddress, nullptr, nullptr, SW_SHOWNORMAL);
            Close(window);
            break;
        case IDC_ABOUT_CLOSE_LABEL: Close(window); break;
    }
}

// One pixel (at 96 DPI) up per tick, whatever the timer's identifier. The pause is part of the
// credits' pace.
void OnTimer() {
    Sleep(PauseAtEachTickMs);
    const CreditsStep step =
        ScrollCredits(CreditsTop, CreditsViewHeight, CreditsLineCount, CreditsPaceNow);
    SetWindowPos(CreditsWindow, HWND_TOP, 0, step.placedTop, CreditsWidth, CreditsHeight(), 0);
    CreditsTop = step.nextTop;
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    PaintCaption(dc, AboutTitleText, CaptionRect);
    EndPaint(window, &paint);
}

}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(window);
        case WM_PAINT: OnPaint(window); return TRUE;
        case WM_DPICHANGED: FollowDpiChange(window, lParam); return FALSE;
        case DpiSettledMessage: OnDpiSettled(window); return TRUE;
        case WM_DRAWITEM:
            DrawOwnerButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return 0;
        case WM_COMMAND: OnCommand(window, wParam); return 0;
        case WM_TIMER: OnTimer(); return TRUE;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC: return ColourDialogFace(wParam);
        case WM_LBUTTONDOWN: DragIfInCaption(window, CaptionRect, lParam); return TRUE;
    }
    return 0;
}
