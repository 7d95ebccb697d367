#ifndef KIVO_TRAY_WIN_H
#define KIVO_TRAY_WIN_H

#include <windows.h>

#include <string>

// Puts Kivo's icon into the notification area, without a word.
void AddTrayIcon(HWND window);

// Puts Kivo's icon into the notification area, shows the balloon and hides the window.
void SendToTray(HWND window, const char* balloonText, const char* balloonTitle);

// Takes the icon out of the notification area.
void RemoveTrayIcon(HWND window);

// Takes the icon out of the notification area and shows the window again.
void RestoreFromTray(HWND window);

// The icon's menu at the pointer; a choice reaches the window as WM_COMMAND.
void ShowTrayMenu(HWND window, bool ownIpv6);

// The last result, for the tip's second line: shown at once while the icon is in the tray,
// kept for when it gets there.
void SetTrayResult(HWND window, const std::string& result);

// A balloon with a run's news, while the icon is in the tray; at most one a minute.
void ShowResultBalloon(HWND window, const std::string& text, bool warning);

#endif
