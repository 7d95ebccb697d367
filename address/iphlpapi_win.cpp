#include "address/iphlpapi_win.h"

namespace {

struct LoadedIpHelper {
    SystemLibrary library{"iphlpapi.dll"};
    IpHelperFunctions functions = {};
    LoadedIpHelper() {
        IpHelperFunctions& f = functions;
        library.Take(f.GetAdaptersAddresses, "GetAdaptersAddresses");
        library.Take(f.NotifyAddrChange, "NotifyAddrChange");
        library.Take(f.NotifyUnicastIpAddressChange, "NotifyUnicastIpAddressChange", false);
    }
};

const LoadedIpHelper& Loaded() {
    static const LoadedIpHelper loaded;
    return loaded;
}

}  // namespace

const IpHelperFunctions* IpHelper() {
    return Loaded().library.Complete() ? &Loaded().functions : nullptr;
}

const SystemLibrary& IpHelperLibrary() { return Loaded().library; }
