// The settings file's line codec over counted byte strings.
#include <gtest/gtest.h>

#include "settings/field_codec.h"

using namespace std::string_literals;

namespace {

std::string AllByteValues() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
    return bytes;
}

}  // namespace

TEST(ExtractBetween, TakesTheBytesBetweenTheFirstKeyAndTheNextSeparator) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"123Host=abcd.efghi|456", "abcd.efghi"},
        {"Host=a|b|c", "a"},
        {"|Host=x|9", "x"},  // a separator before the key plays no part
        {"Host=abc", ""},    // no separator after the key: empty, not the rest
        {"7Host=|8", ""},
        {"Host=aHost=b|", "aHost=b"},  // only the first key counts
        {"no key here|", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractBetween(c.text, "Host=", "|"), c.expected) << c.text;
    }
}

TEST(ExtractBetween, KeepsZeroBytesOfTheValue) {
    EXPECT_EQ(ExtractBetween("1Pwd=a\0b|2"s, "Pwd=", "|"), "a\0b"s);
    EXPECT_EQ(ExtractBetween("\0Name=x|"s, "Name=", "|"), "x");
}

TEST(HexEncode, WritesTwoUpperCaseDigitsPerByte) {
    EXPECT_EQ(HexEncode("abc"), "616263");
    EXPECT_EQ(HexEncode("\x00\x0A\xFF"s), "000AFF");
    EXPECT_EQ(HexEncode(""), "");
}

TEST(HexDecode, ReadsPairsOfDigitsOfEitherCase) {
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"616263", "abc"}, {"6162636", "abc"},  // an odd last character is ignored
        {"6a6B", "jk"},    {"", ""},           {"7", ""}, {"00FF0a", "\x00\xFF\x0A"s},
    };
    for (const auto& c : cases) {
        const auto decoded = HexDecode(c.text);
        ASSERT_TRUE(decoded.has_value()) << c.text;
        EXPECT_EQ(*decoded, c.expected) << c.text;
    }
}

TEST(HexDecode, FailsWholeOnAnyPairThatIsNotTwoDigits) {
    const std::string cases[] = {
        "6G",         "[K", "61 2", "6162G3",  // nothing decoded before the bad pair comes back
        "61\xD3\xF2", "6-", "+6",   "61\r\n", "61\x00"s + "0",
    };
    for (const auto& text : cases) EXPECT_FALSE(HexDecode(text).has_value()) << text;
}

TEST(XorScramble, FlipsTheMaskBitsOfEveryByteAndIsItsOwnInverse) {
    EXPECT_EQ(XorScramble(""), "");
    EXPECT_EQ(XorScramble("\xC5"
                          "A\x00"s),
              "\x00\x84\xC5"s);  // the mask byte gives a zero byte
    const std::string bytes = AllByteValues();
    const std::string scrambled = XorScramble(bytes);
    ASSERT_EQ(scrambled.size(), 256u);
    for (int value = 0; value < 256; ++value) {
        EXPECT_EQ(static_cast<unsigned char>(scrambled[value]), value ^ 0xC5);
    }
    EXPECT_EQ(XorScramble(scrambled), bytes);
}

TEST(FieldCodec, DecodingTheEncodingGivesBackEveryByte) {
    const std::string bytes = AllByteValues() + AllByteValues();
    const std::string text = HexEncode(XorScramble(bytes));
    EXPECT_EQ(text.size(), 2 * bytes.size());
    EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    const auto decoded = HexDecode(text);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(XorScramble(*decoded), bytes);
}
