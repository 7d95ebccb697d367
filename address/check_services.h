// Where the public IPv4 address comes from: the address-check services that a CheckChoice
// names, tried in order until one reports a public address, within time limits.
#ifndef KIVO_CHECK_SERVICES_H
#define KIVO_CHECK_SERVICES_H

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "address/check_choice.h"
#include "update/update_rules.h"

// The built-in services, in the order they are asked: those reachable from mainland China
// first. Only an IPv4 address is read from them, so a dual-stack PC is told its IPv4 address.
inline constexpr std::size_t BuiltInCheckCount = 5;
extern const char* const BuiltInCheckUrls[BuiltInCheckCount];

// A silent service is given up after this long, and the whole check after the other.
inline constexpr unsigned CheckServiceBudgetMs = 10000;
inline constexpr unsigned CheckBudgetMs = 25000;

// The services to ask, in order: the built-in list, the user's own address, or none.
std::vector<HttpRequest> CheckServicesFor(const CheckChoice& choice);

// Whether a dotted quad is an address on the public Internet: not 0/8, 10/8, 100.64/10,
// 127/8, 169.254/16, 172.16/12, 192.168/16 nor 224.0.0.0 and above. The documentation
// ranges count as public.
bool IsPublicIpv4(const std::string& quad);

// The address a check service reported: the first four dot-parted numbers of a 200 reply's
// body, where they are a dotted quad (0-255 each, no leading zero) and public. Nothing when the
// check failed: a throttled service answers 127.0.0.1 or a fixed private address.
std::optional<std::string> AddressInCheckReply(const HttpReply& reply);

// One exchange with a service, given at most budgetMs.
using CheckExchange = std::function<HttpReply(const HttpRequest& request, unsigned budgetMs)>;

struct CheckResult {
    std::optional<std::string> address;  // nothing: every service failed
    std::string host;                    // the service that reported it
};

// Asks the services in order until one reports an address, each for at most
// CheckServiceBudgetMs and all of them within CheckBudgetMs since the check began
// (elapsedMs tells how long ago).
CheckResult CheckAddress(const std::vector<HttpRequest>& services, const CheckExchange& exchange,
                         const std::function<unsigned()>& elapsedMs);

#endif
