// Where the settings file of an executable lives.
#include <gtest/gtest.h>

#include "settings/settings_path.h"

namespace {

bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

}  // namespace

TEST(SettingsPathFor, LowerCasesAndReplacesTheFileNamesOwnExtension) {
    const struct {
        const char* executable;
        const char* expected;
    } cases[] = {
        {"C:\\Tools\\DDNS.EXE", "c:\\tools\\ddns.Lr"},
        {"c:\\kivo\\Kivo.Exe", "c:\\kivo\\kivo.Lr"},
        {"C:\\x.exe.exe", "c:\\x.exe.Lr"},
        // A folder named like an executable stays as it is.
        {"c:\\app.exe.d\\x.exe", "c:\\app.exe.d\\x.Lr"},
        {"D:\\My.EXE Files\\Kivo.exe", "d:\\my.exe files\\kivo.Lr"},
        // No ".exe" of its own: the settings file must not be the executable.
        {"c:\\bin\\kivo", "c:\\bin\\kivo.Lr"},
        {"c:\\bin\\kivo.com", "c:\\bin\\kivo.com.Lr"},
        {"c:\\bin\\kivo.exe.bak", "c:\\bin\\kivo.exe.bak.Lr"},
        {"", ".Lr"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SettingsPathFor(c.executable, IsGbkLeadByte), c.expected) << c.executable;
    }
}

// "丄" is 0x81 0x41 in code page 936: lowering its trail byte would give "乤", another folder.
TEST(SettingsPathFor, LeavesDoubleByteCharactersAsTheyAre) {
    const struct {
        const char* executable;
        const char* expected;
    } cases[] = {
        {"C:\\\x81\x41\\K.EXE", "c:\\\x81\x41\\k.Lr"},
        {"C:\\\x81\x5A\x81\x5C\\A", "c:\\\x81\x5A\x81\x5C\\a.Lr"},
        {"C:\\\xD3\xF2\xC3\xFB\\Kivo.exe", "c:\\\xD3\xF2\xC3\xFB\\kivo.Lr"},
        {"C:\\A\x81", "c:\\a\x81.Lr"},  // a lead byte cut off at the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SettingsPathFor(c.executable, IsGbkLeadByte), c.expected) << c.executable;
    }
}
