#ifndef KIVO_MAIN_DIALOG_WIN_H
#define KIVO_MAIN_DIALOG_WIN_H

#include <windows.h>

#include <string>

// The dialog procedure of MainDialog (template IDD_MAIN), the hub of the program.
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Something Kivo cannot do from its start on (a hotkey taken, a system library missing):
// in an "错误:" box owned by the window, or, in a start behind the tray icon (/tray), on the
// status line and in the tray tip, where no box would wait for an answer at logon.
void TellStartupTrouble(HWND window, const std::string& text);

// When this kivo.exe runs already: asks it to show its window and returns true.
bool HandOverToRunningKivo();
// Once the window has gone and no run of the watch is on its way: a start from now on runs,
// though the closing notice is up. Any thread may call it.
void LetAnotherKivoStart();

#endif
