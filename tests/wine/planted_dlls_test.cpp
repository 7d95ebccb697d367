// A wininet.dll and an iphlpapi.dll beside kivo.exe, as a Downloads folder may hold them,
// and the DLLs those two load in turn, never run inside Kivo, even where they are looked
// for beside the exe first.
#include "tests/wine/harness.h"
#include "watch/watch_rules.h"

using namespace kivo_test;

namespace {

// Wine's override for this exe name alone gives Windows' search order for the two DLLs.
constexpr char PlantedExe[] = "kivo-planted-dlls.exe";
const std::string AppDefaults = std::string("Software\\Wine\\AppDefaults\\") + PlantedExe;
// WinINet and the IP helper, and DLLs that they load by name.
constexpr const char* Planted[] = {"wininet", "iphlpapi", "mpr", "ws2_32", "nsi", "dnsapi"};

struct WindowsSearchOrder {
    WindowsSearchOrder() {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, (AppDefaults + "\\DllOverrides").c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr);
        static const char order[] = "native,builtin";
        for (const char* dll : Planted) {
            EXPECT_EQ(RegSetValueExA(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(order),
                                     sizeof order),
                      ERROR_SUCCESS);
        }
        RegCloseKey(key);
    }
    ~WindowsSearchOrder() { RegDeleteTreeA(HKEY_CURRENT_USER, AppDefaults.c_str()); }
};

}  // namespace

// Regressions: WinINet and the IP helper ran as Kivo started, named in its import table
// (and the IP helper loaded once more by its bare name); and the DLLs they need were looked
// for beside the exe where the search could not be kept in the system folder.
TEST(PlantedDlls, NeverRunThroughAStartAnHttpsUpdateAndTheIpv6Choice) {
    SimReset();
    const WindowsSearchOrder order;
    TestKivo kivo(PlantedExe);
    std::string planted = "Z:" KIVO_PLANTED_DLLS "/";
    for (char& c : planted) c = c == '/' ? '\\' : c;
    for (const char* dll : Planted) {
        const std::string file = dll + std::string(".dll");
        EXPECT_TRUE(CopyFileA((planted + file).c_str(), (kivo.folder + file).c_str(), FALSE));
    }
    kivo.Start().Fill({DemoHost, "", DemoUser, DemoPassword});
    kivo.SetText(IDC_STATUS_LINE, "");
    PressKey(VK_F3);
    EXPECT_TRUE(WaitFor([&] { return kivo.Text(IDC_STATUS_LINE) == Updated + "127.0.0.1"; }))
        << kivo.Text(IDC_STATUS_LINE);
    kivo.Post(WM_COMMAND, IDM_TRAY_OWN_IPV6, 0);
    EXPECT_TRUE(kivo.Update(NoPublicIpv6Text)) << kivo.Text(IDC_STATUS_LINE);
    EXPECT_TRUE(kivo.Boxes().empty()) << "no system DLL is missing";
    for (const std::string& name : NamesIn(kivo.folder)) {
        EXPECT_EQ(name.find(".ran"), std::string::npos) << name << " ran inside Kivo";
    }
}
