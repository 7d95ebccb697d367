#include "address/check_services.h"

#include <algorithm>
#include <cstdlib>

const char* const BuiltInCheckUrls[BuiltInCheckCount] = {
    "https://4.ipw.cn/",      "https://ddns.oray.com/checkip", "https://v4.yinghualuo.cn/bejson",
    "https://api.ipify.org/", "https://checkipv4.dedyn.io/",
};

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::vector<HttpRequest> CheckServicesFor(const CheckChoice& choice) {
    std::vector<HttpRequest> services;
    switch (choice.mode) {
        case CheckMode::BuiltIn:
            for (const char* url : BuiltInCheckUrls) services.push_back(*RequestForUrl(url));
            break;
        case CheckMode::Custom:
            if (const std::optional<HttpRequest> own = RequestForUrl(choice.customUrl)) {
                services.push_back(*own);
            }
            break;
        case CheckMode::None: break;
    }
    return services;
}

bool IsPublicIpv4(const std::string& quad) {
    if (!IsDottedQuad(quad)) return false;
    const int a = std::atoi(quad.c_str()), b = std::atoi(quad.c_str() + quad.find('.') + 1);
    return !(a == 0 || a == 10 || a == 127 || a >= 224 || (a == 100 && b >= 64 && b < 128) ||
             (a == 169 && b == 254) || (a == 172 && b >= 16 && b < 32) || (a == 192 && b == 168));
}

std::optional<std::string> AddressInCheckReply(const HttpReply& reply) {
    if (reply.end != ExchangeEnd::Replied || reply.status != 200) return std::nullopt;
    const std::string& body = reply.body;
    for (size_t at = 0; at < body.size(); ++at) {
        if (!IsDigit(body[at])) continue;
        size_t end = at;
        while (end < body.size() && (IsDigit(body[end]) || body[end] == '.')) ++end;
        std::string run = body.substr(at, end - at);
        while (!run.empty() && run.back() == '.') run.pop_back();  // a sentence's full stop
        // The first four parts that a service reports are its answer, an address or not
        // (01.02.03.04 is none), public or not.
        if (std::count(run.begin(), run.end(), '.') == 3) {
            return IsPublicIpv4(run) ? std::optional<std::string>(run) : std::nullopt;
        }
        at = end;
    }
    return std::nullopt;
}

CheckResult CheckAddress(const std::vector<HttpRequest>& services, const CheckExchange& exchange,
                         const std::function<unsigned()>& elapsedMs) {
    CheckResult result;
    for (const HttpRequest& service : services) {
        const unsigned elapsed = elapsedMs();
        if (elapsed >= CheckBudgetMs) break;
        const unsigned budget = std::min(CheckServiceBudgetMs, CheckBudgetMs - elapsed);
        result.address = AddressInCheckReply(exchange(service, budget));
        if (result.address) {
            result.host = service.host;
            break;
        }
    }
    return result;
}
