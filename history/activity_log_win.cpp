#include "history/activity_log_win.h"

#include <windows.h>

#include "base/code_page_win.h"
#include "history/run_report_rules.h"
#include "settings/file_io_win.h"

namespace {

constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

// Opened, or made, for adding at its end; others may read it meanwhile.
HANDLE OpenLog(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::string LogPath() { return PathBesideProgram(".log"); }

void AddToLog(const std::string& ansiLine) {
    const std::string path = LogPath();
    const std::string line = Utf8OfAnsi(ansiLine) + "\r\n";
    FileHandle log(OpenLog(path));
    bool created = log.IsOpen() && GetLastError() != ERROR_ALREADY_EXISTS;
    if (!log.IsOpen()) return;
    DWORD size = GetFileSize(log.Get(), nullptr);
    if (size == INVALID_FILE_SIZE) return;
    if (LogMovesAsideBefore(size, line.size())) {
        log.Close();
        // Where it cannot move aside (a viewer holds it, kivo.log.1 is read-only or a folder),
        // the log grows on and the move is tried again at the next line: never truncated.
        if (MoveFileExA(path.c_str(), (path + ".1").c_str(), MOVEFILE_REPLACE_EXISTING)) size = 0;
        log.Reset(OpenLog(path));
        if (!log.IsOpen()) return;
        created = size == 0;
    }
    const std::string bytes = size == 0 ? ByteOrderMark + line : line;
    DWORD written = 0;
    if (SetFilePointer(log.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER) return;
    if (WriteFile(log.Get(), bytes.data(), bytes.size(), &written, nullptr) &&
        written == bytes.size()) {
        return;
    }
    // A full disk: the line goes in whole or not at all, and a log begun for it goes too.
    SetFilePointer(log.Get(), size, nullptr, FILE_BEGIN);
    SetEndOfFile(log.Get());
    log.Close();
    if (created) DeleteFileA(path.c_str());
}
