// Where the settings file lives: beside the executable, named after it.
#ifndef KIVO_SETTINGS_PATH_H
#define KIVO_SETTINGS_PATH_H

#include <string>

// The executable's path with its ASCII letters lower-cased and the file name's own ".exe"
// replaced by the extension ('C:\Tools\DDNS.EXE' and ".Lr" give 'c:\tools\ddns.Lr'). Only
// single-byte characters are lower-cased: the trail byte of a double-byte character may fall
// in "A"-"Z", and changing it would name another folder. A name that does not end in ".exe"
// gets the extension appended, so the file is never the executable itself.
std::string PathBesideExecutable(const std::string& executablePath, const char* extension,
                                 bool (*isLeadByte)(unsigned char byte));

#endif
