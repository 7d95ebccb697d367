#include "app/startup_shortcut_win.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <string>

namespace {

constexpr char ShortcutName[] = "\\Kivo域名更新器.lnk";
constexpr char TrayArgument[] = "/tray";

// The shell's shortcut object and the two interfaces Kivo uses, named here: libuuid's table
// of every GUID would add tens of kilobytes to the exe.
constexpr CLSID ShellLinkObject = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID ShellLinkInterface = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID PersistFileInterface = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// COM for the time of one use of a shortcut, and the shortcut's two interfaces.
class ShortcutFile {
public:
    ShortcutFile() : comReady_(SUCCEEDED(CoInitialize(nullptr))) {
        if (SUCCEEDED(CoCreateInstance(ShellLinkObject, nullptr, CLSCTX_INPROC_SERVER,
                                       ShellLinkInterface, reinterpret_cast<void**>(&link_)))) {
            link_->QueryInterface(PersistFileInterface, reinterpret_cast<void**>(&file_));
        }
    }
    ~ShortcutFile() {
        if (file_) file_->Release();
        if (link_) link_->Release();
        if (comReady_) CoUninitialize();
    }
    ShortcutFile(const ShortcutFile&) = delete;
    ShortcutFile& operator=(const ShortcutFile&) = delete;

    IShellLinkA* link() const { return file_ ? link_ : nullptr; }
    IPersistFile* file() const { return file_; }

private:
    bool comReady_;
    IShellLinkA* link_ = nullptr;
    IPersistFile* file_ = nullptr;
};

std::string ExecutablePath() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// The shortcut's path, or empty where the user has no Startup folder.
std::string ShortcutPath() {
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, 0, folder))) return {};
    return folder + std::string(ShortcutName);
}

// Up to the last "\\" that is a character of its own, not the trail byte of a double-byte one.
std::string FolderOf(const std::string& path) {
    size_t end = 0;
    for (const char* p = path.c_str(); *p; p = CharNextA(p)) {
        if (*p == '\\') end = p - path.c_str();
    }
    return path.substr(0, end);
}

// The path in UTF-16, as IPersistFile takes it (a plain array: std::wstring's code would
// double the exe's size of strings).
struct WidePath {
    explicit WidePath(const std::string& path) {
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, text, MAX_PATH);
    }
    wchar_t text[MAX_PATH] = {};
};

}  // namespace

bool StartsAtLogon() {
    const std::string path = ShortcutPath();
    ShortcutFile shortcut;
    if (path.empty() || !shortcut.link() ||
        FAILED(shortcut.file()->Load(WidePath(path).text, STGM_READ))) {
        return false;
    }
    char target[MAX_PATH] = {}, arguments[MAX_PATH] = {};
    shortcut.link()->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    shortcut.link()->GetArguments(arguments, MAX_PATH);
    return lstrcmpiA(target, ExecutablePath().c_str()) == 0 &&
           lstrcmpiA(arguments, TrayArgument) == 0;
}

void SetStartsAtLogon(bool starts) {
    const std::string path = ShortcutPath();
    if (path.empty()) return;
    if (!starts) {
        DeleteFileA(path.c_str());
        return;
    }
    const std::string exe = ExecutablePath();
    ShortcutFile shortcut;
    if (!shortcut.link()) return;
    shortcut.link()->SetPath(exe.c_str());
    shortcut.link()->SetArguments(TrayArgument);
    shortcut.link()->SetWorkingDirectory(FolderOf(exe).c_str());
    shortcut.link()->SetDescription("Kivo域名更新器");
    shortcut.file()->Save(WidePath(path).text, TRUE);
}
