// Drives the real kivo.exe from another program in the same Wine session: starts it in a
// folder of its own, finds its windows and boxes, sets and reads their texts, presses
// keys, reads the screen and steers the provider simulator. The Wine tests, the benchmark
// and the screenshot tool share it.
#ifndef KIVO_DRIVER_H
#define KIVO_DRIVER_H

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "build_config.h"
#include "resources/resource_ids.h"
#include "settings/field_codec.h"
#include "update/internet_handle_win.h"

namespace kivo_driver {

// What the driver could not do; the tests make each a failure of the running test.
inline std::function<void(const std::string&)> Trouble = [](const std::string& what) {
    std::fprintf(stderr, "kivo driver: %s\n", what.c_str());
};

// Polls the condition every 20 ms until it holds or the time is up; true when it held.
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
    for (const DWORD start = GetTickCount();; Sleep(20)) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
    }
}

inline std::string ReadFileBytes(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Text of a window through WM_GETTEXT: for another process's edit control GetWindowTextA
// reads only the text it was created with.
inline std::string WindowText(HWND window) {
    char text[4096] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_NORMAL, 10000, &copied);
    return text;
}

inline void PressKey(BYTE key) {
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

// --- the provider simulator that the test command starts (its port in KIVO_SIM_PORT)

inline std::string SimulatorProxy() {
    const char* port = std::getenv("KIVO_SIM_PORT");
    if (!port) Trouble("KIVO_SIM_PORT is not set: run with the test command's environment");
    return std::string("http://127.0.0.1:") + (port ? port : "1");
}

// A control request straight to the simulator; trouble unless it answers 200.
inline std::string SimControl(const std::string& command) {
    InternetHandle internet(InternetOpenA("", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    InternetHandle request(InternetOpenUrlA(internet.get(),
                                            (SimulatorProxy() + "/__sim/" + command).c_str(),
                                            nullptr, 0, INTERNET_FLAG_RELOAD, 0));
    DWORD status = 0, size = sizeof status, got = 0;
    HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                   nullptr);
    std::string body;
    char chunk[4096];
    while (InternetReadFile(request.get(), chunk, sizeof chunk, &got) && got)
        body.append(chunk, got);
    if (status != 200) Trouble("the simulator refused " + command + ": " + body);
    return body;
}

inline constexpr char DemoHost[] = "home.kivo.example";
inline constexpr char DemoUser[] = "demo";
inline constexpr char DemoPassword[] = "kivo2026";
// The provider that started programs are set up with: the simulator's own host, in the form
// of request that builds made for one provider send.
inline constexpr char SimProviderUrl[] =
    "https://members.kivo.example/dyndns/update?system=dyndns&hostname={host}&myip={ip}"
    "&wildcard=OFF";
// Its lines in a settings file, written by hand as a user could.
inline std::string SimProviderLines() {
    return "Provider=custom|0\r\nUpdateUrl=" + EscapeChoiceValue(SimProviderUrl) + "|0\r\n";
}

// The items as hex, parted by commas, as the control requests take lists.
inline std::string HexList(const std::vector<std::string>& items) {
    std::string hex;
    for (const std::string& item : items) hex += (hex.empty() ? "" : ",") + HexEncode(item);
    return hex;
}

// The word of "name=word" in a line of the simulator's logs, or "" where there is none.
inline std::string SimLogWord(const std::string& line, const std::string& name) {
    const std::string spaced = " " + line + " ";
    const size_t found = spaced.find(" " + name + "=");
    if (found == std::string::npos) return "";
    const size_t at = found + name.size() + 2;
    return spaced.substr(at, spaced.find(' ', at) - at);
}
// The bytes of "name=HEX" in such a line; "?" where they cannot be read.
inline std::string SimLogBytes(const std::string& line, const std::string& name) {
    return HexDecode(SimLogWord(line, name)).value_or("?");
}

// Demo accounts (at the DNS providers' APIs too), nothing registered, answers as a provider
// would, the true time, empty logs.
inline void SimReset() { SimControl("reset"); }
inline void SimAccount(const std::string& user, const std::string& password,
                       const std::string& host) {
    SimControl("account?user=" + HexEncode(user) + "&password=" + HexEncode(password) +
               "&hosts=" + HexEncode(host));
}
// Until the next reset every update gets this status and body, sent in the pieces given,
// gapMs apart, with a Location header.
inline void SimAnswer(int status, const std::vector<std::string>& pieces, int gapMs = 0) {
    SimControl("misbehave?status=" + std::to_string(status) + "&pieces=" + HexList(pieces) +
               "&gap_ms=" + std::to_string(gapMs) +
               "&location=" + HexEncode("http://elsewhere.example/"));
}

// An update as the simulator received it, byte-exact; tunnel is the CONNECT target it came
// through over TLS, empty when it came in clear.
struct SimRequest {
    std::string target, pathAndQuery, user, password, tunnel, agent, host;
};

inline std::vector<SimRequest> SimRequests() {
    std::vector<SimRequest> requests;
    std::istringstream log(SimControl("requests"));
    for (std::string line; std::getline(log, line);) {
        auto field = [&line](const char* name) { return SimLogBytes(line, name); };
        requests.push_back({field("target"), field("path"), field("user"), field("password"),
                            field("tunnel"), field("agent"), field("host")});
    }
    return requests;
}

// A host name's A and AAAA records at the simulated dyndns providers, "" where it has none.
struct SimRecords {
    std::string a, aaaa;
    bool operator==(const SimRecords& o) const { return a == o.a && aaaa == o.aaaa; }
};
inline std::ostream& operator<<(std::ostream& out, const SimRecords& records) {
    return out << "A " << records.a << ", AAAA " << records.aaaa;
}
inline void SimSetRecords(const std::string& host, const SimRecords& records) {
    SimControl("records?host=" + HexEncode(host) + "&a=" + HexEncode(records.a) +
               "&aaaa=" + HexEncode(records.aaaa));
}
inline SimRecords SimRecordsOf(const std::string& host) {
    std::istringstream lines(SimControl("records"));
    for (std::string line; std::getline(lines, line);) {
        if (SimLogBytes(line, "host") == host) {
            return {SimLogBytes(line, "a"), SimLogBytes(line, "aaaa")};
        }
    }
    return {};
}

// The address-check services (all, or the one of the host given) answer with this address,
// or fail: "status" (503), "garbage" (no address in the page) or "silence" (until the next
// reset); "none" makes them answer again.
inline std::string CheckHostQuery(const std::string& host) {
    return host.empty() ? "" : "host=" + HexEncode(host) + "&";
}
inline void SimCheckAddress(const std::string& address, const std::string& host = "") {
    SimControl("checkip?" + CheckHostQuery(host) + "address=" + HexEncode(address));
}
inline void SimCheckFails(const std::string& how, const std::string& host = "") {
    SimControl("checkip?" + CheckHostQuery(host) + "fail=" + how);
}
// The checks received since the reset, a line each: tunnel, host, path and agent as hex,
// and whether credentials came.
inline std::vector<std::string> SimChecks() {
    std::vector<std::string> checks;
    std::istringstream log(SimControl("checks"));
    for (std::string line; std::getline(log, line);) checks.push_back(line);
    return checks;
}
// The hosts of those checks, in the order they came.
inline std::vector<std::string> SimCheckHosts() {
    std::vector<std::string> hosts;
    for (const std::string& line : SimChecks()) hosts.push_back(SimLogBytes(line, "host"));
    return hosts;
}

// --- the DNS providers' own APIs that the simulator plays (simulator/dns_api_sim.py):
// cloudflare, dnspod (dnsapi.cn), alidns, tencentcloud and huaweicloud

// The demo account of each: the key id (用户名; Cloudflare has none) and the secret (密码),
// whose zone kivo.example holds DemoHost (A 192.0.2.10, AAAA 2001:db8::10).
struct SimApiKey {
    const char *provider, *keyId, *secret;
};
inline constexpr SimApiKey SimApiDemoKeys[] = {
    {"cloudflare", "", "KivoDemoCloudflareToken0123456789abcdefg"},
    {"dnspod", "420001", "kivodemodnspodtoken0123456789abc"},
    {"alidns", "LTAIKivoDemoAccessKey", "KivoDemoAccessKeySecret0123456789"},
    {"tencentcloud", "AKIDKivoDemoSecretId0123456789abcdef", "KivoDemoSecretKey0123456789abcd"},
    {"huaweicloud", "KIVODEMOACCESSKEY000", "KivoDemoHuaweiSecretKey0000000000000000000"},
};
inline SimApiKey SimApiDemoKey(const std::string& provider) {
    for (const SimApiKey& key : SimApiDemoKeys) {
        if (provider == key.provider) return key;
    }
    Trouble("the simulator plays no provider " + provider);
    return {"", "", ""};
}

// Adds an account of the provider (replacing one with that key id; at Cloudflare, with
// that token), with its zones and records, each "NAME TYPE VALUE" and optionally
// " ttl=N", " line=TEXT" (UTF-8), " proxied=1".
inline void SimApiAccount(const std::string& provider, const std::string& keyId,
                          const std::string& secret, const std::vector<std::string>& zones,
                          const std::vector<std::string>& records) {
    SimControl("api/account?provider=" + provider + "&key=" + HexEncode(keyId) + "&secret=" +
               HexEncode(secret) + "&zones=" + HexList(zones) + "&records=" + HexList(records));
}

// A record as the provider holds it now; line in UTF-8 as the provider names it.
struct SimApiRecord {
    std::string id, value, line, zone;
    int ttl = 0;
    bool proxied = false;
};
// The provider's records of that name and type, in all its accounts.
inline std::vector<SimApiRecord> SimApiRecords(const std::string& provider, const std::string& name,
                                               const std::string& type = "A") {
    std::vector<SimApiRecord> records;
    std::istringstream answer(SimControl("api/record?provider=" + provider +
                                         "&name=" + HexEncode(name) + "&type=" + type));
    for (std::string line; std::getline(answer, line);) {
        records.push_back({SimLogBytes(line, "id"), SimLogBytes(line, "value"),
                           SimLogBytes(line, "line"), SimLogBytes(line, "zone"),
                           std::atoi(SimLogWord(line, "ttl").c_str()),
                           SimLogWord(line, "proxied") == "1"});
    }
    return records;
}

// The provider answers its calls (of that kind only: zones, records, change or create; all
// when empty) with its own error (its code: "6003", "-1", "InvalidTimeStamp.Expired",
// "APIGW.0301" ..., or "500", "502", "503"; "none" answers normally again), that many times
// (until the next reset when 0); retryAfterSeconds for Cloudflare's 429 (0: 300).
inline void SimApiFail(const std::string& provider, const std::string& error,
                       const std::string& kind = "", int times = 0, int retryAfterSeconds = 0) {
    SimControl("api/fail?provider=" + provider + "&error=" + error +
               (kind.empty() ? "" : "&kind=" + kind) +
               (times ? "&times=" + std::to_string(times) : "") +
               (retryAfterSeconds ? "&retry_after=" + std::to_string(retryAfterSeconds) : ""));
}

// Every provider believes the time is this many seconds later (earlier when negative), in
// the checks of signatures' times and in its replies' Date header.
inline void SimApiClock(long long shiftSeconds) {
    SimControl("api/clock?shift=" + std::to_string(shiftSeconds));
}

// A call as the provider received it: kind is zones, records, change, create or other;
// every secret in path, query and body is masked as ***; auth is ok, none, bad-key,
// bad-signature, expired, nonce-used, locked, blocked or bad-agent; exposed: a signing
// provider's secret travelled in the request; answer: the provider's error code, "" on
// success.
struct SimApiCall {
    std::string provider, kind, method, host, path, query, body, agent, keyId, auth, answer;
    int status = 0;
    bool exposed = false;
};
inline std::vector<SimApiCall> SimApiCalls() {
    std::vector<SimApiCall> calls;
    std::istringstream log(SimControl("api/calls"));
    for (std::string line; std::getline(log, line);) {
        auto bytes = [&line](const char* name) { return SimLogBytes(line, name); };
        calls.push_back({SimLogWord(line, "provider"), SimLogWord(line, "kind"), bytes("method"),
                         bytes("host"), bytes("path"), bytes("query"), bytes("body"),
                         bytes("agent"), bytes("key"), SimLogWord(line, "auth"), bytes("answer"),
                         std::atoi(SimLogWord(line, "status").c_str()),
                         SimLogWord(line, "exposed") == "1"});
    }
    return calls;
}

// --- kivo.exe

struct Box {
    HWND window = nullptr;
    std::string caption, text;
    HWND owner = nullptr;
};

struct Fields {
    std::string host, ip, user, password;
    bool autoUpdate = false;
    bool operator==(const Fields& o) const {
        return host == o.host && ip == o.ip && user == o.user && password == o.password &&
               autoUpdate == o.autoUpdate;
    }
};

inline BOOL CALLBACK CollectDialog(HWND w, LPARAM context) {
    auto* search = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(context);
    DWORD pid = 0;
    char name[16] = {};
    GetWindowThreadProcessId(w, &pid);
    GetClassNameA(w, name, sizeof name);
    if (pid == search->first && strcmp(name, "#32770") == 0) search->second.push_back(w);
    return TRUE;
}

// The dialogs (main window, boxes, About, provider dialog) of one process.
inline std::vector<HWND> DialogsOf(DWORD processId) {
    std::pair<DWORD, std::vector<HWND>> search = {processId, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// One run of kivo.exe, copied to exeName in %TEMP%\kivo-runs\<name>\, or in the folder
// <name> where it names a drive (emptied first), and ended, if still running, on destruction.
// builtExe is the kivo.exe to run, as a Unix path (the scripts set KIVO_EXE); proxy its http_proxy,
// none when empty.
class Kivo {
public:
    explicit Kivo(const std::string& name, const std::string& exeName = "kivo.exe",
                  const std::string& proxy = SimulatorProxy(),
                  const char* builtExe = std::getenv("KIVO_EXE"))
        : proxy_(proxy) {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        folder =
            name.find(':') != std::string::npos ? name : std::string(temp) + "kivo-runs\\" + name;
        const std::string doubleNul = folder + '\0';
        SHFILEOPSTRUCTA removal = {};
        removal.wFunc = FO_DELETE;
        removal.pFrom = doubleNul.c_str();
        removal.fFlags = FOF_NO_UI;
        SHFileOperationA(&removal);
        folder += "\\";
        exePath = folder + exeName;
        SHCreateDirectoryExA(nullptr, exePath.substr(0, exePath.rfind('\\')).c_str(), nullptr);
        std::string built = std::string("Z:") + (builtExe ? builtExe : "/KIVO_EXE is not set");
        for (char& c : built) c = c == '/' ? '\\' : c;
        if (!CopyFileA(built.c_str(), exePath.c_str(), FALSE)) Trouble("cannot copy " + built);
        // Set up with the simulator's provider, in the settings file that the exe's name gives
        // (ASCII names: lower-cased, ".Lr" for ".exe"); a test that writes its own settings
        // or wants none replaces or removes the file.
        std::string settings = exePath.substr(0, exePath.size() - 4) + ".Lr";
        const size_t nameAt = settings.rfind('\\') + 1;
        for (size_t i = nameAt; i < settings.size() - 3; ++i) {
            if (settings[i] >= 'A' && settings[i] <= 'Z') settings[i] += 'a' - 'A';
        }
        WriteFileBytes(settings, SimProviderLines());
    }
    ~Kivo() {
        if (!process_.hProcess) return;
        // Wine's tray keeps a killed program's icon for a while; the next case counts icons.
        for (HWND w : Dialogs()) {
            NOTIFYICONDATAA icon = {};
            icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
            icon.hWnd = w;
            Shell_NotifyIconA(NIM_DELETE, &icon);
        }
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
        // An ended program's windows, and its hotkeys with them, go a moment after it.
        WaitFor([this] { return Dialogs().empty(); });
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    Kivo(const Kivo&) = delete;
    Kivo& operator=(const Kivo&) = delete;

    std::string folder, exePath;

    // Starts the program with http_proxy set to the proxy (none when it is empty).
    Kivo& Start(const std::string& arguments = "") {
        // Under load Wine now and then fails to start a process at once (seen once in CI,
        // the error unknown); a second try a moment later is what a user would do.
        for (int attempt = 1; !Launch(arguments, process_); ++attempt) {
            const DWORD error = GetLastError();
            if (attempt == 3) {
                Trouble("cannot start " + exePath + ": error " + std::to_string(error));
                break;
            }
            fprintf(stderr, "starting %s failed with error %lu; trying again\n", exePath.c_str(),
                    error);
            Sleep(1000);
        }
        return *this;
    }
    // The same exe started once more beside this one, as a user would, through the path
    // given (default: exePath): its exit code, or STILL_ACTIVE when it still runs after the
    // time given, and is then ended.
    DWORD StartAgain(const std::string& path = "", DWORD timeoutMs = 10000) {
        PROCESS_INFORMATION again = {};
        DWORD code = STILL_ACTIVE;
        if (!Launch("", again, path)) return code;
        WaitForSingleObject(again.hProcess, timeoutMs);
        GetExitCodeProcess(again.hProcess, &code);
        if (code == STILL_ACTIVE) TerminateProcess(again.hProcess, 99);
        WaitForSingleObject(again.hProcess, 5000);
        CloseHandle(again.hProcess);
        CloseHandle(again.hThread);
        return code;
    }
    bool Running() { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    // The exit code once the process has ended; STILL_ACTIVE after the time-out.
    DWORD ExitCode(DWORD timeoutMs = 10000) {
        DWORD code = STILL_ACTIVE;
        WaitForSingleObject(process_.hProcess, timeoutMs);
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    DWORD ProcessId() const { return process_.dwProcessId; }

    // The main dialog, shown or not, or null.
    HWND AnyMain() {
        for (HWND w : Dialogs()) {
            if (GetDlgItem(w, IDC_STATUS_LINE)) return w;
        }
        return nullptr;
    }
    // The main dialog if it is shown, or null.
    HWND ShownMain() {
        HWND main = AnyMain();
        return main && IsWindowVisible(main) ? main : nullptr;
    }
    // The main dialog once it is shown and its start-up is over (hotkeys registered).
    HWND Main() {
        if (main_ && IsWindow(main_)) return main_;
        if (!WaitFor([this] { return (main_ = ShownMain()) != nullptr; }, 10000)) {
            Trouble("the main window did not appear");
        }
        WaitForInputIdle(process_.hProcess, 10000);
        return main_;
    }
    HWND Item(int id) { return GetDlgItem(Main(), id); }
    std::string Text(int id) { return WindowText(Item(id)); }
    void SetText(int id, const std::string& text) {
        SendMessageA(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    void Fill(const Fields& f) {
        SetText(IDC_HOST_FIELD, f.host);
        SetText(IDC_IP_FIELD, f.ip);
        SetText(IDC_USER_FIELD, f.user);
        SetText(IDC_PASSWORD_FIELD, f.password);
        SendMessageA(Item(IDC_AUTO_UPDATE_BOX), BM_SETCHECK, f.autoUpdate, 0);
    }
    Fields Shown() {
        return {Text(IDC_HOST_FIELD), Text(IDC_IP_FIELD), Text(IDC_USER_FIELD),
                Text(IDC_PASSWORD_FIELD),
                SendMessageA(Item(IDC_AUTO_UPDATE_BOX), BM_GETCHECK, 0, 0) == BST_CHECKED};
    }
    void Post(UINT message, WPARAM wParam, LPARAM lParam) {
        PostMessageA(Main(), message, wParam, lParam);
    }
    // A control's click notification, as a real click sends it.
    void Click(int id) { Post(WM_COMMAND, id, reinterpret_cast<LPARAM>(Item(id))); }
    // Clears StatusLine, so that only this run's outcome can match, and clicks "更 新";
    // then waits for the status text when one is given (false on time-out).
    bool Update(const std::string& status = "", DWORD timeoutMs = 10000) {
        SetText(IDC_STATUS_LINE, "");
        Click(IDC_UPDATE_BUTTON);
        return WaitFor([&] { return Text(IDC_STATUS_LINE) == status; },
                       status.empty() ? 0 : timeoutMs);
    }

    // Kivo's visible message boxes: its dialogs other than the main, About and 服务商设置
    // windows.
    std::vector<Box> Boxes() {
        std::vector<Box> boxes;
        for (HWND w : Dialogs()) {
            if (IsWindowVisible(w) && !GetDlgItem(w, IDC_STATUS_LINE) &&
                !GetDlgItem(w, IDC_CREDITS_FRAME) && !GetDlgItem(w, IDC_PROVIDER_LIST)) {
                boxes.push_back(
                    {w, WindowText(w), WindowText(GetDlgItem(w, 0xFFFF)), GetWindow(w, GW_OWNER)});
            }
        }
        return boxes;
    }
    Box WaitBox() {
        std::vector<Box> boxes;
        if (!WaitFor([&] { return !(boxes = Boxes()).empty(); }, 10000)) Trouble("no box appeared");
        return boxes.empty() ? Box() : boxes[0];
    }
    void CloseBox(const Box& box) {
        PostMessageA(box.window, WM_COMMAND, IDOK, 0);
        if (!WaitFor([&] { return !IsWindowVisible(box.window); })) Trouble("the box stays open");
    }
    HWND About() { return DialogWith(IDC_CREDITS_FRAME); }
    HWND ProviderDialog() { return DialogWith(IDC_PROVIDER_LIST); }

private:
    HWND DialogWith(int id) {
        for (HWND w : Dialogs()) {
            if (GetDlgItem(w, id)) return w;
        }
        return nullptr;
    }

    bool Launch(const std::string& arguments, PROCESS_INFORMATION& process,
                const std::string& path = "") {
        const std::string exe = path.empty() ? exePath : path;
        SetEnvironmentVariableA("http_proxy", proxy_.empty() ? nullptr : proxy_.c_str());
        std::string commandLine = "\"" + exe + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        return CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              folder.c_str(), &startup, &process) != FALSE;
    }

    std::vector<HWND> Dialogs() { return DialogsOf(process_.dwProcessId); }

    std::string proxy_;
    PROCESS_INFORMATION process_ = {};
    HWND main_ = nullptr;
};

// --- the screen

// The "Wine System Tray" on a bare X display; its icons are __winex11_tray_icon windows.
inline HWND Tray() { return FindWindowA("__winex11_standalone_tray", nullptr); }

// The balloon that the tray shows (a tooltips_class32 window of balloon style), or null.
inline HWND ShownBalloon() {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "tooltips_class32", nullptr));) {
        if (IsWindowVisible(w) && (GetWindowLongA(w, GWL_STYLE) & TTS_BALLOON) &&
            GetWindow(w, GW_OWNER) == Tray()) {
            return w;
        }
    }
    return nullptr;
}

// A block of pixels as COLORREF values (0x00BBGGRR), row by row.
struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> colours;
    COLORREF At(int x, int y) const { return colours[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Pixels& o) const { return width == o.width && colours == o.colours; }
    int Count(COLORREF colour) const { return std::count(colours.begin(), colours.end(), colour); }
};

// The pixels a device context holds in the rectangle.
inline Pixels CaptureDc(HDC source, const RECT& r) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, r.left, r.top, SRCCOPY);
    GdiFlush();
    Pixels pixels = {width, height, {}};
    for (int i = 0; i < width * height; ++i) {  // a 32-bpp DIB holds 0x00RRGGBB
        const DWORD p = static_cast<const DWORD*>(bits)[i];
        pixels.colours.push_back(RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF));
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// What the screen shows of a rectangle in the window's client coordinates.
inline Pixels Capture(HWND window, RECT area) {
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    HDC screen = GetDC(nullptr);
    const Pixels pixels = CaptureDc(screen, area);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace kivo_driver

#endif
