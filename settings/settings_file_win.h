#ifndef KIVO_SETTINGS_FILE_WIN_H
#define KIVO_SETTINGS_FILE_WIN_H

#include <windows.h>

// Fills the five settings controls of MainDialog, and the choice of this PC's IPv6 address,
// from the settings file beside the executable. Raises IoError.
void LoadSettings(HWND mainDialog);

// Writes the five settings controls of MainDialog, and that choice, into the settings file.
// Raises IoError.
void SaveSettings(HWND mainDialog);

// Whether the updates use this PC's own public IPv6 address while the IP field is empty.
bool OwnIpv6Chosen();
void ChooseOwnIpv6(bool chosen);

#endif
