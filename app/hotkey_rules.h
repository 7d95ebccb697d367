// Telling a held hotkey from a press.
#ifndef KIVO_HOTKEY_RULES_H
#define KIVO_HOTKEY_RULES_H

#include <cstdint>

// A held key repeats about 30 times a second; Windows before 7 cannot be asked not to.
inline constexpr std::uint32_t KeyRepeatSpacingMs = 500;

// A hotkey that comes less than KeyRepeatSpacingMs after the one before it (milliseconds of
// a clock that wraps) is the key held down, whatever happened in between.
class KeyRepeatFilter {
public:
    bool IsRepeat(std::uint32_t now);

private:
    bool seen_ = false;
    std::uint32_t lastAt_ = 0;
};

#endif
