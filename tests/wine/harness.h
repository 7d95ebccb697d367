// Drives the real kivo.exe from a test process in the same Wine session: starts it in a
// folder of the test's own, finds its windows, sends them messages and reads them back.
#ifndef KIVO_TESTS_HARNESS_H
#define KIVO_TESTS_HARNESS_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kivo_test {

// Polls the condition every 20 ms until it holds or the time is up; true when it held.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// The test's own empty folder, %TEMP%\kivo-tests\<suite>.<test>\, with a trailing "\".
std::string FreshTestFolder();

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// The http_proxy under which Kivo reaches the provider simulator (from KIVO_SIM_PORT).
std::string SimulatorProxy();

// Text of a window, as GetWindowTextA reads it (code page 936 under the test locale).
std::string WindowText(HWND window);

struct MessageBoxSeen {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    HWND owner = nullptr;
};

struct KivoOptions {
    std::string exeRelativePath = "kivo.exe";  // where in the test folder the program goes
    std::string proxy;                         // http_proxy; SimulatorProxy() for the simulator
};

// One run of kivo.exe, copied into the test folder. Ended (if still running) on destruction.
class KivoRun {
public:
    explicit KivoRun(KivoOptions options = {});
    ~KivoRun();
    KivoRun(const KivoRun&) = delete;
    KivoRun& operator=(const KivoRun&) = delete;

    const std::string& Folder() const { return folder_; }
    std::string ExePath() const { return folder_ + options_.exeRelativePath; }

    // Starts the program; Start() without waiting lets a test see boxes that come first.
    void Start();
    // The main dialog, once it exists and is visible; fails the test after the time-out.
    HWND Main(DWORD timeoutMs = 10000);

    std::string Text(int controlId);
    void SetText(int controlId, const std::string& text);
    bool IsChecked(int controlId);
    void SetChecked(int controlId, bool checked);
    // Posts the click notification of a control to the main dialog, as a real click does.
    void Click(int controlId);
    void Post(UINT message, WPARAM wParam, LPARAM lParam);
    bool MainVisible();

    // Message boxes (and only those: not the main or About dialog) of this process.
    std::vector<MessageBoxSeen> VisibleBoxes();
    MessageBoxSeen WaitBox(DWORD timeoutMs = 10000);
    void CloseBox(const MessageBoxSeen& box);
    // The About dialog, or null.
    HWND AboutWindow();

    // Waits for the process to end; false on time-out.
    bool WaitExit(DWORD timeoutMs, DWORD* exitCode);
    DWORD ProcessId() const { return process_.dwProcessId; }

private:
    std::vector<HWND> TopLevelDialogs();

    KivoOptions options_;
    std::string folder_;
    PROCESS_INFORMATION process_ = {};
    HWND main_ = nullptr;
};

// Moves the mouse pointer and waits until the system reports it there: under X a warp of
// the pointer can be overtaken by motion events still on their way.
bool PutCursorAt(int x, int y);

// Whether the thread of the window runs the system's move-or-size loop (a caption drag).
bool InMoveLoop(HWND window);

// A press of the left button at a client point of a window, a move of the pointer by `by`
// and the release: whether it drags the window along.
struct DragCase {
    POINT press;
    bool drags;
    POINT by;
};

// Runs the cases in turn with real mouse input and checks after each one that the window
// stands where the drags so far have moved it. End with a case that drags, so that a
// press that wrongly started a drag shows up as a wrong final place.
void ExpectDrags(HWND window, const std::vector<DragCase>& cases);

// Presses and releases a key through the system's input, as a user's keyboard does.
void PressKey(BYTE virtualKey);

}  // namespace kivo_test

#endif
