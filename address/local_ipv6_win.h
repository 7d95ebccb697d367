// This PC's own IPv6 address, from its network adapters, for keeping a domain on it.
#ifndef KIVO_WATCH_LOCAL_IPV6_WIN_H
#define KIVO_WATCH_LOCAL_IPV6_WIN_H

#include <optional>
#include <string>

// This PC's public IPv6 address now, from GetAdaptersAddresses; nothing when it has none.
std::optional<std::string> ThisPcPublicIpv6();

// Calls onChange (on a thread of the system's) whenever the PC's IPv6 unicast addresses
// change, where Windows can tell (Vista and later); false where it cannot. Only the first
// call of a process registers: later ones return false.
bool WatchIpv6AddressChanges(void (*onChange)());

#endif
