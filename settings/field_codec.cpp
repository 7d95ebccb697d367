#include "settings/field_codec.h"

namespace {

constexpr unsigned char ScrambleMask = 0xC5;

int HexDigitValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    return -1;
}

}  // namespace

std::string ExtractBetween(const std::string& text, const std::string& key,
                           const std::string& separator) {
    const size_t keyAt = text.find(key);
    if (keyAt == std::string::npos) return {};
    const size_t start = keyAt + key.size();
    const size_t separatorAt = text.find(separator, start);
    if (separatorAt == std::string::npos) return {};
    return text.substr(start, separatorAt - start);
}

std::string HexEncode(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(2 * bytes.size());
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text += digits[value >> 4];
        text += digits[value & 0x0F];
    }
    return text;
}

std::optional<std::string> HexDecode(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size() / 2);
    for (size_t at = 0; at + 1 < text.size(); at += 2) {
        const int high = HexDigitValue(text[at]);
        const int low = HexDigitValue(text[at + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

std::string XorScramble(const std::string& bytes) {
    std::string scrambled = bytes;
    for (char& byte : scrambled) byte = static_cast<char>(byte ^ ScrambleMask);
    return scrambled;
}

std::string EscapeChoiceValue(const std::string& value) {
    std::string escaped;
    for (const char c : value) escaped += c == '%' ? "%25" : c == '=' ? "%3D" : std::string(1, c);
    return escaped;
}

std::string UnescapeChoiceValue(const std::string& stored) {
    std::string value;
    for (size_t at = 0; at < stored.size(); ++at) {
        const std::string code = stored.substr(at, 3);
        if (code == "%25" || code == "%3D") {
            value += code == "%25" ? '%' : '=';
            at += 2;
        } else {
            value += stored[at];
        }
    }
    return value;
}
