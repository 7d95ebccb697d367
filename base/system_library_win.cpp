#include "base/system_library_win.h"

#include <cstring>

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

SystemLibrary::SystemLibrary(const char* fileName) : fileName_(fileName), module_(nullptr) {
    char path[MAX_PATH];
    const UINT folder = GetSystemDirectoryA(path, MAX_PATH);
    // A bare name would be looked for in the program's folder first: no path, no DLL.
    if (folder == 0 || folder + 1 + std::strlen(fileName) >= MAX_PATH) return;
    path[folder] = '\\';
    std::strcpy(path + folder + 1, fileName);
    module_ = LoadLibraryA(path);
}
