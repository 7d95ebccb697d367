// The settings file's rules: the line codec, where the file lives, the lines a save
// writes and how the load reads them.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "settings/field_codec.h"
#include "settings/settings_format.h"
#include "settings/settings_path.h"
#include "settings/settings_reading.h"

using namespace std::string_literals;

namespace {

TEST(ExtractBetween, TakesTheBytesBetweenTheFirstKeyAndTheNextSeparator) {
    const std::pair<std::string, std::string> cases[] = {
        {"123Host=abcd.efghi|456", "abcd.efghi"},
        {"Host=a|b|c", "a"},
        {"|Host=x|9", "x"},
        {"Host=abc", ""},
        {"7Host=|8", ""},
        {"Host=aHost=b|", "aHost=b"},
        {"1Host=a\0b|2"s, "a\0b"s},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ExtractBetween(text, "Host=", "|"), value) << text;
}

// Upper-case digits out, either case in; a pair that is not two digits gives nothing.
// The scramble mask 0xC5 shows in the stored lines of InterpretSettingsLine below.
TEST(HexCodec, UpperCaseOutDigitsOfEitherCaseInAndNothingForABadPair) {
    EXPECT_EQ(HexEncode("abc\x00\x0A\xFF"s), "616263000AFF");
    EXPECT_EQ(HexDecode("6162636"), "abc");  // an odd last character is ignored
    EXPECT_EQ(HexDecode("6a6B"), "jk");
    EXPECT_EQ(HexDecode(""), "");
    for (const std::string bad : {"6G", "[K", "61 2", "6162G3", "61\xD3\xF2"})
        EXPECT_EQ(HexDecode(bad), std::nullopt) << bad;
    EXPECT_EQ(XorScramble(XorScramble("\x00\xC5\xFF"s)), "\x00\xC5\xFF"s);
}

// Regressions: every ".exe" of the path was replaced, so 'c:\app.exe.d\x.exe' kept its
// settings in a folder that does not exist; and lower-casing the trail byte of "丄"
// (0x81 0x41) named another folder.
TEST(PathBesideExecutable, LowerCasesSingleBytesAndReplacesTheFileNamesOwnExtension) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Tools\\DDNS.EXE", "c:\\tools\\ddns.Lr"},
        {"C:\\x.exe.exe", "c:\\x.exe.Lr"},
        {"c:\\app.exe.d\\x.exe", "c:\\app.exe.d\\x.Lr"},
        {"c:\\bin\\kivo", "c:\\bin\\kivo.Lr"},
        {"c:\\bin\\kivo.exe.bak", "c:\\bin\\kivo.exe.bak.Lr"},
        {"C:\\\x81\x41\\K.EXE", "c:\\\x81\x41\\k.Lr"},
        {"C:\\A\x81", "c:\\a\x81.Lr"},
    };
    for (const auto& [exe, settings] : cases) {
        EXPECT_EQ(PathBesideExecutable(exe, ".Lr",
                                       [](unsigned char b) { return b >= 0x81 && b <= 0xFE; }),
                  settings)
            << exe;
    }
}

TEST(DrawNoise, FollowsTheLinearCongruentialSequenceBelow999999) {
    std::uint32_t seed = 0;
    for (const std::uint32_t expected : {0u, 31379u, 861047u, 202580u})
        EXPECT_EQ(DrawNoise(seed), expected);
    seed = 0x4D60AE66;  // the next seed is 0xFFFFFFFF
    EXPECT_EQ(DrawNoise(seed), 999998u);
}

TEST(ComposeSettingsFile, WritesEachFilledFieldWithItsNoiseAndPauseBetweenHeaderAndCredit) {
    std::uint32_t seed = 0, afterFourDraws = 870078620;
    const auto lines =
        ComposeSettingsFile({"kivo.example.com", "", "user", "pass"}, true, false, seed);
    const std::pair<std::string, unsigned> expected[] = {
        {SettingsHeaderLine, 0},
        {EncodeSettingsLine("0Host=kivo.example.com|31379"), 0},
        {EncodeSettingsLine("861047Name=user|202580"), 10},
        {EncodeSettingsLine(PlainValueLine(afterFourDraws, "Pwd=", "pass")), 22},
        {EncodeSettingsLine(PlainChoiceLine(afterFourDraws, AutoUpdateKey)), 36},
        {"", 0},
        {"", 0},
        {SettingsCreditLine, 0},
    };
    ASSERT_EQ(lines.size(), std::size(expected));
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].text, expected[i].first) << i;
        EXPECT_EQ(lines[i].pauseAfterMs, expected[i].second) << i;
    }
    EXPECT_EQ(ComposeSettingsFile({"", "1.2.3.4", "", ""}, false, false, seed)[1].pauseAfterMs,
              54u);
    EXPECT_EQ(ComposeSettingsFile({}, false, false, seed).size(), 4u);
    EXPECT_EQ(std::string(SettingsHeaderLine), "[Kivo\xD3\xF2\xC3\xFB\xB8\xFC\xD0\xC2\xC6\xF7]");
}

// Values holding "|" and key texts come back whole, and so the next save keeps them.
TEST(ComposeSettingsFile, ValuesComeBackWholeThroughTwoSaves) {
    std::array<std::string, ValueKeyCount> fields = {"Host=x|1", "myIP=|", "ab|cd|12",
                                                     "p|wHost=x.yPwd=z|Name=q|7"};
    for (int save = 1; save <= 2; ++save) {
        std::uint32_t seed = 77 * save;
        std::array<std::string, ValueKeyCount> loaded;
        for (const auto& line : ComposeSettingsFile(fields, false, false, seed)) {
            const LineMeaning meaning = InterpretSettingsLine(line.text);
            for (int i = 0; i < ValueKeyCount; ++i) {
                if (meaning.controlId == ValueKeys[i].controlId) loaded[i] = meaning.value;
            }
        }
        EXPECT_EQ(loaded, fields) << "save " << save;
        fields = loaded;
    }
}

// The reading of each line is the one that versions before the IPv6 choice run: they load
// the five settings of a file that holds the choice as before, and pass over its line.
TEST(ComposeSettingsFile, TheIpv6ChoiceComesBackAndReadersBeforeItPassOverIt) {
    const std::array<std::string, ValueKeyCount> fields = {"kivo.example.com", "2001:db8::5",
                                                           "user", "IPv6=True|"};
    for (const bool ownIpv6 : {false, true}) {
        std::uint32_t seed = 5;
        const auto lines = ComposeSettingsFile(fields, true, ownIpv6, seed);
        EXPECT_EQ(lines.size(), ownIpv6 ? 10u : 9u);
        std::array<std::string, ValueKeyCount> loaded;
        bool autoUpdate = false, chosen = false;
        for (const auto& line : lines) {
            const LineMeaning meaning = InterpretSettingsLine(line.text);
            autoUpdate |= meaning.action == LineAction::CheckAutoUpdate;
            for (int i = 0; i < ValueKeyCount; ++i) {
                if (meaning.controlId == ValueKeys[i].controlId) loaded[i] = meaning.value;
            }
            chosen |= ChoosesOwnIpv6(line.text);
        }
        EXPECT_EQ(loaded, fields);
        EXPECT_TRUE(autoUpdate);
        EXPECT_EQ(chosen, ownIpv6) << "a password holding the key text chooses nothing";
    }
    EXPECT_TRUE(ChoosesOwnIpv6("IPv6=True"));  // written by hand, not encoded
    EXPECT_FALSE(ChoosesOwnIpv6("IPv6=true"));
}

// The provider and check lines come back whole, "%" and "=" escaped, and hold none of the
// five key texts anywhere, so that a reader that acts on the first key text it finds in a
// line, as the first versions do, passes over them and loads the rest as before.
TEST(ComposeSettingsFile, TheChoiceLinesComeBackAndNoReaderBeforeThemActsOnThem) {
    const std::array<std::string, ValueKeyCount> fields = {"kivo.example.com", "", "user", "pw|1"};
    const ChoiceTexts cases[] = {
        {"dyn", "", ""},
        {"custom", "https://a.example/u?hostname={host}&Pwd={pwd}&Auto=True&Name=%3D|7", "none"},
        {"custom", "http://b.example/?Host={host}", "https://ip.example/?myIP=%25"},
        {"", "", ""},
    };
    for (const ChoiceTexts& choices : cases) {
        std::uint32_t seed = 9;
        ChoiceTexts loaded;
        std::array<std::string, ValueKeyCount> loadedFields;
        for (const auto& line : ComposeSettingsFile(fields, true, true, seed, choices)) {
            const ChoiceLine choice = ReadChoiceLine(line.text);
            const std::string plain = XorScramble(HexDecode(line.text).value_or(""));
            for (const char* key : {"Host=", "myIP=", "Name=", "Pwd=", "Auto=True"}) {
                EXPECT_TRUE(!choice.key || plain.find(key) == std::string::npos) << plain;
            }
            const LineMeaning meaning = InterpretSettingsLine(line.text);
            for (int i = 0; i < ValueKeyCount; ++i) {
                if (meaning.controlId == ValueKeys[i].controlId) loadedFields[i] = meaning.value;
            }
            if (choice.key == ProviderKey) loaded.provider = choice.value;
            if (choice.key == UpdateUrlKey) loaded.updateUrl = choice.value;
            if (choice.key == CheckUrlKey) loaded.checkUrl = choice.value;
        }
        EXPECT_EQ(loadedFields, fields);
        EXPECT_EQ(loaded.provider + " " + loaded.updateUrl + " " + loaded.checkUrl,
                  choices.provider + " " + choices.updateUrl + " " + choices.checkUrl);
    }
    EXPECT_EQ(EscapeChoiceValue("a=b%3D%"), "a%3Db%253D%25");
    EXPECT_EQ(ReadChoiceLine("Provider=noip|").value, "noip");  // written by hand
    EXPECT_EQ(ReadChoiceLine("Pwd=xProvider=noip|").key, nullptr) << "a field's line";
}

TEST(ReadSettingsLines, SplitsAtLfOrCrLfDropsLoneCrAndStopsAtCtrlZ) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r\n", {"ab"}},
        {"\r\n\r\n", {"", ""}},
        {"a\x1A\r\nb\r\n", {"a"}},
        {"a\0b\r\n\0"s, {"a\0b"s, "\0"s}},
        {std::string(100000, '7'), {std::string(100000, '7')}},
    };
    for (const auto& [bytes, lines] : cases) EXPECT_EQ(ReadSettingsLines(bytes), lines);
}

TEST(InterpretSettingsLine, ActsOnTheFirstKeyInLoadOrder) {
    const struct {
        std::string line;
        LineAction action;
        int controlId;
        std::string value;
    } cases[] = {
        {EncodeSettingsLine("123Host=abcd.efghi|456"), LineAction::SetField, IDC_HOST_FIELD,
         "abcd.efghi"},
        {EncodeSettingsLine("0myIP=1.2.3.4|99"), LineAction::SetField, IDC_IP_FIELD, "1.2.3.4"},
        {EncodeSettingsLine("5Name=\xD3\xC3\xBB\xA7|6"), LineAction::SetField, IDC_USER_FIELD,
         "\xD3\xC3\xBB\xA7"},
        {EncodeSettingsLine("5Pwd=a\0\xC5|6"s), LineAction::SetField, IDC_PASSWORD_FIELD,
         "a\0\xC5"s},
        {EncodeSettingsLine("17Auto=True3"), LineAction::CheckAutoUpdate, 0, ""},
        // Regression: the first key text found anywhere won, in a fixed order, and the
        // first "|" ended the value. The key that starts earliest wins; the value runs to
        // the "|" before the trailing noise.
        {EncodeSettingsLine("1Pwd=secretHost=evil|2"), LineAction::SetField, IDC_PASSWORD_FIELD,
         "secretHost=evil"},
        {EncodeSettingsLine("1Name=memyIP=9.9|2"), LineAction::SetField, IDC_USER_FIELD,
         "memyIP=9.9"},
        {EncodeSettingsLine("1Pwd=Auto=True|2"), LineAction::SetField, IDC_PASSWORD_FIELD,
         "Auto=True"},
        {EncodeSettingsLine("1Auto=TruePwd=x|2"), LineAction::CheckAutoUpdate, 0, ""},
        {EncodeSettingsLine("1Pwd=ab|cd|2"), LineAction::SetField, IDC_PASSWORD_FIELD, "ab|cd"},
        {EncodeSettingsLine("1Pwd=ab|12|34"), LineAction::SetField, IDC_PASSWORD_FIELD, "ab|12"},
        {"Host=abc|", LineAction::SetField, IDC_HOST_FIELD, "abc"},  // hand-written lines
        {"Host=abc|def", LineAction::SetField, IDC_HOST_FIELD, "abc"},
        {"Host=abc|d|", LineAction::SetField, IDC_HOST_FIELD, "abc"},
        {EncodeSettingsLine("1Host=abc"), LineAction::SetField, IDC_HOST_FIELD, ""},
        {"junk myIP=5.6.7.8|", LineAction::SetField, IDC_IP_FIELD, "5.6.7.8"},  // plain lines too
        {"f5a8bc8c95f8a9b9", LineAction::SetField, IDC_IP_FIELD, "l"},          // lower-case hex
        {EncodeSettingsLine("1Name=n|2") + "7", LineAction::SetField, IDC_USER_FIELD, "n"},
        {EncodeSettingsLine("Host=x|") + "Name=y|", LineAction::SetField, IDC_USER_FIELD, "y"},
        {"host=abc|", LineAction::Ignore, 0, ""},
        {"Auto=true", LineAction::Ignore, 0, ""},
        {SettingsHeaderLine, LineAction::Ignore, 0, ""},
        {SettingsCreditLine, LineAction::Ignore, 0, ""},
    };
    for (const auto& c : cases) {
        const LineMeaning meaning = InterpretSettingsLine(c.line);
        EXPECT_EQ(meaning.action, c.action) << c.line;
        EXPECT_EQ(meaning.controlId, c.controlId) << c.line;
        EXPECT_EQ(meaning.value, c.value) << c.line;
    }
}

}  // namespace
