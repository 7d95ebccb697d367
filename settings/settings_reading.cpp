#include "settings/settings_reading.h"

#include <algorithm>
#include <optional>

#include "settings/field_codec.h"
#include "settings/settings_keys.h"

namespace {

constexpr char EndOfFileByte = '\x1A';

// The value after the key that starts at keyAt: up to the "|" that only the save's noise
// digits follow, so that a value holding "|" comes back whole; in a line without such a
// "|" (a hand-written one), up to the first "|" after the key, or empty without one.
std::string ValueAfter(const std::string& line, size_t keyAt, const std::string& key) {
    const size_t valueStart = keyAt + key.size();
    const size_t noiseStart = line.find_last_not_of("0123456789") + 1;  // 0 when all digits
    if (noiseStart > valueStart && noiseStart < line.size() && line[noiseStart - 1] == '|') {
        return line.substr(valueStart, noiseStart - 1 - valueStart);
    }
    return ExtractBetween(line.substr(keyAt), key, ValueSeparator);
}

// A line that does not decode is taken as it was read.
std::string Decoded(const std::string& lineAsRead) {
    const std::optional<std::string> decoded = HexDecode(lineAsRead);
    return decoded ? XorScramble(*decoded) : lineAsRead;
}

}  // namespace

std::vector<std::string> ReadSettingsLines(const std::string& fileBytes) {
    const size_t end = std::min(fileBytes.find(EndOfFileByte), fileBytes.size());
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < end) {
        size_t lineEnd = fileBytes.find('\n', at);
        if (lineEnd == std::string::npos || lineEnd > end) lineEnd = end;
        std::string line;
        line.reserve(lineEnd - at);
        for (size_t i = at; i < lineEnd; ++i) {
            if (fileBytes[i] != '\r') line += fileBytes[i];  // the CR of CR LF, or a lone CR
        }
        lines.push_back(std::move(line));
        at = lineEnd + 1;
    }
    return lines;
}

LineMeaning InterpretSettingsLine(const std::string& lineAsRead) {
    const std::string line = Decoded(lineAsRead);
    // The line belongs to the key that starts earliest: the save writes only digits before
    // it, so a key text inside a value never comes first.
    size_t earliest = line.find(AutoUpdateKey);
    LineMeaning meaning;
    if (earliest != std::string::npos) meaning.action = LineAction::CheckAutoUpdate;
    for (const ValueKey& key : ValueKeys) {
        const size_t at = line.find(key.text);
        if (at < earliest) {
            earliest = at;
            meaning = {LineAction::SetField, key.controlId, ValueAfter(line, at, key.text)};
        }
    }
    return meaning;
}

bool ChoosesOwnIpv6(const std::string& lineAsRead) {
    return InterpretSettingsLine(lineAsRead).action == LineAction::Ignore &&
           Decoded(lineAsRead).find(OwnIpv6Key) != std::string::npos;
}

ChoiceLine ReadChoiceLine(const std::string& lineAsRead) {
    ChoiceLine choice;
    if (InterpretSettingsLine(lineAsRead).action != LineAction::Ignore) return choice;
    const std::string line = Decoded(lineAsRead);
    size_t earliest = std::string::npos;
    for (const char* key : {ProviderKey, UpdateUrlKey, CheckUrlKey}) {
        const size_t at = line.find(key);
        if (at < earliest) {
            earliest = at;
            choice = {key, UnescapeChoiceValue(ValueAfter(line, at, key))};
        }
    }
    return choice;
}
