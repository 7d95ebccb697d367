// The tray's rules: starting hidden, and the icon's menu.
#include <gtest/gtest.h>

#include "app/tray_rules.h"
#include "resources/resource_ids.h"

namespace {

TEST(StartsInTray, AnyArgumentSlashOrDashTrayInAnyCase) {
    const std::pair<const char*, bool> cases[] = {
        {"kivo.exe /tray", true},
        {"\"C:\\Program Files\\kivo.exe\" -TRAY", true},
        {"kivo.exe  x \"/Tray\"", true},
        {"\"C:\\a /tray\\kivo.exe\"", false},  // inside the program's own path
        {"C:\\tray\\kivo.exe", false},
        {"kivo.exe /trayx", false},
        {"kivo.exe", false},
        {"", false},
    };
    for (const auto& [line, tray] : cases) EXPECT_EQ(StartsInTray(line), tray) << line;
}

TEST(TrayMenuItems, UpdateShowHideLogonStartExitWithSeparators) {
    for (const bool atLogon : {false, true}) {
        std::string menu;
        for (const TrayMenuItem& item : TrayMenuItems(atLogon)) {
            menu += std::to_string(item.id) + (item.checked ? "*" : "") + item.text + "|";
        }
        EXPECT_EQ(menu, std::string("1101立即更新(F3)|1102显示/隐藏窗口(F4)|0|1103") +
                            (atLogon ? "*" : "") + "开机时自动启动|0|1104退出|");
    }
}

}  // namespace
