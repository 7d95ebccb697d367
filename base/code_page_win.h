// Texts between the ANSI code page that the window speaks and UTF-8, which the log and the
// providers' APIs speak.
#ifndef KIVO_CODE_PAGE_WIN_H
#define KIVO_CODE_PAGE_WIN_H

#include <string>

bool IsLeadByteOfAnsiCodePage(unsigned char byte);

std::string Utf8OfAnsi(const std::string& ansi);
// A character the code page lacks becomes its default character ("?").
std::string AnsiOfUtf8(const std::string& utf8);

#endif
