// The Wine tests' own helpers beside the driver: the program most cases share, programs
// of a test's own, and checks of the screen, drags and GDI objects.
#ifndef KIVO_TESTS_HARNESS_H
#define KIVO_TESTS_HARNESS_H

#include <winternl.h>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "driver/kivo_driver.h"

namespace kivo_test {

using namespace kivo_driver;

// The names in a folder; those of sub-folders end in "\".
inline std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        const std::string name = found.cFileName;
        const bool isFolder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        if (name != "." && name != "..") names.push_back(name + (isFolder ? "\\" : ""));
    }
    FindClose(search);
    return names;
}

// The bytes of one code page in another (CP_UTF8, 936).
inline std::string Recoded(const std::string& bytes, UINT from, UINT to) {
    std::wstring wide(bytes.size(), L'\0');
    wide.resize(MultiByteToWideChar(from, 0, bytes.data(), bytes.size(), &wide[0], wide.size()));
    std::string text(wide.size() * 3, '\0');
    text.resize(WideCharToMultiByte(to, 0, wide.data(), wide.size(), &text[0], text.size(), nullptr,
                                    nullptr));
    return text;
}

inline std::unique_ptr<Kivo>& SharedSlot() {
    static std::unique_ptr<Kivo> shared;
    return shared;
}

// A program of a test's own, in a folder named after the test. It first ends the shared
// one, so that F3 and F4 are free for it.
struct TestKivo : Kivo {
    explicit TestKivo(const std::string& exeName = "kivo.exe",
                      const std::string& proxy = SimulatorProxy(),
                      const char* builtExe = std::getenv("KIVO_EXE"))
        : Kivo(
              (SharedSlot().reset(), testing::UnitTest::GetInstance()->current_test_info()->name()),
              exeName, proxy, builtExe) {}
};

// The program that most cases share, against the simulator: started on first use, and
// again whenever a case left it ended, hidden, or with a box, the About window or the
// 服务商设置 dialog open.
inline Kivo& Shared() {
    std::unique_ptr<Kivo>& shared = SharedSlot();
    if (!shared || !shared->Running() || !IsWindowVisible(shared->Main()) ||
        !shared->Boxes().empty() || shared->About() || shared->ProviderDialog()) {
        shared.reset();
        shared = std::make_unique<Kivo>("Shared");
        shared->Start().Main();
    }
    return *shared;
}

// The visible popup menu of a process, or null.
inline HWND ShownMenu(DWORD processId) {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32768", nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == processId && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

// Painting happens in Kivo's own time: waits until the screen passes the check.
inline bool ScreenShows(HWND window, const RECT& area,
                        const std::function<bool(const Pixels&)>& check) {
    return WaitFor([&] { return check(Capture(window, area)); }, 3000);
}

// Regression: the opening's last square stayed the window's region, so a window that a DPI
// change made larger was cut off.
inline bool HasNoRegion(HWND window) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(window, region);
    DeleteObject(region);
    return kind == ERROR;
}

inline RECT ClientRectOf(HWND window) {
    RECT r = {};
    GetClientRect(window, &r);
    return r;
}

// A control's rectangle in its dialog's client coordinates.
inline RECT ControlRect(HWND dialog, int id) {
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// What Kivo should show in an area of the given size: the face colour, with text drawn
// over it into textRect as the dialogs draw it, in "宋体" at 12 pixels.
inline Pixels RenderText(const std::string& text, int weight, COLORREF colour, SIZE size,
                         RECT textRect, UINT format) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ bitmap = SelectObject(dc, CreateCompatibleBitmap(screen, size.cx, size.cy));
    HGDIOBJ font = SelectObject(
        dc, CreateFontA(-12, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "宋体"));
    HBRUSH face = CreateSolidBrush(RGB(240, 255, 255));
    const RECT all = {0, 0, size.cx, size.cy};
    FillRect(dc, &all, face);
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text.c_str(), -1, &textRect, format);
    const Pixels pixels = CaptureDc(dc, all);
    DeleteObject(SelectObject(dc, font));
    DeleteObject(SelectObject(dc, bitmap));
    DeleteObject(face);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Whether a press of the left button at a client point drags the window: it starts the
// system's move loop, as a press on a title bar does, and the window follows the pointer
// 20 pixels to the right. A press that should not drag gets half a second to start the
// loop wrongly. The button is released again.
inline bool PressDrags(HWND window, POINT point, bool expected) {
    // Under X a warp of the pointer can be overtaken by motion events still on their way.
    auto putPointer = [](POINT p) {
        return WaitFor([p] {
            POINT at = {};
            SetCursorPos(p.x, p.y);
            Sleep(30);
            return GetCursorPos(&at) && at.x == p.x && at.y == p.y;
        });
    };
    auto inMoveLoop = [window] {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
        return (info.flags & GUI_INMOVESIZE) != 0;
    };
    RECT before = {}, after = {};
    GetWindowRect(window, &before);
    ClientToScreen(window, &point);
    EXPECT_TRUE(putPointer(point));
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    const bool drags = WaitFor(inMoveLoop, expected ? 5000 : 500);
    EXPECT_TRUE(putPointer({point.x + 20, point.y}));
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
    WaitFor([&] { return GetWindowRect(window, &after) && after.left == before.left + 20; },
            drags ? 5000 : 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !inMoveLoop(); }));
    GetWindowRect(window, &after);
    return drags && after.left == before.left + 20 && after.top == before.top;
}

// The fonts and brushes a process holds, from its GDI handle table (GetGuiResources is a
// stub under Wine): the table's address is at 0x94 of a 32-bit process environment block,
// 0xF8 of a 64-bit one (kivo.exe is as wide as this driver); Wine's entries are 24 bytes,
// with a type byte at 14 that is 0 while free.
// Painting creates and deletes them all the time: it reads until two readings agree.
inline std::pair<int, int> FontsAndBrushesOf(DWORD processId) {
    auto count = [processId] {
        HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId);
        PROCESS_BASIC_INFORMATION basic = {};
        NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr);
        void* table = nullptr;
        SIZE_T read = 0;
        ReadProcessMemory(
            process,
            reinterpret_cast<BYTE*>(basic.PebBaseAddress) + (sizeof(void*) == 8 ? 0xF8 : 0x94),
            &table, sizeof table, nullptr);
        std::vector<BYTE> entries(0x10000 * 24);
        ReadProcessMemory(process, table, entries.data(), entries.size(), &read);
        CloseHandle(process);
        EXPECT_EQ(read, entries.size()) << "no GDI handle table";
        std::pair<int, int> fontsAndBrushes = {0, 0};
        for (size_t at = 14; at < read; at += 24) {
            fontsAndBrushes.first += entries[at] == 0x0a;
            fontsAndBrushes.second += entries[at] == 0x10;
        }
        return fontsAndBrushes;
    };
    std::pair<int, int> last = count();
    WaitFor([&] { return std::exchange(last, count()) == last; });
    return last;
}

inline const std::string Updated = "恭喜您,您的域名更新成功,当前IP为:";
inline const std::string Unchanged = "您的域名无需更新,当前IP为:";
inline const std::string AddressSame = "IP地址没有变化,无需更新,当前IP为:";

// Kivo in a folder of the test's own, started from these settings, "自动更新" ticked.
struct WatchedKivo : TestKivo {
    explicit WatchedKivo(const std::string& password = DemoPassword, const std::string& state = "",
                         const char* autoUpdate = "Auto=True", const std::string& arguments = "") {
        // The noise digits after each value let a value hold "|".
        WriteFileBytes(folder + "kivo.Lr", std::string("Host=") + DemoHost +
                                               "|0\r\nName=" + DemoUser + "|0\r\nPwd=" + password +
                                               "|0\r\n" + autoUpdate + "\r\n" + SimProviderLines());
        if (!state.empty()) WriteFileBytes(folder + "kivo.state", state);
        Start(arguments);
        WaitFor([this] { return AnyMain() != nullptr; });
    }
    // The status line, shown or hidden behind the tray icon.
    std::string Status() { return WindowText(GetDlgItem(AnyMain(), IDC_STATUS_LINE)); }
    bool Shows(const std::string& status, DWORD timeoutMs = 10000) {
        return WaitFor([&] { return Status() == status; }, timeoutMs);
    }
    // Windows reports a resume from sleep: a check follows 5 s later.
    bool ResumeShows(const std::string& status) {
        SetDlgItemTextA(AnyMain(), IDC_STATUS_LINE, "");
        PostMessageA(AnyMain(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        return Shows(status);
    }
};

}  // namespace kivo_test

#endif
