#ifndef KIVO_RUN_UPDATE_WIN_H
#define KIVO_RUN_UPDATE_WIN_H

#include <windows.h>

// Checks the four fields of MainDialog, sends the dyndns update and reports the
// provider's answer on StatusLine or in a message box. Returns when the run is over.
void RunUpdate(HWND mainDialog);

#endif
