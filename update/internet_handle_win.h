// A WinINet handle that is closed on every path.
#ifndef KIVO_INTERNET_HANDLE_WIN_H
#define KIVO_INTERNET_HANDLE_WIN_H

#include <windows.h>
#include <wininet.h>

class InternetHandle {
public:
    typedef BOOL(WINAPI* Closer)(HINTERNET handle);
    // kivo.exe passes the InternetCloseHandle it loaded; the tools link WinINet.
    explicit InternetHandle(HINTERNET handle, Closer close = InternetCloseHandle)
        : handle_(handle), close_(close) {}
    ~InternetHandle() {
        if (handle_) close_(handle_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_;
    Closer close_;
};

#endif
