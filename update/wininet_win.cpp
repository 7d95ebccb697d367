#include "update/wininet_win.h"

namespace {

struct LoadedWinInet {
    SystemLibrary library{"wininet.dll"};
    WinInetFunctions functions = {};
    LoadedWinInet() {
        WinInetFunctions& f = functions;
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
};

const LoadedWinInet& Loaded() {
    static const LoadedWinInet loaded;
    return loaded;
}

}  // namespace

const WinInetFunctions* WinInet() {
    return Loaded().library.Complete() ? &Loaded().functions : nullptr;
}

const SystemLibrary& WinInetLibrary() { return Loaded().library; }
