#include "ui/chrome_win.h"

#include "base/app_handles_win.h"
#include "ui/chrome_rules.h"
#include "ui/gdi_objects_win.h"

namespace {

// Asked once, as the process starts: only NT-family systems trim the working set.
bool AskWhetherNtFamily() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

const bool RunsOnNtFamily = AskWhetherNtFamily();

void FillColumn(HDC dc, int x, int height, HBRUSH brush) {
    const RECT column = {x, 0, x + 1, height};
    FillRect(dc, &column, brush);
}

// Columns count from the client origin. Step 0 also paints column `width`, just outside
// the band, where nothing of it shows.
void PaintGradient(HDC dc, int width, int height) {
    const int half = GradientHalfWidth(width);
    for (int step = 0; step <= half; ++step) {
        const LOGBRUSH solid = {BS_SOLID, GradientStripeColour(step, half), 0};
        const ScopedGdiObject brush(CreateBrushIndirect(&solid));
        FillColumn(dc, step, height, brush.brush());
        FillColumn(dc, width - step, height, brush.brush());
    }
}

void PaintFrame(HDC dc, const RECT& band) {
    const ScopedGdiObject brush(CreateSolidBrush(CaptionFrameColour));
    FrameRect(dc, &band, brush.brush());
}

void PaintIconAndTitle(HDC dc, HICON icon, const char* text, const RECT& band) {
    SetTextColor(dc, CaptionTextColour);
    SetBkMode(dc, TRANSPARENT);
    const PixelBox box =
        CaptionTextBox({band.left, band.top, band.right, band.bottom}, icon != nullptr);
    RECT textRect = {box.left, box.top, box.right, box.bottom};
    const ScopedGdiObject font(CreateSongtiFont(FW_BOLD));
    const ScopedSelection selection(dc, font);
    if (icon) {
        DrawIconEx(dc, CaptionIconLeft, CaptionIconTop, icon, CaptionIconSize, CaptionIconSize, 0,
                   nullptr, DI_NORMAL);
    }
    DrawTextA(dc, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER);
}

void DrawButtonText(HDC dc, const char* text, const RECT& area) {
    RECT textRect = area;
    DrawTextA(dc, text, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace

RECT CaptionBandOf(HWND dialog) {
    RECT band;
    GetClientRect(dialog, &band);
    band.bottom = band.top + CaptionBandHeight;
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

void PaintCaption(HDC dc, HICON icon, const char* text, const RECT& band) {
    PaintGradient(dc, band.right - band.left, band.bottom - band.top);
    PaintFrame(dc, band);
    PaintIconAndTitle(dc, icon, text, band);
}

// The whole button is repainted for every draw request; focus changes nothing.
void DrawOwnerButton(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    FillRect(dc, &area, BackgroundBrush);
    SetTextColor(dc, ReleasedTextColour);
    SetBkMode(dc, TRANSPARENT);
    DrawEdge(dc, &area, BDR_RAISEDOUTER, BF_RECT);
    char text[10] = {};  // at most 9 bytes of the button's text
    GetWindowTextA(item.hwndItem, text, sizeof text);
    DrawButtonText(dc, text, area);
    if (item.itemState & ODS_SELECTED) {
        SetTextColor(dc, PressedTextColour);
        DrawButtonText(dc, text, area);
        DrawEdge(dc, &area, BDR_SUNKENOUTER, BF_RECT);
    }
}

// No delay between the steps: their pace is that of the redraw each region change causes.
void PlayOpenAnimation(HWND window) {
    ShowWindow(window, SW_HIDE);
    RECT frame;
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const OpeningSquares squares = OpeningSquaresFor(width, height);
    for (int k = 0; k <= squares.finalHalfSide; ++k) {
        // The window owns the region from here on; the last one stays.
        SetWindowRgn(window,
                     CreateRectRgn(squares.centreX - k, squares.centreY - k, squares.centreX + k,
                                   squares.centreY + k),
                     TRUE);
        ShowWindow(window, SW_SHOW);
    }
    SetWindowPos(window, HWND_TOP, frame.left, frame.top, width, height, 0);
    if (RunsOnNtFamily) {
        SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1),
                                 static_cast<SIZE_T>(-1));
    }
}
