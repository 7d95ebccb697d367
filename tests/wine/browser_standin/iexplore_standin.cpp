// Stands in for iexplore.exe in Wine tests: appends the command line it was started with
// to iexplore-started.txt beside itself and ends, so that a test sees what the shell was
// asked to open without a browser being started.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* name = strrchr(path, '\\');
    if (!name) return 1;
    strcpy(name + 1, "iexplore-started.txt");
    HANDLE record =
        CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (record == INVALID_HANDLE_VALUE) return 1;
    const char* commandLine = GetCommandLineA();
    DWORD written = 0;
    WriteFile(record, commandLine, static_cast<DWORD>(strlen(commandLine)), &written, nullptr);
    WriteFile(record, "\n", 1, &written, nullptr);
    CloseHandle(record);
    return 0;
}
