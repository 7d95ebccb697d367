#ifndef KIVO_MAIN_DIALOG_WIN_H
#define KIVO_MAIN_DIALOG_WIN_H

#include <windows.h>

// The dialog procedure of MainDialog (template IDD_MAIN), the hub of the program.
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// When this kivo.exe runs already: asks it to show its window and returns true.
bool HandOverToRunningKivo();

#endif
