#include "settings/settings_file_win.h"

#include <array>
#include <cstdint>
#include <string>

#include "app/last_resort.h"
#include "resources/resource_ids.h"
#include "settings/settings_format.h"
#include "settings/settings_path.h"
#include "settings/settings_reading.h"
#include "update/run_update_win.h"

namespace {

// WriteFile reported success but wrote less: the volume is full.
constexpr int DiskFullCode = 101;

// The process-wide noise generator, seeded at every save.
std::uint32_t NoiseSeed;

void SeedNoise() {
    LARGE_INTEGER counter;
    NoiseSeed = QueryPerformanceCounter(&counter) ? counter.LowPart : GetTickCount();
}

bool IsLeadByteOfAnsiCodePage(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

std::string SettingsPath() {
    char path[MAX_PATH + 1] = {};  // at most 260 bytes of path, always terminated
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return SettingsPathFor(path, IsLeadByteOfAnsiCodePage);
}

// A file handle that is closed on every path.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (IsOpen()) Close();
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    // False when the system reports the close as failed.
    bool Close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != FALSE;
    }

private:
    HANDLE handle_;
};

// Something at the path that is not a directory.
bool FileExistsAt(const std::string& path) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadWholeFile(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
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

// The new settings are written to a file beside the old one, which they replace only when
// complete: a save that fails part-way leaves the old file as it was and no trace of its own.
// The partial file's name is one byte longer than the settings path, so it stays within
// MAX_PATH whenever the executable's path does.
class ReplacementFile {
public:
    explicit ReplacementFile(const std::string& targetPath)
        : targetPath_(targetPath),
          partialPath_(targetPath + "~"),
          file_(CreateFileA(partialPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (!file_.IsOpen()) throw IoError(GetLastError());
    }
    ~ReplacementFile() {
        if (placed_) return;
        if (file_.IsOpen()) file_.Close();
        DeleteFileA(partialPath_.c_str());
    }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    void WriteLine(const std::string& line) {
        const std::string bytes = line + "\r\n";
        DWORD written = 0;
        if (!WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr)) {
            throw IoError(GetLastError());
        }
        if (written != bytes.size()) throw IoError(DiskFullCode);
    }

    void PutInPlace() {
        if (!FlushFileBuffers(file_.Get())) throw IoError(GetLastError());
        if (!file_.Close()) throw IoError(GetLastError());
        if (!MoveFileExA(partialPath_.c_str(), targetPath_.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            throw IoError(GetLastError());
        }
        placed_ = true;
    }

private:
    std::string targetPath_;
    std::string partialPath_;
    FileHandle file_;
    bool placed_ = false;
};

std::string FieldText(HWND mainDialog, int controlId) {
    char text[255] = {};  // so at most 254 bytes of a field are kept
    GetDlgItemTextA(mainDialog, controlId, text, sizeof text);
    return text;
}

}  // namespace

void LoadSettings(HWND mainDialog) {
    const std::string path = SettingsPath();
    if (!FileExistsAt(path)) return;
    for (const std::string& line : ReadSettingsLines(ReadWholeFile(path))) {
        const LineMeaning meaning = InterpretSettingsLine(line);
        switch (meaning.action) {
            case LineAction::SetField:
                SetDlgItemTextA(mainDialog, meaning.controlId, meaning.value.c_str());
                break;
            case LineAction::CheckAutoUpdate:
                CheckDlgButton(mainDialog, IDC_AUTO_UPDATE_BOX, BST_CHECKED);
                RunUpdate(mainDialog);
                break;
            case LineAction::Ignore: break;
        }
    }
}

void SaveSettings(HWND mainDialog) {
    ReplacementFile file(SettingsPath());
    SeedNoise();
    std::array<std::string, ValueKeyCount> fieldTexts;
    for (int i = 0; i < ValueKeyCount; ++i) {
        fieldTexts[i] = FieldText(mainDialog, ValueKeys[i].controlId);
    }
    const bool autoUpdate = IsDlgButtonChecked(mainDialog, IDC_AUTO_UPDATE_BOX) == BST_CHECKED;
    for (const SettingsFileLine& line : ComposeSettingsFile(fieldTexts, autoUpdate, NoiseSeed)) {
        file.WriteLine(line.text);
        if (line.pauseAfterMs > 0) Sleep(line.pauseAfterMs);
    }
    file.PutInPlace();
}
