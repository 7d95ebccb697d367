// Reading the JSON replies of the DNS providers' APIs and writing the JSON they are sent.
// A reply is cut into jsmn's tokens once and walked in place: a string is decoded only when
// it is read, and a number is kept as the text it is written in.
#ifndef KIVO_JSON_RULES_H
#define KIVO_JSON_RULES_H

#include <optional>
#include <string>
#include <vector>

class JsonReply;

// One value of a reply, or none: a member that is absent, or anything of a reply that could
// not be read. Valid while its JsonReply lives.
class JsonValue {
public:
    bool Present() const { return reply_ != nullptr; }
    // The first member of an object with that key (written without escapes, as APIs write
    // their keys); none for anything but an object.
    JsonValue operator[](const char* key) const;
    // The items of an array in order; none for anything else.
    std::vector<JsonValue> Items() const;
    // A string's text in UTF-8 with every escape decoded (\uXXXX and its surrogate pairs
    // included; a lone surrogate becomes U+FFFD); nothing for anything but a string.
    std::optional<std::string> Text() const;
    // A number's text as written, so that an id of 64 bits stays exact; nothing else.
    std::optional<std::string> Number() const;
    // true or false; nothing for anything else.
    std::optional<bool> Flag() const;
    // A string's text or a number's, as providers write ids and codes either way; empty for
    // anything else.
    std::string Scalar() const;

private:
    friend class JsonReply;
    JsonValue() = default;
    JsonValue(const JsonReply* reply, int token) : reply_(reply), token_(token) {}
    const JsonReply* reply_ = nullptr;
    int token_ = 0;
};

class JsonReply {
public:
    // A body that is not one JSON object or array with nothing but blanks after it (empty,
    // cut short, a page of HTML) is unreadable.
    explicit JsonReply(std::string body);
    bool Readable() const { return !tokens_.empty(); }
    // The object or array; none when the body is unreadable.
    JsonValue Root() const { return Readable() ? JsonValue(this, 0) : JsonValue(); }

private:
    friend class JsonValue;
    enum class Kind { Object, Array, String, Primitive };
    struct Token {
        Kind kind;
        int start, end, size;  // a string's bytes without its quotes; the count of children
    };
    // The token after the value at `at` and everything inside it.
    int After(int at) const;

    std::string body_;
    std::vector<Token> tokens_;
};

// The text as a JSON string, quotes included: '"', '\' and control bytes escaped.
std::string JsonQuoted(const std::string& text);
// Digits as the JSON number they write (an id of 64 bits kept exact), anything else quoted.
std::string JsonNumber(const std::string& digits);

#endif
