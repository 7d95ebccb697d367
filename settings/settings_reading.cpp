#include "settings/settings_reading.h"

#include <algorithm>

#include "settings/field_codec.h"
#include "settings/settings_keys.h"

namespace {

constexpr char EndOfFileByte = '\x1A';

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
    const std::optional<std::string> decoded = HexDecode(lineAsRead);
    const std::string line = decoded ? XorScramble(*decoded) : lineAsRead;
    for (const ValueKey& key : ValueKeys) {
        if (line.find(key.text) != std::string::npos) {
            return {LineAction::SetField, key.controlId,
                    ExtractBetween(line, key.text, ValueSeparator)};
        }
    }
    if (line.find(AutoUpdateKey) != std::string::npos) return {LineAction::CheckAutoUpdate, 0, {}};
    return {};
}
