// The tray's rules: starting hidden, and the menu of the tray icon.
#ifndef KIVO_TRAY_RULES_H
#define KIVO_TRAY_RULES_H

#include <string>
#include <vector>

// Whether the command line (the program's own path first, as Windows gives it) asks to
// start hidden behind the tray icon: an argument "/tray" or "-tray", in any case.
bool StartsInTray(const std::string& commandLine);

struct TrayMenuItem {
    int id;  // 0: a separator
    const char* text;
    bool checked;
};

// The tray icon's menu, in order; "开机时自动启动" is checked while Kivo starts at logon.
std::vector<TrayMenuItem> TrayMenuItems(bool startsAtLogon);

#endif
