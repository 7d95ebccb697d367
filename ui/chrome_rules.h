// The arithmetic of the painted window chrome: caption colours, the title's rectangle, the
// squares of the opening animation and their scaling to the window's DPI. Colours are COLORREF
// values (0x00BBGGRR).
#ifndef KIVO_CHROME_RULES_H
#define KIVO_CHROME_RULES_H

#include <cstdint>

using ColourRef = std::uint32_t;

constexpr ColourRef ColourOf(int red, int green, int blue) {
    return static_cast<ColourRef>(red) | static_cast<ColourRef>(green) << 8 |
           static_cast<ColourRef>(blue) << 16;
}
constexpr int RedOf(ColourRef colour) { return colour & 0xFF; }
constexpr int GreenOf(ColourRef colour) { return colour >> 8 & 0xFF; }
constexpr int BlueOf(ColourRef colour) { return colour >> 16 & 0xFF; }

// The gradient runs from the edge colour at both ends of the band to the edge colour plus
// the span (each channel capped at 255) at its centre.
inline constexpr ColourRef CaptionEdgeColour = ColourOf(191, 255, 0);
inline constexpr ColourRef CaptionSpanColour = ColourOf(128, 128, 128);
inline constexpr ColourRef CaptionFrameColour = ColourOf(84, 106, 158);
inline constexpr ColourRef CaptionTextColour = ColourOf(90, 79, 71);
inline constexpr ColourRef PressedTextColour = ColourOf(255, 221, 0);
inline constexpr ColourRef ReleasedTextColour = ColourOf(0, 0, 0);

// Kivo's painted figures are device pixels at 96 DPI. At another DPI each is scaled as the
// system's MulDiv(figure, dpi, 96) scales it: to the nearest pixel, halves away from zero.
inline constexpr int DefaultDpi = 96;
int ScaledPixels(int figure, int dpi);

// Every font Kivo makes is "宋体" at 9 points: 12 pixels high at 96 DPI.
inline constexpr int SongtiHeight = 12;

// The caption band is 20 device pixels high at 96 DPI; the icon is drawn 16 x 16 at (2, 2).
inline constexpr int CaptionBandHeight = 20;
inline constexpr int CaptionIconLeft = 2;
inline constexpr int CaptionIconTop = 2;
inline constexpr int CaptionIconSize = 16;

// The sizes of the images in Kivo's icon, smallest first: each drawn at its own size.
inline constexpr int IconImageSizes[] = {16, 20, 24, 32, 40, 48};

// The image to draw at `size` pixels: the one of that size, else the smallest larger one
// (shrunk), else the largest (stretched).
int IconImageFor(int size);

// A control that starts in the band (the " 小 " and " 关 " labels) keeps its place while its
// text's baseline, `ascent` pixels below its top, stays inside the band; otherwise it moves
// up until the baseline is the band's last row, but no higher than the band's top.
int LabelTopInBand(int top, int ascent, int bandHeight);

// The last gradient step of a band `bandWidth` pixels wide: half the width, truncated.
constexpr int GradientHalfWidth(int bandWidth) { return bandWidth / 2; }

// The colour of gradient step `step` (0 ... halfWidth), which paints column `step` and
// column bandWidth - step.
ColourRef GradientStripeColour(int step, int halfWidth);

// The gradient colour that column `column` (0 <= column < bandWidth) of the band shows,
// before the frame is drawn over the outermost columns and rows.
ColourRef CaptionColumnColour(int column, int bandWidth);

struct PixelBox {
    int left;
    int top;
    int right;
    int bottom;
};

// Where the title is drawn at a DPI: 2 pixels (at 96 DPI) right of the icon and inside
// the band at the top and bottom, cut at the band's right edge.
PixelBox CaptionTextBox(const PixelBox& band, int dpi);

// The opening animation shows the window through squares of half-side 0, 1, ...
// finalHalfSide centred on (centreX, centreY) in window coordinates.
struct OpeningSquares {
    int centreX;
    int centreY;
    int finalHalfSide;
};

// The squares for a window of the given size: the last one is the smallest that covers
// the whole window, so that the window is usable as soon as possible.
OpeningSquares OpeningSquaresFor(int windowWidth, int windowHeight);

// The opening takes as long at every DPI: it has as many steps as at 96 DPI, and the square
// grows by more pixels a step. The dialog manager lays a dialog out from its font's
// average character width and height (its base units), which need not grow as the DPI
// does; the window's size at 96 DPI follows from the base units now and at 96 DPI.
struct BaseUnits {
    int x;
    int y;
};
int OpeningLastStep(int windowWidth, int windowHeight, BaseUnits now, BaseUnits at96);

// The half-side of the square at each step, 0 ... lastStep; the last is the final one.
int OpeningHalfSide(const OpeningSquares& squares, int lastStep, int step);

// What a window does on WM_DPICHANGED: it takes the rectangle Windows suggests, as
// SetWindowPos places it; it then paints at the DPI its window reports.
struct DpiChange {
    int x;
    int y;
    int width;
    int height;
};
DpiChange DpiChangeFor(const PixelBox& suggested);

#endif
