#include "settings/settings_format.h"

#include "settings/field_codec.h"

std::uint32_t DrawNoise(std::uint32_t& seed) {
    seed = seed * 134775813u + 1u;
    return static_cast<std::uint32_t>((std::uint64_t{999999} * seed) >> 32);
}

std::string EncodeSettingsLine(const std::string& plainLine) {
    return HexEncode(XorScramble(plainLine));
}

std::string PlainValueLine(std::uint32_t& seed, const std::string& key, const std::string& value) {
    const std::uint32_t leading = DrawNoise(seed);
    const std::uint32_t trailing = DrawNoise(seed);
    return std::to_string(leading) + key + value + ValueSeparator + std::to_string(trailing);
}

std::string PlainChoiceLine(std::uint32_t& seed, const char* key) {
    const std::uint32_t leading = DrawNoise(seed);
    const std::uint32_t trailing = DrawNoise(seed);
    return std::to_string(leading) + key + std::to_string(trailing);
}

std::vector<SettingsFileLine> ComposeSettingsFile(
    const std::array<std::string, ValueKeyCount>& fieldTexts, bool autoUpdate, bool ownIpv6,
    std::uint32_t& seed, const ChoiceTexts& choices) {
    std::vector<SettingsFileLine> lines = {{SettingsHeaderLine, 0}};
    for (int i = 0; i < ValueKeyCount; ++i) {
        if (fieldTexts[i].empty()) continue;  // an empty field gives no line and no pause
        lines.push_back({EncodeSettingsLine(PlainValueLine(seed, ValueKeys[i].text, fieldTexts[i])),
                         ValueKeys[i].pauseAfterMs});
    }
    if (autoUpdate) {
        lines.push_back(
            {EncodeSettingsLine(PlainChoiceLine(seed, AutoUpdateKey)), AutoUpdatePauseMs});
    }
    if (ownIpv6) lines.push_back({EncodeSettingsLine(PlainChoiceLine(seed, OwnIpv6Key)), 0});
    for (const auto& [key, value] : {std::pair{ProviderKey, &choices.provider},
                                     {UpdateUrlKey, &choices.updateUrl},
                                     {CheckUrlKey, &choices.checkUrl}}) {
        if (value->empty()) continue;
        lines.push_back(
            {EncodeSettingsLine(PlainValueLine(seed, key, EscapeChoiceValue(*value))), 0});
    }
    lines.push_back({"", 0});
    lines.push_back({"", 0});
    lines.push_back({SettingsCreditLine, 0});
    return lines;
}
