// Arbitrary settings-file contents through the load's line reader and line decoding; and
// every line as a value (a password, a custom address) that a save writes and the load must
// give back whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "resources/resource_ids.h"
#include "settings/field_codec.h"
#include "settings/settings_keys.h"
#include "settings/settings_reading.h"

namespace {

void Require(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    std::size_t lineBytes = 0;
    for (const std::string& line : ReadSettingsLines(file)) {
        Require(line.find_first_of("\r\n\x1A") == std::string::npos);
        lineBytes += line.size();
        const LineMeaning meaning = InterpretSettingsLine(line);
        Require(meaning.action == LineAction::SetField
                    ? meaning.controlId >= IDC_HOST_FIELD && meaning.controlId <= IDC_PASSWORD_FIELD
                    : meaning.value.empty());
        // Noise, key, value, "|", noise: the line a save writes for the password.
        const std::string saved = HexEncode(XorScramble("12Pwd=" + line + "|34"));
        const LineMeaning back = InterpretSettingsLine(saved);
        Require(back.controlId == IDC_PASSWORD_FIELD && back.value == line);
        // The line as a custom address, in the choice line a save writes for it.
        const ChoiceLine choice =
            ReadChoiceLine(HexEncode(XorScramble("5UpdateUrl=" + EscapeChoiceValue(line) + "|6")));
        Require(choice.key == UpdateUrlKey && choice.value == line);
    }
    Require(lineBytes <= file.size());
    return 0;
}
