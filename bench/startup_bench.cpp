// Starts kivo.exe again and again and reports how long each start takes: from process
// start until the window is first shown (the opening animation begins), from then until
// its region covers the whole window (the animation's last square), and from then until
// it answers a message (the rest of the start-up: hotkeys, first paint). Prints numbers;
// judges nothing.
//   kivo_startup_bench.exe [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "ui/chrome_rules.h"

namespace {

struct Clock {
    LARGE_INTEGER frequency;
    Clock() { QueryPerformanceFrequency(&frequency); }
    double NowMs() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
    }
};

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindShownMainDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && GetDlgItem(window, IDC_STATUS_LINE) && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The window's region covers all of it: the last square of the opening has been set.
bool FullyRevealed(HWND window) {
    RECT frame = {};
    GetWindowRect(window, &frame);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    RECT box = {};
    const bool hasRegion = GetWindowRgn(window, region) != ERROR;
    GetRgnBox(region, &box);
    DeleteObject(region);
    return hasRegion && box.left <= 0 && box.top <= 0 && box.right >= frame.right - frame.left &&
           box.bottom >= frame.bottom - frame.top;
}

struct Run {
    double shownMs;       // process start to the first show
    double openingMs;     // first show to the last square
    double responsiveMs;  // last square to the first answered message
    int steps;
};

std::string CopyOfKivo() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "kivo-bench\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string source = std::string("Z:") + (getenv("KIVO_EXE") ? getenv("KIVO_EXE") : "");
    std::replace(source.begin(), source.end(), '/', '\\');
    const std::string exe = folder + "kivo.exe";
    DeleteFileA((folder + "kivo.Lr").c_str());  // no stored settings, no update at start
    if (!CopyFileA(source.c_str(), exe.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %s\n", source.c_str());
        std::exit(1);
    }
    return exe;
}

bool StartOnce(const Clock& clock, const std::string& exe, Run* run) {
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const double start = clock.NowMs();
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    Search search = {process.dwProcessId, nullptr};
    while (!search.found && clock.NowMs() - start < 20000) {
        EnumWindows(FindShownMainDialog, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(1);
    }
    const double shown = clock.NowMs();
    while (search.found && !FullyRevealed(search.found) && clock.NowMs() - shown < 20000) {
        Sleep(1);
    }
    const double revealed = clock.NowMs();
    DWORD_PTR answer = 0;
    const bool answered = search.found && SendMessageTimeoutA(search.found, WM_NULL, 0, 0,
                                                              SMTO_NORMAL, 20000, &answer);
    const double responsive = clock.NowMs();
    if (answered) {
        RECT frame = {};
        GetWindowRect(search.found, &frame);
        run->steps =
            OpeningSquaresFor(frame.right - frame.left, frame.bottom - frame.top).finalHalfSide + 1;
    }
    run->shownMs = shown - start;
    run->openingMs = revealed - shown;
    run->responsiveMs = responsive - revealed;
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return answered;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const Clock clock;
    const std::string exe = CopyOfKivo();
    std::printf("Kivo start-up under Wine, %d runs (ms)\n", runs);
    std::printf("%4s %13s %16s %16s %8s %6s\n", "run", "start->shown", "shown->revealed",
                "revealed->ready", "total", "steps");
    std::vector<double> shown, opening, rest, total;
    int steps = 0;
    for (int i = 1; i <= runs; ++i) {
        Run run = {};
        if (!StartOnce(clock, exe, &run)) {
            std::printf("%4d   kivo.exe did not come up\n", i);
            continue;
        }
        const double sum = run.shownMs + run.openingMs + run.responsiveMs;
        shown.push_back(run.shownMs);
        opening.push_back(run.openingMs);
        rest.push_back(run.responsiveMs);
        total.push_back(sum);
        steps = run.steps;
        std::printf("%4d %13.1f %16.1f %16.1f %8.1f %6d\n", i, run.shownMs, run.openingMs,
                    run.responsiveMs, sum, run.steps);
    }
    if (total.empty()) return 1;
    std::printf("%4s %13.1f %16.1f %16.1f %8.1f\n", "med", Median(shown), Median(opening),
                Median(rest), Median(total));
    std::printf("opening animation: %.0f %% of the median start-up, %.2f ms per step\n",
                100.0 * Median(opening) / Median(total), Median(opening) / std::max(1, steps));
    return 0;
}
