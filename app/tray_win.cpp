#include "app/tray_win.h"

void SendToTray(HWND, const char*, const char*) {}
void RestoreFromTray(HWND) {}
