// The last-resort box text and the I/O error messages.
#include <gtest/gtest.h>

#include "app/last_resort.h"

TEST(IoErrorMessage, KnownNumbersHaveTheirTextOthersTheirNumber) {
    const struct {
        int code;
        const char* text;
    } cases[] = {
        {2, "File not found"},        {3, "Invalid filename"},       {4, "Too many open files"},
        {5, "File access denied"},    {100, "Read beyond end of file"}, {101, "Disk full"},
        {106, "Invalid numeric input"}, {32, "I/O error 32"},        {0, "I/O error 0"},
    };
    for (const auto& c : cases) EXPECT_EQ(IoErrorMessage(c.code), c.text) << c.code;
}

TEST(LastResortText, AddsTheFinalDotOnlyWhenTheMessageLacksOne) {
    const std::string zeros(2 * sizeof(std::uintptr_t) - 6, '0');
    EXPECT_EQ(LastResortText("EInOutError", "kivo.exe", 0x40A1B2, "Disk full"),
              "Exception EInOutError in module kivo.exe at " + zeros + "40A1B2.\r\nDisk full.\r\n");
    EXPECT_EQ(LastResortText("Exception", "a.exe", 0xABCDEF, "Stopped."),
              "Exception Exception in module a.exe at " + zeros + "ABCDEF.\r\nStopped.\r\n");
}

TEST(IoError, CarriesItsCodeAndMessage) {
    try {
        throw IoError(5);
    } catch (const IoError& error) {
        EXPECT_EQ(error.code(), 5);
        EXPECT_STREQ(error.what(), "File access denied");
        EXPECT_NE(error.address(), 0u);
    }
}
