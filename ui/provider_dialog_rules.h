// What the "服务商设置" dialog lists, tells and accepts, over plain byte strings.
#ifndef KIVO_PROVIDER_DIALOG_RULES_H
#define KIVO_PROVIDER_DIALOG_RULES_H

#include <string>
#include <vector>

#include "address/check_choice.h"
#include "dnsapi/api_providers.h"
#include "update/providers_rules.h"

inline constexpr char ProviderTitleText[] = "服务商设置";

// The provider list's entries, in order: the providers most of Kivo's readers use, the
// Chinese ones, first; then the others of the protocol and the APIs; 自定义 last.
struct ProviderEntry {
    const char* key;
    const char* name;
};
std::vector<ProviderEntry> ProviderEntries();
// The entry of the choice, or -1 for none.
int ProviderEntryOf(const ProviderChoice& choice);

// The check list's entries, in the order of CheckMode.
inline constexpr const char* CheckEntries[] = {"自动(内置查询服务)", "自定义", "不查询"};

// What the provider wants in 用户名 and 密码; for a custom http:// address, that the password
// then travels in clear; with no choice, what to do.
std::string CredentialsTextFor(const ProviderChoice& choice);

// What the update address field shows, greyed, for a provider of the list: its update
// address or its API's; empty for none.
std::string AddressShownFor(const std::string& key);

// What is wrong with the choices as typed, in the order the dialog shows them (no provider,
// a provider that signs where the system has no SHA-256, the custom update address, the
// custom check address), or null when they may be kept.
const char* ChoiceProblem(const ProviderChoice& provider, const CheckChoice& check,
                          bool systemHasSha256 = true);

#endif
