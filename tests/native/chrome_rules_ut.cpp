// The arithmetic of the caption band and of the opening animation.
#include <gtest/gtest.h>

#include <algorithm>

#include "ui/chrome_rules.h"

namespace {

struct ColumnCase {
    int bandWidth;
    int column;
    ColourRef colour;
};

// Band 200 wide: half-width 100, d = MulDiv(column, 128, 100) rounded half away from zero.
// Band 252 (the main dialog's width class): half-width 126. Band 253: odd width.
const ColumnCase ColumnCases[] = {
    {200, 0, ColourOf(191, 255, 0)},     {200, 1, ColourOf(192, 255, 1)},
    {200, 2, ColourOf(194, 255, 3)},     {200, 49, ColourOf(254, 255, 63)},
    {200, 50, ColourOf(255, 255, 64)},   {200, 100, ColourOf(255, 255, 128)},
    {200, 150, ColourOf(255, 255, 64)},  {200, 198, ColourOf(194, 255, 3)},
    {200, 199, ColourOf(192, 255, 1)},   {252, 63, ColourOf(255, 255, 64)},
    {252, 62, ColourOf(254, 255, 63)},   {252, 126, ColourOf(255, 255, 128)},
    {252, 1, ColourOf(192, 255, 1)},     {253, 126, ColourOf(255, 255, 128)},
    {253, 127, ColourOf(255, 255, 128)}, {253, 252, ColourOf(192, 255, 1)},
    {3, 1, ColourOf(255, 255, 128)},     {3, 2, ColourOf(255, 255, 128)},
    {1, 0, ColourOf(191, 255, 0)},
};

}  // namespace

TEST(CaptionGradient, ColumnColoursFollowTheRoundedMirroredRamp) {
    for (const ColumnCase& c : ColumnCases) {
        EXPECT_EQ(CaptionColumnColour(c.column, c.bandWidth), c.colour)
            << "band " << c.bandWidth << " column " << c.column;
    }
}

TEST(CaptionGradient, HalfStepsRoundAwayFromZero) {
    // 5 * 128 / 10 = 64 exactly; 1 * 128 / 256 = 0.5 rounds up; 3 * 128 / 256 = 1.5 up.
    EXPECT_EQ(BlueOf(GradientStripeColour(5, 10)), 64);
    EXPECT_EQ(BlueOf(GradientStripeColour(1, 256)), 1);
    EXPECT_EQ(BlueOf(GradientStripeColour(3, 256)), 2);
    EXPECT_EQ(BlueOf(GradientStripeColour(1, 3)), 43);  // 42.67
}

TEST(CaptionGradient, EveryBandIsSymmetricRisesToTheCentreAndStaysInRange) {
    for (int width = 2; width <= 700; ++width) {
        const int half = GradientHalfWidth(width);
        int previousBlue = -1;
        for (int x = 0; x < width; ++x) {
            const ColourRef colour = CaptionColumnColour(x, width);
            ASSERT_EQ(GreenOf(colour), 255);
            ASSERT_LE(RedOf(colour), 255);
            ASSERT_EQ(RedOf(colour), std::min(255, 191 + BlueOf(colour)));
            if (x >= 1) {
                ASSERT_EQ(colour, CaptionColumnColour(width - x, width)) << width << " " << x;
            }
            if (x <= half) {
                ASSERT_GE(BlueOf(colour), previousBlue);
                previousBlue = BlueOf(colour);
            }
        }
        ASSERT_EQ(CaptionColumnColour(half, width), ColourOf(255, 255, 128)) << width;
    }
}

TEST(CaptionTitle, StartsRightOfTheIconOrAtTwoAndIsCutAtTheBandsRightEdge) {
    const PixelBox band = {0, 0, 446, 20};
    const PixelBox withIcon = CaptionTextBox(band, true);
    EXPECT_EQ(withIcon.left, 20);
    EXPECT_EQ(withIcon.top, 2);
    EXPECT_EQ(withIcon.right, 446);
    EXPECT_EQ(withIcon.bottom, 18);
    const PixelBox withoutIcon = CaptionTextBox(band, false);
    EXPECT_EQ(withoutIcon.left, 2);
    EXPECT_EQ(withoutIcon.right, 446);
    EXPECT_EQ(CaptionIconLeft + CaptionIconSize - 1, 17);  // the icon ends at column 17
}

namespace {

bool SquareCovers(const OpeningSquares& s, int halfSide, int width, int height) {
    return s.centreX - halfSide <= 0 && s.centreY - halfSide <= 0 &&
           s.centreX + halfSide >= width && s.centreY + halfSide >= height;
}

}  // namespace

TEST(OpeningSquares, LastSquareIsTheSmallestThatCoversTheWindow) {
    for (int width = 0; width <= 80; ++width) {
        for (int height = 0; height <= 80; ++height) {
            const OpeningSquares s = OpeningSquaresFor(width, height);
            ASSERT_EQ(s.centreX, width / 2);
            ASSERT_EQ(s.centreY, height / 2);
            int smallest = 0;
            while (!SquareCovers(s, smallest, width, height)) ++smallest;
            ASSERT_EQ(s.finalHalfSide, smallest) << width << " x " << height;
        }
    }
}

TEST(OpeningSquares, HalfPixelsAreTakenUpward) {
    const OpeningSquares odd = OpeningSquaresFor(447, 291);
    EXPECT_EQ(odd.centreX, 223);
    EXPECT_EQ(odd.centreY, 145);
    EXPECT_EQ(odd.finalHalfSide, 224);
    const OpeningSquares tall = OpeningSquaresFor(100, 301);
    EXPECT_EQ(tall.finalHalfSide, 151);
}
