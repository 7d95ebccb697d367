// The About window's line count, credits text and scroll rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "ui/about_rules.h"

namespace {

std::vector<std::string> SplitAtLineFeeds(const std::string& text) {
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\n') {
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

}  // namespace

TEST(CountLines, CountsLineFeedsButAtLeastOne) {
    const struct {
        std::string text;
        int16_t lines;
    } cases[] = {
        {"", 1},
        {"abc", 1},
        {"a\nb", 1},
        {"a\n\nb", 2},
        {"a\n", 1},
        {"\n", 1},
        {"\n\n", 2},
        {"a\nb\nc\n", 3},
        {"\r\n\r\n", 2},  // carriage returns are not line ends of their own
        {std::string("a\0\n\0b\n", 6), 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CountLines(c.text), c.lines) << '"' << c.text << '"';
    }
}

TEST(CreditsText, TwentyTwoLinesEachTextFollowedByAnEmptyOne) {
    const std::string text = CreditsText();
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 21);
    EXPECT_EQ(text.substr(text.size() - 2), "\n ");
    const std::vector<std::string> lines = SplitAtLineFeeds(text);
    ASSERT_EQ(lines.size(), 22u);
    for (size_t i = 0; i < 21; ++i) {
        EXPECT_EQ(lines[i].empty(), i % 2 == 1) << "line " << i + 1 << ": " << lines[i];
    }
    EXPECT_EQ(lines[21], " ");
}

TEST(CreditsText, NamesTheAuthorsContactsAndTheHotkeys) {
    const std::vector<std::string> lines = SplitAtLineFeeds(CreditsText());
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[0], "本软件由" KIVO_AUTHOR_NAME "制作");
    EXPECT_EQ(lines[2], "〖联系方式〗");
    EXPECT_EQ(lines[4], "QQ:" KIVO_AUTHOR_QQ);
    EXPECT_EQ(lines[6], "E-Mail:" KIVO_AUTHOR_EMAIL);
    EXPECT_EQ(lines[8], HomePageAddress);
    EXPECT_EQ(lines[12], "F3: 更新IP");
    EXPECT_EQ(lines[14], "F4:显示/隐藏窗口");
    EXPECT_EQ(lines[20], "以及所有曾帮助过我的人");
}

TEST(CreditsText, CountsTwentyOneLinesSoTheCreditsAre252PixelsHigh) {
    EXPECT_EQ(CountLines(CreditsText()), 21);
    EXPECT_EQ(CreditsLineHeight * CountLines(CreditsText()), 252);
}

TEST(ScrollCredits, MovesOnePixelUpAndStartsAgainBelowOnceAboveTheFrame) {
    const struct {
        int16_t top, viewHeight, lineCount;
        int16_t placedTop, nextTop;
    } cases[] = {
        {100, 100, 21, 99, 99},       // first tick: the top row shows at the frame's bottom
        {1, 100, 21, 0, 0},           //
        {-250, 100, 21, -251, -251},  // bottom edge at y = 1: still in view
        {-251, 100, 21, -252, -252},  // bottom edge at y = 0: nothing in view, not yet above
        {-252, 100, 21, -253, 100},   // bottom edge at y = -1: starts again from below
        {0, 12, 1, -1, -1},          {-12, 12, 1, -13, 12},
    };
    for (const auto& c : cases) {
        const CreditsStep step = ScrollCredits(c.top, c.viewHeight, c.lineCount);
        EXPECT_EQ(step.placedTop, c.placedTop) << "from " << c.top;
        EXPECT_EQ(step.nextTop, c.nextTop) << "from " << c.top;
    }
}

// From the frame's bottom edge up to -12 x lines - 1 and round again, without end: a cycle
// of viewHeight + 12 x lines + 1 ticks that places the window at each y once.
TEST(ScrollCredits, CyclesThroughEveryPositionOnceAndThenRepeats) {
    const int16_t viewHeight = 103, lineCount = CountLines(CreditsText());
    const int cycle = viewHeight + CreditsLineHeight * lineCount + 1;
    std::vector<int16_t> placed;
    int16_t top = viewHeight;
    for (int tick = 0; tick < 2 * cycle; ++tick) {
        const CreditsStep step = ScrollCredits(top, viewHeight, lineCount);
        placed.push_back(step.placedTop);
        top = step.nextTop;
    }
    EXPECT_EQ(placed.front(), viewHeight - 1);
    EXPECT_EQ(placed[cycle - 1], -253);
    EXPECT_EQ(placed[cycle], viewHeight - 1);
    EXPECT_EQ(std::set<int16_t>(placed.begin(), placed.begin() + cycle).size(),
              static_cast<size_t>(cycle));
    EXPECT_TRUE(std::equal(placed.begin(), placed.begin() + cycle, placed.begin() + cycle));
    EXPECT_EQ(top, viewHeight);
}
