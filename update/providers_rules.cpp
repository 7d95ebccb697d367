#include "update/providers_rules.h"

#include "base/text_lines.h"

namespace {

// The form of request that builds made for one provider have always sent.
constexpr char BuildsOwnTarget[] =
    "/dyndns/update?system=dyndns&hostname={host}&myip={ip}&wildcard=OFF";
constexpr char UrlSchemeProblem[] = "更新地址须以 http:// 或 https:// 开头!";
constexpr char UrlHostProblem[] = "更新地址中没有服务商的主机名(或端口不对)!";
constexpr char UrlPlaceholderProblem[] = "更新地址中须有 {host}(填入域名的位置)!";
constexpr char CheckUrlBadText[] = "查询地址须是以 http:// 或 https:// 开头的网址!";

bool IsIpv6(const std::string& address) { return address.find(':') != std::string::npos; }

// ChangeIP confirms with an HTTP-like line of its own.
constexpr AnswerForm ChangeIpAnswers[] = {{"200 Successful Update", nullptr, "good"},
                                          {nullptr, nullptr, nullptr}};
// FreeDNS answers as its other update addresses do: "Updated <host> to <address> in 0.2
// seconds", "ERROR: Address <address> has not changed.".
constexpr AnswerForm FreeDnsAnswers[] = {
    {"Updated ", " to ", "good"},
    {"ERROR: Address ", "has not changed", "nochg"},
    {"ERROR: Unable to locate this record", nullptr, "badauth"},
    {nullptr, nullptr, nullptr}};

}  // namespace

// The update addresses as each provider's documentation gives them; the Chinese ones first.
const Provider BuiltInProviders[BuiltInProviderCount] = {
    {"oray", "花生壳 (Oray)", "http://ddns.oray.com/ph/update?hostname={host}&myip={ip}",
     "用户名:花生壳账户名   密码:账户密码\r\n注意:花生壳只有http," CLEAR_TEXT_WARNING, nullptr,
     nullptr, false},
    // At most one update a minute.
    {"pubyun", "公云 (3322)",
     "https://members.3322.net/dyndns/update?system=dyndns&hostname={host}&myip={ip}",
     "用户名:公云账户名   密码:账户密码", nullptr, nullptr, false},
    // The v3 address, where the updater client key stands for the password.
    {"dyn", "Dyn (dyndns.org)", "https://members.dyndns.org/v3/update?hostname={host}&myip={ip}",
     "用户名:Dyn账户名   密码:更新客户端密钥(Updater Client Key)", nullptr, nullptr, false},
    {"noip", "No-IP", "https://dynupdate.no-ip.com/nic/update?hostname={host}&myip={ip}",
     "用户名:账户的电子邮箱(或DDNS密钥的用户名)   密码:账户密码(或DDNS密钥)", nullptr, nullptr,
     false},
    // myip=no keeps Dynu from filling the A record with where the request came from.
    {"dynu", "Dynu", "https://api.dynu.com/nic/update?hostname={host}&myip={ip}",
     "用户名:Dynu账户名   密码:账户密码(或IP更新密码)",
     "https://api.dynu.com/nic/update?hostname={host}&myipv6={ip}&myip=no", nullptr, false},
    {"changeip", "ChangeIP", "https://nic.changeip.com/nic/update?hostname={host}&myip={ip}",
     "用户名:ChangeIP账户名   密码:账户密码", nullptr, ChangeIpAnswers, false},
    {"freedns", "FreeDNS (afraid.org)",
     "https://freedns.afraid.org/nic/update?hostname={host}&myip={ip}",
     "用户名:FreeDNS用户名(不是电子邮箱)   密码:账户密码", nullptr, FreeDnsAnswers, false},
    {"henet", "Hurricane Electric", "https://dyn.dns.he.net/nic/update?hostname={host}&myip={ip}",
     "用户名:要更新的域名本身   密码:该记录的DDNS密钥", nullptr, nullptr, false},
    {"dnsomatic", "DNS-O-Matic",
     "https://updates.dnsomatic.com/nic/update?hostname={host}&myip={ip}",
     "用户名:DNS-O-Matic账户名   密码:账户密码", nullptr, nullptr, false},
    {"ovh", "OVH DynHost",
     "https://dns.eu.ovhapis.com/nic/update?system=dyndns&hostname={host}&myip={ip}",
     "用户名:DynHost登录名(域名-后缀)   密码:该登录名的密码", nullptr, nullptr, false},
    // Given one family alone, deSEC sets the other from the connection or deletes it:
    // "preserve" keeps it, and an address is always sent.
    {"desec", "deSEC", "https://update.dedyn.io/?hostname={host}&myipv4={ip}&myipv6=preserve",
     "用户名:要更新的域名   密码:该域名的令牌(token)",
     "https://update.dedyn.io/?hostname={host}&myipv6={ip}&myipv4=preserve", nullptr, true},
    {"strato", "STRATO", "https://dyndns.strato.com/nic/update?hostname={host}&myip={ip}",
     "用户名:要更新的域名   密码:该域名的DynDNS密码", nullptr, nullptr, false},
};

const Provider* BuiltInProviderOf(const std::string& key) {
    for (const Provider& provider : BuiltInProviders) {
        if (key == provider.key) return &provider;
    }
    return nullptr;
}

std::string DigestibleProvider(const ProviderChoice& choice) {
    return choice.key + "\n" + choice.customUrl.substr(0, choice.customUrl.find('?'));
}

ProviderChoice BuildsOwnProvider(const std::string& host, const std::string& scheme) {
    if (host.empty()) return {};
    return {CustomProviderKey, scheme + "://" + host + BuildsOwnTarget};
}

const char* CustomUrlProblem(const std::string& url) {
    if (url.rfind("https://", 0) != 0 && url.rfind("http://", 0) != 0) return UrlSchemeProblem;
    if (!RequestForUrl(url)) return UrlHostProblem;
    if (url.find("{host}") == std::string::npos) return UrlPlaceholderProblem;
    return nullptr;
}

const char* CheckUrlProblem(const std::string& url) {
    return RequestForUrl(url) ? nullptr : CheckUrlBadText;
}

std::optional<HttpRequest> UpdateRequestFor(const ProviderChoice& choice,
                                            const UpdateFields& fields) {
    std::string url = choice.customUrl;
    if (const Provider* provider = BuiltInProviderOf(choice.key)) {
        url = provider->url;
        if (provider->ipv6Url && IsIpv6(fields.address)) url = provider->ipv6Url;
    } else if (choice.key != CustomProviderKey || CustomUrlProblem(url)) {
        return std::nullopt;
    }
    // The host was checked before any field is put in, so no field text can change it.
    std::optional<HttpRequest> request = RequestForUrl(url);
    if (!request) return std::nullopt;
    std::string& target = request->target;
    target = ReplaceEvery(target, "{host}", HostParameter(fields.domain));
    target = ReplaceEvery(target, "{ip}", PercentEncode(fields.address));
    target = ReplaceEvery(target, "{user}", PercentEncode(fields.user));
    target = ReplaceEvery(target, "{pwd}", PercentEncode(fields.password));
    if (!fields.user.empty()) {
        request->headers =
            "Authorization: Basic " + BasicCredentials(fields.user, fields.password) + "\r\n";
    }
    return request;
}
