#include "ui/provider_dialog_rules.h"

#include "dnsapi/api_conversation.h"

namespace {

constexpr char NoProviderChosenText[] = "请选择服务商!";
constexpr char ChooseFirstText[] = "请先在上面的列表中选出您的服务商,没有的可选\"自定义\"。";
constexpr char CustomInClearText[] = "\r\n注意:这个地址是http," CLEAR_TEXT_WARNING;

// The order the list shows: the Chinese providers first, those of their own APIs before
// those of the protocol; every provider's key once.
constexpr const char* ListedKeys[] = {
    "alidns",     "tencentcloud", "dnspod", "huaweicloud", "oray",     "pubyun",
    "cloudflare", "dyn",          "noip",   "dynu",        "changeip", "freedns",
    "henet",      "dnsomatic",    "ovh",    "desec",       "strato",
};

}  // namespace

std::vector<ProviderEntry> ProviderEntries() {
    std::vector<ProviderEntry> entries;
    for (const char* key : ListedKeys) {
        if (const ApiProvider* api = ApiProviderOf(key)) entries.push_back({api->key, api->name});
        if (const Provider* dyndns = BuiltInProviderOf(key)) {
            entries.push_back({dyndns->key, dyndns->name});
        }
    }
    entries.push_back({CustomProviderKey, CustomProviderName});
    return entries;
}

int ProviderEntryOf(const ProviderChoice& choice) {
    const std::vector<ProviderEntry> entries = ProviderEntries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (choice.key == entries[i].key) return static_cast<int>(i);
    }
    return -1;
}

std::string CredentialsTextFor(const ProviderChoice& choice) {
    if (const Provider* provider = BuiltInProviderOf(choice.key)) return provider->credentials;
    if (const ApiProvider* api = ApiProviderOf(choice.key)) return api->credentials;
    if (choice.key != CustomProviderKey) return ChooseFirstText;
    const bool inClear = choice.customUrl.rfind("http://", 0) == 0;
    return CustomCredentialsText + std::string(inClear ? CustomInClearText : "");
}

std::string AddressShownFor(const std::string& key) {
    if (const Provider* provider = BuiltInProviderOf(key)) return provider->url;
    if (const ApiProvider* api = ApiProviderOf(key)) return api->address;
    return {};
}

const char* ChoiceProblem(const ProviderChoice& provider, const CheckChoice& check,
                          bool systemHasSha256) {
    if (!IsProviderKey(provider.key)) return NoProviderChosenText;
    const ApiProvider* api = ApiProviderOf(provider.key);
    if (api && api->needsSha256 && !systemHasSha256) return NoSha256Text;
    if (provider.key == CustomProviderKey) {
        if (const char* problem = CustomUrlProblem(provider.customUrl)) return problem;
    }
    if (check.mode == CheckMode::Custom) return CheckUrlProblem(check.customUrl);
    return nullptr;
}
