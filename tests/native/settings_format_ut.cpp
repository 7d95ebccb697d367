// The lines that a save writes: noise, encoding, order, pauses, header and credit line.
#include <gtest/gtest.h>

#include "settings/field_codec.h"
#include "settings/settings_format.h"
#include "settings/settings_reading.h"

namespace {

std::string Decoded(const std::string& encodedLine) {
    const auto bytes = HexDecode(encodedLine);
    EXPECT_TRUE(bytes.has_value()) << encodedLine;
    return bytes ? XorScramble(*bytes) : std::string();
}

std::vector<std::string> TextsOf(const std::vector<SettingsFileLine>& lines) {
    std::vector<std::string> texts;
    for (const auto& line : lines) texts.push_back(line.text);
    return texts;
}

}  // namespace

TEST(DrawNoise, FollowsTheLinearCongruentialSequence) {
    std::uint32_t seed = 0;
    const std::uint32_t fromZero[] = {0, 31379, 861047, 202580};
    for (const std::uint32_t expected : fromZero) EXPECT_EQ(DrawNoise(seed), expected);
    EXPECT_EQ(seed, 870078620u);

    seed = 12345;
    const std::uint32_t fromOther[] = {385350, 289354, 79734, 553609};
    for (const std::uint32_t expected : fromOther) EXPECT_EQ(DrawNoise(seed), expected);
}

TEST(DrawNoise, StaysBelow999999AtTheTopOfTheRange) {
    std::uint32_t seed = 0x4D60AE66;  // the next seed is 0xFFFFFFFF
    EXPECT_EQ(DrawNoise(seed), 999998u);
    EXPECT_EQ(seed, 0xFFFFFFFFu);
}

TEST(PlainLines, SurroundTheValueWithLeadingThenTrailingNoise) {
    std::uint32_t seed = 0;
    EXPECT_EQ(PlainValueLine(seed, "Host=", "a.b"), "0Host=a.b|31379");
    EXPECT_EQ(PlainAutoUpdateLine(seed), "861047Auto=True202580");
}

TEST(EncodeSettingsLine, ScramblesThenWritesUpperCaseHex) {
    EXPECT_EQ(EncodeSettingsLine("0Host=a|7"), "F58DAAB6B1F8A4B9F2");
    EXPECT_EQ(EncodeSettingsLine("\xC5"), "00");
}

TEST(ComposeSettingsFile, AllEmptyGivesHeaderTwoEmptyLinesAndCredit) {
    std::uint32_t seed = 99;
    const auto lines = ComposeSettingsFile({}, false, seed);
    EXPECT_EQ(TextsOf(lines),
              (std::vector<std::string>{SettingsHeaderLine, "", "", SettingsCreditLine}));
    for (const auto& line : lines) EXPECT_EQ(line.pauseAfterMs, 0u);
    EXPECT_EQ(seed, 99u) << "nothing drawn";
}

TEST(ComposeSettingsFile, WritesEveryFieldInOrderWithItsOwnNoiseAndPause) {
    std::uint32_t seed = 0;
    const auto lines =
        ComposeSettingsFile({"kivo.example.com", "1.2.3.4", "user", "pass"}, true, seed);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0].text, SettingsHeaderLine);
    std::uint32_t expectedSeed = 0;
    const std::string keys[] = {"Host=", "myIP=", "Name=", "Pwd="};
    const std::string values[] = {"kivo.example.com", "1.2.3.4", "user", "pass"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Decoded(lines[1 + i].text), PlainValueLine(expectedSeed, keys[i], values[i]));
    }
    EXPECT_EQ(Decoded(lines[5].text), PlainAutoUpdateLine(expectedSeed));
    EXPECT_EQ(seed, expectedSeed);
    EXPECT_EQ(lines[6].text, "");
    EXPECT_EQ(lines[7].text, "");
    EXPECT_EQ(lines[8].text, SettingsCreditLine);

    const unsigned pauses[] = {0, 0, 54, 10, 22, 36, 0, 0, 0};
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].pauseAfterMs, pauses[i]) << i;
}

TEST(ComposeSettingsFile, AnEmptyFieldLeavesNoGap) {
    std::uint32_t seed = 7;
    const auto lines = ComposeSettingsFile({"", "", "user", ""}, false, seed);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(ExtractBetween(Decoded(lines[1].text), "Name=", "|"), "user");
    EXPECT_EQ(lines[1].pauseAfterMs, 10u);
    EXPECT_EQ(lines[4].text, SettingsCreditLine);
}

TEST(SettingsTexts, HeaderAndCreditAreIgnoredByTheLoad) {
    EXPECT_EQ(std::string(SettingsHeaderLine), "[Kivo\xD3\xF2\xC3\xFB\xB8\xFC\xD0\xC2\xC6\xF7]");
    const std::string credit = SettingsCreditLine;
    for (const char* key : {"Host=", "myIP=", "Name=", "Pwd=", "Auto=True"}) {
        EXPECT_EQ(credit.find(key), std::string::npos) << key;
    }
    EXPECT_NE(credit.find_first_not_of("0123456789ABCDEFabcdef"), std::string::npos);
    EXPECT_EQ(credit.find_first_of("\r\n\x1A"), std::string::npos);
    EXPECT_EQ(InterpretSettingsLine(credit).action, LineAction::Ignore);
    EXPECT_EQ(InterpretSettingsLine(SettingsHeaderLine).action, LineAction::Ignore);
}

// What a save writes, read back by the load's rules, including bytes that scramble to zero.
TEST(ComposeSettingsFile, ReadsBackAsTheFieldsThatWereSaved) {
    const std::array<std::string, 4> cases[] = {
        {"kivo.example.com", "", "\xD3\xC3\xBB\xA7", "p\xC5ss w0rd"},
        {std::string(254, 'h'), "10.0.0.1", "", ""},
    };
    for (const auto& saved : cases) {
        std::uint32_t seed = 4242;
        std::string file;
        for (const auto& line : ComposeSettingsFile(saved, true, seed)) file += line.text + "\r\n";
        std::array<std::string, 4> loaded;
        int autoUpdates = 0;
        for (const auto& line : ReadSettingsLines(file)) {
            const LineMeaning meaning = InterpretSettingsLine(line);
            if (meaning.action == LineAction::CheckAutoUpdate) ++autoUpdates;
            for (int i = 0; i < ValueKeyCount; ++i) {
                if (meaning.action == LineAction::SetField &&
                    meaning.controlId == ValueKeys[i].controlId) {
                    loaded[i] = meaning.value;
                }
            }
        }
        EXPECT_EQ(loaded, saved);
        EXPECT_EQ(autoUpdates, 1);
    }
}
