#include "update/run_update_win.h"

#include <string>
#include <string_view>

#include "build_config.h"
#include "resources/resource_ids.h"
#include "update/http_get_win.h"
#include "update/update_rules.h"

namespace {

// Over TLS unless built with KIVO_UPDATE_SCHEME=http, for a provider without it.
constexpr bool UpdateOverTls = std::string_view(KIVO_UPDATE_SCHEME) == "https";

// Read afresh on every use: nothing is kept between the check and the request.
std::string ReadField(HWND mainDialog, int controlId) {
    char text[255] = {};
    GetDlgItemTextA(mainDialog, controlId, text, sizeof text);
    return text;
}

void ShowStatus(HWND mainDialog, const std::string& text) {
    SetDlgItemTextA(mainDialog, IDC_STATUS_LINE, text.c_str());
}

// No owner: the main window stays enabled, so F3 can start another run meanwhile.
void ShowInformationBox(const std::string& text, const char* caption) {
    MessageBoxA(nullptr, text.c_str(), caption, MB_OK | MB_ICONINFORMATION);
}

bool FieldsPass(HWND mainDialog) {
    for (const FieldCheck& check : FieldChecksInOrder) {
        if (!check.passes(ReadField(mainDialog, check.controlId))) {
            ShowStatus(mainDialog, check.statusText);
            ShowInformationBox(check.boxText, WarningCaption);
            return false;
        }
    }
    return true;
}

}  // namespace

void RunUpdate(HWND mainDialog) {
    ShowStatus(mainDialog, CheckingDataText);
    if (!FieldsPass(mainDialog)) return;
    ShowStatus(mainDialog, StartingUpdateText);
    const std::string domain = ReadField(mainDialog, IDC_HOST_FIELD);
    const std::string address = ReadField(mainDialog, IDC_IP_FIELD);
    const std::string user = ReadField(mainDialog, IDC_USER_FIELD);
    const std::string password = ReadField(mainDialog, IDC_PASSWORD_FIELD);
    HttpRequest request = UpdateRequestFor(KIVO_UPDATE_HOST, domain, address, user, password);
    request.secure = UpdateOverTls;
    const ReplyOutcome outcome = OutcomeOf(HttpGetText(request));
    if (outcome.statusText) ShowStatus(mainDialog, *outcome.statusText);
    if (outcome.unknownBoxText) ShowInformationBox(*outcome.unknownBoxText, UnknownReplyCaption);
}
