// The arithmetic of the painted window chrome: caption colours, the title's rectangle and
// the squares of the opening animation. Colours are COLORREF values (0x00BBGGRR).
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

// The caption band is 20 device pixels high; the icon is drawn 16 x 16 at (2, 2).
inline constexpr int CaptionBandHeight = 20;
inline constexpr int CaptionIconLeft = 2;
inline constexpr int CaptionIconTop = 2;
inline constexpr int CaptionIconSize = 16;

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

// Where the title is drawn: right of the icon when there is one, 2 pixels inside the band
// at the top and bottom, cut at the band's right edge.
PixelBox CaptionTextBox(const PixelBox& band, bool withIcon);

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

#endif
