// How the load reads the settings file's lines and what each line sets.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "settings/settings_format.h"
#include "settings/settings_reading.h"

using namespace std::string_literals;

TEST(ReadSettingsLines, SplitsAtLfOrCrLfDropsLoneCrAndStopsAtCtrlZ) {
    const struct {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},  // LF alone ends a line; the last needs no end
        {"a\rb\r\n", {"ab"}},  // a lone CR is dropped
        {"a\r\r\nb\r", {"a", "b"}},
        {"\r\n\r\n", {"", ""}},
        {"\n", {""}},
        {"a\x1A\r\nb\r\n", {"a"}},  // Ctrl-Z is the end of the file
        {"\x1A"
         "Host=x|\r\n",
         {}},
        {"a\r\n\x1A", {"a"}},
        {"a\0b\r\n\0"s, {"a\0b"s, "\0"s}},  // zero bytes are data
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadSettingsLines(c.bytes), c.lines) << c.bytes;
    }
}

TEST(ReadSettingsLines, ReadsALongLineWhole) {
    const std::string longLine(100000, '7');
    EXPECT_EQ(ReadSettingsLines("x\r\n" + longLine + "\r\ny"),
              (std::vector<std::string>{"x", longLine, "y"}));
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
        {EncodeSettingsLine("5Pwd=p\xC5w|6"), LineAction::SetField, IDC_PASSWORD_FIELD, "p\xC5w"},
        {EncodeSettingsLine("5Pwd=a\0b|6"s), LineAction::SetField, IDC_PASSWORD_FIELD, "a\0b"s},
        {EncodeSettingsLine("17Auto=True3"), LineAction::CheckAutoUpdate, 0, ""},
        // Earlier keys win wherever they stand in the line.
        {EncodeSettingsLine("1Pwd=secretHost=evil|2"), LineAction::SetField, IDC_HOST_FIELD,
         "evil"},
        {EncodeSettingsLine("1Name=memyIP=9.9.9.9|2"), LineAction::SetField, IDC_IP_FIELD,
         "9.9.9.9"},
        {EncodeSettingsLine("1Pwd=Auto=True|2"), LineAction::SetField, IDC_PASSWORD_FIELD,
         "Auto=True"},
        // A "|" cuts the value; no "|" after the key gives the empty text.
        {EncodeSettingsLine("1Pwd=ab|cd|2"), LineAction::SetField, IDC_PASSWORD_FIELD, "ab"},
        {EncodeSettingsLine("1Host=abc"), LineAction::SetField, IDC_HOST_FIELD, ""},
        // Lines that do not decode are taken as they were read.
        {"Host=abcd.efghi|", LineAction::SetField, IDC_HOST_FIELD, "abcd.efghi"},
        {"junk myIP=5.6.7.8|", LineAction::SetField, IDC_IP_FIELD, "5.6.7.8"},
        {"Auto=True", LineAction::CheckAutoUpdate, 0, ""},
        // Lower-case digits, and an odd last character, still decode.
        {"f5a8bc8c95f8a9b9", LineAction::SetField, IDC_IP_FIELD, "l"},
        {EncodeSettingsLine("1Name=n|2") + "7", LineAction::SetField, IDC_USER_FIELD, "n"},
    };
    for (const auto& c : cases) {
        const LineMeaning meaning = InterpretSettingsLine(c.line);
        EXPECT_EQ(meaning.action, c.action) << c.line;
        EXPECT_EQ(meaning.controlId, c.controlId) << c.line;
        EXPECT_EQ(meaning.value, c.value) << c.line;
    }
}

TEST(InterpretSettingsLine, IgnoresLinesWithoutAKey) {
    const std::string cases[] = {
        "",
        "7",  // decodes to nothing
        "[Kivo\xD3\xF2\xC3\xFB\xB8\xFC\xD0\xC2\xC6\xF7]",
        "host=abc|",  // keys are compared with their case
        "Auto=true",
        "HOST=abc|",
        EncodeSettingsLine("12Hosts3"),
        "48656C6C6F",                        // hex that decodes to keyless text
        EncodeSettingsLine("Host") + "=x|",  // not hex as a whole, and no key as read
    };
    for (const auto& line : cases) {
        EXPECT_EQ(InterpretSettingsLine(line).action, LineAction::Ignore) << line;
    }
}

// A hex line that holds a key text only in its decoded form is read decoded, and a plain
// line is never decoded even when part of it would be.
TEST(InterpretSettingsLine, DecodesOnlyWhenTheWholeLineIsHex) {
    const LineMeaning meaning = InterpretSettingsLine(EncodeSettingsLine("Host=x|") + "Name=y|");
    EXPECT_EQ(meaning.controlId, IDC_USER_FIELD);
    EXPECT_EQ(meaning.value, "y");
}
