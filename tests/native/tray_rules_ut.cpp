// The tray's rules: starting hidden, the icon's menu, its tip and the balloons' pace.
#include <gtest/gtest.h>

#include "app/app_texts.h"
#include "app/hotkey_rules.h"
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

TEST(TrayMenuItems, ProviderThenUpdateShowHideLogThenTheTwoChoicesThenExit) {
    for (const bool atLogon : {false, true}) {
        for (const bool ownIpv6 : {false, true}) {
            std::string menu;
            for (const TrayMenuItem& item : TrayMenuItems(atLogon, ownIpv6)) {
                menu += std::to_string(item.id) + (item.checked ? "*" : "") + item.text + "|";
            }
            EXPECT_EQ(menu, std::string("1107服务商设置...|0|1101立即更新(F3)|1102显示/"
                                        "隐藏窗口(F4)|1105查看日志|0|1103") +
                                (atLogon ? "*" : "") + "开机时自动启动|1106" +
                                (ownIpv6 ? "*" : "") + "使用本机IPv6地址|0|1104退出|");
        }
    }
}

bool IsGbkLead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// The title is "Kivo域名更新器 QQ:10000" (23 bytes); the tip holds 127 bytes and a zero.
TEST(TrayTipText, TitleThenTheLastResultCutOnACharacterBoundary) {
    const std::string title = MainTitleText;
    const std::string room(127 - title.size() - 1, 'x');  // fills the tip exactly
    const struct {
        std::string result, tip;
    } cases[] = {
        {"", title},
        {"14:03 更新成功 198.51.100.7", title + "\n14:03 更新成功 198.51.100.7"},
        {room, title + "\n" + room},
        {room + "y", title + "\n" + room},
        {room.substr(1) + "错误", title + "\n" + room.substr(1)},  // no half character
        {room.substr(2) + "错误", title + "\n" + room.substr(2) + "错"},
    };
    for (const auto& c : cases) {
        const std::string tip = TrayTipText(c.result, IsGbkLead);
        EXPECT_EQ(tip, c.tip) << c.result;
        EXPECT_LE(tip.size(), TipSize - 1);
    }
}

// Regression: the balloon's text was cut after 255 bytes even inside a Chinese character.
TEST(BalloonFieldsFor, CutOnACharacterBoundary) {
    const BalloonFields fields = BalloonFieldsFor("x" + std::string(300, '\xD3') + "z",
                                                  "y" + std::string(80, '\xD3'), IsGbkLead);
    EXPECT_EQ(fields.text, "x" + std::string(254, '\xD3'));
    EXPECT_EQ(fields.title, "y" + std::string(62, '\xD3'));
}

// Regression: another copy's ticking of "开机时自动启动" replaced the first copy's shortcut.
TEST(LogonShortcutNames, TheFirstCopysNameThenTheFolders) {
    const std::vector<std::string> names = LogonShortcutNames("下载");
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(names[0], "Kivo域名更新器.lnk");
    EXPECT_EQ(names[1], "Kivo域名更新器 (下载).lnk");
    EXPECT_EQ(names[2], "Kivo域名更新器 (下载 2).lnk");
    EXPECT_EQ(LogonShortcutNames("D:")[1], "Kivo域名更新器 (D).lnk");
}

// Regression: a held F3 sent an update each time the one before had ended.
TEST(KeyRepeatFilter, AHotkeyWithin500MsOfTheLastIsARepeatAcrossTheClocksWrap) {
    const std::uint32_t start = 0xFFFFFF00u;
    KeyRepeatFilter filter;
    const std::pair<std::uint32_t, bool> pressed[] = {
        {start, false},       {start + 33, true},    {start + 66, true},    {start + 566, false},
        {start + 1065, true}, {start + 1565, false}, {start + 2563, false},
    };
    for (const auto& [at, repeat] : pressed) EXPECT_EQ(filter.IsRepeat(at), repeat) << at - start;
}

// Told in a box, or on the status line and in the tip of a start behind the tray.
TEST(MissingSystemPartText, NamesTheDllTheFunctionIfAnyAndTheLoss) {
    EXPECT_EQ(MissingSystemPartText("wininet.dll", nullptr, NoUpdatesLoss),
              "无法加载系统组件 wininet.dll,将不能更新域名!");
    EXPECT_EQ(MissingSystemPartText("iphlpapi.dll", "NotifyAddrChange", NoOwnIpv6Loss),
              "无法加载系统组件 iphlpapi.dll 中的函数 NotifyAddrChange,将不能使用本机IPv6地址!");
}

TEST(BalloonPacer, AtMostOneAMinuteAcrossTheClocksWrap) {
    const std::uint32_t start = 0xFFFFF000u;  // the clock wraps 4 s later
    BalloonPacer pacer;
    const std::pair<std::uint32_t, bool> asked[] = {
        {start, true},         {start + 1000, false},  {start + 59999, false},
        {start + 60000, true}, {start + 60001, false}, {start + 200000, true},
    };
    for (const auto& [at, allowed] : asked) EXPECT_EQ(pacer.Allows(at), allowed) << at - start;
}

}  // namespace
