#include "address/local_ipv6_win.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>
#include <vector>

#include "address/iphlpapi_win.h"
#include "address/local_ipv6_rules.h"

namespace {

void (*OnChange)();
bool Registered;
HANDLE ChangeNotification;  // kept for the process's life

VOID WINAPI UnicastAddressChanged(PVOID, PVOID, int) {
    if (OnChange) OnChange();
}

// Only fields of the XP layout are read: later Windows versions only add to its end.
std::vector<LocalIpv6Address> AddressesIn(const IP_ADAPTER_ADDRESSES* adapter) {
    std::vector<LocalIpv6Address> addresses;
    for (; adapter; adapter = adapter->Next) {
        for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress; unicast;
             unicast = unicast->Next) {
            const SOCKADDR* socketAddress = unicast->Address.lpSockaddr;
            if (!socketAddress || socketAddress->sa_family != AF_INET6 ||
                unicast->Address.iSockaddrLength < static_cast<INT>(sizeof(sockaddr_in6))) {
                continue;
            }
            LocalIpv6Address address;
            std::memcpy(address.bytes.data(),
                        &reinterpret_cast<const sockaddr_in6*>(socketAddress)->sin6_addr, 16);
            address.adapterUp = adapter->OperStatus == IfOperStatusUp;
            address.preferred = unicast->DadState == IpDadStatePreferred;
            address.temporary = unicast->SuffixOrigin == IpSuffixOriginRandom;
            addresses.push_back(address);
        }
    }
    return addresses;
}

}  // namespace

std::optional<std::string> ThisPcPublicIpv6() {
    const IpHelperFunctions* ipHelper = IpHelper();
    if (!ipHelper) return std::nullopt;  // told at the start; no address, nothing is sent
    constexpr ULONG Flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                            GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_SKIP_FRIENDLY_NAME;
    ULONG size = 15 * 1024;
    std::vector<unsigned char> buffer;
    // Adapters can come between the sizing and the call: a few tries, then give up.
    for (int tries = 0; tries < 4; ++tries) {
        buffer.resize(size);
        auto* adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
        const ULONG result =
            ipHelper->GetAdaptersAddresses(AF_INET6, Flags, nullptr, adapters, &size);
        if (result == ERROR_SUCCESS) return PublicIpv6Among(AddressesIn(adapters));
        if (result != ERROR_BUFFER_OVERFLOW) return std::nullopt;  // ERROR_NO_DATA: none
    }
    return std::nullopt;
}

bool WatchIpv6AddressChanges(void (*onChange)()) {
    if (Registered) return false;  // one watcher for the process
    const IpHelperFunctions* ipHelper = IpHelper();
    if (!ipHelper || !ipHelper->NotifyUnicastIpAddressChange) return false;
    OnChange = onChange;
    if (ipHelper->NotifyUnicastIpAddressChange(AF_INET6, UnicastAddressChanged, nullptr, FALSE,
                                               &ChangeNotification) != NO_ERROR) {
        OnChange = nullptr;
        return false;
    }
    Registered = true;
    return true;
}
