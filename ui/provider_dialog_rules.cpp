#include "ui/provider_dialog_rules.h"

namespace {

constexpr char NoProviderChosenText[] = "请选择服务商!";
constexpr char ChooseFirstText[] = "请先在上面的列表中选出您的服务商,没有的可选\"自定义\"。";

}  // namespace

std::vector<ProviderEntry> ProviderEntries() {
    std::vector<ProviderEntry> entries;
    for (const Provider& provider : BuiltInProviders)
        entries.push_back({provider.key, provider.name});
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

const char* CredentialsTextFor(const std::string& key) {
    const Provider* provider = BuiltInProviderOf(key);
    if (provider) return provider->credentials;
    return key == CustomProviderKey ? CustomCredentialsText : ChooseFirstText;
}

const char* ChoiceProblem(const ProviderChoice& provider, const CheckChoice& check) {
    if (!BuiltInProviderOf(provider.key) && provider.key != CustomProviderKey) {
        return NoProviderChosenText;
    }
    if (provider.key == CustomProviderKey) {
        if (const char* problem = CustomUrlProblem(provider.customUrl)) return problem;
    }
    if (check.mode == CheckMode::Custom) return CheckUrlProblem(check.customUrl);
    return nullptr;
}
