// The arithmetic of the painted chrome, its scaling to the DPI, and the About window's credits.
#include <gtest/gtest.h>

#include <set>

#include "ui/about_rules.h"
#include "ui/chrome_rules.h"

namespace {

// d = MulDiv(column, 128, half width), halves rounded away from zero; red capped at 255.
TEST(CaptionGradient, ColumnColoursFollowTheRoundedMirroredRamp) {
    const struct {
        int bandWidth, column;
        ColourRef colour;
    } cases[] = {
        {200, 0, ColourOf(191, 255, 0)},    {200, 1, ColourOf(192, 255, 1)},
        {200, 2, ColourOf(194, 255, 3)},    {200, 49, ColourOf(254, 255, 63)},
        {200, 50, ColourOf(255, 255, 64)},  {200, 100, ColourOf(255, 255, 128)},
        {200, 150, ColourOf(255, 255, 64)}, {200, 198, ColourOf(194, 255, 3)},
        {200, 199, ColourOf(192, 255, 1)},  {253, 127, ColourOf(255, 255, 128)},
        {3, 2, ColourOf(255, 255, 128)},    {1, 0, ColourOf(191, 255, 0)},
        {512, 1, ColourOf(192, 255, 1)},  // 0.5 rounds up
        {512, 3, ColourOf(193, 255, 2)},  // 1.5 rounds up
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CaptionColumnColour(c.column, c.bandWidth), c.colour)
            << c.bandWidth << " " << c.column;
    }
    for (int width = 2; width <= 700; ++width) {  // symmetric for every width
        for (int x = 1; x < width; ++x)
            ASSERT_EQ(CaptionColumnColour(x, width), CaptionColumnColour(width - x, width));
    }
    EXPECT_EQ(CaptionFrameColour, ColourOf(84, 106, 158));
    EXPECT_EQ(CaptionTextColour, ColourOf(90, 79, 71));
    EXPECT_EQ(PressedTextColour, ColourOf(255, 221, 0));
}

// The last square is the smallest about the centre that covers the whole window.
TEST(OpeningSquares, LastSquareIsTheSmallestThatCoversTheWindow) {
    for (int width = 0; width <= 80; ++width) {
        for (int height = 0; height <= 80; ++height) {
            const OpeningSquares s = OpeningSquaresFor(width, height);
            ASSERT_EQ(s.centreX, width / 2);
            ASSERT_EQ(s.centreY, height / 2);
            auto covers = [&](int k) {
                return s.centreX - k <= 0 && s.centreY - k <= 0 && s.centreX + k >= width &&
                       s.centreY + k >= height;
            };
            ASSERT_TRUE(covers(s.finalHalfSide) &&
                        (s.finalHalfSide == 0 || !covers(s.finalHalfSide - 1)));
        }
    }
    EXPECT_EQ(OpeningSquaresFor(447, 291).finalHalfSide, 224);
}

// MulDiv(figure, dpi, 96), halves away from zero: the band, the icon, the font, the title.
TEST(DpiScaling, FiguresScaleAsMulDivRoundsAndTheIconImageIsTheNextAtLeastAsLarge) {
    const struct {
        int dpi, band, icon, font, titleLeft, inset, rise;
    } cases[] = {
        {96, 20, 16, 12, 20, 2, 1},
        {120, 25, 20, 15, 25, 3, 1},  // 2.5 rounds up, 1.25 down
        {144, 30, 24, 18, 30, 3, 2},
        {192, 40, 32, 24, 40, 4, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScaledPixels(CaptionBandHeight, c.dpi), c.band) << c.dpi;
        EXPECT_EQ(IconImageFor(ScaledPixels(CaptionIconSize, c.dpi)), c.icon) << c.dpi;
        EXPECT_EQ(ScaledPixels(SongtiHeight, c.dpi), c.font) << c.dpi;
        const PixelBox box = CaptionTextBox({0, 0, 500, c.band}, c.dpi);
        EXPECT_TRUE(box.left == c.titleLeft && box.top == c.inset && box.right == 500 &&
                    box.bottom == c.band - c.inset)
            << c.dpi;
        EXPECT_EQ(CreditsPaceAt(c.dpi).lineHeight, ScaledPixels(12, c.dpi));
        EXPECT_EQ(CreditsPaceAt(c.dpi).rise, c.rise) << c.dpi;
    }
    EXPECT_EQ(ScaledPixels(3, 112), 4);  // 3.5
    EXPECT_EQ(ScaledPixels(0, 192), 0);
    const std::pair<int, int> images[] = {{1, 16},  {16, 16}, {17, 20}, {28, 32},
                                          {41, 48}, {48, 48}, {64, 48}};
    for (const auto& [size, image] : images) EXPECT_EQ(IconImageFor(size), image) << size;
}

// Labels keep their place while their baseline is in the band, else move up to it.
TEST(DpiScaling, BandLabelsMoveUpOnlyWhereTheirBaselineWouldLeaveTheBand) {
    const struct {
        int top, ascent, band, placed;
    } cases[] = {{6, 13, 20, 6}, {8, 18, 30, 8}, {8, 18, 20, 2}, {3, 25, 20, 0}, {7, 13, 20, 7}};
    for (const auto& c : cases) EXPECT_EQ(LabelTopInBand(c.top, c.ascent, c.band), c.placed);
}

// As many steps as at 96 DPI: Wine lays the main dialog out 745 x 492 at 144 DPI from
// base units 10 x 22 (6 x 16 at 96), so 224 steps, as for its 448 x 358 at 96 DPI.
TEST(DpiScaling, OpeningHasTheStepsOf96DpiAndGrowsByMorePixelsEach) {
    EXPECT_EQ(OpeningLastStep(448, 358, {6, 16}, {6, 16}), 224);
    EXPECT_EQ(OpeningLastStep(745, 492, {10, 22}, {6, 16}), 224);
    EXPECT_EQ(OpeningLastStep(300, 700, {9, 24}, {6, 16}), 234);  // the height decides
    const OpeningSquares at96 = OpeningSquaresFor(448, 358), at144 = OpeningSquaresFor(745, 492);
    for (int step = 0; step <= 224; ++step) {
        ASSERT_EQ(OpeningHalfSide(at96, 224, step), step);
        const int k = OpeningHalfSide(at144, 224, step);
        ASSERT_TRUE(step == 0 ? k == 0 : k > OpeningHalfSide(at144, 224, step - 1)) << step;
    }
    EXPECT_EQ(OpeningHalfSide(at144, 224, 224), at144.finalHalfSide);
    EXPECT_EQ(OpeningHalfSide(at144, 224, 3), 5);  // 3 x 373 / 224 = 4.996
    EXPECT_EQ(OpeningHalfSide(at144, 0, 0), at144.finalHalfSide);
}

// The suggested rectangle as position and size, on a monitor left of the first one too.
TEST(DpiScaling, DpiChangeTakesTheSuggestedRectangle) {
    const struct {
        PixelBox suggested;
        DpiChange change;
    } cases[] = {
        {{100, 50, 845, 542}, {100, 50, 745, 492}},
        {{-1200, 10, -752, 368}, {-1200, 10, 448, 358}},
    };
    for (const auto& c : cases) {
        const DpiChange d = DpiChangeFor(c.suggested);
        EXPECT_TRUE(d.x == c.change.x && d.y == c.change.y && d.width == c.change.width &&
                    d.height == c.change.height)
            << c.change.x;
    }
}

TEST(CountLines, CountsLineFeedsButAtLeastOne) {
    const std::pair<std::string, int16_t> cases[] = {
        {"", 1},     {"abc", 1},       {"a\nb", 1},     {"a\n\nb", 2},
        {"\n\n", 2}, {"a\nb\nc\n", 3}, {"\r\n\r\n", 2},
    };
    for (const auto& [text, lines] : cases) EXPECT_EQ(CountLines(text), lines) << text;
}

TEST(CreditsText, TwentyTwoLinesEachTextFollowedByAnEmptyOne) {
    const std::string expected =
        "本软件由" KIVO_AUTHOR_NAME "制作\n\n〖联系方式〗\n\nQQ:" KIVO_AUTHOR_QQ
        "\n\nE-Mail:" KIVO_AUTHOR_EMAIL "\n\n" KIVO_HOME_PAGE
        "\n\n〖快捷键〗\n\nF3: 更新IP\n\nF4:显示/隐藏窗口\n\n〖特别感谢〗\n\nZUDE, ZIV\n\n"
        "以及所有曾帮助过我的人\n ";
    EXPECT_EQ(CreditsText(), expected);
    EXPECT_EQ(CountLines(CreditsText()), 21);
}

// From the frame's bottom edge up until the bottom edge is at y = -1, then round again: a
// cycle of viewHeight + 12 x lines + 1 ticks that places the window at each y once.
TEST(ScrollCredits, RisesOnePixelATickAndStartsAgainBelowOnceAboveTheFrame) {
    const struct {
        int16_t top, placedTop, nextTop;
    } cases[] = {
        {100, 99, 99},
        {-251, -252, -252},
        {-252, -253, 100},
    };
    for (const auto& c : cases) {
        const CreditsStep step = ScrollCredits(c.top, 100, 21, CreditsPaceAt(96));
        EXPECT_EQ(step.placedTop, c.placedTop) << c.top;
        EXPECT_EQ(step.nextTop, c.nextTop) << c.top;
    }
    const int cycle = 103 + 12 * 21 + 1;
    std::set<int16_t> placed;
    int16_t top = 103;
    for (int tick = 0; tick < cycle; ++tick) {
        const CreditsStep step = ScrollCredits(top, 103, 21, CreditsPaceAt(96));
        placed.insert(step.placedTop);
        top = step.nextTop;
    }
    EXPECT_EQ(placed.size(), static_cast<size_t>(cycle));
    EXPECT_EQ(top, 103);
}

}  // namespace
