#include "base/text_lines.h"

std::string TextWithin(const std::string& text, std::size_t limit,
                       bool (*isLeadByte)(unsigned char)) {
    std::size_t kept = 0;
    while (kept < text.size()) {
        const std::size_t next =
            kept + (isLeadByte(static_cast<unsigned char>(text[kept])) ? 2 : 1);
        if (next > text.size() || next > limit) break;
        kept = next;
    }
    return text.substr(0, kept);
}

std::string ReplaceEvery(std::string text, const std::string& placeholder,
                         const std::string& value) {
    for (size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
    return text;
}

std::string AsciiLowerCase(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

std::string FirstLineWithin(const std::string& text, std::size_t limit,
                            bool (*isLeadByte)(unsigned char)) {
    return TextWithin(text.substr(0, text.find_first_of("\r\n")), limit, isLeadByte);
}
