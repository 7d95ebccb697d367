// The settings file as a user meets it: " 关 " keeps the five settings beside the program,
// the next start brings them back, and a save that cannot be completed keeps the old file.
#include "app/app_texts.h"
#include "settings/settings_format.h"
#include "tests/wine/harness.h"
#include "watch/watch_win.h"

using namespace kivo_test;

namespace {

std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2) {
        lines.push_back(bytes.substr(at, end - at));
    }
    return lines;
}

// WM_QUERYENDSESSION, then WM_ENDSESSION as Windows sends them at log-off: whether Kivo
// agreed, and is still running afterwards (Windows, not Kivo, ends it).
bool EndSession(Kivo& kivo) {
    DWORD_PTR agreed = 0, ignored = 0;
    SendMessageTimeoutA(kivo.AnyMain(), WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &agreed);
    SendMessageTimeoutA(kivo.AnyMain(), WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &ignored);
    return agreed && kivo.Running();
}

// " 关 ", then the closing notice with the program's path, which waits for the user, then
// the exit code 0.
void CloseWithTheNotice(Kivo& kivo) {
    HWND main = kivo.Main();
    kivo.Click(IDC_CLOSE_LABEL);
    const Box box = kivo.WaitBox();
    EXPECT_EQ(box.caption, "提示");
    EXPECT_EQ(_stricmp(box.text.c_str(), kivo.exePath.c_str()), 0) << box.text;
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(kivo.ExitCode(300), STILL_ACTIVE) << "the notice must wait for the user";
    for (UINT key : {VK_F3, VK_F4}) {  // released with the window, while the notice is up
        EXPECT_TRUE(RegisterHotKey(nullptr, key, 0, key)) << key;
        UnregisterHotKey(nullptr, key);
    }
    kivo.CloseBox(box);
    EXPECT_EQ(kivo.ExitCode(), 0u);
}

}  // namespace

// Regression: WM_DESTROY posted WM_QUIT, which ended the closing notice the moment it opened.
TEST(Settings, CloseSavesTheFieldsAndTheNextStartRestoresThemAndRunsTheStoredUpdate) {
    // Values holding "|" and key texts come back whole (a regression: they came back cut,
    // or in another field).
    const std::string password = "排p|wHost=x.yPwd=z|Name=q|7 w0rd!" + std::string(300, 'x');
    const Fields typed = {"kivo.example.com", "192.168.100.200", "ab|cd|12 用户", password, true};
    Fields kept = typed;
    kept.password.resize(254);  // a field is read into 255 bytes
    SimReset();
    std::string saved;
    {
        TestKivo kivo;
        kivo.Start().Fill(typed);
        CloseWithTheNotice(kivo);
        saved = ReadFileBytes(kivo.folder + "kivo.Lr");
    }
    EXPECT_TRUE(SimRequests().empty()) << "closing must not update";

    // Header, five hex lines and the provider's two (their content shows in what the next
    // start restores), two empty lines, credit line, each ended by CR LF.
    const std::vector<std::string> lines = CrLfLines(saved);
    ASSERT_EQ(lines.size(), 11u) << saved;
    EXPECT_EQ(saved.substr(saved.size() - 2), "\r\n");
    EXPECT_EQ(lines[0] + "|" + lines[8] + lines[9] + "|" + lines[10],
              "[Kivo域名更新器]||本程序由" KIVO_AUTHOR_NAME "制作, QQ:" KIVO_AUTHOR_QQ
              ", E-mail:" KIVO_AUTHOR_EMAIL);
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(lines[i].find_first_not_of("0123456789ABCDEF"), std::string::npos);

    // The stored flag runs one update at start, with nothing confirmed before: the window is
    // up while the answer is on its way, and the status line takes it when it comes.
    SimAnswer(200, {"good 10.9", ".8.7"}, 1500);
    TestKivo again;
    WriteFileBytes(again.folder + "kivo.Lr", saved);
    again.Start();
    ASSERT_TRUE(WaitFor([] { return SimRequests().size() == 1; }, 10000));
    EXPECT_NE(again.ShownMain(), nullptr);
    EXPECT_TRUE(WaitFor([&] {
        return again.Text(IDC_STATUS_LINE) == "恭喜您,您的域名更新成功,当前IP为:10.9.8.7";
    }));
    EXPECT_EQ(again.Shown(), kept);
    const std::vector<SimRequest> requests = SimRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].user, kept.user);
    EXPECT_EQ(requests[0].password, kept.password);
}

// LF and CR LF line ends, a lone CR, plain typed lines, an encoded password holding
// "Host=", everything after a Ctrl-Z ignored. The auto-update line comes first, yet the
// start-up update waits for the whole file and the window, and tells on the status line.
TEST(Settings, LoadReadsEveryLineFormAndTheStartUpdateTakesTheWholeFile) {
    const Fields loaded = {"abcd.efghi", "10.0.0.1", "typed user", "p|wHost=x.y", true};
    std::string saved;
    {
        SimReset();
        TestKivo kivo;
        WriteFileBytes(
            kivo.folder + "kivo.Lr",
            EncodeSettingsLine("1Auto=True2") + "\r\n" + SimProviderLines() + SettingsHeaderLine +
                "\n" + "Name=typed\r user|\r\n" + EncodeSettingsLine("77Pwd=p|wHost=x.y|8") +
                "\nHost=abcd.efghi|def\r\nmyIP=10.0.0.1|\x1A" + "Pwd=after-the-end|\r\n");
        kivo.Start();
        EXPECT_TRUE(WaitFor([&] {
            return kivo.Text(IDC_STATUS_LINE) == "用户名或密码错误,请检查!";
        })) << kivo.Text(IDC_STATUS_LINE);
        EXPECT_EQ(kivo.Shown(), loaded);
        ASSERT_EQ(SimRequests().size(), 1u);
        EXPECT_EQ(SimRequests()[0].password, loaded.password);
        // Regression: only " 关 " saved, and Kivo, living in the tray, usually ends with
        // the session. Now the end of the session saves what was typed as " 关 " does,
        // quietly, and Windows ends the process.
        kivo.SetText(IDC_IP_FIELD, "10.0.0.2");
        EXPECT_TRUE(EndSession(kivo));
        EXPECT_TRUE(kivo.Boxes().empty());
        saved = ReadFileBytes(kivo.folder + "kivo.Lr");
    }
    TestKivo again;
    WriteFileBytes(again.folder + "kivo.Lr", saved);
    again.Start().Main();
    Fields typed = loaded;
    typed.ip = "10.0.0.2";
    EXPECT_EQ(again.Shown(), typed) << "as saved at the end of the session";
}

// Regressions: every ".exe" of the path was replaced, so a program in "app.exe.d" kept its
// settings in a folder that does not exist; and lower-casing every byte turned the trail
// byte 0x41 of "丄" (0x81 0x41) into 0x61, naming another folder.
TEST(Settings, FileLivesBesideTheProgramUnderItsLowerCasedName) {
    TestKivo kivo("app.exe.d\\丄\\DDNS.EXE");
    const std::string folder = kivo.folder + "app.exe.d\\丄\\";
    WriteFileBytes(folder + "ddns.Lr", "Host=abcd.efghi|\r\n");
    kivo.Start();
    EXPECT_EQ(kivo.Text(IDC_HOST_FIELD), "abcd.efghi");
    CloseWithTheNotice(kivo);
    EXPECT_EQ(CrLfLines(ReadFileBytes(folder + "ddns.Lr")).at(0), SettingsHeaderLine);
    EXPECT_EQ(NamesIn(folder), (std::vector<std::string>{"DDNS.EXE", "ddns.Lr"}));
}

// Regressions: the save truncated the old file first, so a save that failed part-way lost
// the settings; and when the load failed, the end of the session under its box saved the
// empty fields over the file. A load or save that fails shows the last-resort box and exits
// with 1, and the file stays as it was.
TEST(Settings, FailedLoadOrSaveEndsWithTheErrorBoxAndKeepsTheOldFile) {
    enum Holder { Viewer, Directory, Lock };  // what stands at the settings path
    const struct {
        Holder holder;
        const char* message;
    } cases[] = {
        {Viewer, "File access denied"},
        {Directory, "File access denied"},
        {Lock, "I/O error 32"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.holder);
        TestKivo kivo;
        const std::string settings = kivo.folder + "kivo.Lr";
        const std::string old =
            std::string(SettingsHeaderLine) + "\r\nHost=old.example|\r\nxyz\x1A";
        HANDLE holder = INVALID_HANDLE_VALUE;
        DeleteFileA(settings.c_str());
        if (c.holder == Directory) {
            CreateDirectoryA(settings.c_str(), nullptr);
        } else {  // a viewer shares reading only, so the file cannot be replaced meanwhile
            WriteFileBytes(settings, old);
            holder = CreateFileA(settings.c_str(), GENERIC_READ,
                                 c.holder == Viewer ? FILE_SHARE_READ : 0, nullptr, OPEN_EXISTING,
                                 0, nullptr);
        }
        kivo.Start();
        if (c.holder != Lock) {  // the load ignores a directory
            EXPECT_EQ(kivo.Text(IDC_HOST_FIELD), c.holder == Viewer ? "old.example" : "");
            kivo.Fill({"kivo.example.com", "", "user", "password"});
            EXPECT_TRUE(EndSession(kivo));  // a failed save at log-off shows nothing
            EXPECT_TRUE(kivo.Boxes().empty());
            kivo.Click(IDC_CLOSE_LABEL);
        }
        const Box box = kivo.WaitBox();
        EXPECT_EQ(kivo.ShownMain() == nullptr, c.holder == Lock) << "a failed load stops the start";
        if (c.holder == Lock) {  // the lock goes, then Windows ends the session under the box
            CloseHandle(std::exchange(holder, INVALID_HANDLE_VALUE));
            EXPECT_TRUE(EndSession(kivo));
        }
        EXPECT_EQ(box.caption, "Application Error");
        // The code address in hex digits of the exe's width (kivo.exe is built as the driver is).
        const std::string head = "Exception EInOutError in module kivo.exe at ";
        const size_t digits = 2 * sizeof(void*);
        const std::string address = box.text.substr(head.size(), digits);
        EXPECT_TRUE(box.text.substr(0, head.size()) == head &&
                    address != std::string(digits, '0') &&
                    address.find_first_not_of("0123456789ABCDEF") == std::string::npos)
            << box.text;
        EXPECT_EQ(box.text.substr(head.size() + digits),
                  std::string(".\r\n") + c.message + ".\r\n");
        kivo.CloseBox(box);
        EXPECT_EQ(kivo.ExitCode(), 1u);
        CloseHandle(holder);
        if (c.holder != Directory) {
            EXPECT_EQ(ReadFileBytes(settings), old);
        }
        EXPECT_EQ(NamesIn(kivo.folder).size(), 2u) << "no stray file";
    }
}

// Regression: with kivo.Lr held open at logon (a sync client, a backup), "kivo.exe /tray"
// stopped at the last-resort box and ended, without a tray icon. A writer that shares
// reading stops nothing now; a lock is told on the status line, and the file is read at the
// next check, or, where Kivo ends first, left as it was.
TEST(Settings, ATrayStartNeverStopsAtABoxForAFileItCannotRead) {
    enum Case { Writer, LockThenCheck, LockThenExit };
    const std::string lines = "Host=old.example.com|\r\n" + SimProviderLines();
    for (const Case c : {Writer, LockThenCheck, LockThenExit}) {
        SCOPED_TRACE(c);
        TestKivo kivo;
        const std::string settings = kivo.folder + "kivo.Lr";
        WriteFileBytes(settings, lines);
        HANDLE holder =
            CreateFileA(settings.c_str(), GENERIC_READ | GENERIC_WRITE,
                        c == Writer ? FILE_SHARE_READ : 0, nullptr, OPEN_EXISTING, 0, nullptr);
        kivo.Start("/tray");
        ASSERT_TRUE(WaitFor([&] { return kivo.AnyMain() != nullptr; }));
        HWND main = kivo.AnyMain();
        const auto host = [main] { return WindowText(GetDlgItem(main, IDC_HOST_FIELD)); };
        if (c == Writer) {
            EXPECT_TRUE(WaitFor([&] { return host() == "old.example.com"; }));
            CloseHandle(holder);
            continue;
        }
        EXPECT_TRUE(WaitFor([&] {
            return WindowText(GetDlgItem(main, IDC_STATUS_LINE)) ==
                   "设置文件暂时无法读取,稍后自动重试: I/O error 32";
        })) << WindowText(GetDlgItem(main, IDC_STATUS_LINE));
        Sleep(1000);
        EXPECT_TRUE(kivo.Boxes().empty());
        EXPECT_EQ(host(), "");
        if (c == LockThenCheck) {
            CloseHandle(holder);
            PostMessageA(main, WM_TIMER, WatchTimerId, 0);
            EXPECT_TRUE(WaitFor([&] { return host() == "old.example.com"; }));
        } else {
            PostMessageA(main, WM_COMMAND, IDM_TRAY_EXIT, 0);
            EXPECT_EQ(kivo.WaitBox().caption, "提示");
            CloseHandle(holder);
            EXPECT_EQ(ReadFileBytes(settings), lines) << "nothing saved over it";
        }
    }
}

// Regression: in a folder named outside the code page (Korean on a Chinese Windows) every
// save ended in "I/O error 123" and no log or state was written, without a word why.
TEST(Settings, AFolderNameOutsideTheCodePageIsToldAtTheStartAndAtTheClose) {
    TestKivo kivo;  // for its folder; it is never started there
    const std::wstring folder = std::wstring(kivo.folder.begin(), kivo.folder.end()) + L"한국\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring exe = folder + L"kivo.exe";
    ASSERT_TRUE(CopyFileA(kivo.exePath.c_str(), "kivo-copy.exe", FALSE));
    ASSERT_TRUE(MoveFileExW(L"kivo-copy.exe", exe.c_str(), MOVEFILE_REPLACE_EXISTING));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), &exe[0], nullptr, nullptr, FALSE, 0, nullptr,
                               folder.c_str(), &startup, &process));
    const auto box = [&process]() -> HWND {
        for (HWND w : DialogsOf(process.dwProcessId)) {
            if (IsWindowVisible(w) && GetDlgItem(w, 0xFFFF) && !GetDlgItem(w, IDC_STATUS_LINE)) {
                return w;
            }
        }
        return nullptr;
    };
    for (int told = 1; told <= 2; ++told) {
        HWND shown = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (shown = box()) != nullptr; }, 10000)) << told;
        EXPECT_EQ(WindowText(shown), "错误:");
        EXPECT_EQ(WindowText(GetDlgItem(shown, 0xFFFF)), PathOutsideCodePageText);
        HWND main = GetWindow(shown, GW_OWNER);
        PostMessageA(shown, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(shown); }));
        if (told == 1) PostMessageA(main, WM_COMMAND, IDC_CLOSE_LABEL, 0);  // " 关 "
    }
    HWND notice = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (notice = box()) != nullptr; }));
    EXPECT_EQ(WindowText(notice), "提示") << "no save was tried";
    TerminateProcess(process.hProcess, 0);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}
