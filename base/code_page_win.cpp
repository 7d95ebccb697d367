#include "base/code_page_win.h"

#include <windows.h>

#include <vector>

namespace {

// A vector rather than std::wstring, whose instantiation would add 20 KB to the exe.
std::string Converted(const std::string& text, UINT from, UINT to) {
    const int length = static_cast<int>(text.size());
    const int wideCount = MultiByteToWideChar(from, 0, text.data(), length, nullptr, 0);
    std::vector<wchar_t> wide(wideCount + 1);
    MultiByteToWideChar(from, 0, text.data(), length, wide.data(), wideCount);
    const int count =
        WideCharToMultiByte(to, 0, wide.data(), wideCount, nullptr, 0, nullptr, nullptr);
    std::string converted(count, '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideCount, &converted[0], count, nullptr, nullptr);
    return converted;
}

}  // namespace

bool IsLeadByteOfAnsiCodePage(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

std::string Utf8OfAnsi(const std::string& ansi) { return Converted(ansi, CP_ACP, CP_UTF8); }

std::string AnsiOfUtf8(const std::string& utf8) { return Converted(utf8, CP_UTF8, CP_ACP); }
