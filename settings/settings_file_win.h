#ifndef KIVO_SETTINGS_FILE_WIN_H
#define KIVO_SETTINGS_FILE_WIN_H

#include <windows.h>

// Fills the five settings controls of MainDialog from the settings file beside the
// executable. Raises IoError.
void LoadSettings(HWND mainDialog);

// Writes the five settings controls of MainDialog into the settings file. Raises IoError.
void SaveSettings(HWND mainDialog);

#endif
