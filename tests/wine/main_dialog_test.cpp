// The main dialog as a user meets it: texts, hotkeys, ignored commands, closing.
#include <gtest/gtest.h>

#include <functional>

#include "app/app_texts.h"
#include "build_config.h"
#include "resources/resource_ids.h"
#include "tests/wine/harness.h"

using namespace kivo_test;

namespace {

constexpr char StatusTemplateText[] = KIVO_AUTHOR_NAME "Kivo更新器       QQ:" KIVO_AUTHOR_QQ;

// Holds a global hotkey for the test process, so that Kivo's registration of it fails.
class HotkeyTaken {
public:
    HotkeyTaken(int id, UINT key) : id_(id) { EXPECT_TRUE(RegisterHotKey(nullptr, id, 0, key)); }
    ~HotkeyTaken() { UnregisterHotKey(nullptr, id_); }

private:
    int id_;
};

// Presses the key until its outcome shows. The hotkeys are registered as the last step of
// the start-up, which may still be under way when the window first appears.
bool PressUntil(BYTE key, const std::function<bool()>& outcome) {
    return WaitFor([&] {
        PressKey(key);
        return WaitFor(outcome, 1000);
    });
}

bool HotkeyFree(UINT key) {
    if (!RegisterHotKey(nullptr, 77, 0, key)) return false;
    UnregisterHotKey(nullptr, 77);
    return true;
}

}  // namespace

TEST(MainDialog, ShowsTitleUsageTextAndTemplateStatus) {
    KivoRun kivo;
    kivo.Start();
    EXPECT_EQ(WindowText(kivo.Main()), MainTitleText);
    EXPECT_EQ(kivo.Text(IDC_INFO_BOX), UsageText());
    EXPECT_EQ(kivo.Text(IDC_STATUS_LINE), StatusTemplateText);
    EXPECT_EQ(kivo.Text(IDC_UPDATE_BUTTON), "更 新");
    EXPECT_EQ(kivo.Text(IDC_CLOSE_LABEL), " 关 ");
    EXPECT_TRUE(kivo.VisibleBoxes().empty());
}

// F3 with empty fields shows the update's warning; F4 hides and shows the window. Once
// the program has ended, both keys are free for others again.
TEST(MainDialog, HoldsF3AndF4WhileRunningAndReleasesThemAtTheEnd) {
    {
        KivoRun kivo;
        kivo.Start();
        HWND main = kivo.Main();
        ASSERT_TRUE(PressUntil(VK_F3, [&] { return !kivo.VisibleBoxes().empty(); }));
        const MessageBoxSeen warning = kivo.WaitBox();
        EXPECT_EQ(warning.caption, "警告:");
        kivo.CloseBox(warning);
        PressKey(VK_F4);
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }));
        PressKey(VK_F4);
        EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
        kivo.Click(IDC_CLOSE_LABEL);
        kivo.CloseBox(kivo.WaitBox());
        DWORD code = 99;
        ASSERT_TRUE(kivo.WaitExit(10000, &code));
    }
    EXPECT_TRUE(HotkeyFree(VK_F3));
    EXPECT_TRUE(HotkeyFree(VK_F4));
}

TEST(MainDialog, ReportsAHotkeyTakenByAnotherProgramAndRunsWithoutIt) {
    HotkeyTaken f3(1, VK_F3);
    KivoRun kivo;
    kivo.Start();
    const MessageBoxSeen box = kivo.WaitBox();
    EXPECT_EQ(box.caption, "错误:");
    EXPECT_EQ(box.text, "热键F3注册失败,您将不能使用快捷键更新IP!!  ");
    EXPECT_EQ(box.owner, kivo.Main());
    kivo.CloseBox(box);
    // F4 is still registered after the F3 box.
    EXPECT_TRUE(PressUntil(VK_F4, [&] { return !IsWindowVisible(kivo.Main()); }));
    EXPECT_TRUE(kivo.VisibleBoxes().empty());
}

TEST(MainDialog, ReportsBothHotkeysInTurnWhenBothAreTaken) {
    HotkeyTaken f3(1, VK_F3);
    HotkeyTaken f4(2, VK_F4);
    KivoRun kivo;
    kivo.Start();
    const MessageBoxSeen first = kivo.WaitBox();
    EXPECT_EQ(first.text, "热键F3注册失败,您将不能使用快捷键更新IP!!  ");
    kivo.CloseBox(first);
    const MessageBoxSeen second = kivo.WaitBox();
    EXPECT_EQ(second.caption, "错误:");
    EXPECT_EQ(second.text, "热键F4注册失败,您将不能使用快捷键 显示/隐藏 窗口  ");
    kivo.CloseBox(second);
    EXPECT_EQ(kivo.Text(IDC_STATUS_LINE), StatusTemplateText);
}

// Enter, Escape and Alt+F4 arrive as IDOK, IDCANCEL and WM_CLOSE; a double click on an
// owner-drawn button as BN_DOUBLECLICKED. None of them may act. The click that follows
// them shows that they were all handled and the window is still there.
TEST(MainDialog, IgnoresOkCancelCloseAndDoubleClickNotifications) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    kivo.Post(WM_COMMAND, IDOK, 0);
    kivo.Post(WM_COMMAND, IDCANCEL, 0);
    kivo.Post(WM_CLOSE, 0, 0);
    kivo.Post(WM_COMMAND, MAKEWPARAM(IDC_UPDATE_BUTTON, BN_DOUBLECLICKED),
              reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_UPDATE_BUTTON)));
    kivo.Post(WM_COMMAND, MAKEWPARAM(IDC_CLOSE_LABEL, BN_DOUBLECLICKED), 0);
    kivo.Click(IDC_UPDATE_BUTTON);  // empty fields: one warning box, nothing else
    const MessageBoxSeen box = kivo.WaitBox();
    EXPECT_EQ(box.caption, "警告:");
    kivo.CloseBox(box);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(kivo.VisibleBoxes().empty());
    DWORD code;
    EXPECT_FALSE(kivo.WaitExit(0, &code));
}

TEST(MainDialog, CloseLabelShowsThePathAndWaitsBeforeExitingWithZero) {
    KivoRun kivo;
    kivo.Start();
    HWND main = kivo.Main();
    kivo.Click(IDC_CLOSE_LABEL);
    const MessageBoxSeen box = kivo.WaitBox();
    EXPECT_EQ(box.caption, "提示");
    EXPECT_EQ(_stricmp(box.text.c_str(), kivo.ExePath().c_str()), 0) << box.text;
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_FALSE(IsWindow(main));
    DWORD code = 99;
    EXPECT_FALSE(kivo.WaitExit(1000, &code)) << "the box must wait for the user";
    EXPECT_TRUE(IsWindowVisible(box.window));
    kivo.CloseBox(box);
    ASSERT_TRUE(kivo.WaitExit(10000, &code));
    EXPECT_EQ(code, 0u);
}
