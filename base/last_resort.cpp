#include "base/last_resort.h"

#include <cstdio>

IoError::IoError(int code)
    : std::runtime_error(IoErrorMessage(code)),
      code_(code),
      address_(reinterpret_cast<std::uintptr_t>(__builtin_return_address(0))) {}

std::string IoErrorMessage(int code) {
    switch (code) {
        case 2: return "File not found";
        case 3: return "Invalid filename";
        case 4: return "Too many open files";
        case 5: return "File access denied";
        case 100: return "Read beyond end of file";
        case 101: return "Disk full";
        case 106: return "Invalid numeric input";
    }
    return "I/O error " + std::to_string(code);
}

std::string LastResortText(const std::string& kind, const std::string& module,
                           std::uintptr_t address, const std::string& message) {
    char addressText[2 * sizeof address + 1];
    std::snprintf(addressText, sizeof addressText, "%0*llX", static_cast<int>(2 * sizeof address),
                  static_cast<unsigned long long>(address));
    const bool endsInDot = !message.empty() && message.back() == '.';
    return "Exception " + kind + " in module " + module + " at " + addressText + ".\r\n" + message +
           (endsInDot ? "" : ".") + "\r\n";
}
