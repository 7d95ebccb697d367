#include "address/iphlpapi_win.h"

namespace {

void Take(SystemLibrary& library, IpHelperFunctions& f) {
    library.Take(f.GetAdaptersAddresses, "GetAdaptersAddresses");
    library.Take(f.NotifyAddrChange, "NotifyAddrChange");
    library.Take(f.NotifyUnicastIpAddressChange, "NotifyUnicastIpAddressChange", false);
}

const LoadedFunctions<IpHelperFunctions>& Loaded() {
    static const LoadedFunctions<IpHelperFunctions> loaded("iphlpapi.dll", Take);
    return loaded;
}

}  // namespace

const IpHelperFunctions* IpHelper() { return Loaded().Table(); }

const SystemLibrary& IpHelperLibrary() { return Loaded().library; }
