// GDI objects that a handler creates and must delete before it returns.
#ifndef KIVO_GDI_OBJECTS_WIN_H
#define KIVO_GDI_OBJECTS_WIN_H

#include <windows.h>

#include "ui/chrome_rules.h"

// Deletes the object when the scope ends, on every path.
class ScopedGdiObject {
public:
    explicit ScopedGdiObject(HGDIOBJ object) : object_(object) {}
    ~ScopedGdiObject() {
        if (object_) DeleteObject(object_);
    }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;

    HGDIOBJ get() const { return object_; }
    HBRUSH brush() const { return static_cast<HBRUSH>(object_); }

private:
    HGDIOBJ object_;
};

// A window's DC (the screen's for null), released when the scope ends.
class ScopedWindowDc {
public:
    explicit ScopedWindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedWindowDc() { ReleaseDC(window_, dc_); }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;

    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC for the scope and then puts the previous one back: an
// object still selected into a DC cannot be deleted. Declare it after the object's holder
// (a borrowed object, such as a control's font, has none).
class ScopedSelection {
public:
    ScopedSelection(HDC dc, const ScopedGdiObject& object) : ScopedSelection(dc, object.get()) {}
    ScopedSelection(HDC dc, HGDIOBJ borrowed) : dc_(dc), previous_(SelectObject(dc, borrowed)) {}
    ~ScopedSelection() { SelectObject(dc_, previous_); }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The DPI a window is laid out at: GetDpiForWindow where Windows has it (10, version 1607
// on, looked up so that the exe still starts on XP), the screen's LOGPIXELSY before.
inline int DpiOf(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    const UINT dpi = dpiForWindow && window ? dpiForWindow(window) : 0;
    if (dpi) return static_cast<int>(dpi);
    return GetDeviceCaps(ScopedWindowDc(nullptr).get(), LOGPIXELSY);
}

// The dialogs' "宋体" at 9 points at the window's DPI, in the given weight (FW_BOLD for titles).
inline HFONT CreateSongtiFontAt(int dpi, int weight) {
    return CreateFontA(-ScaledPixels(SongtiHeight, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, 0, 0, 0, 0, "宋体");
}

inline HFONT CreateSongtiFont(HWND window, int weight) {
    return CreateSongtiFontAt(DpiOf(window), weight);
}

// A font that a window keeps for its DPI (for a control's WM_SETFONT), made anew when the
// window is at another DPI than it was made for, and deleted with its holder.
class DpiFont {
public:
    explicit DpiFont(int weight) : weight_(weight) {}
    ~DpiFont() {
        if (font_) DeleteObject(font_);
    }
    DpiFont(const DpiFont&) = delete;
    DpiFont& operator=(const DpiFont&) = delete;

    // Give the new font to the control before it paints again: the old one is deleted.
    HFONT For(HWND window) {
        const int dpi = DpiOf(window);
        if (!font_ || dpi != dpi_) {
            if (font_) DeleteObject(font_);
            font_ = CreateSongtiFont(window, weight_);
            dpi_ = dpi;
        }
        return font_;
    }

private:
    int weight_;
    HFONT font_ = nullptr;
    int dpi_ = 0;
};

#endif
