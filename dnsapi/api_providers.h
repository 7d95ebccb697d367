// The DNS providers that Kivo reaches through their own API, each with its rules.
#ifndef KIVO_API_PROVIDERS_H
#define KIVO_API_PROVIDERS_H

#include <cstddef>
#include <string>

#include "dnsapi/api_rules.h"
#include "dnsapi/json_rules.h"
#include "update/providers_rules.h"

struct ApiProvider {
    const char* key;          // as the settings file names it
    const char* name;         // as the list shows it
    const char* address;      // where its API answers, as the dialog shows it
    const char* credentials;  // what goes into 用户名 and 密码, and the least rights to give
    const char* keyNoun;      // what the provider calls the key, for the status texts
    bool usesUserName;        // 用户名 holds the key's id (else it is not checked)
    bool keyIdSecret;         // the key's id is a secret too, kept out of every text
    bool needsSha256;         // its calls are signed with SHA-256
    const ApiRules* rules;
};

// A provider's error code and the kind it tells; a code ending in "*" stands for every code
// that starts with what comes before it ("Throttling*").
struct ProviderCode {
    const char* code;
    ApiVerdict::Kind kind;
};
// The kind of the first entry that names the code; Unknown where none does.
template <std::size_t Count>
ApiVerdict::Kind KindOfCode(const std::string& code, const ProviderCode (&table)[Count]) {
    for (const ProviderCode& entry : table) {
        const std::string named = entry.code;
        const bool prefix = !named.empty() && named.back() == '*';
        if (prefix ? code.rfind(named.substr(0, named.size() - 1), 0) == 0 : code == named) {
            return entry.kind;
        }
    }
    return ApiVerdict::Unknown;
}

// A zone's name as the domain field holds it: a domain of Chinese letters is listed by its
// name and by its ASCII form (empty for other domains) under these keys.
std::string ZoneNameOf(const JsonValue& domain, const char* asciiKey, const char* nameKey);

// The rules that each provider's own file defines.
extern const ApiRules AlidnsRules;
extern const ApiRules CloudflareRules;
extern const ApiRules DnspodRules;
extern const ApiRules HuaweicloudRules;
extern const ApiRules TencentcloudRules;

extern const ApiProvider ApiProviders[];
extern const std::size_t ApiProviderCount;

// The API provider of that key, or null.
const ApiProvider* ApiProviderOf(const std::string& key);

// Whether the provider of that key must be sent an address (every API, and deSEC).
bool NeedsAddress(const std::string& key);

// Whether the provider of that key takes 用户名 (every provider of the protocol does).
bool UsesUserName(const std::string& key);

// Whether the key names a provider Kivo knows: of an API, of the protocol, or 自定义.
bool IsProviderKey(const std::string& key);

#endif
