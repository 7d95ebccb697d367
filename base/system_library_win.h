// The DLLs that Kivo loads itself, only ever from the system folder: a portable exe lands
// in folders such as Downloads, where any file named like a system DLL may lie beside it.
#ifndef KIVO_SYSTEM_LIBRARY_WIN_H
#define KIVO_SYSTEM_LIBRARY_WIN_H

#include <windows.h>

#include <string>

// Restricts the search for every DLL loaded from now on to the system folder where Windows
// can (8 and later, 7 and Vista with the update that added SetDefaultDllDirectories), and
// elsewhere takes the current folder out of it. The first call of the program.
void KeepDllSearchInSystemFolder();

// The full path of a file of the system folder; empty where the system cannot tell it.
std::string SystemFolderPath(const char* fileName);

// A DLL of the system folder, loaded by its full path and kept for the process's life,
// and the functions taken from it by name.
class SystemLibrary {
public:
    // fileName lives as long as the program (a literal).
    explicit SystemLibrary(const char* fileName);
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // Sets slot to the named function, or to null; a required function that is missing
    // leaves the library incomplete. name lives as long as the program.
    template <typename Function>
    void Take(Function& slot, const char* name, bool required = true) {
        slot = reinterpret_cast<Function>(
            reinterpret_cast<void (*)()>(module_ ? GetProcAddress(module_, name) : nullptr));
        if (!slot && required && !missingFunction_) missingFunction_ = name;
    }

    bool Complete() const { return module_ && !missingFunction_; }
    const char* FileName() const { return fileName_; }
    // The first required function that is missing; null when all are there, or when the
    // DLL itself could not be loaded.
    const char* MissingFunction() const { return module_ ? missingFunction_ : nullptr; }

private:
    const char* fileName_;
    HMODULE module_;
    const char* missingFunction_ = nullptr;
};

// A system library and the table of its functions that Kivo calls, filled once by take.
template <typename Functions>
struct LoadedFunctions {
    LoadedFunctions(const char* fileName, void (*take)(SystemLibrary&, Functions&))
        : library(fileName) {
        take(library, functions);
    }
    // The table, or null when the library or a function it requires could not be loaded.
    const Functions* Table() const { return library.Complete() ? &functions : nullptr; }

    SystemLibrary library;
    Functions functions = {};
};

#endif
