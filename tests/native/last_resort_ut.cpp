// The last-resort box text and the I/O error messages.
#include <gtest/gtest.h>

#include "base/last_resort.h"

TEST(LastResort, KnownErrorNumbersHaveTheirTextAndTheBoxEndsInOneDot) {
    const std::pair<int, const char*> cases[] = {
        {2, "File not found"},
        {3, "Invalid filename"},
        {4, "Too many open files"},
        {5, "File access denied"},
        {100, "Read beyond end of file"},
        {101, "Disk full"},
        {106, "Invalid numeric input"},
        {32, "I/O error 32"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(IoErrorMessage(code), text) << code;
    const std::string zeros(2 * sizeof(std::uintptr_t) - 6, '0');  // 8 hex digits in kivo.exe
    EXPECT_EQ(LastResortText("EInOutError", "kivo.exe", 0x40A1B2, "Disk full"),
              "Exception EInOutError in module kivo.exe at " + zeros + "40A1B2.\r\nDisk full.\r\n");
    EXPECT_EQ(LastResortText("Exception", "a.exe", 0xABCDEF, "Stopped."),
              "Exception Exception in module a.exe at " + zeros + "ABCDEF.\r\nStopped.\r\n");
}
