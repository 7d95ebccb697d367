#include "ui/chrome_win.h"

#include "app/app_handles_win.h"

RECT CaptionBandOf(HWND dialog) {
    RECT band;
    GetClientRect(dialog, &band);
    band.bottom = band.top + 20;
    return band;
}

void DragIfInCaption(HWND dialog, const RECT& band, LPARAM point) {
    const POINT p = {LOWORD(point), HIWORD(point)};
    if (PtInRect(&band, p)) PostMessageA(dialog, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

INT_PTR ColourDialogFace(WPARAM dc) {
    SetTextColor(reinterpret_cast<HDC>(dc), RGB(0, 0, 0));
    SetBkMode(reinterpret_cast<HDC>(dc), TRANSPARENT);
    return reinterpret_cast<INT_PTR>(BackgroundBrush);
}

void PaintCaption(HDC, HICON, const char*, const RECT&) {}

void DrawOwnerButton(const DRAWITEMSTRUCT& item) {
    char text[10] = {};
    GetWindowTextA(item.hwndItem, text, sizeof text);
    FillRect(item.hDC, &item.rcItem, BackgroundBrush);
    RECT r = item.rcItem;
    DrawTextA(item.hDC, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void PlayOpenAnimation(HWND window) { ShowWindow(window, SW_SHOW); }
