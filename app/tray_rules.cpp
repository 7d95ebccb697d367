#include "app/tray_rules.h"

#include "app/app_texts.h"
#include "base/text_lines.h"
#include "resources/resource_ids.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool StartsInTray(const std::string& commandLine) {
    size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {  // a quoted path may hold blanks
        at = commandLine.find('"', 1);
        at = at == std::string::npos ? commandLine.size() : at + 1;
    }
    while (at < commandLine.size() && !IsBlank(commandLine[at])) ++at;
    while (at < commandLine.size()) {
        while (at < commandLine.size() && IsBlank(commandLine[at])) ++at;
        const size_t start = at;
        while (at < commandLine.size() && !IsBlank(commandLine[at])) ++at;
        std::string argument = commandLine.substr(start, at - start);
        if (argument.size() > 2 && argument.front() == '"' && argument.back() == '"') {
            argument = argument.substr(1, argument.size() - 2);
        }
        argument = AsciiLowerCase(argument);
        if (argument == "/tray" || argument == "-tray") return true;
    }
    return false;
}

std::vector<std::string> LogonShortcutNames(const std::string& exeFolderName) {
    std::string folder = exeFolderName;  // a drive's root: "C:"
    if (!folder.empty() && folder.back() == ':') folder.pop_back();
    std::vector<std::string> names = {"Kivo域名更新器.lnk"};
    for (int number = 1; number <= 5; ++number) {
        names.push_back("Kivo域名更新器 (" + folder +
                        (number > 1 ? " " + std::to_string(number) : "") + ").lnk");
    }
    return names;
}

std::vector<TrayMenuItem> TrayMenuItems(bool startsAtLogon, bool ownIpv6) {
    return {
        {IDM_TRAY_PROVIDER, "服务商设置...", false},
        {0, "", false},
        {IDM_TRAY_UPDATE, "立即更新(F3)", false},
        {IDM_TRAY_SHOW_HIDE, "显示/隐藏窗口(F4)", false},
        {IDM_TRAY_VIEW_LOG, "查看日志", false},
        {0, "", false},
        {IDM_TRAY_START_AT_LOGON, "开机时自动启动", startsAtLogon},
        {IDM_TRAY_OWN_IPV6, "使用本机IPv6地址", ownIpv6},
        {0, "", false},
        {IDM_TRAY_EXIT, "退出", false},
    };
}

std::string TrayTipText(const std::string& lastResult, bool (*isLeadByte)(unsigned char)) {
    const std::string title = MainTitleText;
    return TextWithin(lastResult.empty() ? title : title + "\n" + lastResult, TipSize - 1,
                      isLeadByte);
}

BalloonFields BalloonFieldsFor(const std::string& text, const std::string& title,
                               bool (*isLeadByte)(unsigned char)) {
    constexpr std::size_t TextSize = 256, TitleSize = 64;  // the record's arrays
    return {TextWithin(text, TextSize - 1, isLeadByte),
            TextWithin(title, TitleSize - 1, isLeadByte)};
}

bool BalloonPacer::Allows(std::uint32_t now) {
    constexpr std::uint32_t SpacingMs = 60 * 1000;
    if (shown_ && now - lastAt_ < SpacingMs) return false;
    shown_ = true;
    lastAt_ = now;
    return true;
}
