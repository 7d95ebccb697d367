#include "base/last_resort_win.h"

#include <windows.h>

#include "base/last_resort.h"

namespace {

std::string ExecutableFileName() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    const char* name = path;
    for (const char* p = path; *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/') name = p + 1;
    }
    return name;
}

}  // namespace

void EndWithLastResortBox(const std::exception& error) {
    const auto* ioError = dynamic_cast<const IoError*>(&error);
    const std::string text =
        LastResortText(ioError ? "EInOutError" : "Exception", ExecutableFileName(),
                       ioError ? ioError->address() : 0, error.what());
    MessageBoxA(nullptr, text.c_str(), "Application Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(1);
}
