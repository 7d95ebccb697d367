// Errors that no routine handles, and the text of the box that reports them.
#ifndef KIVO_LAST_RESORT_H
#define KIVO_LAST_RESORT_H

#include <cstdint>
#include <stdexcept>
#include <string>

// An I/O error with the system's error number, raised by the settings file.
class IoError : public std::runtime_error {
public:
    // Records the code address that raised it: the caller of this constructor.
    explicit IoError(int code);
    int code() const { return code_; }
    std::uintptr_t address() const { return address_; }

private:
    int code_;
    std::uintptr_t address_;
};

// "File not found" for 2, ... "I/O error %d" for numbers without a text of their own.
std::string IoErrorMessage(int code);

// "Exception {kind} in module {module} at {address}.\r\n{message}[.]\r\n"
std::string LastResortText(const std::string& kind, const std::string& module,
                           std::uintptr_t address, const std::string& message);

#endif
