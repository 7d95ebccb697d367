// Process-wide handles, created by the entry before MainDialog runs and never replaced.
#ifndef KIVO_APP_HANDLES_WIN_H
#define KIVO_APP_HANDLES_WIN_H

#include <windows.h>

extern HINSTANCE AppInstance;
// Solid COLORREF 0x00FFFFF0 (red 240, green 255, blue 255): the dialogs' face and the
// fill of owner-drawn buttons. Deleted after MainDialog has returned.
extern HBRUSH BackgroundBrush;

// The private message that the tray icon sends to MainDialog.
constexpr UINT TrayCallbackMessage = 2024;

#endif
