// What kivo.exe carries: the main dialog template, the icon, the manifest, the version
// record, and imports of system libraries only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "resources/resource_ids.h"
#include "build_config.h"
#include "tests/wine/dialog_template.h"
#include "tests/wine/harness.h"

using namespace kivo_test;

namespace {

constexpr char StatusTemplateText[] = KIVO_AUTHOR_NAME "Kivo更新器       QQ:" KIVO_AUTHOR_QQ;

const std::vector<ExpectedItem> MainDialogItems = {
    {1009, ButtonAtom, "关于", 0x5000000B, 100, 106, 31, 14},
    {1008, ButtonAtom, "更 新", 0x5000000B, 5, 129, 132, 27},
    {1001, StaticAtom, " 小 ", 0x5002010B, 264, 3, 13, 10},
    {1002, StaticAtom, " 关 ", 0x5002010B, 280, 3, 15, 10},
    {65535, StaticAtom, "服务器：", 0x5002000B, 12, 37, 33, 8},
    {65535, StaticAtom, "端口：", 0x5002000B, 20, 55, 25, 8},
    {65535, StaticAtom, "用户名：", 0x5002000B, 12, 73, 33, 8},
    {65535, StaticAtom, "密码：", 0x5002000B, 20, 91, 25, 8},
    {1003, EditAtom, "", 0x50810080, 48, 33, 82, 14},
    {1004, EditAtom, "", 0x50810080, 48, 51, 82, 14},
    {1005, EditAtom, "", 0x50810080, 48, 69, 82, 14},
    {1006, EditAtom, "", 0x508100A0, 48, 87, 82, 14},
    {65535, ButtonAtom, "软件设置：", 0x50000007, 5, 17, 131, 108},
    {1007, ButtonAtom, "自动更新", 0x50010003, 12, 108, 48, 10},
    {1022, StaticAtom, StatusTemplateText, 0x5002010C, 8, 164, 281, 11},
    {1010, EditAtom, "", 0x50010845, 143, 19, 149, 138, 0x00020000},
};

std::string BuiltExe() {
    KivoRun kivo;  // only for its copy of kivo.exe in a folder of this test's own
    return kivo.ExePath();
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

TEST(Resources, MainDialogTemplateIsTheExtendedChineseTemplate) {
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(BuiltExe(), IDD_MAIN, ChinesePrc, &dialog));
    EXPECT_TRUE(dialog.extended);
    EXPECT_EQ(dialog.version, 1);
    EXPECT_EQ(dialog.style, 0x80800840u);
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.helpId, 0u);
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.cx, 297);
    EXPECT_EQ(dialog.cy, 178);
    EXPECT_FALSE(dialog.menu.isOrdinal);
    EXPECT_EQ(dialog.menu.text, "");
    EXPECT_EQ(dialog.windowClass.text, "");
    EXPECT_EQ(dialog.title, "");
    EXPECT_EQ(dialog.pointSize, 9);
    EXPECT_EQ(dialog.weight, 0);
    EXPECT_EQ(dialog.italic, 0);
    EXPECT_EQ(dialog.charset, 0);
    EXPECT_EQ(dialog.typeface, "宋体");
}

TEST(Resources, MainDialogHasItsSixteenControlsInOrder) {
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(BuiltExe(), IDD_MAIN, ChinesePrc, &dialog));
    ExpectItems(dialog, MainDialogItems);
}

TEST(Resources, IconIsOneImageOf32By32At32BitsPerPixel) {
    HMODULE module = LoadLibraryExA(BuiltExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC group =
        FindResourceA(module, IDI_MAIN_ICON_NAME, reinterpret_cast<LPCSTR>(RT_GROUP_ICON));
    ASSERT_NE(group, nullptr);
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct GroupHeader {
        WORD reserved, type, count;
        GroupEntry entries[1];
    };
#pragma pack(pop)
    const auto* header = static_cast<const GroupHeader*>(LockResource(LoadResource(module, group)));
    EXPECT_EQ(header->type, 1);
    EXPECT_EQ(header->count, 1);
    EXPECT_EQ(header->entries[0].width, 32);
    EXPECT_EQ(header->entries[0].height, 32);
    EXPECT_EQ(header->entries[0].bitCount, 32);
    FreeLibrary(module);
}

TEST(Resources, ManifestRunsAsInvokerWithoutCommonControlsSix) {
    HMODULE module = LoadLibraryExA(BuiltExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC resource =
        FindResourceA(module, MAKEINTRESOURCEA(1), reinterpret_cast<LPCSTR>(RT_MANIFEST));
    ASSERT_NE(resource, nullptr);
    const std::string manifest(
        static_cast<const char*>(LockResource(LoadResource(module, resource))),
        SizeofResource(module, resource));
    FreeLibrary(module);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"),
              std::string::npos);
    EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
}

TEST(Resources, VersionRecordIsChineseVersionOne) {
    const std::string exe = BuiltExe();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, &block[0]));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 936);
    char* version = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\080403a8\\FileVersion",
                               reinterpret_cast<void**>(&version), &length));
    EXPECT_STREQ(version, "1.0");
}

TEST(Resources, ImportsOnlySystemLibraries) {
    HMODULE image = LoadLibraryExA(BuiltExe().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(image, nullptr);
    const auto* base = reinterpret_cast<const BYTE*>(image);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(imports.VirtualAddress, 0u);
    const char* const system[] = {"kernel32.dll", "user32.dll",  "gdi32.dll",
                                  "shell32.dll",  "wininet.dll", "msvcrt.dll"};
    int count = 0;
    for (auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name != 0; ++entry, ++count) {
        const std::string name = Lower(reinterpret_cast<const char*>(base + entry->Name));
        EXPECT_NE(std::find(std::begin(system), std::end(system), name), std::end(system)) << name;
    }
    EXPECT_GE(count, 3);
    FreeLibrary(image);
}
