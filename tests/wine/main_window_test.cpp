// The main window as a user meets it, and what kivo.exe carries.
#include "tests/wine/harness.h"
#include "ui/chrome_rules.h"

using namespace kivo_test;

// The template loads with its Chinese texts, in their order; the hotkey boxes come after
// the window has been filled and shown, F3's first, each owned by the window.
TEST(MainWindow, ShowsItsTextsAndReportsHotkeysHeldByAnotherProgramInTurn) {
    TestKivo kivo;
    EXPECT_TRUE(RegisterHotKey(nullptr, VK_F3, 0, VK_F3) &&
                RegisterHotKey(nullptr, VK_F4, 0, VK_F4));
    kivo.Start();
    for (const char* text : {"热键F3注册失败,您将不能使用快捷键更新IP!!  ",
                             "热键F4注册失败,您将不能使用快捷键 显示/隐藏 窗口  "}) {
        const Box box = kivo.WaitBox();
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, "错误:");
        EXPECT_EQ(box.owner, kivo.Main());
        kivo.CloseBox(box);
    }
    UnregisterHotKey(nullptr, VK_F3);
    UnregisterHotKey(nullptr, VK_F4);
    EXPECT_EQ(WindowText(kivo.Main()), "Kivo域名更新器 QQ:" KIVO_AUTHOR_QQ);
    std::string texts;
    for (HWND child = GetWindow(kivo.Main(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        texts += WindowText(child) + "|";
    }
    EXPECT_EQ(texts,
              "关于|更 新| 小 | 关 "
              "|服务器：|端口：|用户名：|密码：|||||软件设置：|自动更新|" KIVO_AUTHOR_NAME
              "Kivo更新器       QQ:" KIVO_AUTHOR_QQ
              "|\r\nKivo域名更新器\r\n\r\n小巧,绿色,方便,快捷!\r\n\r\n"
              "使用简介:\r\n\r\nF3-更新IP   F4-显示/隐藏窗口\r\n\r\n\r\n本程序由" KIVO_AUTHOR_NAME
              "制作\r\n\r\n" KIVO_AUTHOR_NAME "! QQ:" KIVO_AUTHOR_QQ "\r\n\r\n" KIVO_HOME_PAGE
              "\r\n\r\n如有建议,请与我联系!|");
    EXPECT_EQ(SendMessageA(kivo.Item(IDC_PASSWORD_FIELD), EM_GETPASSWORDCHAR, 0, 0), '*');
    EXPECT_TRUE(kivo.Boxes().empty());
}

// Enter, Escape and Alt+F4 arrive as IDOK, IDCANCEL and WM_CLOSE, a double click on an
// owner-drawn button as BN_DOUBLECLICKED: none may act. The click posted after them shows
// that they have all been handled, and the window is still there.
TEST(MainWindow, IgnoresEnterEscapeAltF4AndDoubleClicks) {
    Kivo& kivo = Shared();
    kivo.SetText(IDC_HOST_FIELD, "");
    const WPARAM ignored[] = {IDOK, IDCANCEL, MAKEWPARAM(IDC_UPDATE_BUTTON, BN_DOUBLECLICKED),
                              MAKEWPARAM(IDC_CLOSE_LABEL, BN_DOUBLECLICKED)};
    for (const WPARAM command : ignored) kivo.Post(WM_COMMAND, command, 0);
    kivo.Post(WM_CLOSE, 0, 0);
    kivo.Click(IDC_UPDATE_BUTTON);  // an empty domain: one warning box, nothing else
    const Box box = kivo.WaitBox();
    EXPECT_EQ(box.caption, "警告:");
    kivo.CloseBox(box);
    EXPECT_TRUE(IsWindowVisible(kivo.Main()) && kivo.Boxes().empty() && kivo.Running());
}

// Regression: a field took 30,000 characters, of which only the first 254 bytes were ever
// used or saved, cut without a word.
TEST(MainWindow, FieldsTakeAtMost254BytesOfTyping) {
    Kivo& kivo = Shared();
    for (int id : {IDC_HOST_FIELD, IDC_IP_FIELD, IDC_USER_FIELD, IDC_PASSWORD_FIELD}) {
        kivo.SetText(id, "");
        for (int typed = 0; typed < 300; ++typed) PostMessageA(kivo.Item(id), WM_CHAR, 'x', 0);
        EXPECT_TRUE(WaitFor([&] { return kivo.Text(id) == std::string(254, 'x'); })) << id;
    }
}

// The icon holds square images of 16 to 48 pixels, of 32 bits each; the manifest asks for
// no elevation and no Common Controls 6, and declares per-monitor v2 DPI awareness (system
// awareness before); the version record names the version; it is a GUI program. Its
// import table is checked by scripts/check_imports.sh.
TEST(Resources, IconManifestVersionAndSubsystem) {
    TestKivo kivo;  // only for its copy of kivo.exe
    HMODULE exe = LoadLibraryExA(kivo.exePath.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    auto resource = [exe](LPCSTR name, int type) {
        HRSRC found = FindResourceA(exe, name, MAKEINTRESOURCEA(type));
        return found ? std::string(static_cast<const char*>(LockResource(LoadResource(exe, found))),
                                   SizeofResource(exe, found))
                     : std::string();
    };
    const std::string icon = resource(IDI_MAIN_ICON_NAME, 14);  // 6 bytes, then 14 per image
    ASSERT_EQ(icon.size(), 6u + 14 * std::size(IconImageSizes));
    for (size_t image = 0; image < std::size(IconImageSizes); ++image) {
        const char size = static_cast<char>(IconImageSizes[image]);
        EXPECT_EQ(icon.substr(6 + 14 * image, 8), std::string({size, size, 0, 0, 1, 0, 32, 0}));
    }
    const std::string manifest = resource(MAKEINTRESOURCEA(1), 24);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find("/WindowsSettings\">true/pm</dpiAware>"), std::string::npos);
    constexpr wchar_t version[] = L"FileVersion\0\0" KIVO_VERSION;  // key, padding, value
    const std::string versionBytes(reinterpret_cast<const char*>(version), sizeof version - 2);
    EXPECT_NE(resource(MAKEINTRESOURCEA(1), 16).find(versionBytes), std::string::npos);
    const auto* base = reinterpret_cast<const BYTE*>(exe);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    FreeLibrary(exe);
}
