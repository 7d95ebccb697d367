// The providers that Kivo knows, and the update request each of them is sent.
#ifndef KIVO_PROVIDERS_RULES_H
#define KIVO_PROVIDERS_RULES_H

#include <cstddef>
#include <optional>
#include <string>

#include "update/update_rules.h"

// A provider of the dyndns protocol that takes HTTP Basic credentials.
struct Provider {
    const char* key;          // as the settings file names it
    const char* name;         // as the list shows it
    const char* url;          // the update address, {host} and {ip} filled in
    const char* credentials;  // what the user types as 用户名 and 密码 there
    const char* ipv6Url;      // the update address for an IPv6 address; null: url
    // Its own forms of the protocol's answers, up to an entry whose form is null; or null.
    const AnswerForm* answers;
    // An address must be sent: without one, the provider would take the request's, for one
    // family, and delete the other's record.
    bool needsAddress;
};

inline constexpr std::size_t BuiltInProviderCount = 12;
extern const Provider BuiltInProviders[BuiltInProviderCount];
inline constexpr char NoProviderText[] = "请先在\"服务商设置\"中选择服务商!";
inline constexpr char CustomProviderKey[] = "custom";
inline constexpr char CustomProviderName[] = "自定义";
// Said of a provider reached over http://, where the credentials travel in clear.
#define CLEAR_TEXT_WARNING "密码不经加密在网上传送,途经的任何人都能看到!"
inline constexpr char CustomCredentialsText[] =
    "用户名和密码:服务商给的账户和密码(也可用{user}、{pwd}放进地址)";

// The built-in provider of that key, or null (for "custom", an unknown or an empty key).
const Provider* BuiltInProviderOf(const std::string& key);

// What the user chose: a built-in provider's key, or "custom" with an address of the user's
// own (placeholders {host}, {ip}, {user}, {pwd}); an empty key is no choice yet.
struct ProviderChoice {
    std::string key;
    std::string customUrl;
    bool Made() const { return !key.empty(); }
    bool operator==(const ProviderChoice& o) const {
        return key == o.key && customUrl == o.customUrl;
    }
};

// What of the choice may go into the state file's digest of the fields: its key and its
// custom address up to the query, where a password typed into the address would stand.
std::string DigestibleProvider(const ProviderChoice& choice);

// A build made for one provider (host, and "https" or "http"): its update address in the
// form such builds always sent, as a custom choice; no choice for an empty host.
ProviderChoice BuildsOwnProvider(const std::string& host, const std::string& scheme);

// What is wrong with a custom update address, or null: it starts with http:// or https://,
// names a host (letters, digits, ".", "-", "_", and a port of 1-65535 where given) and
// holds {host}.
const char* CustomUrlProblem(const std::string& url);
// What is wrong with a custom check address, or null: an http:// or https:// address.
const char* CheckUrlProblem(const std::string& url);

// The update for the fields at the chosen provider: each placeholder filled
// percent-encoded ({host} as HostParameter gives it, a list's domains parted by commas), an IPv6
// address in the provider's own form where it has one, and the credentials as HTTP Basic whenever
// the user name is not empty. Nothing without a choice, or for a custom address that fails its
// check.
std::optional<HttpRequest> UpdateRequestFor(const ProviderChoice& choice,
                                            const UpdateFields& fields);

#endif
