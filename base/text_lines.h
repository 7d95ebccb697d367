// Multi-line texts of the program, kept as tables of lines.
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

#endif
