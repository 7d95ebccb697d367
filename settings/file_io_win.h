// Files beside the program: where they are, reading them whole, and replacing them only
// once their new content is complete.
#ifndef KIVO_FILE_IO_WIN_H
#define KIVO_FILE_IO_WIN_H

#include <windows.h>

#include <string>

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
    void Reset(HANDLE handle) {
        if (IsOpen()) Close();
        handle_ = handle;
    }
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

// Whether the running executable's path can be written in the ANSI code page, which every
// file beside it is opened through: a folder named in another script (Korean on a Chinese
// Windows) cannot.
bool ProgramPathFitsCodePage();

// The running executable's path with this extension instead of ".exe" (see
// PathBesideExecutable).
std::string PathBesideProgram(const char* extension);

// Something at the path that is not a directory.
bool FileExistsAt(const std::string& path);

// Raises IoError.
std::string ReadWholeFile(const std::string& path);

// The new content is written to a file beside the old one, which it replaces only when
// complete: a write that fails part-way leaves the old file as it was and no trace of its
// own. The partial file's name is the path and "~". Raises IoError.
class ReplacementFile {
public:
    explicit ReplacementFile(const std::string& targetPath);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    void Write(const std::string& bytes);
    void PutInPlace();

private:
    std::string targetPath_;
    std::string partialPath_;
    HANDLE file_;
    bool placed_ = false;
};

#endif
