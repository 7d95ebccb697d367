// Where the settings file lives: beside the executable, named after it.
#ifndef KIVO_SETTINGS_PATH_H
#define KIVO_SETTINGS_PATH_H

#include <string>

// The executable's path with its ASCII letters lower-cased and the file name's own ".exe"
// replaced by ".Lr" ('C:\Tools\DDNS.EXE' gives 'c:\tools\ddns.Lr'). Only single-byte
// characters are lower-cased: the trail byte of a double-byte character may fall in
// "A"-"Z", and changing it would name another folder. A name that does not end in ".exe"
// gets ".Lr" appended, so the settings file is never the executable itself.
std::string SettingsPathFor(const std::string& executablePath,
                            bool (*isLeadByte)(unsigned char byte));

#endif
