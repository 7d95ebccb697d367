#ifndef KIVO_SETTINGS_FILE_WIN_H
#define KIVO_SETTINGS_FILE_WIN_H

#include <windows.h>

#include "address/check_choice.h"
#include "update/providers_rules.h"

// Fills the five settings controls of MainDialog, and the choices of this PC's IPv6 address,
// of the provider and of the check service, from the settings file beside the executable.
// Raises IoError.
void LoadSettings(HWND mainDialog);

// Writes the five settings controls of MainDialog, and those choices, into the settings file.
// Raises IoError.
void SaveSettings(HWND mainDialog);

// Whether the updates use this PC's own public IPv6 address while the IP field is empty.
bool OwnIpv6Chosen();
void ChooseOwnIpv6(bool chosen);

// The provider the updates go to: the file's, else the build's own where it was made for
// one, else none.
const ProviderChoice& ProviderChosen();
void ChooseProvider(const ProviderChoice& choice);

// Where the watch learns the public address: the built-in services unless the file says.
const CheckChoice& CheckChoiceMade();
void MakeCheckChoice(const CheckChoice& choice);

#endif
