#include "base/system_library_win.h"

#include "base/system_paths.h"

namespace {

// Both are looked up: a call in the import table would keep Kivo from starting where
// kernel32 lacks it (SetDllDirectoryA came with XP SP1).
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD directoryFlags);
typedef BOOL(WINAPI* SetDllDirectoryFunction)(LPCSTR path);
constexpr DWORD SearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

}  // namespace

void KeepDllSearchInSystemFolder() {
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
    if (setDefault && setDefault(SearchSystem32)) return;
    const auto setDirectory = reinterpret_cast<SetDllDirectoryFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "SetDllDirectoryA")));
    if (setDirectory) setDirectory("");
}

std::string SystemFolderPath(const char* fileName) {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length >= MAX_PATH) return {};
    return FileInFolder(std::string(folder, length), fileName, MAX_PATH);
}

// A bare name would be looked for in the program's folder first: no path, no DLL. The DLLs
// it needs in turn are looked for beside it, in the system folder, where the search is not
// kept there (before Windows 7's update).
SystemLibrary::SystemLibrary(const char* fileName) : fileName_(fileName), module_(nullptr) {
    const std::string path = SystemFolderPath(fileName);
    if (!path.empty())
        module_ = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
