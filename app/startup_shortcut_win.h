// Starting at logon: a shortcut to this kivo.exe with "/tray" in the user's Startup folder.
// Nothing goes into the registry.
#ifndef KIVO_STARTUP_SHORTCUT_WIN_H
#define KIVO_STARTUP_SHORTCUT_WIN_H

// Whether the Startup folder holds Kivo's shortcut, pointing at this very exe with /tray.
bool StartsAtLogon();

// Makes the shortcut (working folder: the exe's), or removes it.
void SetStartsAtLogon(bool starts);

#endif
