#include "watch/local_ipv6_win.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <cstring>
#include <vector>

#include "watch/local_ipv6_rules.h"

namespace {

// NotifyUnicastIpAddressChange came with Vista: it is looked up at run time so that the
// program still starts on XP, with its own declarations so that none of the program needs
// a newer _WIN32_WINNT. The row is not read, so it stays opaque.
typedef VOID(WINAPI* UnicastChangeCallback)(PVOID context, PVOID row, int notificationType);
typedef DWORD(WINAPI* NotifyUnicastChangeFunction)(unsigned short family,
                                                   UnicastChangeCallback callback, PVOID context,
                                                   BOOLEAN initialNotification,
                                                   HANDLE* notificationHandle);

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
    constexpr ULONG Flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                            GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_SKIP_FRIENDLY_NAME;
    ULONG size = 15 * 1024;
    std::vector<unsigned char> buffer;
    // Adapters can come between the sizing and the call: a few tries, then give up.
    for (int tries = 0; tries < 4; ++tries) {
        buffer.resize(size);
        auto* adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
        const ULONG result = GetAdaptersAddresses(AF_INET6, Flags, nullptr, adapters, &size);
        if (result == ERROR_SUCCESS) return PublicIpv6Among(AddressesIn(adapters));
        if (result != ERROR_BUFFER_OVERFLOW) return std::nullopt;  // ERROR_NO_DATA: none
    }
    return std::nullopt;
}

bool WatchIpv6AddressChanges(void (*onChange)()) {
    if (Registered) return false;  // one watcher for the process
    HMODULE iphlpapi = GetModuleHandleA("iphlpapi.dll");
    if (!iphlpapi) iphlpapi = LoadLibraryA("iphlpapi.dll");
    if (!iphlpapi) return false;
    const auto notify = reinterpret_cast<NotifyUnicastChangeFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(iphlpapi, "NotifyUnicastIpAddressChange")));
    if (!notify) return false;
    OnChange = onChange;
    if (notify(AF_INET6, UnicastAddressChanged, nullptr, FALSE, &ChangeNotification) != NO_ERROR) {
        OnChange = nullptr;
        return false;
    }
    Registered = true;
    return true;
}
