#include "watch/activity_log_win.h"

#include <windows.h>

#include <vector>

#include "settings/file_io_win.h"
#include "watch/run_report_rules.h"

namespace {

constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

// A vector rather than std::wstring, whose instantiation would add 20 KB to the exe.
std::string Utf8Of(const std::string& ansi) {
    const int wideCount = MultiByteToWideChar(CP_ACP, 0, ansi.data(), ansi.size(), nullptr, 0);
    std::vector<wchar_t> wide(wideCount + 1);
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), ansi.size(), wide.data(), wideCount);
    const int count =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, nullptr, 0, nullptr, nullptr);
    std::string utf8(count, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, &utf8[0], count, nullptr, nullptr);
    return utf8;
}

// Opened for adding at its end; others may read it meanwhile.
HANDLE OpenLog(const std::string& path, DWORD disposition) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::string LogPath() { return PathBesideProgram(".log"); }

void AddToLog(const std::string& ansiLine) {
    const std::string path = LogPath();
    const std::string line = Utf8Of(ansiLine) + "\r\n";
    FileHandle log(OpenLog(path, OPEN_ALWAYS));
    if (!log.IsOpen()) return;
    DWORD size = GetFileSize(log.Get(), nullptr);
    if (size == INVALID_FILE_SIZE) return;
    if (LogMovesAsideBefore(size, line.size())) {
        log.Close();
        // Where the older log cannot be replaced, this one starts afresh: two files at most.
        MoveFileExA(path.c_str(), (path + ".1").c_str(), MOVEFILE_REPLACE_EXISTING);
        log.Reset(OpenLog(path, CREATE_ALWAYS));
        if (!log.IsOpen()) return;
        size = 0;
    }
    const std::string bytes = size == 0 ? ByteOrderMark + line : line;
    DWORD written = 0;
    if (SetFilePointer(log.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER) return;
    WriteFile(log.Get(), bytes.data(), bytes.size(), &written, nullptr);
}
