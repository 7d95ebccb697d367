#include "app/system_libraries_win.h"

#include "address/iphlpapi_win.h"
#include "app/app_texts.h"
#include "app/main_dialog_win.h"
#include "update/wininet_win.h"

namespace {

void TellIfIncomplete(HWND mainDialog, const SystemLibrary& library, const char* loss) {
    if (library.Complete()) return;
    TellStartupTrouble(mainDialog,
                       MissingSystemPartText(library.FileName(), library.MissingFunction(), loss));
}

}  // namespace

// Both are loaded before a box can hold up the start.
void LoadSystemLibraries(HWND mainDialog) {
    const SystemLibrary& winInet = WinInetLibrary();
    const SystemLibrary& ipHelper = IpHelperLibrary();
    TellIfIncomplete(mainDialog, winInet, NoUpdatesLoss);
    TellIfIncomplete(mainDialog, ipHelper, NoOwnIpv6Loss);
}
