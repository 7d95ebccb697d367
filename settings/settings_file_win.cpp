#include "settings/settings_file_win.h"

void LoadSettings(HWND) {}
void SaveSettings(HWND) {}
