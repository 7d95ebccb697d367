// The system DLLs that Kivo loads at run time, checked once at the start.
#ifndef KIVO_SYSTEM_LIBRARIES_WIN_H
#define KIVO_SYSTEM_LIBRARIES_WIN_H

#include <windows.h>

// Loads WinINet and the IP helper on the window's thread, before the worker starts, and
// tells what of them is missing; Kivo goes on without what needs it.
void LoadSystemLibraries(HWND mainDialog);

#endif
