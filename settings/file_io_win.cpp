#include "settings/file_io_win.h"

#include "base/code_page_win.h"
#include "base/last_resort.h"
#include "settings/settings_path.h"

namespace {

// WriteFile reported success but wrote less: the volume is full.
constexpr int DiskFullCode = 101;

}  // namespace

bool ProgramPathFitsCodePage() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    BOOL replaced = FALSE;
    char ansi[2 * MAX_PATH + 2];
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, static_cast<int>(length), ansi,
                               sizeof ansi, nullptr, &replaced) > 0 &&
           !replaced;
}

std::string PathBesideProgram(const char* extension) {
    char path[MAX_PATH + 1] = {};  // at most 260 bytes of path, always terminated
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return PathBesideExecutable(path, extension, IsLeadByteOfAnsiCodePage);
}

bool FileExistsAt(const std::string& path) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadWholeFile(const std::string& path) {
    // Whoever else has it open (a sync client, a backup, an editor) may go on writing it.
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) throw IoError(GetLastError());
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    do {
        if (!ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr)) {
            throw IoError(GetLastError());
        }
        bytes.append(chunk, got);
    } while (got > 0);
    if (!file.Close()) throw IoError(GetLastError());
    return bytes;
}

ReplacementFile::ReplacementFile(const std::string& targetPath)
    : targetPath_(targetPath),
      partialPath_(targetPath + "~"),
      file_(CreateFileA(partialPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (file_ == INVALID_HANDLE_VALUE) throw IoError(GetLastError());
}

ReplacementFile::~ReplacementFile() {
    if (placed_) return;
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    DeleteFileA(partialPath_.c_str());
}

void ReplacementFile::Write(const std::string& bytes) {
    DWORD written = 0;
    if (!WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        throw IoError(GetLastError());
    }
    if (written != bytes.size()) throw IoError(DiskFullCode);
}

void ReplacementFile::PutInPlace() {
    if (!FlushFileBuffers(file_)) throw IoError(GetLastError());
    const HANDLE file = file_;
    file_ = INVALID_HANDLE_VALUE;
    if (!CloseHandle(file)) throw IoError(GetLastError());
    if (!MoveFileExA(partialPath_.c_str(), targetPath_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw IoError(GetLastError());
    }
    placed_ = true;
}
