// The lines that the save writes: header, noise-padded encoded values, credit.
#ifndef KIVO_SETTINGS_FORMAT_H
#define KIVO_SETTINGS_FORMAT_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "build_config.h"
#include "settings/settings_keys.h"

inline constexpr char SettingsHeaderLine[] = "[Kivo域名更新器]";
// Holds none of the key texts and is not all hexadecimal digits, so the load ignores it.
inline constexpr char SettingsCreditLine[] =
    "本程序由" KIVO_AUTHOR_NAME "制作, QQ:" KIVO_AUTHOR_QQ ", E-mail:" KIVO_AUTHOR_EMAIL;

// One draw of the noise generator: seed <- seed * 134775813 + 1 (mod 2^32), and the value
// is (999999 * seed) div 2^32 with the new seed, so 0 ... 999998.
std::uint32_t DrawNoise(std::uint32_t& seed);

// Scrambled and hex-encoded, as every value line is stored.
std::string EncodeSettingsLine(const std::string& plainLine);

// N1 + key + value + "|" + N2, drawing N1 first.
std::string PlainValueLine(std::uint32_t& seed, const std::string& key, const std::string& value);
// N1 + the key ("Auto=True", "IPv6=True") + N2, drawing N1 first.
std::string PlainChoiceLine(std::uint32_t& seed, const char* key);

// The values of the choice lines, each written when not empty: the provider's key, the
// custom update address, and the check address or "none".
struct ChoiceTexts {
    std::string provider, updateUrl, checkUrl;
};

struct SettingsFileLine {
    std::string text;  // without its CR LF
    unsigned pauseAfterMs;
};

// Every line of a save, in order: the header, a value line for each non-empty field text
// (given in the order of ValueKeys), the auto-update line when the box is checked, the
// IPv6 line when this PC's IPv6 address is chosen, the choice lines, two empty lines and
// the credit line.
std::vector<SettingsFileLine> ComposeSettingsFile(
    const std::array<std::string, ValueKeyCount>& fieldTexts, bool autoUpdate, bool ownIpv6,
    std::uint32_t& seed, const ChoiceTexts& choices = {});

#endif
