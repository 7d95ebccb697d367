// The program entry: process-wide handles, the main dialog, the closing notice.
#include <windows.h>

#include "app/app_texts.h"
#include "app/main_dialog_win.h"
#include "base/app_handles_win.h"
#include "base/system_library_win.h"
#include "resources/resource_ids.h"
#include "watch/watch_win.h"

HINSTANCE AppInstance;
HBRUSH BackgroundBrush;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    KeepDllSearchInSystemFolder();  // before anything that may load a DLL
    if (HandOverToRunningKivo()) ExitProcess(0);
    AppInstance = GetModuleHandleA(nullptr);
    BackgroundBrush = CreateSolidBrush(RGB(240, 255, 255));

    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);

    // A run still on its way ends first, its state saved, so that no second Kivo reads an
    // old state file or sends beside it.
    StopWatch(LetAnotherKivoStart);
    DeleteObject(BackgroundBrush);
    char path[MAX_PATH + 1] = {};  // at most 260 bytes of path, always terminated
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    MessageBoxA(nullptr, path, ClosingBoxCaption, MB_OK | MB_ICONINFORMATION);
    ExitProcess(0);
}
