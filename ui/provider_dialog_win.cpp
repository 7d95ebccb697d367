#include "ui/provider_dialog_win.h"

#include <string>
#include <vector>

#include "base/app_handles_win.h"
#include "dnsapi/crypto_win.h"
#include "resources/resource_ids.h"
#include "ui/chrome_win.h"
#include "ui/provider_dialog_rules.h"

namespace {

// Long enough for any provider's address with its placeholders.
constexpr WPARAM UrlTextLimit = 1000;

// The open dialog's band, the settings it edits, and the custom address typed so far, kept
// while the field shows a built-in provider's. It is modal, so at most one is open.
RECT CaptionRect;
ProviderSettings* Editing;
std::string CustomUrlTyped;
bool ShowingCustom;

std::string TextOf(HWND window, int id) {
    std::string text(UrlTextLimit + 1, '\0');
    text.resize(GetDlgItemTextA(window, id, &text[0], static_cast<int>(text.size())));
    return text;
}

int SelectionOf(HWND window, int id) {
    return static_cast<int>(SendDlgItemMessageA(window, id, CB_GETCURSEL, 0, 0));
}

void Fill(HWND window, int id, const std::vector<const char*>& names, int selected) {
    for (const char* name : names) {
        SendDlgItemMessageA(window, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendDlgItemMessageA(window, id, CB_SETCURSEL, selected, 0);
}

ProviderSettings TypedSettings(HWND window) {
    const std::vector<ProviderEntry> entries = ProviderEntries();
    const int entry = SelectionOf(window, IDC_PROVIDER_LIST);
    ProviderSettings typed;
    if (entry >= 0 && entry < static_cast<int>(entries.size()))
        typed.provider.key = entries[entry].key;
    if (typed.provider.key == CustomProviderKey) {
        typed.provider.customUrl =
            ShowingCustom ? TextOf(window, IDC_UPDATE_URL_FIELD) : CustomUrlTyped;
    }
    const int check = SelectionOf(window, IDC_CHECK_LIST);
    typed.check.mode = check == 1   ? CheckMode::Custom
                       : check == 2 ? CheckMode::None
                                    : CheckMode::BuiltIn;
    if (typed.check.mode == CheckMode::Custom) {
        typed.check.customUrl = TextOf(window, IDC_CHECK_URL_FIELD);
    }
    return typed;
}

// The credentials line follows the choice and the custom address as it is typed.
void ShowCredentials(HWND window) {
    SetDlgItemTextA(window, IDC_CREDENTIALS_LINE,
                    CredentialsTextFor(TypedSettings(window).provider).c_str());
}

// The address fields follow the lists: the update address field shows a built-in
// provider's own address, greyed, and for 自定义 the one typed.
void ShowChosen(HWND window) {
    const ProviderSettings typed = TypedSettings(window);
    const bool custom = typed.provider.key == CustomProviderKey;
    if (ShowingCustom) CustomUrlTyped = TextOf(window, IDC_UPDATE_URL_FIELD);
    SetDlgItemTextA(window, IDC_UPDATE_URL_FIELD,
                    custom ? CustomUrlTyped.c_str() : AddressShownFor(typed.provider.key).c_str());
    ShowingCustom = custom;
    EnableWindow(GetDlgItem(window, IDC_UPDATE_URL_FIELD), custom);
    EnableWindow(GetDlgItem(window, IDC_CHECK_URL_FIELD), typed.check.mode == CheckMode::Custom);
    ShowCredentials(window);
}

INT_PTR OnInitDialog(HWND window, LPARAM settings) {
    Editing = reinterpret_cast<ProviderSettings*>(settings);
    CaptionRect = CaptionBandOf(window);
    SetWindowTextA(window, ProviderTitleText);
    std::vector<const char*> providerNames;
    for (const ProviderEntry& entry : ProviderEntries()) providerNames.push_back(entry.name);
    Fill(window, IDC_PROVIDER_LIST, providerNames, ProviderEntryOf(Editing->provider));
    Fill(window, IDC_CHECK_LIST, {std::begin(CheckEntries), std::end(CheckEntries)},
         static_cast<int>(Editing->check.mode));
    for (int field : {IDC_UPDATE_URL_FIELD, IDC_CHECK_URL_FIELD}) {
        SendDlgItemMessageA(window, field, EM_LIMITTEXT, UrlTextLimit, 0);
    }
    CustomUrlTyped = Editing->provider.customUrl;
    ShowingCustom = false;
    SetDlgItemTextA(window, IDC_CHECK_URL_FIELD, Editing->check.customUrl.c_str());
    ShowChosen(window);
    PlayOpenAnimation(window);
    return TRUE;  // the dialog manager focuses the first tab stop, the provider list
}

// Nothing is kept until the choices pass their checks; until then the line says why.
void OnOk(HWND window) {
    const ProviderSettings typed = TypedSettings(window);
    if (const char* problem =
            ChoiceProblem(typed.provider, typed.check, SystemSha256() != nullptr)) {
        SetDlgItemTextA(window, IDC_CREDENTIALS_LINE, problem);
        MessageBeep(MB_ICONWARNING);
        return;
    }
    *Editing = typed;
    EndDialog(window, IDOK);
}

// Enter gives IDOK and Escape IDCANCEL, as the buttons do.
void OnCommand(HWND window, WPARAM command) {
    switch (LOWORD(command)) {
        case IDOK:
        case IDC_PROVIDER_OK_BUTTON:
            if (HIWORD(command) == BN_CLICKED) OnOk(window);
            break;
        case IDCANCEL:
        case IDC_PROVIDER_CANCEL_BUTTON:
            if (HIWORD(command) == BN_CLICKED) EndDialog(window, IDCANCEL);
            break;
        case IDC_PROVIDER_LIST:
        case IDC_CHECK_LIST:
            if (HIWORD(command) == CBN_SELCHANGE) ShowChosen(window);
            break;
        case IDC_UPDATE_URL_FIELD:
            if (HIWORD(command) == EN_CHANGE && ShowingCustom) ShowCredentials(window);
            break;
    }
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    PaintCaption(dc, ProviderTitleText, CaptionRect);
    EndPaint(window, &paint);
}

INT_PTR CALLBACK ProviderDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(window, lParam);
        case WM_COMMAND: OnCommand(window, wParam); return TRUE;
        case WM_PAINT: OnPaint(window); return TRUE;
        case WM_DRAWITEM:
            DrawOwnerButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC: return ColourDialogFace(wParam);
        case WM_LBUTTONDOWN: DragIfInCaption(window, CaptionRect, lParam); return TRUE;
        case WM_DPICHANGED: FollowDpiChange(window, lParam); return FALSE;
        case DpiSettledMessage: CaptionRect = SettleAtNewDpi(window); return TRUE;
    }
    return FALSE;
}

}  // namespace

bool EditProviderSettings(HWND owner, ProviderSettings& settings) {
    return DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_PROVIDER), owner, ProviderDialogProc,
                           reinterpret_cast<LPARAM>(&settings)) == IDOK;
}
