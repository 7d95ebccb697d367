// The system's clock, in UTC.
#ifndef KIVO_SYSTEM_CLOCK_WIN_H
#define KIVO_SYSTEM_CLOCK_WIN_H

#include <cstdint>

// Seconds since 1970-01-01 00:00 UTC.
std::int64_t SecondsSince1970();

#endif
