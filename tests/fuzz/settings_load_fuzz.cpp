// Arbitrary settings-file contents through the load's line reader and line decoding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "resources/resource_ids.h"
#include "settings/field_codec.h"
#include "settings/settings_reading.h"

namespace {

void Require(bool holds) {
    if (!holds) std::abort();
}

bool IsValueControl(int controlId) {
    return controlId == IDC_HOST_FIELD || controlId == IDC_IP_FIELD ||
           controlId == IDC_USER_FIELD || controlId == IDC_PASSWORD_FIELD;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    std::size_t lineBytes = 0;
    for (const std::string& line : ReadSettingsLines(file)) {
        Require(line.find_first_of("\r\n\x1A") == std::string::npos);
        lineBytes += line.size();

        const LineMeaning meaning = InterpretSettingsLine(line);
        switch (meaning.action) {
            case LineAction::SetField:
                Require(IsValueControl(meaning.controlId));
                Require(meaning.value.find('|') == std::string::npos);
                break;
            case LineAction::CheckAutoUpdate:
            case LineAction::Ignore: Require(meaning.value.empty()); break;
        }

        const auto decoded = HexDecode(line);
        if (decoded) Require(decoded->size() == line.size() / 2);
        Require(HexDecode(HexEncode(line)) == line);
        Require(XorScramble(XorScramble(line)) == line);
    }
    Require(lineBytes <= file.size());
    return 0;
}
