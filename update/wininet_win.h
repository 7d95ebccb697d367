// The WinINet functions that Kivo calls, from the system folder's wininet.dll: the import
// table does not name it, so no wininet.dll beside kivo.exe is ever loaded.
#ifndef KIVO_WININET_WIN_H
#define KIVO_WININET_WIN_H

#include <windows.h>
#include <wininet.h>

#include "base/system_library_win.h"

struct WinInetFunctions {
    decltype(&::InternetOpenA) InternetOpenA;
    decltype(&::InternetConnectA) InternetConnectA;
    decltype(&::InternetSetOptionA) InternetSetOptionA;
    decltype(&::HttpOpenRequestA) HttpOpenRequestA;
    decltype(&::HttpSendRequestA) HttpSendRequestA;
    decltype(&::HttpQueryInfoA) HttpQueryInfoA;
    decltype(&::InternetQueryDataAvailable) InternetQueryDataAvailable;
    decltype(&::InternetReadFile) InternetReadFile;
    decltype(&::InternetCloseHandle) InternetCloseHandle;
};

// Loaded at the first call, which comes on the window's thread before the worker starts;
// null when wininet.dll or one of the functions could not be loaded.
const WinInetFunctions* WinInet();
// What the first call loaded, and what it could not.
const SystemLibrary& WinInetLibrary();

#endif
