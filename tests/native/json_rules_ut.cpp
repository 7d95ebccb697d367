// Reading the providers' JSON: what is readable at all, strings with every escape, numbers
// as written, members and items found where they stand.
#include <gtest/gtest.h>

#include "dnsapi/json_rules.h"

namespace {

TEST(JsonReply, OneObjectOrArrayIsReadableAnythingElseNeverACrash) {
    const struct {
        const char* body;
        bool readable;
    } cases[] = {
        {R"({"success":true})", true},
        {" [1,\"x\",{}]\r\n", true},
        {"", false},
        {" \r\n", false},
        {R"({"success":true)", false},  // cut short at the reply limit
        {R"({"message":"tex)", false},
        {"<html><body>502 Bad Gateway</body></html>", false},
        {R"({"a":1}})", false},
        {R"({"a":1} {"b":2})", false},
        {R"("text")", false},
        {"{success:true}", false},
        {R"({"a":"\x"})", false},
        {R"({"a":"\u12"})", false},
    };
    for (const auto& c : cases) {
        const JsonReply json(c.body);
        EXPECT_EQ(json.Readable(), c.readable) << c.body;
        EXPECT_EQ(json.Root()["status"]["code"].Scalar(), "") << c.body;
    }
}

TEST(JsonValue, TextDecodesEveryEscapeIntoUtf8) {
    const struct {
        const char* written;
        const char* text;
    } cases[] = {
        {"plain", "plain"},
        {R"(a\"b\\c\/d)", "a\"b\\c/d"},
        {R"(\b\f\n\r\t)", "\b\f\n\r\t"},
        {R"(\u0041\u00e9)", "A\xC3\xA9"},
        {R"(\u9ED8\u8ba4)", "\xE9\xBB\x98\xE8\xAE\xA4"},  // either case of hex digits
        {R"(\ud83d\ude00!)", "\xF0\x9F\x98\x80!"},        // a surrogate pair is one character
        {R"(\ud83d!)", "\xEF\xBF\xBD!"},                  // a lone one is U+FFFD
        {R"(\ude00)", "\xEF\xBF\xBD"},
        {R"(\ud83d\u0041)",
         "\xEF\xBF\xBD"
         "A"},
        {"\xE9\xBB\x98", "\xE9\xBB\x98"},  // UTF-8 as it came
    };
    for (const auto& c : cases) {
        const JsonReply json(std::string(R"({"v":")") + c.written + "\"}");
        EXPECT_EQ(json.Root()["v"].Text(), c.text) << c.written;
    }
}

TEST(JsonValue, MembersOfTheObjectItselfItemsInOrderNumbersAsWritten) {
    const JsonReply json(
        R"({"nested":{"id":"inner"},"result":[{"id":9007199254740993},{"id":"18446744073709551615"},)"
        R"({"id":-12.5e3}],"success":true,"off":false,"none":null,"id":"outer"})");
    const JsonValue root = json.Root();
    EXPECT_EQ(root["id"].Text(), "outer");
    EXPECT_EQ(root["nested"]["id"].Text(), "inner");
    const std::vector<JsonValue> items = root["result"].Items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0]["id"].Number(), "9007199254740993");  // past a double's 2^53
    EXPECT_EQ(items[1]["id"].Scalar(), "18446744073709551615");
    EXPECT_EQ(items[2]["id"].Scalar(), "-12.5e3");
    EXPECT_EQ(root["success"].Flag(), true);
    EXPECT_EQ(root["off"].Flag(), false);
    EXPECT_TRUE(root["none"].Present());
    EXPECT_EQ(root["none"].Flag(), std::nullopt);
    EXPECT_EQ(root["none"].Scalar(), "");
    EXPECT_FALSE(root["missing"].Present());
    EXPECT_FALSE(root["result"]["id"].Present());
    EXPECT_TRUE(root["id"].Items().empty());
    EXPECT_EQ(root["success"].Text(), std::nullopt);
    EXPECT_EQ(root["id"].Number(), std::nullopt);
}

TEST(JsonQuoted, EscapesWhatJsonMustAndReadsBackTheSame) {
    const std::string text = "a\"b\\c/\n\x01\xE9\xBB\x98";
    EXPECT_EQ(JsonQuoted(text), "\"a\\\"b\\\\c/\\u000A\\u0001\xE9\xBB\x98\"");
    EXPECT_EQ(JsonReply("[" + JsonQuoted(text) + "]").Root().Items().at(0).Text(), text);
}

}  // namespace
