// The painted chrome of the main window as the screen shows it: the caption band, the
// owner-drawn buttons, the opening and the drag by the band.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app_texts.h"
#include "resources/resource_ids.h"
#include "tests/wine/gdi_census.h"
#include "tests/wine/harness.h"
#include "tests/wine/screen.h"
#include "ui/chrome_rules.h"

using namespace kivo_test;

namespace {

constexpr COLORREF FaceColour = RGB(240, 255, 255);

RECT ClientRect(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return client;
}

RECT BandOf(HWND main) { return {0, 0, ClientRect(main).right, CaptionBandHeight}; }

// Painting happens in Kivo's own time, after the message that caused it has returned:
// wait until the screen shows what the check expects.
bool ScreenShows(HWND window, const RECT& area, const std::function<bool(const Pixels&)>& check) {
    return WaitFor([&] { return check(CaptureClient(window, area)); }, 3000);
}

// The two labels " 小 " and " 关 " stand in the band's right end and cover part of it.
std::vector<RECT> LabelsOf(HWND main) {
    return {ControlClientRect(main, IDC_MINIMIZE_LABEL), ControlClientRect(main, IDC_CLOSE_LABEL)};
}

// The first place outside the labels where the band differs from the frame-and-gradient
// rule, or "".
std::string BandFault(const Pixels& band, const std::vector<RECT>& labels) {
    const int w = band.width;
    const int h = band.height;
    auto covered = [&](int x, int y) {
        const POINT p = {x, y};
        for (const RECT& label : labels) {
            if (PtInRect(&label, p)) return true;
        }
        return false;
    };
    auto check = [&](int x, int y, COLORREF want) -> std::string {
        if (covered(x, y) || band.At(x, y) == want) return "";
        return "(" + std::to_string(x) + ", " + std::to_string(y) + ") shows " +
               ColourName(band.At(x, y)) + ", expected " + ColourName(want);
    };
    std::string fault;
    for (int x = 0; x < w && fault.empty(); ++x) {
        for (int y : {0, h - 1}) fault += check(x, y, CaptionFrameColour);
    }
    for (int y = 0; y < h && fault.empty(); ++y) {
        for (int x : {0, w - 1}) fault += check(x, y, CaptionFrameColour);
    }
    // Rows 1 and 18 lie above and below the icon and the title.
    for (int y : {1, h - 2}) {
        for (int x = 1; x < w - 1 && fault.empty(); ++x) {
            fault = check(x, y, CaptionColumnColour(x, w));
        }
        for (int x = 2; x < w - 1 && fault.empty(); ++x) {
            if (!covered(w - x, y)) fault = check(x, y, band.At(w - x, y));
        }
    }
    return fault;
}

// The left part of the band as it should look: gradient and frame by the rule, the icon
// at (2, 2) scaled to 16 x 16, the bold title from x = 20.
Pixels ExpectedBandStart(const std::string& exePath, int bandWidth, int width) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, bandWidth, CaptionBandHeight);
    HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    for (int x = 0; x < bandWidth; ++x) {
        HBRUSH stripe = CreateSolidBrush(CaptionColumnColour(x, bandWidth));
        const RECT column = {x, 0, x + 1, CaptionBandHeight};
        FillRect(dc, &column, stripe);
        DeleteObject(stripe);
    }
    HBRUSH frame = CreateSolidBrush(CaptionFrameColour);
    const RECT band = {0, 0, bandWidth, CaptionBandHeight};
    FrameRect(dc, &band, frame);
    DeleteObject(frame);

    HMODULE exe = LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HICON icon = LoadIconA(exe, IDI_MAIN_ICON_NAME);
    EXPECT_NE(icon, nullptr);
    DrawIconEx(dc, 2, 2, icon, 16, 16, 0, nullptr, DI_NORMAL);
    HFONT bold = CreateFontA(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                             0, "宋体");
    HGDIOBJ previousFont = SelectObject(dc, bold);
    SetTextColor(dc, CaptionTextColour);
    SetBkMode(dc, TRANSPARENT);
    RECT title = {20, 2, bandWidth, CaptionBandHeight - 2};
    DrawTextA(dc, MainTitleText, -1, &title, DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, previousFont);
    DeleteObject(bold);

    const Pixels pixels = CaptureDc(dc, width, CaptionBandHeight);
    FreeLibrary(exe);
    SelectObject(dc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

struct ButtonLook {
    COLORREF topLeftEdge;
    COLORREF bottomRightEdge;
    COLORREF textColour;
    COLORREF absentColour;
};

// Released: raised edge (light above and left, dark below and right) and black text.
// Pressed: sunken edge and yellow text drawn over the black.
ButtonLook ReleasedLook() {
    return {GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW), ReleasedTextColour,
            PressedTextColour};
}
ButtonLook PressedLook() {
    return {GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DHILIGHT), PressedTextColour,
            ReleasedTextColour};
}

bool Shows(const Pixels& button, const ButtonLook& look) {
    const int w = button.width;
    const int h = button.height;
    const RECT inside = {1, 1, w - 1, h - 1};
    return button.At(0, h / 2) == look.topLeftEdge && button.At(w / 2, 0) == look.topLeftEdge &&
           button.At(w - 1, h / 2) == look.bottomRightEdge &&
           button.At(w / 2, h - 1) == look.bottomRightEdge && button.At(2, 2) == FaceColour &&
           button.Count(look.textColour, inside) > 0 &&
           button.Count(look.absentColour, inside) == 0;
}

void SetPressed(HWND button, bool pressed) { SendMessageA(button, BM_SETSTATE, pressed, 0); }

}  // namespace

TEST(Chrome, CaptionBandHasItsFrameAndTheMirroredGradient) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    std::string fault = "not yet captured";
    EXPECT_TRUE(ScreenShows(main, BandOf(main), [&](const Pixels& band) {
        fault = BandFault(band, LabelsOf(main));
        return fault.empty();
    })) << fault;
}

TEST(Chrome, CaptionBandShowsTheIconAndTheBoldTitleBeforeTheLabels) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    const int bandWidth = ClientRect(main).right;
    const int labelsLeft = ControlClientRect(main, IDC_MINIMIZE_LABEL).left;
    ASSERT_GT(labelsLeft, 200);
    const Pixels expected = ExpectedBandStart(kivo.ExePath(), bandWidth, labelsLeft);
    const RECT start = {0, 0, labelsLeft, CaptionBandHeight};
    const RECT title = {20, 2, labelsLeft, CaptionBandHeight - 2};
    ASSERT_GT(expected.Count(CaptionTextColour, title), 20) << "the title is drawn";
    EXPECT_EQ(expected.Count(CaptionTextColour, {0, 0, 20, CaptionBandHeight}), 0);
    EXPECT_TRUE(ScreenShows(main, start, [&](const Pixels& shown) { return shown == expected; }));
}

TEST(Chrome, OwnerDrawnButtonsPressInYellowInASunkenEdge) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    for (int id : {IDC_UPDATE_BUTTON, IDC_ABOUT_BUTTON}) {
        SCOPED_TRACE(id);
        HWND button = GetDlgItem(main, id);
        const RECT area = ControlClientRect(main, id);
        Pixels released;
        ASSERT_TRUE(ScreenShows(main, area, [&](const Pixels& shown) {
            released = shown;
            return Shows(shown, ReleasedLook());
        }));
        SetPressed(button, true);
        EXPECT_TRUE(
            ScreenShows(main, area, [](const Pixels& s) { return Shows(s, PressedLook()); }));
        SetPressed(button, false);
        EXPECT_TRUE(
            ScreenShows(main, area, [&](const Pixels& shown) { return shown == released; }));
    }
}

// The focus changes the draw request's state but not the picture. Pressing and releasing
// afterwards repaints the button while it still believes it has the focus.
TEST(Chrome, AFocusedButtonLooksLikeAnUnfocusedOne) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    HWND button = GetDlgItem(main, IDC_UPDATE_BUTTON);
    const RECT area = ControlClientRect(main, IDC_UPDATE_BUTTON);
    Pixels unfocused;
    ASSERT_TRUE(ScreenShows(main, area, [&](const Pixels& shown) {
        unfocused = shown;
        return Shows(shown, ReleasedLook());
    }));
    SendMessageA(button, WM_SETFOCUS, 0, 0);
    SetPressed(button, true);
    ASSERT_TRUE(ScreenShows(main, area, [](const Pixels& s) { return Shows(s, PressedLook()); }));
    SetPressed(button, false);
    EXPECT_TRUE(ScreenShows(main, area, [&](const Pixels& shown) { return shown == unfocused; }));
    SendMessageA(button, WM_KILLFOCUS, 0, 0);
}

TEST(Chrome, AButtonShowsAtMostNineBytesOfItsText) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    const RECT area = ControlClientRect(main, IDC_UPDATE_BUTTON);
    auto showsNew = [&](const std::string& text, const Pixels& before) {
        kivo.SetText(IDC_UPDATE_BUTTON, text);
        Pixels now;
        EXPECT_TRUE(ScreenShows(main, area, [&](const Pixels& shown) {
            now = shown;
            return !(shown == before);
        })) << text;
        return now;
    };
    const Pixels original = CaptureClient(main, area);
    const Pixels nine = showsNew("ABCDEFGHI", original);
    const Pixels eight = showsNew("ABCDEFGH", nine);
    kivo.SetText(IDC_UPDATE_BUTTON, "ABCDEFGHIJKL");
    EXPECT_TRUE(ScreenShows(main, area, [&](const Pixels& shown) { return shown == nine; }))
        << "twelve bytes must look like their first nine";
    EXPECT_FALSE(eight == nine);
}

TEST(Chrome, OpeningLeavesTheWholeWindowVisibleInItsCentredPlace) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    RECT frame = {};
    GetWindowRect(main, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;

    // The last square of the opening stays as the window's region: the smallest square
    // about the centre that covers the whole window.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetWindowRgn(main, region), SIMPLEREGION);
    RECT box = {};
    GetRgnBox(region, &box);
    DeleteObject(region);
    const OpeningSquares squares = OpeningSquaresFor(width, height);
    EXPECT_EQ(box.left, squares.centreX - squares.finalHalfSide);
    EXPECT_EQ(box.top, squares.centreY - squares.finalHalfSide);
    EXPECT_EQ(box.right, squares.centreX + squares.finalHalfSide);
    EXPECT_EQ(box.bottom, squares.centreY + squares.finalHalfSide);
    EXPECT_TRUE(box.left <= 0 && box.top <= 0 && box.right >= width && box.bottom >= height);

    // Outside a window's region the screen shows black: the corners show the window.
    const RECT client = ClientRect(main);
    const int right = client.right - 1;
    const int bottom = client.bottom - 1;
    EXPECT_TRUE(ScreenShows(main, client, [&](const Pixels& shown) {
        return shown.At(0, 0) == CaptionFrameColour && shown.At(right, 0) == CaptionFrameColour &&
               shown.At(0, bottom) == FaceColour && shown.At(right, bottom) == FaceColour;
    }));

    // Back at the place the dialog manager centred it on, and on top.
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(std::abs((frame.left + frame.right) - (work.left + work.right)), 1);
    EXPECT_LE(std::abs((frame.top + frame.bottom) - (work.top + work.bottom)), 1);
    const POINT centre = {(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
    HWND atCentre = WindowFromPoint(centre);
    EXPECT_TRUE(atCentre == main || GetAncestor(atCentre, GA_ROOT) == main);
}

TEST(Chrome, APressInTheCaptionBandDragsTheWindowAndBelowItDoesNot) {
    KivoRun kivo;
    kivo.Start();
    // Rows 0 and 19 are the band's first and last; 20 and 30 lie below it.
    ExpectDrags(kivo.Main(), {{{100, 20}, false, {30, 20}},
                              {{100, 0}, true, {25, 15}},
                              {{100, 30}, false, {-20, 10}},
                              {{100, 19}, true, {-40, 12}}});
}

// Each paint creates a brush per gradient step and a font, and must delete them all: the
// process holds as many fonts and brushes after 300 repaints as before. (Were the brushes
// kept, 300 paints of this band would hold over 67,000 of them, more than Wine's table of
// about 65,000 handles, and the band would then stay as the erased face.)
TEST(Chrome, RepaintingKeepsNoGdiObjects) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    const FontsAndBrushes before = SettledFontsAndBrushesOf(kivo.ProcessId());
    for (int paint = 0; paint < 300; ++paint) {
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    EXPECT_EQ(SettledFontsAndBrushesOf(kivo.ProcessId()), before);
    std::string fault = "not yet captured";
    EXPECT_TRUE(ScreenShows(main, BandOf(main), [&](const Pixels& band) {
        fault = BandFault(band, LabelsOf(main));
        return fault.empty() && band.Count(CaptionTextColour, {20, 2, 200, 18}) > 20;
    })) << fault;
}
