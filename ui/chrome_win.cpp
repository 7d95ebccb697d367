#include "ui/chrome_win.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "base/app_handles_win.h"
#include "resources/resource_ids.h"
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

// Kivo's icon, the image IconImageFor chooses, loaded at that image's own size on first use
// and kept for the process: at most one handle per image.
HICON IconImage(int imageSize) {
    static HICON loaded[std::size(IconImageSizes)] = {};
    const int slot = static_cast<int>(
        std::find(std::begin(IconImageSizes), std::end(IconImageSizes), imageSize) -
        std::begin(IconImageSizes));
    if (!loaded[slot]) {
        loaded[slot] = static_cast<HICON>(
            LoadImageA(AppInstance, IDI_MAIN_ICON_NAME, IMAGE_ICON, imageSize, imageSize, 0));
    }
    return loaded[slot];
}

void PaintIconAndTitle(HDC dc, int dpi, const char* text, const RECT& band) {
    SetTextColor(dc, CaptionTextColour);
    SetBkMode(dc, TRANSPARENT);
    const PixelBox box = CaptionTextBox({band.left, band.top, band.right, band.bottom}, dpi);
    RECT textRect = {box.left, box.top, box.right, box.bottom};
    const ScopedGdiObject font(CreateSongtiFontAt(dpi, FW_BOLD));
    const ScopedSelection selection(dc, font);
    const int iconSize = ScaledPixels(CaptionIconSize, dpi);
    DrawIconEx(dc, ScaledPixels(CaptionIconLeft, dpi), ScaledPixels(CaptionIconTop, dpi),
               MainIconFor(iconSize), iconSize, iconSize, 0, nullptr, DI_NORMAL);
    DrawTextA(dc, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER);
}

// The child's text baseline (its font's ascent below its top) stays inside the band.
void KeepInBand(HWND dialog, HWND child, int bandHeight) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    if (r.top >= bandHeight) return;
    TEXTMETRICA metrics = {};
    {
        const ScopedWindowDc dc(child);
        const ScopedSelection font(
            dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(child, WM_GETFONT, 0, 0)));
        GetTextMetricsA(dc.get(), &metrics);
    }
    const int top = LabelTopInBand(r.top, metrics.tmAscent, bandHeight);
    if (top != r.top) {
        SetWindowPos(child, nullptr, r.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void DrawButtonText(HDC dc, const char* text, const RECT& area) {
    RECT textRect = area;
    DrawTextA(dc, text, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// The dialog's base units, as the dialog manager laid it out.
BaseUnits BaseUnitsOf(HWND dialog) {
    RECT units = {0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    return {static_cast<int>(units.right), static_cast<int>(units.bottom)};
}

// The base units of the dialogs' font made at 96 DPI, measured as the dialog manager
// measures them: the average width of the Latin letters and the line height.
BaseUnits BaseUnitsAt96(HWND dialog) {
    const ScopedWindowDc dc(dialog);
    const ScopedGdiObject font(CreateSongtiFontAt(DefaultDpi, FW_DONTCARE));
    const ScopedSelection selection(dc.get(), font);
    SIZE letters = {};
    TEXTMETRICA metrics = {};
    GetTextExtentPoint32A(dc.get(), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52,
                          &letters);
    GetTextMetricsA(dc.get(), &metrics);
    return {static_cast<int>((letters.cx / 26 + 1) / 2), static_cast<int>(metrics.tmHeight)};
}

// The opening's square of half-side k, in window coordinates.
HRGN SquareRegion(const OpeningSquares& squares, int k) {
    return CreateRectRgn(squares.centreX - k, squares.centreY - k, squares.centreX + k,
                         squares.centreY + k);
}

// A one-pixel edge drawn `width` times, each inside the last: a frame `width` pixels wide.
void DrawEdges(HDC dc, RECT area, UINT edge, int width) {
    for (int ring = 0; ring < width; ++ring) {
        DrawEdge(dc, &area, edge, BF_RECT);
        InflateRect(&area, -1, -1);
    }
}

}  // namespace

HICON MainIconFor(int size) { return IconImage(IconImageFor(size)); }

RECT CaptionBandOf(HWND dialog) {
    RECT band;
    GetClientRect(dialog, &band);
    band.bottom = band.top + ScaledPixels(CaptionBandHeight, DpiOf(dialog));
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        KeepInBand(dialog, child, band.bottom);
    }
    return band;
}

void FollowDpiChange(HWND dialog, LPARAM suggested) {
    const RECT& r = *reinterpret_cast<const RECT*>(suggested);
    const DpiChange change = DpiChangeFor({r.left, r.top, r.right, r.bottom});
    SetWindowPos(dialog, nullptr, change.x, change.y, change.width, change.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageA(dialog, DpiSettledMessage, 0, 0);
}

RECT SettleAtNewDpi(HWND dialog) {
    InvalidateRect(dialog, nullptr, TRUE);
    return CaptionBandOf(dialog);
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

void PaintCaption(HDC dc, const char* text, const RECT& band) {
    PaintGradient(dc, band.right - band.left, band.bottom - band.top);
    PaintFrame(dc, band);
    PaintIconAndTitle(dc, DpiOf(WindowFromDC(dc)), text, band);
}

// The whole button is repainted for every draw request; focus changes nothing.
void DrawOwnerButton(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    FillRect(dc, &area, BackgroundBrush);
    SetTextColor(dc, ReleasedTextColour);
    SetBkMode(dc, TRANSPARENT);
    const int edgeWidth = ScaledPixels(1, DpiOf(item.hwndItem));
    DrawEdges(dc, area, BDR_RAISEDOUTER, edgeWidth);
    char text[10] = {};  // at most 9 bytes of the button's text
    GetWindowTextA(item.hwndItem, text, sizeof text);
    DrawButtonText(dc, text, area);
    if (item.itemState & ODS_SELECTED) {
        SetTextColor(dc, PressedTextColour);
        DrawButtonText(dc, text, area);
        DrawEdges(dc, area, BDR_SUNKENOUTER, edgeWidth);
    }
}

// No delay between the steps: their pace is that of the region change and of the erase of
// the ring it uncovers (the window's face; the controls are painted once it has opened).
void PlayOpenAnimation(HWND window) {
    ShowWindow(window, SW_HIDE);
    RECT frame;
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const OpeningSquares squares = OpeningSquaresFor(width, height);
    const int last =
        DpiOf(window) == DefaultDpi
            ? squares.finalHalfSide
            : OpeningLastStep(width, height, BaseUnitsOf(window), BaseUnitsAt96(window));
    // Region coordinates count from the window's corner, update regions from the client's.
    POINT client = {0, 0};
    ClientToScreen(window, &client);
    for (int step = 0, shown = 0; step <= last; ++step) {
        const int k = OpeningHalfSide(squares, last, step);
        // The window owns the region from here on.
        SetWindowRgn(window, SquareRegion(squares, k), FALSE);
        ShowWindow(window, SW_SHOW);
        // Only the ring the square gained is erased now: what lies inside was erased at the
        // steps before, and erasing it again would make each step cost the square's area.
        const ScopedGdiObject ring(SquareRegion(squares, k));
        const ScopedGdiObject inside(SquareRegion(squares, shown));
        CombineRgn(static_cast<HRGN>(ring.get()), static_cast<HRGN>(ring.get()),
                   static_cast<HRGN>(inside.get()), RGN_DIFF);
        OffsetRgn(static_cast<HRGN>(ring.get()), frame.left - client.x, frame.top - client.y);
        RedrawWindow(window, nullptr, static_cast<HRGN>(ring.get()),
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ERASENOW | RDW_NOCHILDREN);
        shown = k;
    }
    // No region once open: the last square would cut off a window that a DPI change makes
    // larger.
    SetWindowRgn(window, nullptr, FALSE);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    SetWindowPos(window, HWND_TOP, frame.left, frame.top, width, height, 0);
    if (RunsOnNtFamily) {
        SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1),
                                 static_cast<SIZE_T>(-1));
    }
}
