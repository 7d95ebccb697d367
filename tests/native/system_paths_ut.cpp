// The system folder's files that Kivo loads or starts: never by a bare name.
#include <gtest/gtest.h>

#include "base/system_paths.h"

namespace {

TEST(FileInFolder, EachSystemFileByItsFullPathOrNotAtAll) {
    const std::string longFolder = "C:\\" + std::string(245, 'x');  // 248 bytes
    const struct {
        std::string folder, file, path;
    } cases[] = {
        {"C:\\Windows\\system32", "wininet.dll", "C:\\Windows\\system32\\wininet.dll"},
        {"C:\\Windows\\system32", "iphlpapi.dll", "C:\\Windows\\system32\\iphlpapi.dll"},
        {"C:\\Windows\\system32", "notepad.exe", "C:\\Windows\\system32\\notepad.exe"},
        {"C:\\", "wininet.dll", "C:\\wininet.dll"},
        {"", "wininet.dll", ""},  // the system could not tell its folder
        {longFolder, "wininet.dl", longFolder + "\\wininet.dl"},  // 259 bytes and the zero
        {longFolder, "wininet.dll", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FileInFolder(c.folder, c.file, 260), c.path) << c.file;
}

}  // namespace
