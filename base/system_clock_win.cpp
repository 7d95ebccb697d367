#include "base/system_clock_win.h"

#include <windows.h>

std::int64_t SecondsSince1970() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::int64_t ticks =
        (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (ticks - 116444736000000000LL) / 10000000;  // 100 ns ticks since 1601
}
