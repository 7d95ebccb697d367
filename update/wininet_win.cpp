#include "update/wininet_win.h"

namespace {

void Take(SystemLibrary& library, WinInetFunctions& f) {
    library.Take(f.InternetOpenA, "InternetOpenA");
    library.Take(f.InternetConnectA, "InternetConnectA");
    library.Take(f.InternetSetOptionA, "InternetSetOptionA");
    library.Take(f.HttpOpenRequestA, "HttpOpenRequestA");
    library.Take(f.HttpSendRequestA, "HttpSendRequestA");
    library.Take(f.HttpQueryInfoA, "HttpQueryInfoA");
    library.Take(f.InternetQueryDataAvailable, "InternetQueryDataAvailable");
    library.Take(f.InternetReadFile, "InternetReadFile");
    library.Take(f.InternetCloseHandle, "InternetCloseHandle");
}

const LoadedFunctions<WinInetFunctions>& Loaded() {
    static const LoadedFunctions<WinInetFunctions> loaded("wininet.dll", Take);
    return loaded;
}

}  // namespace

const WinInetFunctions* WinInet() { return Loaded().Table(); }

const SystemLibrary& WinInetLibrary() { return Loaded().library; }
