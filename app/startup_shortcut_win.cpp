#include "app/startup_shortcut_win.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <string>

namespace {

constexpr char ShortcutName[] = "\\Kivo域名更新器.lnk";
constexpr char TrayArgument[] = "/tray";

// COM for the time of one use of a shortcut, and the shortcut's two interfaces.
class ShortcutFile {
public:
    ShortcutFile() : comReady_(SUCCEEDED(CoInitialize(nullptr))) {
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IShellLinkA, reinterpret_cast<void**>(&link_)))) {
            link_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file_));
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

std::wstring Wide(const std::string& text) {
    wchar_t wide[MAX_PATH * 2] = {};
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH * 2);
    return wide;
}

}  // namespace

bool StartsAtLogon() {
    const std::string path = ShortcutPath();
    ShortcutFile shortcut;
    if (path.empty() || !shortcut.link() ||
        FAILED(shortcut.file()->Load(Wide(path).c_str(), STGM_READ))) {
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
    shortcut.file()->Save(Wide(path).c_str(), TRUE);
}
