#ifndef KIVO_TRAY_WIN_H
#define KIVO_TRAY_WIN_H

#include <windows.h>

// Puts Kivo's icon into the notification area, without a word.
void AddTrayIcon(HWND window);

// Puts Kivo's icon into the notification area, shows the balloon and hides the window.
void SendToTray(HWND window, const char* balloonText, const char* balloonTitle);

// Takes the icon out of the notification area.
void RemoveTrayIcon(HWND window);

// Takes the icon out of the notification area and shows the window again.
void RestoreFromTray(HWND window);

// The icon's menu at the pointer; a choice reaches the window as WM_COMMAND.
void ShowTrayMenu(HWND window);

#endif
