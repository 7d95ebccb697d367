#include "tests/wine/harness.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"

namespace kivo_test {

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

namespace {

std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

void CreateFolders(const std::string& path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
}

// The current environment with http_proxy replaced, as a CreateProcessA block.
std::string EnvironmentWithProxy(const std::string& proxy) {
    std::string block;
    char* strings = GetEnvironmentStringsA();
    for (const char* entry = strings; *entry; entry += strlen(entry) + 1) {
        const std::string text = entry;
        const std::string name = text.substr(0, text.find('='));
        if (_stricmp(name.c_str(), "http_proxy") == 0) continue;
        block += text;
        block += '\0';
    }
    FreeEnvironmentStringsA(strings);
    if (!proxy.empty()) {
        block += "http_proxy=" + proxy;
        block += '\0';
    }
    block += '\0';
    return block;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

}  // namespace

std::string FreshTestFolder() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string folder =
        std::string(temp) + "kivo-tests\\" + test->test_suite_name() + "." + test->name() + "\\";
    RemoveTree(folder);
    CreateFolders(folder);
    return folder;
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string SimulatorProxy() {
    const char* port = getenv("KIVO_SIM_PORT");
    if (!port) ADD_FAILURE() << "KIVO_SIM_PORT is not set: run the tests with the test command";
    return port ? std::string("http://127.0.0.1:") + port : std::string();
}

std::string WindowText(HWND window) {
    // WM_GETTEXT, not GetWindowTextA: for another process's window the latter reads only
    // the text the window was created with, never what an edit control holds now.
    char text[4096] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_NORMAL, 10000, &copied);
    return text;
}

KivoRun::KivoRun(KivoOptions options) : options_(std::move(options)), folder_(FreshTestFolder()) {
    const std::string exe = ExePath();
    CreateFolders(exe);
    if (!CopyFileA(WindowsPathOf(KIVO_EXE_UNIX_PATH).c_str(), exe.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy kivo.exe to " << exe << ": error " << GetLastError();
    }
}

KivoRun::~KivoRun() {
    if (process_.hProcess) {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        // The windows of a process that was ended go a little after it, and its hotkeys
        // with them: the next test's program could not register F3 and F4 before.
        WaitFor([this] { return TopLevelDialogs().empty(); });
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
}

void KivoRun::Start() {
    std::string environment = EnvironmentWithProxy(options_.proxy);
    std::string commandLine = "\"" + ExePath() + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(ExePath().c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                        &environment[0], folder_.c_str(), &startup, &process_)) {
        ADD_FAILURE() << "cannot start " << ExePath() << ": error " << GetLastError();
    }
}

namespace {

struct DialogSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogOfProcess(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && ClassOf(window) == "#32770") search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> KivoRun::TopLevelDialogs() {
    DialogSearch search = {process_.dwProcessId, {}};
    EnumWindows(CollectDialogOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND KivoRun::Main(DWORD timeoutMs) {
    if (main_ && IsWindow(main_)) return main_;
    const bool found = WaitFor(
        [this] {
            for (HWND window : TopLevelDialogs()) {
                if (GetDlgItem(window, IDC_STATUS_LINE) && IsWindowVisible(window)) {
                    main_ = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    if (!found) ADD_FAILURE() << "the main dialog did not appear";
    // Visible is not yet ready: the hotkeys are registered after the opening animation.
    WaitForInputIdle(process_.hProcess, timeoutMs);
    return main_;
}

std::string KivoRun::Text(int controlId) { return WindowText(GetDlgItem(Main(), controlId)); }

void KivoRun::SetText(int controlId, const std::string& text) {
    SendMessageA(GetDlgItem(Main(), controlId), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(text.c_str()));
}

bool KivoRun::IsChecked(int controlId) {
    return SendMessageA(GetDlgItem(Main(), controlId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void KivoRun::SetChecked(int controlId, bool checked) {
    SendMessageA(GetDlgItem(Main(), controlId), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED,
                 0);
}

void KivoRun::Click(int controlId) {
    HWND main = Main();
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(main, controlId)));
}

void KivoRun::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageA(Main(), message, wParam, lParam);
}

bool KivoRun::MainVisible() { return IsWindowVisible(Main()) != FALSE; }

std::vector<MessageBoxSeen> KivoRun::VisibleBoxes() {
    std::vector<MessageBoxSeen> boxes;
    for (HWND window : TopLevelDialogs()) {
        if (!IsWindowVisible(window) || GetDlgItem(window, IDC_STATUS_LINE) ||
            GetDlgItem(window, IDC_CREDITS_FRAME)) {
            continue;
        }
        MessageBoxSeen box;
        box.window = window;
        box.caption = WindowText(window);
        box.text = WindowText(GetDlgItem(window, 0xFFFF));
        box.owner = GetWindow(window, GW_OWNER);
        boxes.push_back(box);
    }
    return boxes;
}

MessageBoxSeen KivoRun::WaitBox(DWORD timeoutMs) {
    MessageBoxSeen seen;
    if (!WaitFor(
            [&] {
                auto boxes = VisibleBoxes();
                if (boxes.empty()) return false;
                seen = boxes.front();
                return true;
            },
            timeoutMs)) {
        ADD_FAILURE() << "no message box appeared";
    }
    return seen;
}

void KivoRun::CloseBox(const MessageBoxSeen& box) {
    PostMessageA(box.window, WM_COMMAND, IDOK, 0);
    if (!WaitFor([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); })) {
        ADD_FAILURE() << "the message box did not close";
    }
}

HWND KivoRun::AboutWindow() {
    for (HWND window : TopLevelDialogs()) {
        if (GetDlgItem(window, IDC_CREDITS_FRAME)) return window;
    }
    return nullptr;
}

bool KivoRun::WaitExit(DWORD timeoutMs, DWORD* exitCode) {
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(process_.hProcess, exitCode);
    return true;
}

bool PutCursorAt(int x, int y) {
    return WaitFor([x, y] {
        SetCursorPos(x, y);
        Sleep(30);
        POINT now = {};
        GetCursorPos(&now);
        return now.x == x && now.y == y;
    });
}

bool InMoveLoop(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return (info.flags & GUI_INMOVESIZE) != 0;
}

void ExpectDrags(HWND window, const std::vector<DragCase>& cases) {
    RECT start = {};
    GetWindowRect(window, &start);
    auto offset = [&] {
        RECT now = {};
        GetWindowRect(window, &now);
        return POINT{now.left - start.left, now.top - start.top};
    };
    POINT expected = {0, 0};
    for (const DragCase& c : cases) {
        SCOPED_TRACE("press at " + std::to_string(c.press.x) + "," + std::to_string(c.press.y));
        POINT press = c.press;
        ClientToScreen(window, &press);
        ASSERT_TRUE(PutCursorAt(press.x, press.y));
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        // A press that must not drag gets half a second to start the move loop wrongly:
        // released at once, a drag that began late would move nothing and go unseen.
        const bool dragging = WaitFor([&] { return InMoveLoop(window); }, c.drags ? 5000 : 500);
        ASSERT_EQ(dragging, c.drags);
        if (c.drags) expected = {expected.x + c.by.x, expected.y + c.by.y};
        ASSERT_TRUE(PutCursorAt(press.x + c.by.x, press.y + c.by.y));
        mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
        if (c.drags) {
            EXPECT_TRUE(WaitFor([&] {
                const POINT moved = offset();
                return moved.x == expected.x && moved.y == expected.y;
            }));
        }
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        if (c.drags) {
            ASSERT_TRUE(WaitFor([&] { return !InMoveLoop(window); }));
        }
        EXPECT_EQ(offset().x, expected.x);
        EXPECT_EQ(offset().y, expected.y);
    }
}

void PressKey(BYTE virtualKey) {
    keybd_event(virtualKey, 0, 0, 0);
    keybd_event(virtualKey, 0, KEYEVENTF_KEYUP, 0);
}

}  // namespace kivo_test
