// The main window as a user meets it, and what kivo.exe carries.
#include "build_config.h"
#include "tests/wine/harness.h"

using namespace kivo_test;

namespace {

// Holds a global hotkey for the test program, so that Kivo's registration of it fails.
struct HotkeyTaken {
    HotkeyTaken(int key) : key(key) { EXPECT_TRUE(RegisterHotKey(nullptr, key, 0, key)); }
    ~HotkeyTaken() { UnregisterHotKey(nullptr, key); }
    int key;
};

std::vector<std::string> ChildTexts(HWND window) {
    std::vector<std::string> texts;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        texts.push_back(WindowText(child));
    }
    return texts;
}

}  // namespace

// The template loads with its Chinese texts in their order; the two boxes come after the
// window has been filled and shown, F3's first, both owned by the window.
TEST(MainWindow, ShowsItsTextsAndReportsHotkeysHeldByAnotherProgramInTurn) {
    Kivo kivo;
    HotkeyTaken f3(VK_F3), f4(VK_F4);
    kivo.Start();
    const std::pair<const char*, const char*> boxes[] = {
        {"热键F3注册失败,您将不能使用快捷键更新IP!!  ", "F3"},
        {"热键F4注册失败,您将不能使用快捷键 显示/隐藏 窗口  ", "F4"},
    };
    for (const auto& [text, key] : boxes) {
        const Box box = kivo.WaitBox();
        EXPECT_EQ(box.text, text) << key;
        EXPECT_EQ(box.caption, "错误:");
        EXPECT_EQ(box.owner, kivo.Main());
        kivo.CloseBox(box);
    }
    EXPECT_EQ(WindowText(kivo.Main()), "Kivo域名更新器 QQ:" KIVO_AUTHOR_QQ);
    const std::vector<std::string> texts = {
        "关于",
        "更 新",
        " 小 ",
        " 关 ",
        "服务器：",
        "端口：",
        "用户名：",
        "密码：",
        "",
        "",
        "",
        "",
        "软件设置：",
        "自动更新",
        KIVO_AUTHOR_NAME "Kivo更新器       QQ:" KIVO_AUTHOR_QQ,
        "\r\nKivo域名更新器\r\n\r\n小巧,绿色,方便,快捷!\r\n\r\n使用简介:\r\n\r\nF3-更新IP   "
        "F4-显示/隐藏窗口"
        "\r\n\r\n\r\n本程序由" KIVO_AUTHOR_NAME "制作\r\n\r\n" KIVO_AUTHOR_NAME
        "! QQ:" KIVO_AUTHOR_QQ "\r\n\r\n" KIVO_HOME_PAGE "\r\n\r\n如有建议,请与我联系!"};
    EXPECT_EQ(ChildTexts(kivo.Main()), texts);
    EXPECT_TRUE(kivo.Boxes().empty());
}

// Enter, Escape and Alt+F4 arrive as IDOK, IDCANCEL and WM_CLOSE, a double click on an
// owner-drawn button as BN_DOUBLECLICKED: none may act. The click posted after them shows
// that they have all been handled, and the window is still there.
TEST(MainWindow, IgnoresEnterEscapeAltF4AndDoubleClicks) {
    Kivo& kivo = Shared();
    kivo.SetText(IDC_HOST_FIELD, "");
    kivo.Post(WM_COMMAND, IDOK, 0);
    kivo.Post(WM_COMMAND, IDCANCEL, 0);
    kivo.Post(WM_CLOSE, 0, 0);
    kivo.Post(WM_COMMAND, MAKEWPARAM(IDC_UPDATE_BUTTON, BN_DOUBLECLICKED), 0);
    kivo.Post(WM_COMMAND, MAKEWPARAM(IDC_CLOSE_LABEL, BN_DOUBLECLICKED), 0);
    kivo.Click(IDC_UPDATE_BUTTON);  // an empty domain: one warning box, nothing else
    const Box box = kivo.WaitBox();
    EXPECT_EQ(box.caption, "警告:");
    kivo.CloseBox(box);
    EXPECT_TRUE(IsWindowVisible(kivo.Main()));
    EXPECT_TRUE(kivo.Boxes().empty());
    EXPECT_TRUE(kivo.Running());
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

// The icon is one 32 x 32 image of 32 bits; the manifest asks for no elevation and no
// Common Controls 6; the version is 1.0; only system libraries are imported.
TEST(Resources, IconManifestVersionAndSystemImports) {
    Kivo kivo;  // only for its copy of kivo.exe
    HMODULE exe = LoadLibraryExA(kivo.exePath.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    auto resource = [exe](LPCSTR name, int type) {
        HRSRC found = FindResourceA(exe, name, MAKEINTRESOURCEA(type));
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(exe, found)));
        return found ? std::string(bytes, SizeofResource(exe, found)) : std::string();
    };
    EXPECT_EQ(resource(IDI_MAIN_ICON_NAME, 14).substr(4, 10),  // one entry, no palette
              std::string("\x01\x00\x20\x20\x00\x00\x01\x00\x20\x00", 10));
    const std::string manifest = resource(MAKEINTRESOURCEA(1), 24);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
    EXPECT_NE(resource(MAKEINTRESOURCEA(1), 16)
                  .find(std::string("1\0.\0"
                                    "0\0",
                                    6)),
              std::string::npos);
    const auto* base = reinterpret_cast<const BYTE*>(exe);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    const std::string system = " kernel32 user32 gdi32 shell32 wininet msvcrt ";
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
             base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
         entry->Name; ++entry) {
        std::string name = reinterpret_cast<const char*>(base + entry->Name);
        CharLowerA(&name[0]);
        EXPECT_NE(system.find(" " + name.substr(0, name.size() - 4) + " "), std::string::npos)
            << name;
    }
    FreeLibrary(exe);
}
