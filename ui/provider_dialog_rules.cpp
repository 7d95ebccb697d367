#include "ui/provider_dialog_rules.h"

namespace {

constexpr char NoProviderChosenText[] = "请选择服务商!";
constexpr char ChooseFirstText[] = "请先在上面的列表中选出您的服务商,没有的可选\"自定义\"。";
constexpr char CustomInClearText[] = "\r\n注意:这个地址是http," CLEAR_TEXT_WARNING;

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

std::string CredentialsTextFor(const ProviderChoice& choice) {
    if (const Provider* provider = BuiltInProviderOf(choice.key)) return provider->credentials;
    if (choice.key != CustomProviderKey) return ChooseFirstText;
    const bool inClear = choice.customUrl.rfind("http://", 0) == 0;
    return CustomCredentialsText + std::string(inClear ? CustomInClearText : "");
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
