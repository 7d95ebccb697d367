// Multi-line texts of the program, kept as tables of lines, and cutting texts to a size.
#ifndef KIVO_TEXT_LINES_H
#define KIVO_TEXT_LINES_H

#include <cstddef>
#include <string>

// The lines joined by lineEnd, with none after the last.
template <std::size_t Count>
std::string JoinLines(const char* const (&lines)[Count], const char* lineEnd) {
    std::string text = lines[0];
    for (std::size_t i = 1; i < Count; ++i) {
        text += lineEnd;
        text += lines[i];
    }
    return text;
}

// The text cut to at most `limit` bytes without splitting a double-byte character of the
// code page whose lead bytes isLeadByte knows.
std::string TextWithin(const std::string& text, std::size_t limit,
                       bool (*isLeadByte)(unsigned char));
// Every occurrence replaced from left to right; the scan resumes behind each inserted value,
// so a value is never searched again by the same substitution.
std::string ReplaceEvery(std::string text, const std::string& placeholder,
                         const std::string& value);

// The text with its ASCII capitals in lower case; every other byte, the bytes of a
// double-byte character among them, as it is.
std::string AsciiLowerCase(std::string text);

// The text's first line (up to its first CR or LF), cut alike.
std::string FirstLineWithin(const std::string& text, std::size_t limit,
                            bool (*isLeadByte)(unsigned char));

#endif
