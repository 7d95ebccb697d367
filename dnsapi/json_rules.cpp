#include "dnsapi/json_rules.h"

#include <cstdio>
#include <cstring>

// Strict: bare words other than numbers, true, false and null are refused, so that a page
// of HTML is no JSON.
#define JSMN_STATIC
#define JSMN_STRICT
#include <jsmn.h>

namespace {

constexpr unsigned ReplacementCharacter = 0xFFFD;

void AppendUtf8(std::string& text, unsigned code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The code unit of "\uXXXX" at `at`, or nothing where the bytes are no such escape.
std::optional<unsigned> EscapedUnitAt(const std::string& text, std::size_t at, std::size_t end) {
    if (at + 6 > end || text[at] != '\\' || text[at + 1] != 'u') return std::nullopt;
    unsigned unit = 0;
    for (std::size_t i = at + 2; i < at + 6; ++i) {
        const char c = text[i];
        const unsigned digit = c >= '0' && c <= '9'   ? c - '0'
                               : c >= 'a' && c <= 'f' ? c - 'a' + 10
                               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                      : 16;
        if (digit == 16) return std::nullopt;
        unit = unit * 16 + digit;
    }
    return unit;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

JsonReply::JsonReply(std::string body) : body_(std::move(body)) {
    jsmn_parser parser;
    jsmn_init(&parser);
    const int count = jsmn_parse(&parser, body_.data(), body_.size(), nullptr, 0);
    if (count <= 0) return;
    std::vector<jsmntok_t> tokens(count);
    jsmn_init(&parser);
    if (jsmn_parse(&parser, body_.data(), body_.size(), tokens.data(), count) != count) return;
    const jsmntok_t& root = tokens[0];
    if (root.type != JSMN_OBJECT && root.type != JSMN_ARRAY) return;
    for (std::size_t at = root.end; at < body_.size(); ++at) {
        if (!IsBlank(body_[at])) return;
    }
    tokens_.reserve(count);
    for (const jsmntok_t& token : tokens) {
        const Kind kind = token.type == JSMN_OBJECT   ? Kind::Object
                          : token.type == JSMN_ARRAY  ? Kind::Array
                          : token.type == JSMN_STRING ? Kind::String
                                                      : Kind::Primitive;
        tokens_.push_back({kind, token.start, token.end, token.size});
    }
}

int JsonReply::After(int at) const {
    const int end = tokens_[at].end;
    int next = at + 1;
    while (next < static_cast<int>(tokens_.size()) && tokens_[next].start < end) ++next;
    return next;
}

JsonValue JsonValue::operator[](const char* key) const {
    if (!reply_) return {};
    const auto& tokens = reply_->tokens_;
    const JsonReply::Token& object = tokens[token_];
    if (object.kind != JsonReply::Kind::Object) return {};
    const std::size_t keyLength = std::strlen(key);
    int at = token_ + 1;
    for (int member = 0; member < object.size && at < static_cast<int>(tokens.size()); ++member) {
        const JsonReply::Token& name = tokens[at];
        // A key without its value is a body that jsmn let pass: nothing more is read of it.
        if (name.kind != JsonReply::Kind::String || name.size != 1 ||
            at + 1 >= static_cast<int>(tokens.size())) {
            return {};
        }
        if (static_cast<std::size_t>(name.end - name.start) == keyLength &&
            reply_->body_.compare(name.start, keyLength, key) == 0) {
            return {reply_, at + 1};
        }
        at = reply_->After(at + 1);
    }
    return {};
}

std::vector<JsonValue> JsonValue::Items() const {
    std::vector<JsonValue> items;
    if (!reply_ || reply_->tokens_[token_].kind != JsonReply::Kind::Array) return items;
    const int count = reply_->tokens_[token_].size;
    for (int at = token_ + 1;
         static_cast<int>(items.size()) < count && at < static_cast<int>(reply_->tokens_.size());
         at = reply_->After(at)) {
        items.push_back({reply_, at});
    }
    return items;
}

std::optional<std::string> JsonValue::Text() const {
    if (!reply_ || reply_->tokens_[token_].kind != JsonReply::Kind::String) return std::nullopt;
    const std::string& body = reply_->body_;
    const std::size_t end = reply_->tokens_[token_].end;
    std::string text;
    for (std::size_t at = reply_->tokens_[token_].start; at < end; ++at) {
        if (body[at] != '\\' || at + 1 >= end) {
            text += body[at];
            continue;
        }
        const char escaped = body[++at];
        switch (escaped) {
            case 'b': text += '\b'; break;
            case 'f': text += '\f'; break;
            case 'n': text += '\n'; break;
            case 'r': text += '\r'; break;
            case 't': text += '\t'; break;
            case 'u': {
                const std::optional<unsigned> unit = EscapedUnitAt(body, at - 1, end);
                if (!unit) return std::nullopt;  // jsmn checks the four digits: never here
                at += 4;
                unsigned code = *unit;
                if (code >= 0xD800 && code <= 0xDBFF) {
                    const std::optional<unsigned> low = EscapedUnitAt(body, at + 1, end);
                    if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                        code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
                        at += 6;
                    } else {
                        code = ReplacementCharacter;
                    }
                } else if (code >= 0xDC00 && code <= 0xDFFF) {
                    code = ReplacementCharacter;
                }
                AppendUtf8(text, code);
                break;
            }
            default: text += escaped;  // '"', '\' and '/' stand for themselves
        }
    }
    return text;
}

std::optional<std::string> JsonValue::Number() const {
    if (!reply_ || reply_->tokens_[token_].kind != JsonReply::Kind::Primitive) return std::nullopt;
    const JsonReply::Token& token = reply_->tokens_[token_];
    const char first = reply_->body_[token.start];
    if (first != '-' && (first < '0' || first > '9')) return std::nullopt;
    return reply_->body_.substr(token.start, token.end - token.start);
}

std::optional<bool> JsonValue::Flag() const {
    if (!reply_ || reply_->tokens_[token_].kind != JsonReply::Kind::Primitive) return std::nullopt;
    const JsonReply::Token& token = reply_->tokens_[token_];
    const std::string word = reply_->body_.substr(token.start, token.end - token.start);
    if (word == "true") return true;
    if (word == "false") return false;
    return std::nullopt;
}

std::string JsonValue::Scalar() const {
    if (std::optional<std::string> text = Text()) return *text;
    return Number().value_or("");
}

std::string JsonNumber(const std::string& digits) {
    const bool plain =
        !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
    return plain ? digits : JsonQuoted(digits);
}

std::string JsonQuoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned char>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}
