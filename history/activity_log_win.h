// The log beside the program (kivo.exe: kivo.log, and kivo.log.1 before it), in UTF-8 with
// a byte-order mark and CR LF line ends, so that Notepad shows the Chinese everywhere.
#ifndef KIVO_ACTIVITY_LOG_WIN_H
#define KIVO_ACTIVITY_LOG_WIN_H

#include <string>

std::string LogPath();

// Adds the line (ANSI bytes, without its line end), moving a full log aside first. A log
// that cannot be written is passed over without a word: it never holds up an update.
void AddToLog(const std::string& ansiLine);

#endif
