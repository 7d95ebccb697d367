#include "ui/chrome_rules.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

// value * numerator / denominator to the nearest integer, halves away from zero, as the
// system's MulDiv rounds, for non-negative operands and a positive denominator.
int RoundedShare(int value, int numerator, int denominator) {
    const std::int64_t doubled = 2 * static_cast<std::int64_t>(value) * numerator;
    return static_cast<int>((doubled + denominator) / (2 * static_cast<std::int64_t>(denominator)));
}

int StripeChannel(int edge, int span, int step, int halfWidth) {
    // A band less than two pixels wide has a single step, which shows the edge colour.
    const int added = halfWidth > 0 ? RoundedShare(step, span, halfWidth) : 0;
    return std::min(255, edge + added);
}

}  // namespace

ColourRef GradientStripeColour(int step, int halfWidth) {
    return ColourOf(
        StripeChannel(RedOf(CaptionEdgeColour), RedOf(CaptionSpanColour), step, halfWidth),
        StripeChannel(GreenOf(CaptionEdgeColour), GreenOf(CaptionSpanColour), step, halfWidth),
        StripeChannel(BlueOf(CaptionEdgeColour), BlueOf(CaptionSpanColour), step, halfWidth));
}

ColourRef CaptionColumnColour(int column, int bandWidth) {
    const int half = GradientHalfWidth(bandWidth);
    return GradientStripeColour(column <= half ? column : bandWidth - column, half);
}

int ScaledPixels(int figure, int dpi) { return RoundedShare(figure, dpi, DefaultDpi); }

int IconImageFor(int size) {
    for (int image : IconImageSizes) {
        if (image >= size) return image;
    }
    return std::end(IconImageSizes)[-1];
}

int LabelTopInBand(int top, int ascent, int bandHeight) {
    return std::max(0, std::min(top, bandHeight - ascent));
}

PixelBox CaptionTextBox(const PixelBox& band, int dpi) {
    const int inset = ScaledPixels(2, dpi);
    const int left = ScaledPixels(CaptionIconLeft + CaptionIconSize + 2, dpi);
    return {left, inset, band.right, band.bottom - inset};
}

OpeningSquares OpeningSquaresFor(int windowWidth, int windowHeight) {
    // The centre is a 16-bit value, like the coordinates of a window message.
    const int centreX = static_cast<std::int16_t>(windowWidth / 2);
    const int centreY = static_cast<std::int16_t>(windowHeight / 2);
    // A square of half-side k spans [centre - k, centre + k); since the centre is the half
    // size rounded down, reaching the far edges also reaches the near ones.
    const int finalHalfSide = std::max({0, windowWidth - centreX, windowHeight - centreY});
    return {centreX, centreY, finalHalfSide};
}

int OpeningLastStep(int windowWidth, int windowHeight, BaseUnits now, BaseUnits at96) {
    return OpeningSquaresFor(RoundedShare(windowWidth, at96.x, now.x),
                             RoundedShare(windowHeight, at96.y, now.y))
        .finalHalfSide;
}

int OpeningHalfSide(const OpeningSquares& squares, int lastStep, int step) {
    if (step >= lastStep) return squares.finalHalfSide;
    return RoundedShare(step, squares.finalHalfSide, lastStep);
}

DpiChange DpiChangeFor(const PixelBox& suggested) {
    return {suggested.left, suggested.top, suggested.right - suggested.left,
            suggested.bottom - suggested.top};
}
