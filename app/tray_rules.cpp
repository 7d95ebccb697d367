#include "app/tray_rules.h"

#include "resources/resource_ids.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string LowerCase(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

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
        argument = LowerCase(argument);
        if (argument == "/tray" || argument == "-tray") return true;
    }
    return false;
}

std::vector<TrayMenuItem> TrayMenuItems(bool startsAtLogon) {
    return {
        {IDM_TRAY_UPDATE, "立即更新(F3)", false},
        {IDM_TRAY_SHOW_HIDE, "显示/隐藏窗口(F4)", false},
        {0, "", false},
        {IDM_TRAY_START_AT_LOGON, "开机时自动启动", startsAtLogon},
        {0, "", false},
        {IDM_TRAY_EXIT, "退出", false},
    };
}
