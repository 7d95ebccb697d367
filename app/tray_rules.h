// The tray's rules: starting hidden, the menu of the tray icon, its tip and its balloons.
#ifndef KIVO_TRAY_RULES_H
#define KIVO_TRAY_RULES_H

#include <cstdint>
#include <string>
#include <vector>

// Whether the command line (the program's own path first, as Windows gives it) asks to
// start hidden behind the tray icon: an argument "/tray" or "-tray", in any case.
bool StartsInTray(const std::string& commandLine);

// The names that this copy's Startup shortcut may have, in the order of choice: the first
// copy of Kivo takes "Kivo域名更新器.lnk"; a copy in another folder, whose shortcut must not
// replace that one, has the folder's name added (and a number, where even that is taken).
std::vector<std::string> LogonShortcutNames(const std::string& exeFolderName);

struct TrayMenuItem {
    int id;  // 0: a separator
    const char* text;
    bool checked;
};

// The tray icon's menu, in order; "开机时自动启动" is checked while Kivo starts at logon,
// "使用本机IPv6地址" while the updates use this PC's own IPv6 address.
std::vector<TrayMenuItem> TrayMenuItems(bool startsAtLogon, bool ownIpv6);

inline constexpr std::size_t TipSize = 128;  // the tip's array, its zero byte included
// The tip: the window title, and the last result on a second line where there is one; at
// most TipSize - 1 bytes, cut without splitting a double-byte character.
std::string TrayTipText(const std::string& lastResult, bool (*isLeadByte)(unsigned char));

// A balloon's text and title as the record holds them: at most 255 and 63 bytes, cut
// without splitting a double-byte character.
struct BalloonFields {
    std::string text, title;
};
BalloonFields BalloonFieldsFor(const std::string& text, const std::string& title,
                               bool (*isLeadByte)(unsigned char));

// Balloons come at most once a minute (milliseconds of a clock that wraps).
class BalloonPacer {
public:
    bool Allows(std::uint32_t now);

private:
    bool shown_ = false;
    std::uint32_t lastAt_ = 0;
};

#endif
