#include "app/hotkey_rules.h"

bool KeyRepeatFilter::IsRepeat(std::uint32_t now) {
    const bool repeat = seen_ && now - lastAt_ < KeyRepeatSpacingMs;
    seen_ = true;
    lastAt_ = now;
    return repeat;
}
