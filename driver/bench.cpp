// Measures kivo.exe under Wine against the provider simulator and prints one figure a
// line ("name value") for scripts/bench.sh to set in its table: start-up to a usable
// window, F3 to the final status text (a dyndns update, and at Cloudflare's API a look-up
// and a change), the same GET by a minimal WinINet client in this
// process (the floor), the idle program's CPU time, and with "自动更新" ticked its CPU time
// and private bytes over 60 s, its private bytes after many checks, and the time a check
// whose first service is silent takes to the address. Prints figures; judges nothing.
//   kivo_bench.exe [runs] [checks]   (KIVO_EXE and KIVO_SIM_PORT as for the tests)
#include <algorithm>
#include <cstdio>

#include "app/hotkey_rules.h"
#include "driver/kivo_driver.h"

#include <psapi.h>  // after <windows.h>, which the driver includes
#include "update/providers_rules.h"

using namespace kivo_driver;

namespace {

double NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// From process start until the window is shown and answers a message: the opening
// animation and the hotkeys are done.
double StartUpMs() {
    Kivo kivo("bench-start");
    const double start = NowMs();
    kivo.Start();
    while (!kivo.ShownMain()) Sleep(1);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(kivo.ShownMain(), WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored);
    return NowMs() - start;
}

// The demo update as Kivo sends it, by the least WinINet can do.
double FloorMs(const HttpRequest& request) {
    const double start = NowMs();
    InternetHandle internet(
        InternetOpenA(UserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    InternetHandle connection(InternetConnectA(internet.get(), request.host.c_str(),
                                               INTERNET_DEFAULT_HTTPS_PORT, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
    InternetHandle get(HttpOpenRequestA(connection.get(), "GET", request.target.c_str(), nullptr,
                                        nullptr, nullptr,
                                        INTERNET_FLAG_SECURE | INTERNET_FLAG_RELOAD, 0));
    char body[1024];
    DWORD read = 0;
    if (!HttpSendRequestA(get.get(), request.headers.c_str(),
                          static_cast<DWORD>(request.headers.size()), nullptr, 0) ||
        !InternetReadFile(get.get(), body, sizeof body, &read) || read == 0) {
        std::fprintf(stderr, "the floor client's GET failed: %lu\n", GetLastError());
    }
    return NowMs() - start;
}

double CpuMs(HANDLE process) {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(process, &created, &ended, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

// The private bytes a process has committed: PagefileUsage, which Windows reports equal to
// PrivateUsage and Wine fills where it leaves PrivateUsage 0.
double PrivateKiB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, &counters, sizeof counters);
    return counters.PagefileUsage / 1024.0;
}

// The CPU time a program takes while it sits idle for the given time.
double IdleCpuMs(HANDLE process, DWORD ms) {
    const double before = CpuMs(process);
    Sleep(ms);
    return CpuMs(process) - before;
}

// F3, and the time until the status line tells the update's end.
double F3Ms(Kivo& kivo, const std::string& finalStatus) {
    kivo.SetText(IDC_STATUS_LINE, "");
    Sleep(KeyRepeatSpacingMs);  // a press of its own: F3 held down updates once
    const double start = NowMs();
    PressKey(VK_F3);
    // Read without a pause: Kivo answers the reading of its status line once the update
    // is over.
    while (kivo.Text(IDC_STATUS_LINE).find(finalStatus) == std::string::npos) {
        if (NowMs() - start > 30000) {
            std::fprintf(stderr, "F3 did not end in %s\n", finalStatus.c_str());
            break;
        }
    }
    return NowMs() - start;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    const int checks = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
    std::vector<double> starts, updates, floors, apiUpdates;
    for (int run = 0; run < std::max(5, runs / 4); ++run) starts.push_back(StartUpMs());

    // At Cloudflare: the address alternates, so that each F3 looks the record up and changes it.
    {
        Kivo cloudflare("bench-cloudflare");
        WriteFileBytes(cloudflare.folder + "kivo.Lr",
                       std::string("Host=") + DemoHost + "|\r\nPwd=" +
                           SimApiDemoKey("cloudflare").secret + "|\r\nProvider=cloudflare|\r\n");
        cloudflare.Start().Main();
        for (int run = 0; run < runs; ++run) {
            const std::string address = run % 2 ? "198.51.100.21" : "198.51.100.22";
            cloudflare.SetText(IDC_IP_FIELD, address);
            apiUpdates.push_back(F3Ms(cloudflare, "更新成功,当前IP为:" + address));
        }
    }
    Kivo kivo("bench");
    kivo.Start().Fill({DemoHost, "", DemoUser, DemoPassword});
    for (int run = 0; run < runs; ++run) updates.push_back(F3Ms(kivo, "IP为:"));
    SetEnvironmentVariableA("http_proxy", SimulatorProxy().c_str());
    const HttpRequest demo = *UpdateRequestFor({CustomProviderKey, SimProviderUrl},
                                               {DemoHost, "", DemoUser, DemoPassword});
    for (int run = 0; run < runs; ++run) floors.push_back(FloorMs(demo));

    HANDLE process =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, kivo.ProcessId());
    std::printf("start %.1f\nupdate %.2f\napi_update %.2f\nfloor %.2f\nidle_cpu %.1f\n",
                Median(starts), Median(updates), Median(apiUpdates), Median(floors),
                IdleCpuMs(process, 10000));
    CloseHandle(process);

    // Watching: "自动更新" ticked, the start's update done; then checks, one 5 s after each
    // resume that Windows reports.
    Kivo watching("bench-watch");
    WriteFileBytes(watching.folder + "kivo.Lr",
                   std::string("Host=") + DemoHost + "|\r\nName=" + DemoUser +
                       "|\r\nPwd=" + DemoPassword + "|\r\nAuto=True\r\n" + SimProviderLines());
    watching.Start().Main();
    WaitFor([&] { return watching.Text(IDC_STATUS_LINE).find("IP为:") != std::string::npos; });
    process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, watching.ProcessId());
    std::printf("watch_idle_cpu %.1f\nwatch_private_kib %.0f\n", IdleCpuMs(process, 60000),
                PrivateKiB(process));
    for (int check = 0; check < checks; ++check) {
        watching.SetText(IDC_STATUS_LINE, "");
        watching.Post(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        WaitFor([&] { return !watching.Text(IDC_STATUS_LINE).empty(); }, 30000);
    }
    std::printf("checks %d\nchecks_private_kib %.0f\n", checks, PrivateKiB(process));
    CloseHandle(process);

    // A check whose first service accepts the connection and never answers: from that
    // service's request to the address the second one tells.
    SimCheckFails("silence", "4.ipw.cn");
    SimCheckAddress("198.51.100.9", "ddns.oray.com");
    const size_t asked = SimChecks().size();
    watching.SetText(IDC_STATUS_LINE, "");
    watching.Post(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    WaitFor([&] { return SimChecks().size() > asked; }, 30000);
    const double silentFrom = NowMs();
    WaitFor([&] { return !watching.Text(IDC_STATUS_LINE).empty(); }, 30000);
    std::printf("silent_first_check %.0f\n", NowMs() - silentFrom);
    SimReset();  // ends the silence
    return 0;
}
