/* Stands in for a DLL left beside kivo.exe: once loaded, it leaves "<its path>.ran". */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    char path[MAX_PATH + 8] = {0};
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    GetModuleFileNameA(module, path, MAX_PATH);
    lstrcatA(path, ".ran");
    CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return TRUE;
}
