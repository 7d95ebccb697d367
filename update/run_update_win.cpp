#include "update/run_update_win.h"

#include "resources/resource_ids.h"
#include "update/http_exchange_win.h"

namespace {

std::string ReadField(HWND mainDialog, int controlId) {
    char text[255] = {};
    GetDlgItemTextA(mainDialog, controlId, text, sizeof text);
    return text;
}

// No owner: the main window stays enabled, so F3 can start another run meanwhile.
void ShowInformationBox(const std::string& text, const char* caption) {
    MessageBoxA(nullptr, text.c_str(), caption, MB_OK | MB_ICONINFORMATION);
}

}  // namespace

UpdateFields ReadUpdateFields(HWND mainDialog) {
    return {ReadField(mainDialog, IDC_HOST_FIELD), ReadField(mainDialog, IDC_IP_FIELD),
            ReadField(mainDialog, IDC_USER_FIELD), ReadField(mainDialog, IDC_PASSWORD_FIELD)};
}

void ShowStatus(HWND mainDialog, const std::string& text) {
    SetDlgItemTextA(mainDialog, IDC_STATUS_LINE, text.c_str());
}

bool FieldsPassForUser(HWND mainDialog, const UpdateFields& fields, bool userNameUsed) {
    // One warning at a time: the box's own loop goes on taking F3 and clicks.
    static bool warningShown = false;
    ShowStatus(mainDialog, CheckingDataText);
    if (const FieldCheck* failed = FirstFailedCheck(fields, userNameUsed)) {
        ShowStatus(mainDialog, failed->statusText);
        if (!warningShown) {
            warningShown = true;
            ShowInformationBox(failed->boxText, WarningCaption);
            warningShown = false;
        }
        return false;
    }
    ShowStatus(mainDialog, StartingUpdateText);
    return true;
}

void ShowUserOutcome(HWND mainDialog, const ReplyOutcome& outcome) {
    if (outcome.statusText) ShowStatus(mainDialog, *outcome.statusText);
    if (outcome.unknownBoxText) ShowInformationBox(*outcome.unknownBoxText, UnknownReplyCaption);
}

// Without a provider nothing goes out: the callers ask for one first.
HttpReply SendUpdate(const ProviderChoice& provider, const UpdateFields& fields) {
    const std::optional<HttpRequest> request = UpdateRequestFor(provider, fields);
    return request ? HttpExchange(*request) : HttpReply{};
}
