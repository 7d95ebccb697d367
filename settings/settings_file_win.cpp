#include "settings/settings_file_win.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "build_config.h"
#include "resources/resource_ids.h"
#include "settings/file_io_win.h"
#include "settings/settings_format.h"
#include "settings/settings_reading.h"
#include "dnsapi/api_providers.h"

namespace {

constexpr char SettingsExtension[] = ".Lr";

// The process-wide noise generator, seeded at every save.
std::uint32_t NoiseSeed;
bool OwnIpv6 = false;
ProviderChoice Chosen = BuildsOwnProvider(KIVO_UPDATE_HOST, KIVO_UPDATE_SCHEME);
CheckChoice Check;

void SeedNoise() {
    LARGE_INTEGER counter;
    NoiseSeed = QueryPerformanceCounter(&counter) ? counter.LowPart : GetTickCount();
}

std::string FieldText(HWND mainDialog, int controlId) {
    char text[255] = {};  // so at most 254 bytes of a field are kept
    GetDlgItemTextA(mainDialog, controlId, text, sizeof text);
    return text;
}

}  // namespace

void LoadSettings(HWND mainDialog) {
    const std::string path = PathBesideProgram(SettingsExtension);
    if (!FileExistsAt(path)) return;
    std::optional<std::string> providerKey;
    std::string updateUrl;
    for (const std::string& line : ReadSettingsLines(ReadWholeFile(path))) {
        if (ChoosesOwnIpv6(line)) OwnIpv6 = true;
        const ChoiceLine choice = ReadChoiceLine(line);
        if (choice.key == ProviderKey) providerKey = choice.value;
        if (choice.key == UpdateUrlKey) updateUrl = choice.value;
        if (choice.key == CheckUrlKey) {
            Check = choice.value == NoCheckValue ? CheckChoice{CheckMode::None, ""}
                                                 : CheckChoice{CheckMode::Custom, choice.value};
        }
        const LineMeaning meaning = InterpretSettingsLine(line);
        switch (meaning.action) {
            case LineAction::SetField:
                SetDlgItemTextA(mainDialog, meaning.controlId, meaning.value.c_str());
                break;
            case LineAction::CheckAutoUpdate:
                CheckDlgButton(mainDialog, IDC_AUTO_UPDATE_BOX, BST_CHECKED);
                break;
            case LineAction::Ignore: break;
        }
    }
    // A key this version does not know (a later one's) chooses nothing: the user chooses.
    if (providerKey) {
        const bool known = IsProviderKey(*providerKey) &&
                           (*providerKey != CustomProviderKey || !CustomUrlProblem(updateUrl));
        Chosen =
            known ? ProviderChoice{*providerKey, *providerKey == CustomProviderKey ? updateUrl : ""}
                  : ProviderChoice{};
    }
}

void SaveSettings(HWND mainDialog) {
    ReplacementFile file(PathBesideProgram(SettingsExtension));
    SeedNoise();
    std::array<std::string, ValueKeyCount> fieldTexts;
    for (int i = 0; i < ValueKeyCount; ++i) {
        fieldTexts[i] = FieldText(mainDialog, ValueKeys[i].controlId);
    }
    const bool autoUpdate = IsDlgButtonChecked(mainDialog, IDC_AUTO_UPDATE_BOX) == BST_CHECKED;
    const ChoiceTexts choices = {Chosen.key, Chosen.customUrl,
                                 Check.mode == CheckMode::None     ? NoCheckValue
                                 : Check.mode == CheckMode::Custom ? Check.customUrl
                                                                   : ""};
    for (const SettingsFileLine& line :
         ComposeSettingsFile(fieldTexts, autoUpdate, OwnIpv6, NoiseSeed, choices)) {
        file.Write(line.text + "\r\n");
        if (line.pauseAfterMs > 0) Sleep(line.pauseAfterMs);
    }
    file.PutInPlace();
}

bool OwnIpv6Chosen() { return OwnIpv6; }

void ChooseOwnIpv6(bool chosen) { OwnIpv6 = chosen; }

const ProviderChoice& ProviderChosen() { return Chosen; }

void ChooseProvider(const ProviderChoice& choice) { Chosen = choice; }

const CheckChoice& CheckChoiceMade() { return Check; }

void MakeCheckChoice(const CheckChoice& choice) { Check = choice; }
