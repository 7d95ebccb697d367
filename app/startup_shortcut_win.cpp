#include "app/startup_shortcut_win.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/tray_rules.h"

namespace {

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

// Up to the last "\\" that is a character of its own, not the trail byte of a double-byte one.
std::string FolderOf(const std::string& path) {
    size_t end = 0;
    for (const char* p = path.c_str(); *p; p = CharNextA(p)) {
        if (*p == '\\') end = p - path.c_str();
    }
    return path.substr(0, end);
}

// The paths this copy's shortcut may have, in the order of choice; none where the user has
// no Startup folder.
std::vector<std::string> ShortcutPaths() {
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, 0, folder))) return {};
    const std::string exeFolder = FolderOf(ExecutablePath());
    const std::string parent = FolderOf(exeFolder);
    const std::string exeFolderName = exeFolder.substr(parent.empty() ? 0 : parent.size() + 1);
    std::vector<std::string> paths;
    for (const std::string& name : LogonShortcutNames(exeFolderName)) {
        paths.push_back(folder + ("\\" + name));
    }
    return paths;
}

// The path in UTF-16, as IPersistFile takes it (a plain array: std::wstring's code would
// double the exe's size of strings).
struct WidePath {
    explicit WidePath(const std::string& path) {
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, text, MAX_PATH);
    }
    wchar_t text[MAX_PATH] = {};
};

enum class ShortcutAt { Nothing, ThisExe, AnotherExe };

ShortcutAt WhatStartsAt(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return ShortcutAt::Nothing;
    ShortcutFile shortcut;
    if (!shortcut.link() || FAILED(shortcut.file()->Load(WidePath(path).text, STGM_READ))) {
        return ShortcutAt::AnotherExe;  // something of somebody else's: left alone
    }
    char target[MAX_PATH] = {}, arguments[MAX_PATH] = {};
    shortcut.link()->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    shortcut.link()->GetArguments(arguments, MAX_PATH);
    return lstrcmpiA(target, ExecutablePath().c_str()) == 0 &&
                   lstrcmpiA(arguments, TrayArgument) == 0
               ? ShortcutAt::ThisExe
               : ShortcutAt::AnotherExe;
}

}  // namespace

bool StartsAtLogon() {
    for (const std::string& path : ShortcutPaths()) {
        if (WhatStartsAt(path) == ShortcutAt::ThisExe) return true;
    }
    return false;
}

// Only this exe's own shortcuts are ever removed or replaced.
void SetStartsAtLogon(bool starts) {
    std::string path;
    for (const std::string& candidate : ShortcutPaths()) {
        const ShortcutAt at = WhatStartsAt(candidate);
        if (!starts && at == ShortcutAt::ThisExe) DeleteFileA(candidate.c_str());
        if (starts && at != ShortcutAt::AnotherExe) {
            path = candidate;
            break;
        }
    }
    if (path.empty()) return;
    const std::string exe = ExecutablePath();
    ShortcutFile shortcut;
    if (!shortcut.link()) return;
    shortcut.link()->SetPath(exe.c_str());
    shortcut.link()->SetArguments(TrayArgument);
    shortcut.link()->SetWorkingDirectory(FolderOf(exe).c_str());
    shortcut.link()->SetDescription("Kivo域名更新器");
    shortcut.file()->Save(WidePath(path).text, TRUE);
}
