#ifndef KIVO_ABOUT_DIALOG_WIN_H
#define KIVO_ABOUT_DIALOG_WIN_H

#include <windows.h>

// The dialog procedure of the About window (template IDD_ABOUT).
INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
