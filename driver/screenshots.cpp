// Takes the README's pictures of kivo.exe under Wine against the provider simulator: the
// window, the window after a successful update, the tray balloon, the About window and the
// "服务商设置" dialog, each a BMP in the folder given (scripts/screenshots.sh turns them into
// PNGs); on a desktop of another DPI than 96, only the window.
//   kivo_screenshots.exe FOLDER    (KIVO_EXE and KIVO_SIM_PORT as for the tests)
#include <fstream>

#include "driver/kivo_driver.h"
#include "ui/provider_dialog_rules.h"

using namespace kivo_driver;

namespace {

RECT ScreenRectOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

// What the screen shows in the rectangle, as a 32-bit top-down BMP.
void Save(const std::string& path, const RECT& area) {
    HDC screen = GetDC(nullptr);
    const Pixels shot = CaptureDc(screen, area);
    ReleaseDC(nullptr, screen);
    BITMAPINFOHEADER info = {sizeof info, shot.width, -shot.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof info;
    const DWORD bits = 4 * static_cast<DWORD>(shot.colours.size());
    BITMAPFILEHEADER file = {0x4D42, headers + bits, 0, 0, headers};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    for (const COLORREF c : shot.colours) {
        const DWORD pixel = GetBValue(c) | GetGValue(c) << 8 | GetRValue(c) << 16;
        out.write(reinterpret_cast<const char*>(&pixel), 4);
    }
}

}  // namespace

int main(int argc, char** argv) {
    SetProcessDPIAware();  // the screen in device pixels on Windows too
    const std::string folder = std::string(argc > 1 ? argv[1] : ".") + "\\";
    SimReset();
    Kivo kivo("screenshots");
    kivo.Start().Main();
    Sleep(500);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (dpi != 96) {  // at another DPI only the window, as main-<dpi>.bmp
        Save(folder + "main-" + std::to_string(dpi) + ".bmp", ScreenRectOf(kivo.Main()));
        return 0;
    }
    Save(folder + "main.bmp", ScreenRectOf(kivo.Main()));
    kivo.Fill({DemoHost, "", DemoUser, DemoPassword});
    kivo.Update("恭喜您,您的域名更新成功,当前IP为:127.0.0.1");
    Sleep(300);
    Save(folder + "updated.bmp", ScreenRectOf(kivo.Main()));

    kivo.Click(IDC_MINIMIZE_LABEL);
    HWND balloon = nullptr;
    WaitFor([&] { return (balloon = ShownBalloon()) != nullptr; }, 8000);
    Sleep(500);
    RECT area = ScreenRectOf(Tray()), shown = ScreenRectOf(balloon);
    UnionRect(&area, &area, &shown);
    InflateRect(&area, 8, 8);
    const RECT desktop = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&area, &area, &desktop);
    Save(folder + "tray.bmp", area);
    PressKey(VK_F4);

    WaitFor([&] { return IsWindowVisible(kivo.Main()) != FALSE; });
    kivo.Click(IDC_ABOUT_BUTTON);
    WaitFor([&] { return kivo.About() != nullptr; });
    Sleep(3000);  // the credits rise into view
    Save(folder + "about.bmp", ScreenRectOf(kivo.About()));

    PostMessageA(kivo.About(), WM_COMMAND, IDC_ABOUT_CLOSE_LABEL, 0);
    WaitFor([&] { return kivo.About() == nullptr; });
    kivo.Post(WM_COMMAND, IDM_TRAY_PROVIDER, 0);
    WaitFor([&] { return kivo.ProviderDialog() != nullptr; });
    HWND dialog = kivo.ProviderDialog();
    SendDlgItemMessageA(dialog, IDC_PROVIDER_LIST, CB_SETCURSEL, ProviderEntryOf({"dnspod", ""}),
                        0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROVIDER_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_PROVIDER_LIST)));
    Sleep(1000);
    Save(folder + "provider.bmp", ScreenRectOf(dialog));
    return 0;
}
